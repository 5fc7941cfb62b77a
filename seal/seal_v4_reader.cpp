// G_ReadSealVer4: the older V4/V5 seal file, read only.
#include <climits>
#include <cstdlib>
#include <cstring>

#include "common/byte_reader.h"
#include "common/compress.h"
#include "common/debuglog.h"
#include "common/encoding.h"
#include "crypto/builtin_keys.h"
#include "crypto/des.h"
#include "crypto/digest.h"
#include "seal/container.h"
#include "seal/seal_bitmap.h"
#include "seal/seal_reader.h"
#include "seal/seal_types.h"

namespace {

namespace dbg = oesqx::dbg;

int Fail(const char* step) {
  dbg::Str(step);
  return 0;
}

// A text of the head (at most 63 bytes kept) from GB2312 to UTF-8.
void TextToUtf8(const uint8_t* text, size_t len, const char* if_empty, char* out) {
  if (out == nullptr) return;
  if (len == 0) {
    std::strcpy(out, if_empty);
    return;
  }
  char buf[64];
  const size_t n = len < 63 ? len : 63;
  std::memcpy(buf, text, n);
  buf[n] = '\0';
  ACPTOUTF8(buf, out, 64);
}

int ReadSealVer4(const unsigned char* data, int length, unsigned char** pixels, char* sealId,
                 char* sealName, int* width, int* height, unsigned int* displayWidth,
                 int* displayHeight, bool useSealKey, const unsigned char* sealKey,
                 const char* password) {
  dbg::Str("V4 S");
  if (data == nullptr) return Fail("V4 E1");
  if (length < 54) return Fail("V4 E2");
  oesqx::ByteReader r(data, static_cast<size_t>(length));
  uint32_t magic, total, unpacked_len;
  uint16_t version, disp_w, disp_h, pic_w, pic_h;
  uint8_t factor, bits, text_len[4];
  r.ReadU32(&magic);
  r.ReadU32(&total);
  r.Seek(24);
  r.ReadU16(&version);
  r.Seek(28);
  r.ReadU8(&factor);
  r.Seek(36);
  r.ReadU32(&unpacked_len);
  r.ReadU16(&disp_w);
  r.ReadU16(&disp_h);
  r.ReadU16(&pic_w);
  r.ReadU16(&pic_h);
  r.ReadU8(&bits);
  r.CopyBytes(4, text_len);
  // The stated length must cover the fixed head and lie inside the data.
  if (total > static_cast<uint32_t>(length) || total < 54 || magic != SEAL_MAGIC_V6 ||
      (version != 4 && version != 5)) {
    return Fail("V4 E2");
  }
  if (unpacked_len <= 16 || unpacked_len > INT_MAX) return Fail("V4 E3");
  uint8_t md5[16];
  GenerateMD5(md5, data + 24, total - 24);
  if (std::memcmp(md5, data + 8, 16) != 0) return Fail("V4 E4");

  uint8_t key[16];
  if (factor != 0) {
    oesqx::builtin_keys::FactorKey(oesqx::builtin_keys::kSealV4Key, factor, key);
    dbg::Str("V4 InterPwd");
  } else if (useSealKey && sealKey != nullptr) {
    std::memcpy(key, sealKey, 16);
    dbg::Data(key, 16);
  } else if (password != nullptr && password[0] != '\0') {
    GenerateMD5(key, reinterpret_cast<const unsigned char*>(password),
                static_cast<unsigned>(std::strlen(password)));
  } else {
    return Fail("V4 E5");
  }

  // Texts, then the enciphered block up to the stated length.
  oesqx::ByteReader body(data, total);
  body.Seek(53);
  const uint8_t* texts[4];
  for (int i = 0; i < 4; ++i) {
    if (!body.ReadBytes(text_len[i], &texts[i])) return Fail("V4 E6");
  }
  const size_t block_len = body.remaining();
  if (block_len == 0) return Fail("V4 E6");
  unsigned char* plain = nullptr;
  int plain_len = 0;
  const int dec = DecData(body.cursor(), static_cast<int>(block_len), key, 16, &plain, &plain_len,
                          false);
  oesqx::seal::MallocPtr plain_owner(plain);
  if (dec != 0 || plain == nullptr) return Fail("V4 E7");
  unsigned char* picture = nullptr;
  int picture_len = 0;
  CompressDecode(plain, plain_len, &picture, &picture_len);
  oesqx::seal::MallocPtr picture_owner(picture);
  if (picture == nullptr || picture_len <= 0) return Fail("V4 E8");
  if (static_cast<uint32_t>(picture_len) != unpacked_len) return Fail("V4 E9");

  unsigned char* rows = oesqx::seal::StoredPictureTo24Bits(
      picture, static_cast<size_t>(picture_len), bits, pic_w, pic_h);
  if (rows == nullptr) return 0;
  if (pixels != nullptr) *pixels = rows; else std::free(rows);
  if (width != nullptr) *width = pic_w;
  if (height != nullptr) *height = pic_h;
  if (displayWidth != nullptr) *displayWidth = disp_w;
  if (displayHeight != nullptr) *displayHeight = disp_h;
  TextToUtf8(texts[0], text_len[0], "0000-0000", sealId);
  TextToUtf8(texts[1], text_len[1], "", sealName);
  dbg::Str("V4 OK");
  return 1;
}

}  // namespace

int G_ReadSealVer4(const unsigned char* data, int length, unsigned char** pixels, char* sealId,
                   char* sealName, int* width, int* height, unsigned int* displayWidth,
                   int* displayHeight, bool useSealKey, const unsigned char* sealKey,
                   const char* password) {
  return ReadSealVer4(data, length, pixels, sealId, sealName, width, height, displayWidth,
                      displayHeight, useSealKey, sealKey, password);
}
