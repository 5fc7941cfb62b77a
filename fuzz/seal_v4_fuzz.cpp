// G_ReadSealVer4 on V4/V5 seal files. The first byte picks the form: 0 the
// bytes as they are; 1 the rest is a 53-byte head, the texts and a plain
// picture block, and the block is compressed and enciphered with the key of
// the head's factor and the MD5 filled in, so the picture path is reached.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/compress.h"
#include "crypto/builtin_keys.h"
#include "crypto/des.h"
#include "crypto/digest.h"
#include "image/qx_image.h"
#include "seal/seal_reader.h"

namespace {

std::vector<uint8_t> Build(const uint8_t* data, size_t size) {
  if (size < 53) return {};
  std::vector<uint8_t> file(data, data + 53);
  size_t texts = 0;
  for (int i = 49; i < 53; ++i) texts += file[i];
  if (texts > size - 53) return {};
  file.insert(file.end(), data + 53, data + 53 + texts);
  const uint8_t* block = data + 53 + texts;
  const size_t block_len = size - 53 - texts;
  unsigned char* gz = nullptr;
  int n = 0;
  CompressEncode(block, static_cast<int>(block_len), &gz, &n);
  if (gz == nullptr) return {};
  std::vector<uint8_t> enc(gz, gz + n);
  std::free(gz);
  uint8_t key[16];
  file[28] = static_cast<uint8_t>(file[28] | 1);  // a built-in key factor
  oesqx::builtin_keys::FactorKey(oesqx::builtin_keys::kSealV4Key, file[28], key);
  if (enc.size() >= 8) EncDataNoAlloc(enc.data(), static_cast<int>(enc.size()), key, 16, false);
  file.insert(file.end(), enc.begin(), enc.end());
  const uint32_t total = static_cast<uint32_t>(file.size());
  for (int i = 0; i < 4; ++i) file[4 + i] = static_cast<uint8_t>(total >> (8 * i));
  const uint32_t plain = static_cast<uint32_t>(block_len);
  if (file[0] & 1) {  // mostly a matching length, sometimes the stated one
    for (int i = 0; i < 4; ++i) file[36 + i] = static_cast<uint8_t>(plain >> (8 * i));
  }
  std::memcpy(file.data(), "LAES", 4);
  GenerateMD5(file.data() + 8, file.data() + 24, total - 24);
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1u << 16)) return 0;
  oesqx::image::SetMaxPixelBytes(1u << 20);
  std::vector<uint8_t> input =
      data[0] % 2 == 0 ? std::vector<uint8_t>(data + 1, data + size) : Build(data + 1, size - 1);
  if (input.empty()) return 0;
  unsigned char* rows = nullptr;
  char id[64], name[64];
  int w = 0, h = 0, dh = 0;
  unsigned int dw = 0;
  const int ok = G_ReadSealVer4(input.data(), static_cast<int>(input.size()), &rows, id, name, &w,
                                &h, &dw, &dh, false, nullptr, "pw");
  if (ok == 1) {
    if (rows == nullptr || std::strlen(id) >= 64 || std::strlen(name) >= 64) std::abort();
    // Touch the last byte of the rows: the buffer must hold them all.
    const size_t stride = ((static_cast<size_t>(w) * 24 + 31) / 32) * 4;
    volatile unsigned char last = rows[stride * static_cast<size_t>(h) - 1];
    (void)last;
  }
  std::free(rows);
  return 0;
}
