// Signature verification with certificates, against signatures, roots and
// CRLs made by the OpenSSL command line (tests/pki/make_pki.sh).
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/sha.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "common/base64.h"
#include "crypto/sig_verify.h"
#include "pki/pki_support.h"
#include "test_support.h"

namespace oesqx::test {
namespace {

using pki::PkiDir;
using pki::PkiFile;

int Verify(const Bytes& cert, const Bytes& data, const Bytes& sig, int type) {
  return SSLVerifySignedData(cert.data(), static_cast<int>(cert.size()), data.data(),
                             static_cast<unsigned>(data.size()), sig.data(),
                             static_cast<unsigned>(sig.size()), type);
}

Bytes Reversed(Bytes b) {
  std::reverse(b.begin(), b.end());
  return b;
}

std::string Base64(const Bytes& b) {
  CBase64Coder coder;
  coder.Encode(b.data(), static_cast<unsigned>(b.size()));
  return std::string(reinterpret_cast<const char*>(coder.EncodedMessage()), coder.EncodedMessageSize());
}

std::string StrData(const Bytes& b) { return "STRDATA:" + Base64(b); }

TEST(SslVerify, RsaSignaturesByType) {
  const Bytes cert = PkiFile("rsa_leaf.der"), data = PkiFile("data.bin");
  const Bytes sha1 = PkiFile("sig_sha1.bin"), sha256 = PkiFile("sig_sha256.bin"),
              md5 = PkiFile("sig_md5.bin");
  Bytes flipped = sha1;
  flipped[100] ^= 0x10;
  struct Case {
    const char* name;
    const Bytes* sig;
    int type;
    int expected;
  } cases[] = {
      {"sha1 type 1", &sha1, 1, 1},       {"sha1 type 3", &sha1, 3, 1},
      {"sha256 type 4", &sha256, 4, 1},   {"md5 type 0", &md5, 0, 1},
      {"sha256 as type 1", &sha256, 1, -1}, {"sha1 as type 4", &sha1, 4, -1},
      {"md5 as type 1", &md5, 1, -1},     {"flipped bit", &flipped, 1, -1},
      {"unknown type", &sha1, 7, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(Verify(cert, data, *c.sig, c.type), c.expected) << c.name;
  EXPECT_EQ(SKFCertVerifySignedData(cert.data(), static_cast<int>(cert.size()), data.data(),
                                    static_cast<unsigned>(data.size()), sha1.data(),
                                    static_cast<unsigned>(sha1.size()), 1),
            1);
}

TEST(SslVerify, LittleEndianAndBareDigestSignatures) {
  const Bytes cert = PkiFile("rsa_leaf.der"), data = PkiFile("data.bin");
  EXPECT_EQ(Verify(cert, data, Reversed(PkiFile("sig_sha1.bin")), 1), 1);
  EXPECT_EQ(Verify(cert, data, Reversed(PkiFile("sig_md5.bin")), 0), 1);
  // A padded SHA-1 digest without DigestInfo, as written, reversed, and with
  // the digest bytes themselves reversed.
  EXPECT_EQ(Verify(cert, data, PkiFile("sig_bare_sha1.bin"), 1), 1);
  EXPECT_EQ(Verify(cert, data, Reversed(PkiFile("sig_bare_sha1.bin")), 1), 1);
  EXPECT_EQ(Verify(cert, data, PkiFile("sig_bare_sha1_rev.bin"), 1), 1);
  // SHA-256 has no such fallback.
  EXPECT_EQ(Verify(cert, data, PkiFile("sig_bare_sha1.bin"), 4), -1);
}

// Parsed certificates are reused by their bytes, never by their address.
TEST(SslVerify, CertificateBufferReusedForAnotherCertificate) {
  const Bytes data = PkiFile("data.bin"), sig = PkiFile("sig_sha1.bin");
  const Bytes leaf = PkiFile("rsa_leaf.der"), other = PkiFile("rsa_revoked.der");
  Bytes buffer = leaf;
  EXPECT_EQ(Verify(buffer, data, sig, 1), 1);
  buffer.assign(other.begin(), other.end());
  buffer.resize(leaf.size());
  EXPECT_EQ(Verify(buffer, data, sig, 1), -1);
  buffer = leaf;
  buffer[buffer.size() - 1] ^= 1;  // the certificate's own signature: key unchanged
  EXPECT_EQ(Verify(buffer, data, sig, 1), 1);
}

TEST(SslVerify, BadCertificateAndOversizedSignature) {
  const Bytes data = PkiFile("data.bin"), sig = PkiFile("sig_sha1.bin");
  EXPECT_EQ(Verify(ToBytes("not a certificate"), data, sig, 1), -1);
  EXPECT_EQ(Verify(Bytes{}, data, sig, 1), -1);
  EXPECT_EQ(Verify(PkiFile("rsa_leaf.der"), data, Bytes(513, 1), 1), -1);
}

// With e = 3 a signature whose cube ends in the digest is easy to make
// without the private key: s = cube root of the digest modulo 2^160. The raw
// fallback must not take it for a signature.
TEST(SslVerify, CubeRootForgeryWithExponentThreeIsRefused) {
  const Bytes cert = PkiFile("rsa3.der");
  Bytes data;
  uint8_t h[20];
  for (int i = 0;; ++i) {
    data = ToBytes("forged " + std::to_string(i));
    SHA1(data.data(), data.size(), h);
    if (h[19] & 1) break;  // cubes are a bijection on odd residues
  }
  ossl::BnCtxPtr ctx(BN_CTX_new());
  ossl::BnPtr target(BN_bin2bn(h, 20, nullptr)), s(BN_new()), cube(BN_new()), three(BN_new());
  ossl::BnPtr mod(BN_new());
  BN_set_word(s.get(), 1);
  BN_set_word(three.get(), 3);
  for (int bit = 1; bit < 160; ++bit) {
    BN_one(mod.get());
    BN_lshift(mod.get(), mod.get(), bit + 1);
    BN_mod_exp(cube.get(), s.get(), three.get(), mod.get(), ctx.get());
    ossl::BnPtr want(BN_dup(target.get()));
    BN_mask_bits(want.get(), bit + 1);
    if (BN_cmp(cube.get(), want.get()) != 0) BN_set_bit(s.get(), bit);
  }
  Bytes sig(256);
  BN_bn2binpad(s.get(), sig.data(), 256);
  // The forged block really ends in SHA-1(data): s^3 is below the modulus.
  BN_exp(cube.get(), s.get(), three.get(), ctx.get());
  Bytes block(256);
  BN_bn2binpad(cube.get(), block.data(), 256);
  ASSERT_TRUE(std::equal(h, h + 20, block.end() - 20));

  EXPECT_EQ(Verify(cert, data, sig, 1), -1);
}

TEST(SslVerify, BlockMustCarryTypeOnePadding) {
  const Bytes digest = Unhex("00112233445566778899AABBCCDDEEFF01234567");
  auto block = [&](size_t len, size_t ff) {
    Bytes b(len, 0);
    b[1] = 0x01;
    std::fill(b.begin() + 2, b.begin() + 2 + ff, 0xFF);
    std::copy(digest.begin(), digest.end(), b.end() - 20);
    return b;
  };
  const Bytes good = block(256, 256 - 23);
  EXPECT_TRUE(sigv::BlockCarriesDigest(good.data(), good.size(), digest.data(), 20));
  EXPECT_TRUE(sigv::BlockCarriesDigest(block(31, 8).data(), 31, digest.data(), 20));
  EXPECT_FALSE(sigv::BlockCarriesDigest(block(30, 7).data(), 30, digest.data(), 20));  // 7 FF
  Bytes b = good;
  b[1] = 0x02;
  EXPECT_FALSE(sigv::BlockCarriesDigest(b.data(), b.size(), digest.data(), 20));
  b = good;
  b[100] = 0x00;
  EXPECT_FALSE(sigv::BlockCarriesDigest(b.data(), b.size(), digest.data(), 20));
  b = good;
  b[256 - 21] = 0xFF;
  EXPECT_FALSE(sigv::BlockCarriesDigest(b.data(), b.size(), digest.data(), 20));
}

TEST(SslVerify, Sm2SignatureForms) {
  const Bytes cert = PkiFile("sm2_leaf.der"), data = PkiFile("data.bin");
  const Bytes der = PkiFile("sig_sm2.der");
  const Bytes raw = pki::DerToRaw64(der);
  const Bytes blob = pki::RawToBlob128(raw);
  const std::string b64 = Base64(pki::RawToDer(raw));
  const Bytes text(b64.begin(), b64.end());
  Bytes flipped = raw;
  flipped[5] ^= 1;
  struct Case {
    const char* name;
    Bytes sig;
    int type;
    int expected;
  } cases[] = {
      {"DER type 2", der, 2, 1},          {"DER type 3", der, 3, 1},
      {"raw 64", raw, 2, 1},              {"blob 128", blob, 2, 1},
      {"Base64 of DER", text, 2, 1},      {"flipped raw", flipped, 2, -1},
      {"SM2 as RSA type 1", der, 1, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(Verify(cert, data, c.sig, c.type), c.expected) << c.name;
  EXPECT_EQ(Verify(cert, ToBytes("other data"), der, 2), -1);
}

TEST(CertVerifySign, MapsResults) {
  const Bytes cert = PkiFile("rsa_leaf.der"), data = PkiFile("data.bin");
  const Bytes sig = PkiFile("sig_sha1.bin");
  auto run = [&](const Bytes& s, int type) {
    return CertVerifySignFromData(data.data(), static_cast<int>(data.size()), s.data(),
                                  static_cast<unsigned short>(s.size()), cert.data(),
                                  static_cast<int>(cert.size()), type);
  };
  Bytes bad = sig;
  bad[0] ^= 1;
  EXPECT_EQ(run(sig, 1), 0);
  EXPECT_EQ(run(sig, 3), 0);
  EXPECT_EQ(run(bad, 1), -210);
  EXPECT_EQ(run(sig, 9), -111);          // unknown type
  EXPECT_EQ(run(sig, 5), -111);          // no middleware
  EXPECT_EQ(run(Bytes(96, 7), 1), -210);  // middleware first, then RSA
}

TEST(CertVerifyRoot, IssuedByRoot) {
  TempDir dir;
  const std::string rsa_root = PkiDir() + "/rsa_root.der";
  const Bytes leaf = PkiFile("rsa_leaf.der");
  auto run = [](const Bytes& cert, const std::string& root) {
    return CertVerifyRoot(cert.data(), static_cast<int>(cert.size()), root.c_str());
  };
  EXPECT_EQ(run(leaf, rsa_root), 1);
  EXPECT_EQ(run(leaf, StrData(PkiFile("rsa_root.der"))), 1);
  EXPECT_EQ(run(PkiFile("rsa_revoked.der"), rsa_root), 1);
  EXPECT_EQ(run(PkiFile("sm2_leaf.der"), PkiDir() + "/sm2_root.der"), 1);
  EXPECT_EQ(run(PkiFile("sm2_leaf.der"), StrData(PkiFile("sm2_root.der"))), 1);
  EXPECT_EQ(run(PkiFile("rsa_root.der"), rsa_root), 1);  // self-signed
  EXPECT_EQ(run(leaf, PkiDir() + "/other_root.der"), -1);
  EXPECT_NE(run(PkiFile("sm2_leaf.der"), rsa_root), 1);
  EXPECT_EQ(run(leaf, dir.File("missing.cer")), -121);
  EXPECT_EQ(CertVerifyRoot(leaf.data(), static_cast<int>(leaf.size()), nullptr), -121);
}

TEST(CertVerifyRoot, HandSplitRefusesMalformedCertificates) {
  const std::string root = PkiDir() + "/rsa_root.der";
  const Bytes leaf = PkiFile("rsa_leaf.der");
  ASSERT_EQ(leaf[0], 0x30);
  ASSERT_EQ(leaf[1], 0x82);
  const size_t sig_tag = leaf.size() - 257 - 3 - 1;  // 03 82 01 01 00 <256 bytes>
  ASSERT_EQ(leaf[sig_tag], 0x03);
  auto patched = [&](size_t at, uint8_t value) {
    Bytes b = leaf;
    b[at] = value;
    return b;
  };
  const Bytes cases[] = {
      Bytes(leaf.begin(), leaf.end() - 1),  // truncated
      Bytes(leaf.begin(), leaf.begin() + 4),
      patched(0, 0x31),                      // outer not a SEQUENCE
      patched(1, 0x84),                      // four length bytes
      patched(1, 0x80),                      // indefinite
      patched(4, 0x31),                      // tbs not a SEQUENCE
      patched(sig_tag, 0x04),                // signature not a BIT STRING
      patched(sig_tag + 4, 0x01),            // unused bits
      patched(sig_tag + 3, 0x02),            // bit string past the outer end
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(CertVerifyRoot(cases[i].data(), static_cast<int>(cases[i].size()), root.c_str()), -121)
        << "case " << i;
  }
  EXPECT_EQ(CertVerifyRoot(leaf.data(), 0, root.c_str()), -121);
}

// The reference time as the CRL writes the revocation date of its entry.
struct tm RevocationTime(const Bytes& crl_der, long offset) {
  const unsigned char* p = crl_der.data();
  ossl::X509CrlPtr crl(d2i_X509_CRL(nullptr, &p, static_cast<long>(crl_der.size())));
  const X509_REVOKED* entry = sk_X509_REVOKED_value(X509_CRL_get_REVOKED(crl.get()), 0);
  struct tm t = {};
  ASN1_TIME_to_tm(X509_REVOKED_get0_revocationDate(entry), &t);
  time_t secs = timegm(&t) + offset;
  gmtime_r(&secs, &t);
  return t;
}

TEST(CertVerifyCrl, RevocationAtAndAfterTheReference) {
  const std::string crl = PkiDir() + "/rsa.crl";
  const std::string root = PkiDir() + "/rsa_root.der";
  const Bytes revoked = PkiFile("rsa_revoked.der"), leaf = PkiFile("rsa_leaf.der");
  const Bytes crl_der = PkiFile("rsa.crl");
  auto run = [](const Bytes& cert, const std::string& list, const char* r, struct tm* when) {
    return CertVerifyCRL(cert.data(), static_cast<int>(cert.size()), list.c_str(), r, when);
  };
  struct tm at = RevocationTime(crl_der, 0), before = RevocationTime(crl_der, -1),
            later = RevocationTime(crl_der, 86400);
  EXPECT_EQ(run(revoked, crl, nullptr, &at), -11);
  EXPECT_EQ(run(revoked, crl, nullptr, &before), 0);
  EXPECT_EQ(run(revoked, crl, nullptr, &later), -11);
  EXPECT_EQ(run(revoked, crl, nullptr, nullptr), -11);
  EXPECT_EQ(run(leaf, crl, nullptr, nullptr), 0);
  EXPECT_EQ(run(revoked, StrData(crl_der), root.c_str(), &at), -11);
  EXPECT_EQ(run(revoked, crl, (PkiDir() + "/other_root.der").c_str(), &at), -295);

  const std::string sm2_crl = PkiDir() + "/sm2.crl";
  const std::string sm2_root = PkiDir() + "/sm2_root.der";
  EXPECT_EQ(run(PkiFile("sm2_revoked.der"), sm2_crl, sm2_root.c_str(), nullptr), -11);
  EXPECT_EQ(run(PkiFile("sm2_leaf.der"), sm2_crl, sm2_root.c_str(), nullptr), 0);

  EXPECT_EQ(run(revoked, PkiDir() + "/missing.crl", nullptr, nullptr), -121);
  EXPECT_EQ(run(revoked, StrData(ToBytes("junk")), nullptr, nullptr), -296);
  EXPECT_EQ(run(ToBytes("junk"), crl, nullptr, nullptr), -296);
}

class CertStoreTest : public ::testing::Test {
 protected:
  void Put(const char* fixed_dir, const std::string& name, const std::string& pki_file) {
    WriteFile(root_.MakeDir(fixed_dir) + "/" + name, PkiFile(pki_file));
  }
  static int Roots(const Bytes& cert) { return VerifyAllRootCerts(cert.data(), static_cast<int>(cert.size())); }
  static int Crls(const Bytes& cert) {
    return VerifyAllCRls(cert.data(), static_cast<int>(cert.size()), nullptr);
  }
  PathRoot root_;
};

TEST_F(CertStoreTest, RootStore) {
  const Bytes rsa = PkiFile("rsa_leaf.der"), sm2 = PkiFile("sm2_leaf.der");
  EXPECT_EQ(Roots(rsa), 0);  // no store
  Put("/var/quorix/seal/rootcer", "readme.txt", "rsa_root.der");
  Put("/var/quorix/seal/rootcer", "rsa_root.der", "rsa_root.der");
  EXPECT_EQ(Roots(sm2), 0);  // no ".cer" file tried
  Put("/var/quorix/seal/rootcer", "RSA_ROOT.CER", "rsa_root.der");
  EXPECT_EQ(Roots(rsa), 0);
  EXPECT_EQ(Roots(sm2), -295);
  Put("/var/quorix/seal/rootcer", "sm2.cer", "sm2_root.der");
  EXPECT_EQ(Roots(sm2), 0);
  EXPECT_EQ(Roots(PkiFile("other_root.der")), -295);
}

TEST_F(CertStoreTest, CrlStore) {
  const Bytes revoked = PkiFile("rsa_revoked.der"), leaf = PkiFile("rsa_leaf.der");
  EXPECT_EQ(Crls(revoked), 0);  // no store
  Put("/var/quorix/seal/crls", "rsa.crl.bak", "rsa.crl");
  EXPECT_EQ(Crls(revoked), 0);
  Put("/var/quorix/seal/crls", "sm2.crl", "sm2.crl");
  Put("/var/quorix/seal/crls", "rsa.CRL", "rsa.crl");
  EXPECT_EQ(Crls(revoked), -11);
  EXPECT_EQ(Crls(leaf), 0);
  EXPECT_EQ(Crls(PkiFile("sm2_revoked.der")), -11);
}

struct P7Result {
  int result = 0;
  Bytes cert;
  unsigned char detached = 9;
  int64_t r1 = 5;
  int r2 = 5, r3 = 5;
  unsigned char r4 = 5;
};

P7Result GetSigner(const Bytes& p7, const Bytes* sha1, const Bytes* content) {
  P7Result out;
  unsigned char* cert = nullptr;
  int cert_len = 0;
  out.result = GetSignCertAndData(p7.data(), static_cast<int>(p7.size()), sha1 ? sha1->data() : nullptr,
                                  content ? content->data() : nullptr,
                                  content ? static_cast<int>(content->size()) : 0, &cert, &cert_len,
                                  &out.detached, &out.r1, &out.r2, &out.r3, &out.r4);
  if (cert != nullptr) out.cert.assign(cert, cert + cert_len);
  std::free(cert);
  return out;
}

TEST(Pkcs7, DetachedAndAttachedSignatures) {
  const Bytes leaf = PkiFile("rsa_leaf.der"), data = PkiFile("data.bin"), sha1 = PkiFile("data.sha1");
  const Bytes other = ToBytes("other content");
  const Bytes wrong_sha1(20, 0x42);
  const Bytes detached = PkiFile("p7_detached.der"), attached = PkiFile("p7_attached.der"),
              noattr = PkiFile("p7_attached_noattr.der"), long_content = PkiFile("p7_attached_long.der");
  struct Case {
    const char* name;
    const Bytes* p7;
    const Bytes* sha1;
    const Bytes* content;
    int expected;
    unsigned char detached;
  } cases[] = {
      {"detached, content", &detached, nullptr, &data, 0, 1},
      {"detached, other content", &detached, nullptr, &other, -210, 1},
      {"detached, nothing to check", &detached, nullptr, nullptr, 0, 1},
      {"attached, digest", &attached, &sha1, nullptr, 0, 0},
      {"attached, content", &attached, nullptr, &data, 0, 0},
      {"attached, wrong digest", &attached, &wrong_sha1, nullptr, -210, 0},
      {"attached, other content", &attached, nullptr, &other, -210, 0},
      {"attached without attributes", &noattr, &sha1, nullptr, 0, 0},
      {"attached, nothing to check", &attached, nullptr, nullptr, 0, 0},
  };
  for (const Case& c : cases) {
    const P7Result r = GetSigner(*c.p7, c.sha1, c.content);
    EXPECT_EQ(r.result, c.expected) << c.name;
    EXPECT_EQ(r.detached, c.detached) << c.name;
    if (r.result == 0) {
      EXPECT_EQ(r.cert, leaf) << c.name;
      EXPECT_EQ(r.r1, 0);
      EXPECT_EQ(r.r2, 0);
      EXPECT_EQ(r.r3, -120);
      EXPECT_EQ(r.r4, 0);
    }
  }
  // Attached content that is not a 20-byte digest.
  EXPECT_EQ(GetSigner(long_content, &sha1, nullptr).result, -121);
}

TEST(Pkcs7, MalformedBlobs) {
  const Bytes p7 = PkiFile("p7_detached.der");
  for (const Bytes& bad : {Bytes{}, ToBytes("junk"), Bytes(p7.begin(), p7.end() - 10), PkiFile("rsa_leaf.der")}) {
    const P7Result r = GetSigner(bad, nullptr, nullptr);
    EXPECT_EQ(r.result, -121);
    EXPECT_TRUE(r.cert.empty());
  }
}

// The command line reports each check and fails when one fails.
TEST(CertCommand, VerifyReportsEachCheck) {
  auto run = [](const std::string& args, std::string* out) {
    const test::CommandRun r = test::RunTool("cert " + args);
    *out = r.out;
    return r.exit_code;
  };
  const std::string d = PkiDir() + "/";
  std::string out;
  EXPECT_EQ(run("verify " + d + "rsa_leaf.pem --root " + d + "rsa_root.der --crl " + d + "rsa.crl", &out), 0) << out;
  EXPECT_NE(out.find("root: ok (1)"), std::string::npos) << out;
  EXPECT_EQ(run("verify " + d + "rsa_revoked.der --root " + d + "rsa_root.der --crl " + d + "rsa.crl", &out), 1);
  EXPECT_NE(out.find("crl: FAILED (-11, revoked)"), std::string::npos) << out;
  EXPECT_EQ(run("verify " + d + "sm2_leaf.der --root " + d + "rsa_root.der", &out), 1);
  EXPECT_EQ(run("show " + d + "sm2_leaf.der", &out), 0);
  EXPECT_NE(out.find("subject: Li Si"), std::string::npos) << out;
  EXPECT_NE(out.find("algorithm: SM2"), std::string::npos) << out;
  EXPECT_EQ(run("verify", &out), 2);
}

}  // namespace
}  // namespace oesqx::test
