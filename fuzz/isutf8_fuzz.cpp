// UTF-8 detection over arbitrary bytes (terminated at the first zero).
#include <cstdint>
#include <vector>

#include "common/encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  const int r = IsUTF8String(text.data());
  if (r != 0 && r != 1) __builtin_trap();
  return 0;
}
