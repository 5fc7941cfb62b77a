// DecodeStrToDataChar over arbitrary text, and compressed text round trips.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/compress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);  // cut at the first zero

  unsigned char* out = nullptr;
  const int n = DecodeStrToDataChar(text.c_str(), &out);
  if (n < 0 || (n > 0 && out == nullptr) || (n == 0 && out != nullptr)) std::abort();
  std::free(out);

  if (size == 0) return 0;
  char* encoded = nullptr;
  const int t = EncodeDataToStr(data, static_cast<int>(size), &encoded);
  if (t <= 0 || encoded == nullptr || std::strlen(encoded) != static_cast<size_t>(t)) std::abort();
  out = nullptr;
  if (DecodeStrToDataChar(encoded, &out) != static_cast<int>(size) || std::memcmp(out, data, size) != 0) {
    std::abort();
  }
  std::free(out);
  std::free(encoded);
  return 0;
}
