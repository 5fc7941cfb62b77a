// Builders of seal data for the seal tests: raw items and containers, and
// writers of V6 and V4 files that use zlib and OpenSSL directly (not the
// library's own save path), so that crafted and damaged containers can be
// wrapped in a file that passes the outer layers.
#ifndef OESQX_TESTS_SEAL_FIXTURES_H
#define OESQX_TESTS_SEAL_FIXTURES_H

#include <openssl/evp.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "crypto/builtin_keys.h"
#include "crypto/des.h"
#include "image/dib.h"
#include "image/qx_image.h"
#include "seal/seal_types.h"
#include "test_support.h"
#include "tools/oesqx/sample_picture.h"

namespace oesqx::test {

inline void PutU16(Bytes* b, size_t off, uint16_t v) {
  if (b->size() < off + 2) b->resize(off + 2);
  (*b)[off] = static_cast<uint8_t>(v);
  (*b)[off + 1] = static_cast<uint8_t>(v >> 8);
}
inline void PutU32(Bytes* b, size_t off, uint32_t v) {
  if (b->size() < off + 4) b->resize(off + 4);
  for (int i = 0; i < 4; ++i) (*b)[off + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline uint32_t GetU32(const Bytes& b, size_t off) {
  return b[off] | b[off + 1] << 8 | b[off + 2] << 16 | static_cast<uint32_t>(b[off + 3]) << 24;
}
inline uint16_t GetU16(const Bytes& b, size_t off) {
  return static_cast<uint16_t>(b[off] | b[off + 1] << 8);
}

// An item of `len` bytes (zero body) with the given head fields.
inline Bytes Item(uint32_t id, uint32_t parent, uint16_t type, size_t len) {
  Bytes b(len, 0);
  PutU32(&b, 0, static_cast<uint32_t>(len));
  PutU32(&b, 4, id);
  PutU32(&b, 8, parent);
  PutU16(&b, 12, type);
  b.resize(len);
  return b;
}

// A reference item (types 100..125) naming `ref`.
inline Bytes RefItem(uint32_t id, uint32_t parent, uint16_t type, uint32_t ref) {
  Bytes b = Item(id, parent, type, 24);
  PutU32(&b, 16, ref);
  return b;
}

// A seal record: 296 fixed bytes, the palette (RGB triples) and the rows.
inline Bytes Record(uint32_t id, uint8_t bits, uint16_t w, uint16_t h, const Bytes& picture,
                    const char* seal_id = "ID", const char* name = "NAME") {
  Bytes b = Item(id, SEAL_ROOT_ID, SEAL_ITEM_SEAL, SEAL_DATA_FIXED_SIZE);
  b[27] = bits;
  std::strncpy(reinterpret_cast<char*>(b.data() + 28), seal_id, 63);
  std::strncpy(reinterpret_cast<char*>(b.data() + 92), name, 63);
  PutU16(&b, 288, w);
  PutU16(&b, 290, h);
  PutU16(&b, 292, w);
  PutU16(&b, 294, h);
  b.resize(SEAL_DATA_FIXED_SIZE + picture.size());
  if (!picture.empty()) std::memcpy(b.data() + SEAL_DATA_FIXED_SIZE, picture.data(), picture.size());
  PutU32(&b, 0, static_cast<uint32_t>(b.size()));
  return b;
}

// Container head + items + (optionally) the end item.
inline Bytes Container(const std::vector<Bytes>& items, bool with_end = true) {
  Bytes b(8, 0);
  for (const Bytes& it : items) b.insert(b.end(), it.begin(), it.end());
  if (with_end) {
    const Bytes end = Item(0, 0, SEAL_ITEM_END, SEAL_ITEM_HEAD_SIZE);
    b.insert(b.end(), end.begin(), end.end());
  }
  PutU32(&b, 0, static_cast<uint32_t>(b.size()));
  PutU16(&b, 4, static_cast<uint16_t>(items.size() + (with_end ? 1 : 0)));
  return b;
}

// One gzip member of `data`, by zlib.
inline Bytes Gzip(const Bytes& data) {
  z_stream z{};
  deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&z, data.size()) + 32);
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

inline void Md5(const uint8_t* data, size_t len, uint8_t out[16]) {
  unsigned int n = 16;
  EVP_Digest(data, len, out, &n, EVP_md5(), nullptr);
}

// The key of a file: a factor of `base`, or the MD5 of the password.
inline void FileKey(const uint8_t* base, uint8_t factor, const std::string& password,
                    uint8_t key[16]) {
  if (factor != 0) {
    builtin_keys::FactorKey(base, factor, key);
  } else {
    Md5(reinterpret_cast<const uint8_t*>(password.data()), password.size(), key);
  }
}

// A V6 seal file holding `container` as given (any bytes).
inline Bytes WriteV6File(const Bytes& container, uint8_t factor, const std::string& password = "",
                         uint32_t stated_length = 0xFFFFFFFF) {
  Bytes gz = Gzip(container);
  uint8_t key[16];
  FileKey(builtin_keys::kSealContainerKey, factor, password, key);
  if (gz.size() >= 8) EncDataNoAlloc(gz.data(), static_cast<int>(gz.size()), key, 16, false);
  Bytes file(44, 0);
  PutU32(&file, 0, SEAL_MAGIC_V6);
  PutU32(&file, 4, static_cast<uint32_t>(44 + gz.size()));
  PutU16(&file, 24, 6);
  file[28] = factor;
  PutU32(&file, 40, stated_length == 0xFFFFFFFF ? static_cast<uint32_t>(container.size())
                                                 : stated_length);
  file.insert(file.end(), gz.begin(), gz.end());
  Md5(file.data() + 24, file.size() - 24, file.data() + 8);
  return file;
}

// A packed file of `content`, with the content length as stated.
inline Bytes Pack(const Bytes& content, uint32_t stated) {
  Bytes gz = Gzip(content);
  Bytes file(12, 0);
  PutU32(&file, 0, SEAL_MAGIC_PACK);
  PutU32(&file, 4, static_cast<uint32_t>(gz.size()));
  PutU32(&file, 8, stated);
  file.insert(file.end(), gz.begin(), gz.end());
  return file;
}

struct V4Spec {
  uint16_t version = 4;
  uint8_t factor = 7;
  std::string password;         // with factor 0
  const uint8_t* key = nullptr;  // with factor 0: the seal key instead of the password
  uint16_t disp_w = 40, disp_h = 30;
  uint16_t width = 2, height = 2;
  uint8_t bits = 24;
  std::string texts[4] = {"V4-ID", "V4-NAME", "", ""};
  Bytes picture;                // palette + rows, as stored
  int32_t unpacked_delta = 0;   // added to the stated picture length
};

// A V4/V5 seal file as `s` describes it.
inline Bytes WriteV4File(const V4Spec& s) {
  Bytes file(53, 0);
  PutU32(&file, 0, SEAL_MAGIC_V6);
  PutU16(&file, 24, s.version);
  file[28] = s.factor;
  PutU32(&file, 36, static_cast<uint32_t>(static_cast<int64_t>(s.picture.size()) + s.unpacked_delta));
  PutU16(&file, 40, s.disp_w);
  PutU16(&file, 42, s.disp_h);
  PutU16(&file, 44, s.width);
  PutU16(&file, 46, s.height);
  file[48] = s.bits;
  for (int i = 0; i < 4; ++i) {
    file[49 + i] = static_cast<uint8_t>(s.texts[i].size());
  }
  for (int i = 0; i < 4; ++i) file.insert(file.end(), s.texts[i].begin(), s.texts[i].end());
  Bytes gz = Gzip(s.picture);
  uint8_t key[16];
  if (s.factor == 0 && s.key != nullptr) {
    std::memcpy(key, s.key, 16);
  } else {
    FileKey(builtin_keys::kSealV4Key, s.factor, s.password, key);
  }
  EncDataNoAlloc(gz.data(), static_cast<int>(gz.size()), key, 16, false);
  file.insert(file.end(), gz.begin(), gz.end());
  PutU32(&file, 4, static_cast<uint32_t>(file.size()));
  Md5(file.data() + 24, file.size() - 24, file.data() + 8);
  return file;
}

// 24-bit bottom-up rows of w x h filled by fn(x, y) -> {b, g, r}, y from the
// bottom.
template <typename Fn>
Bytes Rows24(uint32_t w, uint32_t h, Fn fn) {
  const uint32_t stride = image::DibStride(w, 24);
  Bytes rows(static_cast<size_t>(stride) * h, 0);
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t x = 0; x < w; ++x) {
      const auto bgr = fn(x, y);
      std::memcpy(rows.data() + y * stride + x * 3, bgr.data(), 3);
    }
  }
  return rows;
}

