// PKCS#7 signed data from outside: the signer certificate, the detached
// flag, and the checks with content or digest given.
#include <cstdint>
#include <cstdlib>

#include "crypto/sig_verify.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x10000) return 0;
  static const unsigned char sha1[20] = {1, 2, 3};
  static const unsigned char content[] = "content";
  const int n = static_cast<int>(size);
  for (int mode = 0; mode < 3; ++mode) {
    unsigned char* cert = nullptr;
    int cert_len = -1;
    unsigned char detached = 0;
    int64_t r1;
    int r2, r3;
    unsigned char r4;
    const int r = GetSignCertAndData(data, n, mode == 1 ? sha1 : nullptr, mode == 2 ? content : nullptr,
                                     mode == 2 ? 7 : 0, &cert, &cert_len, &detached, &r1, &r2, &r3, &r4);
    if (cert != nullptr) {
      volatile unsigned char last = cert[cert_len - 1];  // the whole length is readable
      (void)last;
    }
    if (r != 0 && r != -121 && r != -210 && r != -111) __builtin_trap();
    std::free(cert);
  }
  return 0;
}
