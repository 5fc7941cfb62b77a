// G_ReadSealVer6: the first seal of any data CSealOperator reads, as 24-bit
// rows and UTF-8 texts.
#include <cstdlib>
#include <cstring>

#include "common/debuglog.h"
#include "common/encoding.h"
#include "seal/seal_operator.h"
#include "seal/seal_reader.h"

namespace {

bool ReadSealVer6(const unsigned char* data, int length, unsigned char** pixels, char* sealId,
                  char* sealName, int* width, int* height, unsigned int* displayWidth,
                  int* displayHeight, const char* password) {
  namespace dbg = oesqx::dbg;
  dbg::Str("V6 S");
  if (data == nullptr) {
    dbg::Str("V6 E1");
    return false;
  }
  CSealOperator op;
  if (password != nullptr && password[0] != '\0') op.SetPassword(password);
  if (op.LoadData(data, length) == 0) {
    dbg::Str("V6 E2");
    return false;
  }
  SEAL_DATA_V6* record = op.GetSealData(0, nullptr);
  if (record == nullptr) {
    dbg::Str("V6 E3");
    return false;
  }
  unsigned char* rows = op.GetSealDIB24BitsFromSealData(record, 0);
  if (pixels != nullptr) *pixels = rows; else std::free(rows);
  if (width != nullptr) *width = record->wWidth;
  if (height != nullptr) *height = record->wHeight;
  if (displayWidth != nullptr) *displayWidth = record->wDispWidth;
  if (displayHeight != nullptr) *displayHeight = record->wDispHeight;
  // The record's texts are zero-terminated within their 64 bytes.
  char text[65];
  if (sealId != nullptr) {
    std::memcpy(text, record->cSealID, 64);
    text[64] = '\0';
    if (text[0] == '\0') {
      std::strcpy(sealId, "SealID");
    } else {
      ACPTOUTF8(text, sealId, 64);
    }
  }
  if (sealName != nullptr) {
    std::memcpy(text, record->cSealName, 64);
    text[64] = '\0';
    ACPTOUTF8(text, sealName, 64);
  }
  dbg::Str("V6 OK");
  return true;
}

}  // namespace

bool G_ReadSealVer6(const unsigned char* data, int length, unsigned char** pixels, char* sealId,
                    char* sealName, int* width, int* height, unsigned int* displayWidth,
                    int* displayHeight, const char* password) {
  return ReadSealVer6(data, length, pixels, sealId, sealName, width, height, displayWidth,
                      displayHeight, password);
}