// A picture from rows of `bpp` bits with an optional palette (BGRA quads).
inline QxImage PictureFromRows(uint32_t w, uint32_t h, uint16_t bpp, const Bytes& rows,
                               const std::vector<RGBQUAD>& palette = {}) {
  std::vector<uint8_t> info(40 + palette.size() * 4 + 4, 0);
  BITMAPINFOHEADER head{};
  head.biSize = 40;
  head.biWidth = static_cast<int32_t>(w);
  head.biHeight = static_cast<int32_t>(h);
  head.biPlanes = 1;
  head.biBitCount = bpp;
  head.biClrUsed = static_cast<uint32_t>(palette.size());
  std::memcpy(info.data(), &head, 40);
  if (!palette.empty()) std::memcpy(info.data() + 40, palette.data(), palette.size() * 4);
  QxImage image;
  image.CreateFromData(reinterpret_cast<const tagBITMAPINFO*>(info.data()),
                       static_cast<unsigned>(info.size()), rows.data(),
                       static_cast<unsigned>(rows.size()));
  return image;
}

// The sample seal picture as a QxImage.
inline QxImage SamplePicture(uint32_t size) {
  const sample::Picture24 p = sample::DrawSealPicture(size);
  return PictureFromRows(p.width, p.height, 24, p.rows);
}

}  // namespace oesqx::test

#endif
