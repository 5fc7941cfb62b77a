// A writer of web seal data for the tests and benchmarks (the component
// itself only reads it): binary control records, control data enciphered
// under the built-in web seal key with any key factor, store data around
// them, text-form blocks in the writers' field order, and small V6, V4 and
// stroke files to carry as seal data.
#ifndef OESQX_TESTS_WEBSEAL_WRITER_H
#define OESQX_TESTS_WEBSEAL_WRITER_H

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/base64.h"
#include "common/byte_reader.h"
#include "common/compress.h"
#include "crypto/builtin_keys.h"
#include "crypto/des.h"
#include "crypto/digest.h"
#include "image/qx_image.h"
#include "seal/seal_operator.h"
#include "webseal/record_flags.h"
#include "webseal/web_obj.h"

namespace oesqx::test::webseal {

using Bytes = std::vector<uint8_t>;

using namespace ::oesqx::webseal::record;
inline constexpr uint16_t kAllSkipped = kSkip20 | kSkip16a | kSkip16b | kSkip4 | kSkip64;

// One binary control record. Flags for the parts given below (position,
// seal key, scale, strings, field entries) are set by the writer; `flags`
// adds others (handwriting, strokes, kind, skipped parts, no seal data).
struct Record {
  uint16_t flags = 0;
  uint32_t seal_time = 0;
  uint32_t second_time = 0;
  Bytes form_digest = Bytes(20, 0);
  std::string user_id;  // local code page
  bool has_position = false;
  int32_t x = 0, y = 0;
  bool has_seal_key = false;
  Bytes seal_key = Bytes(16, 0);
  std::vector<std::string> strings;  // bit 7 when not empty
  uint16_t field_entries = 0;        // bit 5 when not 0
  Bytes signature, certificate, seal_data;
  bool has_scale = false;
  int32_t scale = 100;
};

inline void PutFiller(ByteWriter* w, size_t n, uint8_t v) {
  for (size_t i = 0; i < n; ++i) w->PutU8(static_cast<uint8_t>(v + i));
}

// Recomputes the length and MD5 of record bytes (changed by a test).
inline void SealRecord(Bytes* rec) {
  const uint32_t len = static_cast<uint32_t>(rec->size());
  for (int i = 0; i < 4; ++i) (*rec)[i] = static_cast<uint8_t>(len >> (8 * i));
  GenerateMD5(rec->data() + 4, rec->data() + 20, len - 20);
}

inline uint16_t RecordFlags(const Record& r) {
  uint16_t f = r.flags;
  if (r.has_position) f |= kPosition;
  if (r.has_seal_key) f |= kSealKey;
  if (r.has_scale) f |= kScale;
  if (!r.strings.empty()) f |= kStringList;
  if (r.field_entries != 0) f |= kFieldEntries;
  return f;
}

inline Bytes RecordBytes(const Record& r) {
  Bytes out;
  ByteWriter w(&out);
  const uint16_t flags = RecordFlags(r);
  w.PutU32(0);
  w.PutZeros(16);
  w.PutU16(0);
  w.PutU16(flags);
  w.PutU16(static_cast<uint16_t>(r.signature.size()));
  w.PutU16(static_cast<uint16_t>(r.certificate.size()));
  w.PutU16(static_cast<uint16_t>(r.seal_data.size()));  // low 16 bits
  w.PutU16(r.field_entries);
  w.PutU32(r.seal_time);
  w.PutU32(r.second_time);
  w.PutBytes(r.form_digest.data(), 20);
  char user[64] = {};
  std::strncpy(user, r.user_id.c_str(), 63);
  w.PutBytes(user, 64);
  if (flags & kPosition) {
    w.PutU32(static_cast<uint32_t>(r.x));
    w.PutU32(static_cast<uint32_t>(r.y));
  }
  if (flags & kSkip20) PutFiller(&w, 20, 0xA0);
  if (flags & kSkip16a) PutFiller(&w, 16, 0xB0);
  if (flags & kSealKey) w.PutBytes(r.seal_key.data(), 16);
  if (flags & kSkip16b) PutFiller(&w, 16, 0xC0);
  if (flags & kStringList) {
    uint32_t total = 0;
    for (const std::string& s : r.strings) total += static_cast<uint32_t>(s.size() + 1);
    w.PutU32(static_cast<uint32_t>(r.strings.size()));
    w.PutU32(total);
    for (const std::string& s : r.strings) w.PutBytes(s.c_str(), s.size() + 1);
  }
  if (flags & kFieldEntries) PutFiller(&w, size_t{64} * r.field_entries, 0x10);
  w.PutBytes(r.signature.data(), r.signature.size());
  w.PutBytes(r.certificate.data(), r.certificate.size());
  w.PutBytes(r.seal_data.data(), r.seal_data.size());
  if (flags & kScale) w.PutU32(static_cast<uint32_t>(r.scale));
  if (flags & kSkip4) PutFiller(&w, 4, 0xD0);
  if (flags & kSkip64) PutFiller(&w, 64, 0x40);
  SealRecord(&out);
  return out;
}

// Control data: the 28-byte head, then the gzip block of `record`
// enciphered under the web seal key times `key_factor`. `outer_flags`:
// bit 0 sign mode 1, bit 1 sign mode 2, bit 2 Unicode text. The 16 bytes
// at offset 4 get the MD5 of the enciphered body.
inline Bytes ControlData(const Bytes& record, uint16_t key_factor, uint32_t outer_flags,
                         uint16_t version = 1) {
  unsigned char* gz = nullptr;
  int gz_len = 0;
  CompressEncode(record.data(), static_cast<int>(record.size()), &gz, &gz_len);
  uint8_t key[16];
  builtin_keys::FactorKey(builtin_keys::kWebSealKey, static_cast<uint8_t>(key_factor), key);
  EncDataNoAlloc(gz, gz_len, key, 16, false);
  Bytes out;
  ByteWriter w(&out);
  w.PutU32(static_cast<uint32_t>(28 + gz_len));
  w.PutZeros(16);
  w.PutU16(version);
  w.PutU16(key_factor);
  w.PutU32(outer_flags);
  w.PutBytes(gz, static_cast<size_t>(gz_len));
  std::free(gz);
  GenerateMD5(out.data() + 4, out.data() + 28, static_cast<unsigned>(gz_len));
  return out;
}

struct Entry {
  std::string name;
  std::string position;
  Bytes data;
};

// Recomputes the MD5 of store bytes (changed by a test).
inline void SealStore(Bytes* store) {
  ByteReader r(*store);
  uint32_t total = 0;
  r.ReadU32(&total);
  GenerateMD5(store->data() + 4, store->data() + 20, total - 20);
}

// Decoded store data: the head with length and MD5, then the entries.
inline Bytes StoreBytes(const std::vector<Entry>& entries) {
  Bytes out;
  ByteWriter w(&out);
  w.PutU32(0);
  w.PutZeros(16);
  w.PutU16(1);
  w.PutU16(static_cast<uint16_t>(entries.size()));
  PutFiller(&w, 28, 0x60);
  for (const Entry& e : entries) {
    char pos[64] = {}, name[64] = {};
    std::memcpy(pos, e.position.data(), std::min<size_t>(64, e.position.size()));
    std::memcpy(name, e.name.data(), std::min<size_t>(64, e.name.size()));
    w.PutU32(static_cast<uint32_t>(132 + e.data.size()));
    w.PutBytes(pos, 64);
    w.PutBytes(name, 64);
    w.PutBytes(e.data.data(), e.data.size());
  }
  const uint32_t total = static_cast<uint32_t>(out.size());
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(total >> (8 * i));
  SealStore(&out);
  return out;
}

inline std::string Base64(const Bytes& data) {
  CBase64Coder coder;
  coder.Encode(data.data(), static_cast<unsigned>(data.size()));
  return std::string(reinterpret_cast<const char*>(coder.EncodedMessage()), coder.EncodedMessageSize());
}

// One text-form block with the fields in the writers' order; an empty
// certificate, signature or seal data leaves its field out.
struct TextBlock {
  std::string cert_id = "0A1B";
  int x = 0, y = 0;
  std::string user_id;
  Bytes form_digest = Bytes(20, 0);
  Bytes signature;
  int sign_mode = 0;
  Bytes certificate;
  Bytes seal_data;
  std::string seal_time = "20240102030405";
  std::string seal_name;
  std::string seal_position;
  std::string extra;  // more "key:value;" fields, placed before seal_name
};

inline std::string TextBlockString(const TextBlock& b) {
  std::string s = "WebSignDataBegin::cert_id:" + b.cert_id + ";seal_x:" + std::to_string(b.x) +
                  ";seal_y:" + std::to_string(b.y) + ";user_id:" + b.user_id +
                  ";oriData_sha1:" + Base64(b.form_digest) + ";signRes:" + Base64(b.signature) +
                  ";signMode:" + std::to_string(b.sign_mode) + ";";
  if (!b.certificate.empty()) s += "cert_content:" + Base64(b.certificate) + ";";
  if (!b.seal_data.empty()) s += "seal_data:" + Base64(b.seal_data) + ";";
  s += "seal_time:" + b.seal_time + ";" + b.extra;
  s += "seal_name:" + b.seal_name + ";seal_position:" + b.seal_position + ";::WebSignDataEnd;";
  return s;
}

// Stroke data: one stroke per entry, points {width, x, y}.
struct Stroke {
  uint32_t color;
  std::vector<std::array<uint16_t, 3>> points;
};

inline Bytes StrokeBytes(uint16_t left, uint16_t top, uint16_t right, uint16_t bottom,
                         const std::vector<Stroke>& strokes) {
  Bytes out;
  ByteWriter w(&out);
  for (uint16_t v : {left, top, right, bottom, static_cast<uint16_t>(strokes.size()), uint16_t{0}}) {
    w.PutU16(v);
  }
  for (const Stroke& s : strokes) {
    w.PutU32(s.color);
    w.PutU16(static_cast<uint16_t>(s.points.size()));
    w.PutU16(static_cast<uint16_t>(8 + 6 * s.points.size()));
    for (const auto& p : s.points) {
      for (uint16_t v : p) w.PutU16(v);
    }
  }
  return out;
}

// 24-bit bottom-up rows of a red ring on white.
inline Bytes RingRows(int width, int height) {
  const size_t stride = ((24 * width + 31) / 32) * 4;
  Bytes rows(stride * height, 255);
  const int cx = width / 2, cy = height / 2, r = std::min(width, height) / 2 - 1;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
      if (d2 <= r * r && d2 >= (r - 3) * (r - 3)) {
        uint8_t* p = &rows[y * stride + x * 3];
        p[0] = 0;
        p[1] = 0;
        p[2] = 230;
      }
    }
  }
  return rows;
}

