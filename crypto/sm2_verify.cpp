#include "crypto/sm2_verify.h"

#include <openssl/bn.h>

#include "common/byte_reader.h"
#include "crypto/der.h"
#include "crypto/ossl_ptr.h"
#include "crypto/sm2_curve.h"

namespace oesqx::sm2 {
namespace {

using ossl::BnCtxPtr;
using ossl::BnPtr;
using ossl::GroupPtr;
using ossl::PointPtr;

BnPtr Hex(const char* hex) {
  BIGNUM* bn = nullptr;
  if (BN_hex2bn(&bn, hex) == 0) return nullptr;
  return BnPtr(bn);
}

// Builds the curve from the standard's strings and checks it: p prime, the
// generator recovered from Gx (y-bit 0) equals Gy and lies on the curve,
// degree 256, n x G at infinity. The generator multiples are precomputed,
// as the group is kept for the life of the process.
EC_GROUP* BuildCurve() {
  BnCtxPtr ctx(BN_CTX_new());
  BnPtr p = Hex(kCurveP), a = Hex(kCurveA), b = Hex(kCurveB);
  BnPtr gx = Hex(kCurveGx), gy = Hex(kCurveGy), n = Hex(kCurveN);
  BnPtr one(BN_new()), y(BN_new());
  if (!ctx || !p || !a || !b || !gx || !gy || !n || !one || !y || !BN_one(one.get())) return nullptr;
  if (BN_check_prime(p.get(), ctx.get(), nullptr) != 1) return nullptr;
  GroupPtr group(EC_GROUP_new_curve_GFp(p.get(), a.get(), b.get(), ctx.get()));
  if (!group) return nullptr;
  PointPtr g(EC_POINT_new(group.get()));
  if (!g || EC_POINT_set_compressed_coordinates(group.get(), g.get(), gx.get(), 0, ctx.get()) != 1 ||
      EC_POINT_get_affine_coordinates(group.get(), g.get(), nullptr, y.get(), ctx.get()) != 1 ||
      BN_cmp(y.get(), gy.get()) != 0 || EC_POINT_is_on_curve(group.get(), g.get(), ctx.get()) != 1)
    return nullptr;
  if (EC_GROUP_set_generator(group.get(), g.get(), n.get(), one.get()) != 1) return nullptr;
  if (EC_GROUP_get_degree(group.get()) != 256) return nullptr;
  PointPtr check(EC_POINT_new(group.get()));
  if (!check || EC_POINT_mul(group.get(), check.get(), n.get(), nullptr, nullptr, ctx.get()) != 1 ||
      EC_POINT_is_at_infinity(group.get(), check.get()) != 1)
    return nullptr;
  // Precomputed generator multiples: speed only, so a failure is harmless.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  EC_GROUP_precompute_mult(group.get(), ctx.get());
#pragma GCC diagnostic pop
  return group.release();
}

// A strict DER INTEGER holding a positive value in the shortest form.
bool ReadPositiveInteger(der::Reader* in, const uint8_t** value, size_t* len) {
  der::Reader content;
  if (!in->Read(der::kInteger, &content)) return false;
  const uint8_t* p = content.data();
  const size_t n = content.size();
  if (n == 0 || n > 33 || (p[0] & 0x80) != 0) return false;
  if (n > 1 && p[0] == 0 && (p[1] & 0x80) == 0) return false;  // needless leading zero
  *value = p;
  *len = n;
  return true;
}

// SEQUENCE { INTEGER r, INTEGER s } and nothing else: the form signers
// produce, including the shorter encodings of r or s below 2^248.
bool ReadStrictDer(const uint8_t* sig, size_t len, SignatureParts* out) {
  der::Reader in(sig, len, der::kStrict);
  der::Reader seq;
  if (!in.Read(der::kSequence, &seq) || !in.empty()) return false;
  SignatureParts parts;
  if (!ReadPositiveInteger(&seq, &parts.r, &parts.r_len) ||
      !ReadPositiveInteger(&seq, &parts.s, &parts.s_len) || !seq.empty())
    return false;
  *out = parts;
  return true;
}

// One right-aligned 64-byte field of the blob form: 33 bytes from offset 31
// when that byte is set, else 32 bytes from offset 32.
void BlobField(const uint8_t* field, const uint8_t** value, size_t* len) {
  if (field[31] != 0) {
    *value = field + 31;
    *len = 33;
  } else {
    *value = field + 32;
    *len = 32;
  }
}

}  // namespace

const EC_GROUP* CheckedCurve() {
  static const GroupPtr curve(BuildCurve());
  return curve.get();
}

bool ScanTwoIntegers(const uint8_t* data, size_t len, SignatureParts* out) {
  if (data == nullptr || len < 70) return false;
  for (size_t k = 0; k + 67 < len; ++k) {
    ByteReader in(data, len);
    uint8_t tag = 0, l1 = 0, tag2 = 0, l2 = 0;
    const uint8_t* first = nullptr;
    const uint8_t* second = nullptr;
    if (!in.Seek(k) || !in.ReadU8(&tag) || tag != der::kInteger || !in.ReadU8(&l1)) continue;
    if (!in.ReadBytes(l1, &first) || in.offset() + 32 >= len) continue;
    if (!in.ReadU8(&tag2) || tag2 != der::kInteger || !in.ReadU8(&l2)) continue;
    if (!in.ReadBytes(l2, &second)) continue;
    *out = SignatureParts{first, l1, second, l2};
    return true;
  }
  return false;
}

bool ReadSignature(const uint8_t* sig, size_t len, SignatureParts* out) {
  if (sig == nullptr) return false;
  if (len == 64) {
    *out = SignatureParts{sig, 32, sig + 32, 32};
    return true;
  }
  if (len >= 128) {
    BlobField(sig, &out->r, &out->r_len);
    BlobField(sig + 64, &out->s, &out->s_len);
    return true;
  }
  // DER: the search used for longer encodings first, then strict DER, which
  // also reads the 68- and 69-byte forms of a short r or s.
  return ScanTwoIntegers(sig, len, out) || ReadStrictDer(sig, len, out);
}

int VerifyDigest(const EC_GROUP* group, const EC_POINT* pub, const uint8_t* dgst, size_t dgst_len,
                 const uint8_t* sig, size_t sig_len) {
  SignatureParts parts;
  if (!ReadSignature(sig, sig_len, &parts)) return 0;
  if (group == nullptr || pub == nullptr) return -1;
  const BIGNUM* order = EC_GROUP_get0_order(group);
  BnCtxPtr ctx(BN_CTX_new());
  if (!ctx || order == nullptr) return -1;
  ossl::BnCtxFrame frame(ctx.get());
  BIGNUM* r = BN_CTX_get(ctx.get());
  BIGNUM* s = BN_CTX_get(ctx.get());
  BIGNUM* t = BN_CTX_get(ctx.get());
  BIGNUM* e = BN_CTX_get(ctx.get());
  BIGNUM* x1 = BN_CTX_get(ctx.get());
  if (x1 == nullptr || BN_bin2bn(parts.r, static_cast<int>(parts.r_len), r) == nullptr ||
      BN_bin2bn(parts.s, static_cast<int>(parts.s_len), s) == nullptr)
    return -1;
  // r and s outside [1, n-1] are no signature; without this check s + n
  // would verify wherever s does.
  if (BN_is_zero(r) || BN_is_zero(s) || BN_cmp(r, order) >= 0 || BN_cmp(s, order) >= 0) return 0;
  if (BN_mod_add(t, r, s, order, ctx.get()) != 1) return -1;
  if (BN_is_zero(t)) return 0;

  PointPtr point(EC_POINT_new(group));
  if (!point || EC_POINT_mul(group, point.get(), s, pub, t, ctx.get()) != 1 ||
      EC_POINT_get_affine_coordinates(group, point.get(), x1, nullptr, ctx.get()) != 1)
    return -1;

  // e from the digest, cut to the order's length as in ECDSA.
  const size_t order_bits = static_cast<size_t>(BN_num_bits(order));
  size_t used = dgst_len;
  if (used * 8 > order_bits) used = (order_bits + 7) / 8;
  if (BN_bin2bn(dgst, static_cast<int>(used), e) == nullptr) return -1;
  if (used * 8 > order_bits && BN_rshift(e, e, static_cast<int>(used * 8 - order_bits)) != 1)
    return -1;

  if (BN_mod_add(e, e, x1, order, ctx.get()) != 1) return -1;
  return BN_cmp(e, r) == 0 ? 1 : 0;
}

}  // namespace oesqx::sm2

