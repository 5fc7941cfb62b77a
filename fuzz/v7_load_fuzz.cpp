// One standard seal from outside: read, written back, read again. What was
// read once must read again and write back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "seal/v7_seal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 300000) return 0;
  std::vector<unsigned char> in(data, data + size);
  auto seal = std::make_unique<SES_SEAL_S>();
  int len = static_cast<int>(size);
  if (LoadV7SealData(in.data(), len, seal.get()) == 0) return 0;
  if (len <= 0 || static_cast<size_t>(len) > size) __builtin_trap();
  unsigned char* first = nullptr;
  const int first_len = SaveV7SealData(&first, seal.get(), true);
  unsigned char* part = nullptr;
  SaveV7SealData(&part, seal.get(), false);
  std::free(part);
  if (first_len <= 0) __builtin_trap();
  auto again = std::make_unique<SES_SEAL_S>();
  int len2 = first_len;
  if (LoadV7SealData(first, len2, again.get()) == 0) __builtin_trap();
  unsigned char* second = nullptr;
  const int second_len = SaveV7SealData(&second, again.get(), true);
  if (second_len != first_len || std::memcmp(first, second, static_cast<size_t>(first_len)) != 0)
    __builtin_trap();
  std::free(first);
  std::free(second);
  return 0;
}