// A V6 seal file with a ring picture and the given identifier and name.
inline Bytes MakeV6Seal(int width, int height, const std::string& id, const std::string& name) {
  QxImage picture(width, height, 24);
  const Bytes rows = RingRows(width, height);
  for (int y = 0; y < height; ++y) {
    std::memcpy(picture.GetBits(y), &rows[y * picture.GetEffWidth()], picture.GetEffWidth());
  }
  CSealOperator op;
  if (op.CreateNewSeal(2, id.c_str(), name.c_str(), "", "oesqx tests", 1234, 0, 0, 24, &picture,
                       false, false, 0, 0, 0) == nullptr) {
    return {};
  }
  unsigned char* out = nullptr;
  const int len = op.SaveData(&out);
  Bytes file(out, out + (len > 0 ? len : 0));
  std::free(out);
  return file;
}

// A V4 seal file (version 4, 24 bits per pixel, ring picture) enciphered
// under the V4 key times `key_factor`, or under `seal_key` with factor 0.
inline Bytes MakeV4Seal(int width, int height, const std::string& id, const std::string& name,
                        uint8_t key_factor, const Bytes& seal_key = {}) {
  const Bytes rows = RingRows(width, height);
  unsigned char* gz = nullptr;
  int gz_len = 0;
  CompressEncode(rows.data(), static_cast<int>(rows.size()), &gz, &gz_len);
  uint8_t key[16];
  if (key_factor != 0) {
    builtin_keys::FactorKey(builtin_keys::kSealV4Key, key_factor, key);
  } else {
    std::memcpy(key, seal_key.data(), 16);
  }
  EncDataNoAlloc(gz, gz_len, key, 16, false);
  Bytes out;
  ByteWriter w(&out);
  w.PutBytes("LAES", 4);
  w.PutU32(0);
  w.PutZeros(16);
  w.PutU16(4);
  w.PutU16(0);
  w.PutU8(key_factor);
  w.PutZeros(3);
  w.PutU32(0);
  w.PutU32(static_cast<uint32_t>(rows.size()));
  w.PutU16(static_cast<uint16_t>(width));
  w.PutU16(static_cast<uint16_t>(height));
  w.PutU16(static_cast<uint16_t>(width));
  w.PutU16(static_cast<uint16_t>(height));
  w.PutU8(24);
  w.PutU8(static_cast<uint8_t>(id.size()));
  w.PutU8(static_cast<uint8_t>(name.size()));
  w.PutU8(0);
  w.PutU8(0);
  w.PutBytes(id.data(), id.size());
  w.PutBytes(name.data(), name.size());
  w.PutBytes(gz, static_cast<size_t>(gz_len));
  std::free(gz);
  const uint32_t total = static_cast<uint32_t>(out.size());
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(total >> (8 * i));
  GenerateMD5(out.data() + 8, out.data() + 24, total - 24);
  return out;
}

// A copy of a decoded field (empty for a null pointer).
inline Bytes Copy(const unsigned char* p, uint32_t n) { return p == nullptr ? Bytes() : Bytes(p, p + n); }

// A decoded web seal set that releases its controls.
struct Set {
  WEB_OBJ obj;
  ~Set() { FreeWebSealObj(&obj, 0); }
  WEB_CTRL_INFO* At(int index) {
    POSITION pos = obj.m_lstCtrl.GetHeadPosition();
    for (int i = 0; pos != nullptr; ++i) {
      WEB_CTRL_INFO* c = obj.m_lstCtrl.GetNext(pos);
      if (i == index) return c;
    }
    return nullptr;
  }
  int Count() const { return obj.m_lstCtrl.GetCount(); }
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (POSITION pos = obj.m_lstCtrl.GetHeadPosition(); pos != nullptr;) {
      out.push_back(obj.m_lstCtrl.GetNext(pos)->m_cName);
    }
    return out;
  }
};

}  // namespace oesqx::test::webseal

#endif