using oesqx::sm2::CheckedCurve;

int SM2_Verify_DATA(const unsigned char* e32, const unsigned char* sig, int sig_len,
                    const unsigned char* pubkey, int pubkey_len) {
  if (e32 == nullptr || sig == nullptr || sig_len < 0 || pubkey == nullptr || pubkey_len < 0) return 0;
  const EC_GROUP* group = CheckedCurve();
  if (group == nullptr) return 0;
  const unsigned char* x = pubkey;
  int half = pubkey_len / 2;
  if (pubkey_len == 65 && pubkey[0] == 0x04) {
    x = pubkey + 1;
    half = 32;
  }
  oesqx::ossl::BnPtr bx(BN_bin2bn(x, half, nullptr));
  oesqx::ossl::BnPtr by(BN_bin2bn(x + half, half, nullptr));
  oesqx::ossl::PointPtr point(EC_POINT_new(group));
  if (!bx || !by || !point ||
      EC_POINT_set_affine_coordinates(group, point.get(), bx.get(), by.get(), nullptr) != 1)
    return 0;
  return oesqx::sm2::VerifyDigest(group, point.get(), e32, 32, sig, static_cast<size_t>(sig_len));
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
int SM2_verify(int /*type*/, const unsigned char* dgst, int dgst_len, const unsigned char* sig,
               int sig_len, EC_KEY* eckey) {
  if (dgst == nullptr || dgst_len < 0 || sig == nullptr || sig_len < 0) return 0;
  oesqx::sm2::SignatureParts parts;
  if (!oesqx::sm2::ReadSignature(sig, static_cast<size_t>(sig_len), &parts)) return 0;
  if (eckey == nullptr) return -1;
  return oesqx::sm2::VerifyDigest(EC_KEY_get0_group(eckey), EC_KEY_get0_public_key(eckey), dgst,
                                  static_cast<size_t>(dgst_len), sig, static_cast<size_t>(sig_len));
}
#pragma GCC diagnostic pop
