/* Seal data on disk and in memory: the packed and V6 file heads, the V6
 * container of typed items, and the seal record SEAL_DATA_V6 by which every
 * seal is presented whatever its stored form.
 *
 * All fields are little-endian and the structures are byte-packed: they
 * are views of the stored bytes. Items returned by the lookups point into a
 * container that was checked on loading (every item lies inside it, is at
 * least as long as its type's fixed fields, and the walk reaches the end
 * item). Texts in records are GB2312, zero-terminated. */
#ifndef OESQX_SEAL_SEAL_TYPES_H
#define OESQX_SEAL_SEAL_TYPES_H

#include <stdint.h>

#include "common/export.h"

#pragma pack(push, 1)

/* Head of a packed seal file; a gzip block of the content follows. */
typedef struct SEAL_PACK_HEADER {
  uint32_t dwMagic;       /* "ECSL" */
  uint32_t dwGzipLength;  /* length G of the gzip block */
  uint32_t dwDataLength;  /* length of the content before packing */
} SEAL_PACK_HEADER;

/* Head of a V6 seal file; the enciphered gzip block of the container
 * follows. */
typedef struct SEAL_FILE_HEADER_V6 {
  uint32_t dwMagic;        /* "LAES" */
  uint32_t dwTotalLength;  /* 44 + enciphered block */
  uint8_t bMD5[16];        /* MD5 of bytes 24 .. end */
  uint16_t wVersion;       /* 6 */
  uint16_t wReserved1;
  uint8_t bKeyFactor;      /* 1..127 built-in key, 0 password */
  uint8_t bReserved2[3];
  uint32_t dwReserved3;    /* written as 0 on every save */
  uint32_t dwReserved4;
  uint32_t dwDataLength;   /* container length before compression */
} SEAL_FILE_HEADER_V6;

/* Container head; the items follow back to back, the last is the end item. */
typedef struct SEAL_ENCDATA_HEADER_V6 {
  uint32_t dwLength;  /* whole container, this head and the end item included */
  uint16_t wCount;    /* items, the end item included */
  uint16_t wReserved;
} SEAL_ENCDATA_HEADER_V6;

/* Common head of every item. */
typedef struct SEAL_ITEM_V6 {
  uint32_t dwLength;    /* whole item, head included */
  uint32_t dwID;        /* unique in the container; 0 and 1 never assigned */
  uint32_t dwParentID;  /* 1: the root */
  uint16_t wType;
} SEAL_ITEM_V6;

/* Type 1: the seal record. The picture follows the 296 fixed bytes: a
 * palette of 2^bits (red, green, blue) entries for 1..8 bits per pixel,
 * then bottom-up rows padded to 4 bytes. */
typedef struct SEAL_DATA_V6 {
  SEAL_ITEM_V6 head;
  uint16_t wSealKind;       /* 0x200 official, 0x100 personal */
  uint32_t dwValidStart;    /* day number, 0: no start limit */
  uint32_t dwValidEnd;      /* day number, inclusive, 0: no end limit */
  uint8_t bFree1;
  uint8_t bFree2;
  uint8_t bV7Version;       /* version of the standard seal it came from */
  uint8_t bBitCount;        /* bits per pixel of the picture */
  char cSealID[64];
  char cSealName[64];
  char cText3[64];
  char cMaker[64];
  uint32_t dwValue;         /* set by the creator; 1 for standard seals */
  uint16_t wDispWidth;      /* at 96 dpi */
  uint16_t wDispHeight;
  uint16_t wWidth;          /* picture pixels */
  uint16_t wHeight;
} SEAL_DATA_V6;

/* Type 2 (certificate) and type 4 (stamp): one 16-bit value, then bytes
 * carried as they are. */
typedef struct SEAL_CERT_DATA_V6 {
  SEAL_ITEM_V6 head;
  uint16_t wValue;
} SEAL_CERT_DATA_V6;
typedef SEAL_CERT_DATA_V6 SEAL_STAMP_DATA_V6;

/* Type 3: user; the zero-terminated user name starts at offset 24. */
typedef struct SEAL_USER_DATA_V6 {
  SEAL_ITEM_V6 head;
  uint16_t wReserved;
  uint32_t dwValue1;
  uint32_t dwValue2;
} SEAL_USER_DATA_V6;

/* Type 5: department control list; wCount entries from offset 20, each
 * 16-bit value, 16-bit operation bits, one byte, length L, L name bytes. */
typedef struct SEAL_DEPT_CTRL_V6 {
  SEAL_ITEM_V6 head;
  uint16_t wCount;
  uint32_t dwValue;
} SEAL_DEPT_CTRL_V6;

