// SM2 digest and verification: the standard's example, OpenSSL-made
// signatures in every accepted form, key forms, and malformed signatures.
#include <gtest/gtest.h>
#include <openssl/obj_mac.h>

#include <map>

#include "crypto/digest.h"
#include "crypto/ossl_ptr.h"
#include "crypto/sm2_verify.h"
#include "pki/pki_support.h"
#include "test_support.h"

namespace oesqx::test {
namespace {

using pki::DerToRaw64;
using pki::RawToBlob128;
using pki::RawToDer;

// GM/T 0003.5 example on sm2p256v1, identity "1234567812345678".
constexpr char kStdPriv[] = "3945208F7B2144B13F36E38AC6D39F95889393692860B51A42FB81EF4DF7C5B8";
constexpr char kStdR[] = "F5A03B0648D2C4630EEAC513E1BB81A15944DA3827D5B74143AC7EACEEE720B3";
constexpr char kStdS[] = "B1B6AA29DF212FD8763182BC0D421CA1BB9038FD1F7F42D4840B69C485BBC1AA";
constexpr char kStdZ[] = "B2E14C5C79C6DF5B85F4FE7ED8DB7A262B9DA7E07CCB0EA9F4747B8CCDA8A4F3";
constexpr char kStdE[] = "F0B43E94BA45ACCAACE692ED534382EB17E6AB5A19CE7B31F4486FDFC0D28640";
constexpr char kStdMsg[] = "message digest";

// 04 || X || Y of the example's public key, d x G on our curve.
Bytes StandardPublicKey() {
  const EC_GROUP* group = sm2::CheckedCurve();
  ossl::BnPtr d;
  BIGNUM* raw = nullptr;
  BN_hex2bn(&raw, kStdPriv);
  d.reset(raw);
  ossl::PointPtr p(EC_POINT_new(group));
  EC_POINT_mul(group, p.get(), d.get(), nullptr, nullptr, nullptr);
  Bytes out(65);
  EC_POINT_point2oct(group, p.get(), POINT_CONVERSION_UNCOMPRESSED, out.data(), 65, nullptr);
  return out;
}

Bytes Msg(const char* text) { return ToBytes(text); }

Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

int VerifyData(const Bytes& e, const Bytes& sig, const Bytes& key) {
  return SM2_Verify_DATA(e.data(), sig.data(), static_cast<int>(sig.size()), key.data(),
                         static_cast<int>(key.size()));
}

Bytes Sm3WithKey(const Bytes& msg, const Bytes& key, const unsigned char* id = nullptr, int id_len = 0,
                 int* result = nullptr) {
  Bytes out(32, 0);
  const int r = SM3_WithSM2(out.data(), msg.data(), static_cast<int>(msg.size()), id, id_len,
                            key.data(), static_cast<int>(key.size()));
  if (result != nullptr) *result = r;
  return out;
}

TEST(Sm2Curve, MatchesOpenSslBuiltInCurve) {
  const EC_GROUP* ours = sm2::CheckedCurve();
  ASSERT_NE(ours, nullptr);
  ossl::GroupPtr theirs(EC_GROUP_new_by_curve_name(NID_sm2));
  ASSERT_TRUE(theirs);
  EXPECT_EQ(EC_GROUP_cmp(ours, theirs.get(), nullptr), 0);
  EXPECT_EQ(sm2::CheckedCurve(), ours);  // built once
}

TEST(Sm2Standard, DigestAndSignatureOfTheExample) {
  const Bytes key = StandardPublicKey();
  const Bytes xy(key.begin() + 1, key.end());
  int result = 0;
  const Bytes e = Sm3WithKey(Msg(kStdMsg), xy, nullptr, 0, &result);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(Hex(e), kStdE);
  // e is SM3(Z || M) with the example's Z.
  Bytes zm = Unhex(kStdZ);
  for (char c : std::string(kStdMsg)) zm.push_back(static_cast<uint8_t>(c));
  Bytes check(32);
  GenerateSM3(check.data(), zm.data(), static_cast<int>(zm.size()));
  EXPECT_EQ(Hex(check), kStdE);

  const Bytes raw = Unhex(std::string(kStdR) + kStdS);
  EXPECT_EQ(VerifyData(e, raw, key), 1);
  EXPECT_EQ(VerifyData(e, raw, xy), 1);
  EXPECT_EQ(VerifyData(e, RawToBlob128(raw), key), 1);
  EXPECT_EQ(VerifyData(e, RawToDer(raw), key), 1);
}

TEST(Sm2Standard, AnyFlippedBitIsInvalid) {
  const Bytes key = StandardPublicKey();
  const Bytes e = Unhex(kStdE);
  const Bytes raw = Unhex(std::string(kStdR) + kStdS);
  for (size_t bit = 0; bit < 256; ++bit) {
    Bytes e2 = e;
    e2[bit / 8] ^= static_cast<uint8_t>(1 << (bit % 8));
    EXPECT_EQ(VerifyData(e2, raw, key), 0) << "e bit " << bit;
  }
  for (size_t bit = 0; bit < 512; ++bit) {
    Bytes s2 = raw;
    s2[bit / 8] ^= static_cast<uint8_t>(1 << (bit % 8));
    EXPECT_EQ(VerifyData(e, s2, key), 0) << "signature bit " << bit;
  }
}

TEST(Sm3WithSm2, KeyForms) {
  const Bytes key = StandardPublicKey();
  const Bytes x(key.begin() + 1, key.begin() + 33), y(key.begin() + 33, key.end());
  const Bytes msg = Msg(kStdMsg);
  auto cat = [](std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  };
  const Bytes xy = cat({x, y});
  const Bytes der70 = cat({Unhex("30440220"), x, Unhex("0220"), y});
  const Bytes bare68 = cat({Unhex("0220"), x, Unhex("0220"), y});
  const Bytes lead0 = cat({Unhex("3045022100"), x, Unhex("0220"), y});

  int r = 0;
  const Bytes e = Sm3WithKey(msg, xy, nullptr, 0, &r);
  ASSERT_EQ(r, 1);
  EXPECT_EQ(Sm3WithKey(msg, der70, nullptr, 0, &r), e);
  EXPECT_EQ(r, 1);
  const Bytes e_lead = Sm3WithKey(msg, lead0, nullptr, 0, &r);
  EXPECT_EQ(r, 1);
  EXPECT_NE(e_lead, e);  // the zero byte enters Z

  for (const Bytes* refused : {&bare68, &key}) {
    Bytes out(32, 0xAA);
    EXPECT_EQ(SM3_WithSM2(out.data(), msg.data(), static_cast<int>(msg.size()), nullptr, 0,
                          refused->data(), static_cast<int>(refused->size())),
              0);
    EXPECT_EQ(out, Bytes(32, 0xAA)) << "nothing written";
  }
}

TEST(Sm3WithSm2, IdentityAndLengths) {
  const Bytes key = StandardPublicKey();
  const Bytes xy(key.begin() + 1, key.end());
  const Bytes msg = Msg(kStdMsg);
  const auto* id = reinterpret_cast<const unsigned char*>("1234567812345678");
  const Bytes e = Sm3WithKey(msg, xy, id, 16);
  EXPECT_EQ(Sm3WithKey(msg, xy, nullptr, 16), e);
  EXPECT_EQ(Sm3WithKey(msg, xy, id, 0), e);
  EXPECT_NE(Sm3WithKey(msg, xy, reinterpret_cast<const unsigned char*>("ALICE123@YAHOO.COM"), 18), e);

  Bytes out(32);
  EXPECT_EQ(SM3_WithSM2(out.data(), msg.data(), -1, nullptr, 0, xy.data(), 64), 0);
  EXPECT_EQ(SM3_WithSM2(out.data(), msg.data(), 1, id, -1, xy.data(), 64), 0);
  // An identity whose bit length does not fit ENTL is refused.
  const Bytes long_id(8192, 'a');
  EXPECT_EQ(SM3_WithSM2(out.data(), msg.data(), 1, long_id.data(), 8192, xy.data(), 64), 0);
  EXPECT_EQ(SM3_WithSM2(out.data(), msg.data(), 1, long_id.data(), 8191, xy.data(), 64), 1);
  // Message length 0 hashes Z alone.
  EXPECT_EQ(SM3_WithSM2(out.data(), nullptr, 0, nullptr, 0, xy.data(), 64), 1);
}

// Signatures by OpenSSL in every form, including the DER encodings shorter
// than 70 bytes that occur when r or s has a leading zero byte.
TEST(Sm2OpenSsl, SignatureFormsVerify) {
  pki::Sm2Key key = pki::NewSm2Key();
  const Bytes xy(key.pub65.begin() + 1, key.pub65.end());
  std::map<size_t, int> seen_lengths;
  for (int i = 0; i < 4000 && seen_lengths.size() < 4; ++i) {
    const Bytes msg = Msg(("message " + std::to_string(i)).c_str());
    const Bytes der = pki::Sm2SignDer(key.pkey.get(), msg);
    if (i >= 8 && der.size() >= 70) continue;  // after a few, only the short ones
    ++seen_lengths[der.size()];
    const Bytes e = Sm3WithKey(msg, xy);
    const Bytes raw = DerToRaw64(der);
    EXPECT_EQ(VerifyData(e, der, key.pub65), 1) << "DER of " << der.size() << " bytes";
    EXPECT_EQ(VerifyData(e, raw, key.pub65), 1);
    EXPECT_EQ(VerifyData(e, RawToBlob128(raw), xy), 1);
    Bytes bad = der;
    bad[der.size() - 1] ^= 1;
    EXPECT_EQ(VerifyData(e, bad, key.pub65), 0);
  }
  EXPECT_GE(seen_lengths.size(), 2u);
  bool have_short = false;
  for (const auto& [len, n] : seen_lengths) have_short |= len < 70;
  EXPECT_TRUE(have_short) << "no short DER signature drawn";
}

TEST(Sm2Verify, EcKeyInterface) {
  pki::Sm2Key key = pki::NewSm2Key();
  const Bytes msg = Msg("abc");
  const Bytes der = pki::Sm2SignDer(key.pkey.get(), msg);
  const Bytes xy(key.pub65.begin() + 1, key.pub65.end());
  const Bytes e = Sm3WithKey(msg, xy);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  ossl::EcKeyPtr ec(EC_KEY_new_by_curve_name(NID_sm2));
  const unsigned char* p = key.pub65.data();
  EC_KEY* raw = ec.get();
  ASSERT_NE(o2i_ECPublicKey(&raw, &p, 65), nullptr);
  EXPECT_EQ(SM2_verify(0, e.data(), 32, der.data(), static_cast<int>(der.size()), ec.get()), 1);
  EXPECT_EQ(SM2_verify(7, e.data(), 31, der.data(), static_cast<int>(der.size()), ec.get()), 0);
  EXPECT_EQ(SM2_verify(0, e.data(), 32, der.data(), static_cast<int>(der.size()), nullptr), -1);
  ossl::EcKeyPtr empty(EC_KEY_new());
  EXPECT_EQ(SM2_verify(0, e.data(), 32, der.data(), static_cast<int>(der.size()), empty.get()), -1);
  EXPECT_EQ(SM2_verify(0, e.data(), 32, der.data(), 10, ec.get()), 0);  // unreadable first
#pragma GCC diagnostic pop
}

TEST(Sm2Verify, KeyNotOnCurveIsInvalid) {
  const Bytes e = Unhex(kStdE);
  const Bytes raw = Unhex(std::string(kStdR) + kStdS);
  Bytes key = StandardPublicKey();
  key[64] ^= 1;
  EXPECT_EQ(VerifyData(e, raw, key), 0);
  EXPECT_EQ(VerifyData(e, raw, Bytes{}), 0);
}

// Mutations of a valid DER signature. The reading is a search for two
// INTEGERs, so changes outside r and s leave a valid signature valid; every
// change to r or s is invalid.
TEST(Sm2Verify, MutatedDerSignatures) {
  const Bytes key = StandardPublicKey();
  const Bytes e = Unhex(kStdE);
  const Bytes raw = Unhex(std::string(kStdR) + kStdS);
  const Bytes der = RawToDer(raw);  // 30 46 02 21 00 r 02 21 00 s: 72 bytes
  ASSERT_EQ(der.size(), 72u);
  ASSERT_EQ(VerifyData(e, der, key), 1);
  const Bytes n = Unhex("FFFFFFFEFFFFFFFFFFFFFFFFFFFFFFFF7203DF6B21C6052B53BBF40939D54123");
  auto with = [&](size_t at, std::initializer_list<uint8_t> bytes, size_t drop = 0) {
    Bytes out(der.begin(), der.begin() + at);
    out.insert(out.end(), bytes);
    out.insert(out.end(), der.begin() + at + drop, der.end());
    return out;
  };
  auto der_of = [](const Bytes& r, const Bytes& s) {
    Bytes body;
    body.push_back(0x02);
    body.push_back(static_cast<uint8_t>(r.size()));
    body.insert(body.end(), r.begin(), r.end());
    body.push_back(0x02);
    body.push_back(static_cast<uint8_t>(s.size()));
    body.insert(body.end(), s.begin(), s.end());
    Bytes out{0x30, static_cast<uint8_t>(body.size())};
    out.insert(out.end(), body.begin(), body.end());
    return out;
  };
  const Bytes r(raw.begin(), raw.begin() + 32), s(raw.begin() + 32, raw.end());
  // s + n: the same point, so only the range check refuses it.
  ossl::BnPtr sn(BN_bin2bn(s.data(), 32, nullptr));
  ossl::BnPtr nn(BN_bin2bn(n.data(), 32, nullptr));
  BN_add(sn.get(), sn.get(), nn.get());
  Bytes s_plus_n(33);
  BN_bn2binpad(sn.get(), s_plus_n.data(), 33);

  struct Case {
    const char* name;
    Bytes sig;
    int expected;
  };
  const Case cases[] = {
      {"sequence length +1", with(1, {0x47}, 1), 1},
      {"sequence length -1", with(1, {0x45}, 1), 1},
      {"indefinite sequence", [&] { Bytes b = with(1, {0x80}, 1); b.push_back(0); b.push_back(0); return b; }(), 1},
      {"trailing byte", [&] { Bytes b = der; b.push_back(0); return b; }(), 1},
      {"r length +1", with(3, {0x22}, 1), 0},
      {"r length -1", with(3, {0x20}, 1), 0},
      {"r long-form length", with(3, {0x81, 0x21}, 1), 0},
      {"s length +1", with(38, {0x22}, 1), 0},
      {"s length -1", with(38, {0x20}, 1), 0},
      {"r wrong tag", with(2, {0x03}, 1), 0},
      {"s wrong tag", with(37, {0x04}, 1), 0},
      {"truncated by one", Bytes(der.begin(), der.end() - 1), 0},
      {"r = 0", der_of({0x00}, Bytes(der.begin() + 39, der.end())), 0},
      {"s = 0", der_of(Bytes(der.begin() + 4, der.begin() + 37), {0x00}), 0},
      {"r = n", der_of(Cat(Bytes{0x00}, n), Bytes(der.begin() + 39, der.end())), 0},
      {"s = n", der_of(Bytes(der.begin() + 4, der.begin() + 37), Cat(Bytes{0x00}, n)), 0},
      {"s + n", der_of(Bytes(der.begin() + 4, der.begin() + 37), s_plus_n), 0},
      {"r and s swapped", der_of(Cat(Bytes{0x00}, s), Cat(Bytes{0x00}, r)), 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VerifyData(e, c.sig, key), c.expected) << c.name;
  }
  for (size_t len = 0; len < der.size(); ++len) {
    EXPECT_EQ(VerifyData(e, Bytes(der.begin(), der.begin() + len), key), 0) << "prefix " << len;
  }
}

TEST(Sm2Verify, SumOfRAndSAMultipleOfNIsInvalid) {
  const Bytes key = StandardPublicKey();
  const Bytes e = Unhex(kStdE);
  ossl::BnPtr n(nullptr), r(BN_new()), s(BN_new());
  BIGNUM* raw = nullptr;
  BN_hex2bn(&raw, "FFFFFFFEFFFFFFFFFFFFFFFFFFFFFFFF7203DF6B21C6052B53BBF40939D54123");
  n.reset(raw);
  BN_set_word(r.get(), 12345);
  BN_sub(s.get(), n.get(), r.get());
  Bytes sig(64);
  BN_bn2binpad(r.get(), sig.data(), 32);
  BN_bn2binpad(s.get(), sig.data() + 32, 32);
  EXPECT_EQ(VerifyData(e, sig, key), 0);
}

}  // namespace
}  // namespace oesqx::test
