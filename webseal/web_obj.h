// Web seal sets and controls, and the functions that split page data into
// controls, name them, decode one control and release them. (C++ callers
// only: a set holds a CList.)
//
// Ownership: every buffer a control points to (raw data, seal data,
// certificate, signature) is malloc'd and owned by the control; the pen note
// is owned too. Controls are made by the splitting functions and destroyed
// by FreeWebSealObj.
#ifndef OESQX_WEBSEAL_WEB_OBJ_H
#define OESQX_WEBSEAL_WEB_OBJ_H

#include <cstdint>

#include "common/export.h"
#include "seal/clist.h"

namespace oesqx {
class CPenNote;
}

// One web seal control: one stamp of the page data. Zeroed when created.
struct WEB_CTRL_INFO {
  uint8_t m_blLoaded;         // decoded once; a second decode does nothing
  char m_cName[64];           // unique within the set
  char m_cName2[64];          // second name, unique within the set
  char m_cPosition[64];       // field or tag name where the stamp sits
  unsigned char* m_pRawData;  // this control's part of the page data
  uint32_t m_nRawLen;
  uint8_t m_blVerified;       // 1 until the form digest is found not to match
  uint8_t m_bFormDigest[20];  // SHA-1 of the signed form data
  char m_cUserId[64];         // UTF-8
  uint32_t m_nSecondTime;     // seconds since 1970
  uint32_t m_nSealTime;       // seconds since 1970
  uint8_t m_blKind;           // kind flag (text form, or record flag bit 11)
  uint8_t m_blDigestApplies;  // the form digest check applies
  uint8_t m_blHandwriting;
  uint8_t m_blHasStrokes;
  uint8_t m_blUnicode;        // texts in Unicode
  oesqx::CPenNote* m_pPenNote;
  int32_t m_nX;
  int32_t m_nY;
  int32_t m_nPicWidth;        // handwriting canvas, or seal picture once drawn
  int32_t m_nPicHeight;
  int32_t m_nScale;           // percent; 100 when the data gives none
  unsigned char* m_pSealData; // V6/V4 seal file, or handwriting data
  uint32_t m_nSealLen;
  uint8_t m_blHasSealKey;
  uint8_t m_bSealKey[16];     // for the V4 reader
  char m_cSealId[64];         // UTF-8, filled when the picture is produced
  char m_cSealName[64];
  uint32_t m_nCertLen;
  unsigned char* m_pCert;     // DER
  uint32_t m_nSignLen;
  unsigned char* m_pSign;
  int32_t m_nSignMode;        // 0, 1 or 2
  uint8_t m_blPresent[5];     // record flag bits 2, 4, 6, 9, 12 (binary form)
};

static_assert(sizeof(void*) != 8 || sizeof(WEB_CTRL_INFO) == 560, "control record layout");

// One set of web seals opened from one page's data.
struct WEB_OBJ {
  CList<WEB_CTRL_INFO*> m_lstCtrl;  // in the order found in the data
  uint32_t m_nReserved = 0;
  char m_cSealPwd[64] = {};         // opens password-protected seal data
};

// Result of DecodeStoreData for data that fails its checks.
inline constexpr int kWebStoreDataBad = -120;

OESQX_EXTERN_C_BEGIN

// Splits Base64 store data into controls appended to `obj` (entries whose
// name is already in the set are skipped). The number of controls in the
// set, or -120 when the data fails its checks (the set is then unchanged).
OESQX_API int DecodeStoreData(const char* text, WEB_OBJ* obj);

// Splits the text form ("WebSignDataBegin::" ... ";::WebSignDataEnd"
// blocks) into controls appended to `obj`. The number of controls in the set.
OESQX_API int DecodeSimpleData(const char* text, WEB_OBJ* obj);

// Makes a name and a second name (64 bytes each) unique within `obj`, from
// `proposed` (cut to 51 bytes) or "WSign" plus a random number. The last
// three arguments are not used. Always 0.
OESQX_API int GenerateSealName(WEB_OBJ* obj, const char* proposed, char* name, char* name2,
                               void* unused1, void* unused2, void* unused3);

// Decodes one control once. `seal_pwd` (64 bytes, may be null) may receive
// a password carried by the data; `form_data` (Base64, may be null) is
// checked against the control's form digest. 1 on success or when already
// decoded; 0 for a null control or one without data; -1 bad control head,
// -3 deciphering failed, -4 decompression failed, -5 record length wrong or
// a part running past the record, -6 record digest mismatch, -100
// handwriting that cannot be loaded.
OESQX_API int SubLoadWebSeal(WEB_CTRL_INFO* ctrl, char* seal_pwd, const char* form_data);

// Releases the controls of `obj`: all of them (index 0) or the one at the
// 1-based `index`. Clears the set's password. Returns `obj`.
OESQX_API WEB_OBJ* FreeWebSealObj(WEB_OBJ* obj, int index);

OESQX_EXTERN_C_END

#endif