/* Type 10: anti-counterfeit data. */
typedef struct SEAL_FANGWEI_DATA_V6 {
  SEAL_ITEM_V6 head;
  uint16_t wValue1;
  uint16_t wValue2;
  uint16_t wReserved;
  uint16_t wValues[6];
} SEAL_FANGWEI_DATA_V6;

/* Type 11: tag data. */
typedef struct TAG_DATA_V6 {
  SEAL_ITEM_V6 head;
  uint16_t wValue1;
  uint16_t wValue2;
  uint16_t wValue3;
  uint16_t wValue4;
  uint16_t wValue5;
  uint32_t dwValue;
} TAG_DATA_V6;

/* Type 90: access settings. */
typedef struct SEAL_ACCESS_SETTING_V6 {
  SEAL_ITEM_V6 head;
  uint16_t wAccessFlags;
  uint8_t bPwdMD5[16];
  uint8_t bReserved[16];
  uint32_t dwCheck;
  uint32_t dwValue;
} SEAL_ACCESS_SETTING_V6;

/* Types 100 and 103..125: a reference to another item. */
typedef struct SIGN_DATA_V6 {
  SEAL_ITEM_V6 head;
  uint16_t wValue;
  uint32_t dwRefID;
} SIGN_DATA_V6;
typedef SIGN_DATA_V6 SEAL_REF_ITEM_V6;

/* Types 101 (certificate control) and 102 (user control). */
typedef struct CERT_CTRL_SETTING_V6 {
  SEAL_ITEM_V6 head;
  uint16_t wValue;
  uint32_t dwRefID;
  uint16_t wOperation;
  uint16_t wValue2;
} CERT_CTRL_SETTING_V6;
typedef CERT_CTRL_SETTING_V6 USER_CTRL_SETTING_V6;

#pragma pack(pop)

/* Magic numbers as 32-bit little-endian values. */
#define SEAL_MAGIC_PACK 0x4C534345u /* "ECSL" */
#define SEAL_MAGIC_V6 0x5345414Cu   /* "LAES" */

#define SEAL_FILE_HEADER_SIZE 44
#define SEAL_ENCDATA_HEADER_SIZE 8
#define SEAL_ITEM_HEAD_SIZE 14
#define SEAL_DATA_FIXED_SIZE 296
#define SEAL_EMPTY_CONTAINER_SIZE 22

/* Item types. */
#define SEAL_ITEM_SEAL 1
#define SEAL_ITEM_CERT 2
#define SEAL_ITEM_USER 3
#define SEAL_ITEM_STAMP 4
#define SEAL_ITEM_DEPT_CTRL 5
#define SEAL_ITEM_FANGWEI 10
#define SEAL_ITEM_TAG 11
#define SEAL_ITEM_ACCESS 90
#define SEAL_ITEM_SETTINGS_LAST 99
#define SEAL_ITEM_SIGN 100
#define SEAL_ITEM_CERT_CTRL 101
#define SEAL_ITEM_USER_CTRL 102
#define SEAL_ITEM_REF_LAST 125
#define SEAL_ITEM_END 127

#define SEAL_ROOT_ID 1

/* Seal kinds. */
#define SEAL_KIND_PERSONAL 0x100
#define SEAL_KIND_OFFICIAL 0x200

OESQX_EXTERN_C_BEGIN

/* Pack seal files when they are saved (non-zero: on). */
OESQX_API extern unsigned char g_blEncSeal;
/* Next identifier for a record made from a standard seal; starts at 1. */
OESQX_API extern unsigned int g_nCurrSealIndex;
/* The password of the last password-protected seal file that loaded. */
OESQX_API extern char g_cPwd[32];

OESQX_EXTERN_C_END

#ifdef __cplusplus
static_assert(sizeof(SEAL_FILE_HEADER_V6) == 44, "V6 file head");
static_assert(sizeof(SEAL_ENCDATA_HEADER_V6) == 8, "container head");
static_assert(sizeof(SEAL_ITEM_V6) == 14, "item head");
static_assert(sizeof(SEAL_DATA_V6) == 296, "seal record");
static_assert(sizeof(SEAL_ACCESS_SETTING_V6) == 56, "access setting");
static_assert(sizeof(SEAL_FANGWEI_DATA_V6) == 32, "fangwei data");
static_assert(sizeof(TAG_DATA_V6) == 28, "tag data");
static_assert(sizeof(CERT_CTRL_SETTING_V6) == 24, "control setting");
#endif

#endif
