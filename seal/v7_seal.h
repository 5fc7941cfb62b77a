// Standard (V7) seals: one DER-encoded seal in memory (SES_SEAL_S), its
// reader and writer, and the object identifier text conversions.
//
// Encoded form read: SEQUENCE { seal information, then the signature value
// (version 3), or the signature part as one SEQUENCE or as elements directly
// in the seal (other versions) }. Lengths in the short form or the long form
// with one to three bytes. Texts in the record are zero-terminated and kept
// as encoded (UTF-8 for the name).
#ifndef OESQX_SEAL_V7_SEAL_H
#define OESQX_SEAL_V7_SEAL_H

#include <cstdint>

#include "common/export.h"
#include "seal/clist.h"
#include "seal/seal_types.h"

inline constexpr int kV7MaxCert = 16384;
inline constexpr int kV7MaxPicture = 131072;
inline constexpr int kV7MinPicture = 17;
inline constexpr int kV7MaxSignature = 1024;

// One holder certificate of the certificate list.
struct SES_CERT_S {
  int nLen = 0;
  unsigned char bData[kV7MaxCert] = {};
};

struct SES_SEAL_S {
  SES_SEAL_S() = default;
  ~SES_SEAL_S();
  SES_SEAL_S(const SES_SEAL_S&) = delete;
  SES_SEAL_S& operator=(const SES_SEAL_S&) = delete;
  // Frees everything owned and clears every field.
  void Reset();

  char cHeaderID[3] = {};  // "ES"
  int nVersion = 0;
  char cVID[64] = {};  // vendor identifier
  char cEsID[64] = {};  // seal identifier
  int nSealType = 0;  // 2: personal seal
  char cSealName[256] = {};
  CList<SES_CERT_S*> oCertList;  // holder certificates (owned)
  // Encoded certificate list (from the list type for version 4), kept for
  // writing back; malloc'd.
  unsigned char* pCertListData = nullptr;
  int nCertListDataLen = 0;
  char cCreateDate[20] = {};
  char cValidStart[20] = {};
  char cValidEnd[20] = {};
  char cPicType[16] = {};
  unsigned char bPicData[kV7MaxPicture] = {};
  int nPicDataLen = 0;
  int nPicWidth = 0;  // millimetres
  int nPicHeight = 0;
  // Encoded extension element(s), malloc'd.
  unsigned char* pExtData = nullptr;
  int nExtDataLen = 0;
  unsigned char bMakerCert[kV7MaxCert] = {};
  int nMakerCertLen = 0;
  char cAlgo[40] = {};  // dotted object identifier
  unsigned char bSign[kV7MaxSignature] = {};
  int nSignLen = 0;
  // Content lengths of the last write: seal information, header,
  // properties, picture, signature part.
  int nSealInfoLen = 0, nHeaderLen = 0, nPropertyLen = 0, nPictureLen = 0, nSignPartLen = 0;
  // The seal record made from this seal, and a copy of the seal's own
  // encoded bytes; both malloc'd and owned.
  SEAL_DATA_V6* pSealData = nullptr;
  unsigned char* pSealBytes = nullptr;
  int nSealBytesLen = 0;
};

extern "C" {
// Reads one seal from `data`. On entry `length` is the number of bytes
// available; on success it becomes the number the seal occupies. 0 on
// failure; 1 or 2 on success (2: a GeneralizedTime date, the signature part
// written directly in the seal, or no signature value).
OESQX_API int LoadV7SealData(unsigned char* data, int& length, SES_SEAL_S* seal);
// Writes the whole seal (`whole`) or the part its maker signs into a new
// malloc buffer at *out; returns its length (0 on failure).
OESQX_API int SaveV7SealData(unsigned char** out, SES_SEAL_S* seal, bool whole);

// Object identifier content bytes to dotted text; `text` receives at most
// 39 characters and a terminator (40 bytes), ending at the last whole
// number that fits. Always true.
OESQX_API bool ConvertAlgoDataToStr(unsigned char* data, int length, char* text);
// Dotted text to content bytes, written at `out`, which is advanced past
// them; `out` needs room for strlen(text) bytes. False, with nothing
// written, when the text has no ".".
OESQX_API bool ConvertAlgoStrToData(const char* text, unsigned char*& out);
}

namespace oesqx::v7 {

// Layout written for each version: versions above 4 are written like 4.
enum class Layout { kBelow3, kVersion3, kVersion4 };
Layout LayoutOf(int version);

}  // namespace oesqx::v7

#endif
