// Certificate fields and validity: certificates of the test PKI (OpenSSL
// command line), and certificates with chosen validity times built here.
#include <gtest/gtest.h>
#include <openssl/x509v3.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "crypto/cert_info.h"
#include "crypto/ossl_ptr.h"
#include "pki/pki_support.h"
#include "test_support.h"

namespace oesqx::test {
namespace {

struct Info {
  int result = 0;
  OESQX_DATE end{}, start{};
  char subject[CERT_TEXT_SIZE] = {}, issuer[CERT_TEXT_SIZE] = {}, serial[CERT_TEXT_SIZE] = {},
       dn[CERT_TEXT_SIZE] = {};
  int sm2 = -1, usage = -1;
};

Info Read(const Bytes& der) {
  Info i;
  i.result = CertReadInfoFromData(der.data(), static_cast<unsigned short>(der.size()), &i.end,
                                  i.subject, i.issuer, i.serial, i.dn, &i.start, &i.sm2, nullptr,
                                  &i.usage);
  return i;
}

TEST(CertReadInfo, FieldsOfPkiCertificates) {
  const Info leaf = Read(pki::PkiFile("rsa_leaf.der"));
  ASSERT_EQ(leaf.result, 0);
  EXPECT_STREQ(leaf.subject, "Zhang San");
  EXPECT_STREQ(leaf.issuer, "QX RSA Root");
  EXPECT_STREQ(leaf.serial, "1A2B 3C4D 5E6F 7081 92A3");  // ten bytes, five groups
  EXPECT_STREQ(leaf.dn, "C=CN, ST=Beijing, L=Haidian, O=QX Test, OU=Seals, CN=Zhang San, "
                        "Mail=zs@example.com");
  EXPECT_EQ(leaf.sm2, 0);
  EXPECT_EQ(leaf.usage, 2);
  EXPECT_GE(leaf.end.wYear, 2030);
  EXPECT_EQ(leaf.end.wSecond, 59);
  EXPECT_EQ(leaf.start.wSecond, 0);
  EXPECT_GE(leaf.start.wYear, 2024);
  EXPECT_LT(leaf.start.wYear, leaf.end.wYear);

  const Info noncn = Read(pki::PkiFile("rsa_noncn.der"));
  ASSERT_EQ(noncn.result, 0);
  EXPECT_STREQ(noncn.subject, "QX Org Only");
  EXPECT_EQ(noncn.usage, 1);  // keyEncipherment without digitalSignature

  const Info sm2 = Read(pki::PkiFile("sm2_leaf.der"));
  ASSERT_EQ(sm2.result, 0);
  EXPECT_EQ(sm2.sm2, 2);
  EXPECT_STREQ(sm2.subject, "Li Si");
  EXPECT_STREQ(sm2.serial, "3001");
}

TEST(CertReadInfo, NullOutputsAndBadInput) {
  const Bytes der = pki::PkiFile("rsa_leaf.der");
  EXPECT_EQ(CertReadInfoFromData(der.data(), static_cast<unsigned short>(der.size()), nullptr, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
            0);
  for (const Bytes& bad : {Bytes{}, ToBytes("not a certificate"), Bytes(der.begin(), der.end() - 1)}) {
    Info i = Read(bad);
    EXPECT_EQ(i.result, -1);
  }
}

TEST(CertReadInfo, SerialTextGroups) {
  struct Case {
    const char* hex;
    const char* text;
  } cases[] = {
      {"00", "0"},
      {"0A", "0A"},
      {"0102", "0102"},
      {"010203", "01 0203"},
      {"01020304", "0102 0304"},
      {"0102030405060708090A", "0102 0304 0506 0708 090A"},
  };
  for (const Case& c : cases) {
    const Bytes b = Unhex(c.hex);
    ossl::BnPtr bn(BN_bin2bn(b.data(), static_cast<int>(b.size()), nullptr));
    ossl::Ptr<ASN1_STRING> serial(BN_to_ASN1_INTEGER(bn.get(), nullptr));
    EXPECT_EQ(cert::SerialText(serial.get()), c.text) << c.hex;
  }
}

// A self-signed certificate with the given validity times ("YYMMDDhhmmssZ"
// or "YYYYMMDDhhmmssZ"; null: now + offset seconds).
Bytes MakeCert(const char* not_before, const char* not_after, long before_offset = 0,
               long after_offset = 0) {
  ossl::PkeyPtr key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
  ossl::X509Ptr x(X509_new());
  X509_set_version(x.get(), 2);
  ASN1_INTEGER_set(X509_get_serialNumber(x.get()), 7);
  X509_NAME* name = X509_get_subject_name(x.get());
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("t"), -1, -1, 0);
  X509_set_issuer_name(x.get(), name);
  auto set = [](ASN1_TIME* t, const char* text, long offset) {
    if (text != nullptr) {
      ASN1_TIME_set_string(t, text);
    } else {
      X509_gmtime_adj(t, offset);
    }
  };
  set(X509_getm_notBefore(x.get()), not_before, before_offset);
  set(X509_getm_notAfter(x.get()), not_after, after_offset);
  X509_set_pubkey(x.get(), key.get());
  X509_sign(x.get(), key.get(), EVP_sha256());
  unsigned char* out = nullptr;
  const int len = i2d_X509(x.get(), &out);
  Bytes der(out, out + len);
  OPENSSL_free(out);
  return der;
}

struct tm Tm(int year, int month, int day, int hour, int minute, int second = 0) {
  struct tm t = {};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

TEST(CertVerifyCert, ReferenceTimeToTheMinute) {
  const Bytes utc = MakeCert("300101080000Z", "300615103000Z");
  const Bytes gen = MakeCert("20300101080000Z", "20600615103000Z");  // GeneralizedTime
  struct Case {
    const Bytes* cert;
    struct tm when;
    int expected;
  } cases[] = {
      {&utc, Tm(2030, 6, 15, 10, 30, 59), 0},
      {&utc, Tm(2030, 6, 15, 10, 31), -12},
      {&utc, Tm(2030, 1, 1, 8, 0), 0},
      {&utc, Tm(2030, 1, 1, 7, 59, 59), -12},
      {&utc, Tm(2031, 1, 1, 0, 0), -12},
      {&gen, Tm(2060, 6, 15, 10, 30), 0},
      {&gen, Tm(2060, 6, 15, 10, 31), -12},
      {&gen, Tm(2029, 12, 31, 23, 59), -12},
  };
  for (const Case& c : cases) {
    struct tm when = c.when;
    EXPECT_EQ(CertVerifyCert(c.cert->data(), static_cast<int>(c.cert->size()), &when), c.expected)
        << (c.cert == &utc ? "UTCTime " : "GeneralizedTime ") << when.tm_year + 1900 << "-"
        << when.tm_mon + 1 << "-" << when.tm_mday << " " << when.tm_hour << ":" << when.tm_min;
  }
  struct tm when = Tm(2030, 3, 1, 0, 0);
  EXPECT_EQ(CertVerifyCert(nullptr, 0, &when), -121);
  const Bytes junk = ToBytes("junk");
  EXPECT_EQ(CertVerifyCert(junk.data(), 4, &when), -121);
}

// Without a reference time the certificate's UTC times are compared with the
// current UTC time, whatever the local time zone.
TEST(CertVerifyCert, NowIsUtcInEveryTimeZone) {
  const Bytes valid = MakeCert(nullptr, nullptr, -3600, 3600);
  const Bytes expired = MakeCert(nullptr, nullptr, -7200, -3600);
  const Bytes future = MakeCert(nullptr, nullptr, 3600, 7200);
  const char* old_tz = std::getenv("TZ");
  const std::string saved = old_tz != nullptr ? old_tz : "";
  for (const char* tz : {"CST-8", "PST8", "UTC0"}) {
    setenv("TZ", tz, 1);
    tzset();
    EXPECT_EQ(CertVerifyCert(valid.data(), static_cast<int>(valid.size()), nullptr), 0) << tz;
    EXPECT_EQ(CertVerifyCert(expired.data(), static_cast<int>(expired.size()), nullptr), -12) << tz;
    EXPECT_EQ(CertVerifyCert(future.data(), static_cast<int>(future.size()), nullptr), -12) << tz;
  }
  if (old_tz != nullptr) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

}  // namespace
}  // namespace oesqx::test
