#include "seal/seal_pack.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "common/byte_reader.h"
#include "common/compress.h"
#include "seal/container.h"
#include "seal/seal_types.h"

namespace oesqx::seal {

bool UnpackSealFile(const uint8_t* data, size_t len, std::vector<uint8_t>* content) {
  if (data == nullptr || len <= 16 || len > INT_MAX) return false;
  ByteReader r(data, len);
  uint32_t magic, gzip_len, content_len;
  if (!r.ReadU32(&magic) || !r.ReadU32(&gzip_len) || !r.ReadU32(&content_len)) return false;
  if (magic != SEAL_MAGIC_PACK) return false;
  // G > 4 and G < len - 11 keep the block inside the data.
  if (gzip_len <= 4 || gzip_len >= len - 11) return false;
  if (static_cast<int32_t>(content_len) <= 0) return false;
  const uint8_t* block;
  if (!r.ReadBytes(gzip_len, &block)) return false;
  unsigned char* out = nullptr;
  int out_len = 0;
  CompressDecode(block, static_cast<int>(gzip_len), &out, &out_len);
  MallocPtr owner(out);
  if (out == nullptr || out_len <= 0 || static_cast<uint32_t>(out_len) != content_len) return false;
  content->assign(out, out + out_len);
  return true;
}

int PackSealFile(const uint8_t* data, size_t len, unsigned char** out) {
  *out = nullptr;
  if (len > INT_MAX - 64) return 0;
  unsigned char* gz = nullptr;
  int gz_len = 0;
  CompressEncode(data, static_cast<int>(len), &gz, &gz_len);
  MallocPtr owner(gz);
  if (gz == nullptr || gz_len <= 0 || gz_len > INT_MAX - 12) return 0;
  auto* packed = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(gz_len) + 12));
  if (packed == nullptr) return 0;
  std::vector<uint8_t> head;
  ByteWriter w(&head);
  w.PutU32(SEAL_MAGIC_PACK);
  w.PutU32(static_cast<uint32_t>(gz_len));
  w.PutU32(static_cast<uint32_t>(len));
  std::memcpy(packed, head.data(), 12);
  std::memcpy(packed + 12, gz, static_cast<size_t>(gz_len));
  *out = packed;
  return gz_len + 12;
}

int FinishSealFile(unsigned char* file, int len, unsigned char** out) {
  *out = nullptr;
  if (file == nullptr || len <= 0) {
    std::free(file);
    return 0;
  }
  if (g_blEncSeal == 0) {
    *out = file;
    return len;
  }
  const int packed = PackSealFile(file, static_cast<size_t>(len), out);
  std::free(file);
  return packed;
}

}  // namespace oesqx::seal
