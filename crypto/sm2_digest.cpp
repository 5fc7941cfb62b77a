// The SM2 message digest e = SM3(Z || M), Z = SM3(ENTL || ID || a || b ||
// Gx || Gy || X || Y), with the public key given as bytes or taken from a
// certificate.
#include <openssl/x509.h>

#include "common/debuglog.h"
#include "crypto/digest.h"
#include "crypto/ossl_ptr.h"
#include "crypto/sm2_curve.h"
#include "crypto/sm2_verify.h"

namespace {

constexpr std::array<uint8_t, 128> kCurveZ = oesqx::sm2::CurveForZ();
// ENTL is two bytes of bits: longer identities cannot be represented.
constexpr int kMaxIdLen = 8191;

}  // namespace

int SM3_WithSM2(unsigned char* out32, const unsigned char* msg, int msg_len,
                const unsigned char* id, int id_len, const unsigned char* pubkey,
                int pubkey_len) {
  if (out32 == nullptr || msg_len < 0 || id_len < 0 || pubkey == nullptr || pubkey_len < 0) return 0;
  if (msg_len > 0 && msg == nullptr) return 0;
  oesqx::sm2::SignatureParts key;
  if (pubkey_len == 64) {
    key = {pubkey, 32, pubkey + 32, 32};
  } else if (!oesqx::sm2::ScanTwoIntegers(pubkey, static_cast<size_t>(pubkey_len), &key)) {
    return 0;  // below 70 bytes, or no two INTEGERs found
  }
  if (id == nullptr || id_len == 0) {
    id = reinterpret_cast<const unsigned char*>(oesqx::sm2::kDefaultId);
    id_len = oesqx::sm2::kDefaultIdLen;
  }
  if (id_len > kMaxIdLen) return 0;

  const unsigned bits = static_cast<unsigned>(id_len) * 8;
  const unsigned char entl[2] = {static_cast<unsigned char>(bits >> 8),
                                 static_cast<unsigned char>(bits)};
  unsigned char z[32];
  sm3_context ctx;
  sm3_starts(&ctx);
  sm3_update(&ctx, entl, 2);
  sm3_update(&ctx, id, id_len);
  sm3_update(&ctx, kCurveZ.data(), static_cast<int>(kCurveZ.size()));
  sm3_update(&ctx, key.r, static_cast<int>(key.r_len));
  sm3_update(&ctx, key.s, static_cast<int>(key.s_len));
  sm3_finish(&ctx, z);

  sm3_starts(&ctx);
  sm3_update(&ctx, z, 32);
  sm3_update(&ctx, msg, msg_len);
  sm3_finish(&ctx, out32);
  return 1;
}

int SM3_WithCert(unsigned char* out32, const unsigned char* msg, int msg_len,
                 const unsigned char* cert, int cert_len) {
  oesqx::ossl::X509Ptr x509 = oesqx::ossl::ParseX509(cert, cert_len);
  if (!x509) {
    oesqx::dbg::Str("SM3_WithCert Java CERT E");
    return 0;
  }
  const ASN1_BIT_STRING* bits = X509_get0_pubkey_bitstr(x509.get());
  if (bits == nullptr || ASN1_STRING_length(bits) < 64) {
    oesqx::dbg::Str("SM3_WithCert Java CERT E2");
    return -1;
  }
  const int len = ASN1_STRING_length(bits);
  oesqx::dbg::Int(len);
  // Skip the point-format byte (04) of the uncompressed point.
  if (SM3_WithSM2(out32, msg, msg_len, reinterpret_cast<const unsigned char*>(oesqx::sm2::kDefaultId),
                  oesqx::sm2::kDefaultIdLen, ASN1_STRING_get0_data(bits) + 1, len - 1) != 1) {
    oesqx::dbg::Str("SM3_WithCert Java SM3 E");
    return -2;
  }
  return 1;
}
