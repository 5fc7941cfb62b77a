// SM2 signatures in any form, verified against the standard's example key
// and digest: only the example's own (r, s) may verify.
#include <openssl/bn.h>

#include <cstdint>
#include <cstring>

#include "crypto/ossl_ptr.h"
#include "crypto/sm2_verify.h"

namespace {

const unsigned char kE[32] = {0xF0, 0xB4, 0x3E, 0x94, 0xBA, 0x45, 0xAC, 0xCA, 0xAC, 0xE6, 0x92,
                              0xED, 0x53, 0x43, 0x82, 0xEB, 0x17, 0xE6, 0xAB, 0x5A, 0x19, 0xCE,
                              0x7B, 0x31, 0xF4, 0x48, 0x6F, 0xDF, 0xC0, 0xD2, 0x86, 0x40};
const char kR[] = "F5A03B0648D2C4630EEAC513E1BB81A15944DA3827D5B74143AC7EACEEE720B3";
const char kS[] = "B1B6AA29DF212FD8763182BC0D421CA1BB9038FD1F7F42D4840B69C485BBC1AA";
const char kPriv[] = "3945208F7B2144B13F36E38AC6D39F95889393692860B51A42FB81EF4DF7C5B8";

struct Example {
  unsigned char pub[65];
  oesqx::ossl::BnPtr r, s;
  Example() {
    const EC_GROUP* g = oesqx::sm2::CheckedCurve();
    BIGNUM* d = nullptr;
    BN_hex2bn(&d, kPriv);
    oesqx::ossl::BnPtr owner(d);
    oesqx::ossl::PointPtr p(EC_POINT_new(g));
    EC_POINT_mul(g, p.get(), d, nullptr, nullptr, nullptr);
    EC_POINT_point2oct(g, p.get(), POINT_CONVERSION_UNCOMPRESSED, pub, 65, nullptr);
    BIGNUM* v = nullptr;
    BN_hex2bn(&v, kR);
    r.reset(v);
    v = nullptr;
    BN_hex2bn(&v, kS);
    s.reset(v);
  }
};

bool Equals(const uint8_t* bytes, size_t len, const BIGNUM* want) {
  oesqx::ossl::BnPtr v(BN_bin2bn(bytes, static_cast<int>(len), nullptr));
  return v && BN_cmp(v.get(), want) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Example ex;
  if (size > 600) return 0;
  const int r = SM2_Verify_DATA(kE, data, static_cast<int>(size), ex.pub, 65);
  if (r == 1) {
    oesqx::sm2::SignatureParts parts;
    if (!oesqx::sm2::ReadSignature(data, size, &parts) || !Equals(parts.r, parts.r_len, ex.r.get()) ||
        !Equals(parts.s, parts.s_len, ex.s.get()))
      __builtin_trap();
  }
  return 0;
}
