// CompressDecode over arbitrary bytes, in both forms, and CompressEncode
// round trips.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/compress.h"
#include "common/gzip.h"

namespace {

// Decodes and checks the result's shape.
void DecodeAndCheck(const uint8_t* data, int size) {
  unsigned char* out = nullptr;
  int len = 0;
  const int rc = CompressDecode(data, size, &out, &len);
  if (rc == 0 && (out == nullptr || len < 0 || static_cast<size_t>(len) > oesqx::gzip::kMaxInflatedSize)) {
    std::abort();
  }
  std::free(out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > (1u << 20)) return 0;
  unsigned char* out = nullptr;
  int len = 0;

  // Sized form over an exact-size copy of the input.
  std::vector<uint8_t> copy(data, data + size);
  DecodeAndCheck(copy.data(), static_cast<int>(size));
  if (size >= 2 && (copy[0] != 0x1F || copy[1] != 0x8B)) {
    // Plain data comes back unchanged.
    out = nullptr;
    if (CompressDecode(copy.data(), static_cast<int>(size), &out, &len) != 0 ||
        len != static_cast<int>(size) || std::memcmp(out, data, size) != 0) {
      std::abort();
    }
    std::free(out);
  }

  // Length-prefixed form: the stated length is kept when the buffer holds
  // it (the caller's side of the contract), else cut to what is there.
  if (size >= 4) {
    uint32_t stated = copy[0] | copy[1] << 8 | copy[2] << 16 | static_cast<uint32_t>(copy[3]) << 24;
    if (stated > size - 4) stated = static_cast<uint32_t>(size - 4);
    std::vector<uint8_t> prefixed(copy);
    for (int i = 0; i < 4; ++i) prefixed[i] = static_cast<uint8_t>(stated >> (8 * i));
    prefixed.resize(4 + stated);
    DecodeAndCheck(prefixed.data(), 0);  // stated 0 or 1: nothing past the prefix is read
  }

  // What we write, we read back.
  out = nullptr;
  if (CompressEncode(copy.data(), static_cast<int>(size), &out, &len) != 0) std::abort();
  unsigned char* back = nullptr;
  int back_len = 0;
  if (CompressDecode(out, len, &back, &back_len) != 0 || back_len != static_cast<int>(size) ||
      std::memcmp(back, data, size) != 0) {
    std::abort();
  }
  std::free(back);
  std::free(out);
  return 0;
}
