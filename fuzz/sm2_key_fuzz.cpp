// SM2 public keys in any form for the digest with identity.
#include <cstdint>
#include <cstring>

#include "crypto/sm2_verify.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  unsigned char out[33];
  out[32] = 0xA5;  // the digest is 32 bytes, never more
  const int r = SM3_WithSM2(out, reinterpret_cast<const unsigned char*>("abc"), 3, nullptr, 0, data,
                            static_cast<int>(size));
  if ((r != 0 && r != 1) || out[32] != 0xA5) __builtin_trap();
  // The same bytes as key and as identity.
  SM3_WithSM2(out, data, static_cast<int>(size), data, static_cast<int>(size / 2), data,
              static_cast<int>(size));
  return 0;
}
