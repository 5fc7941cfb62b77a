// Descriptive fields of a certificate.
#include "crypto/cert_info.h"

#include <openssl/objects.h>
#include <openssl/x509v3.h>

#include <cstring>
#include <string>

#include "common/debuglog.h"
#include "crypto/ossl_ptr.h"

namespace oesqx::cert {
namespace {

constexpr size_t kMaxValue = 255;  // longer attribute values are left out
constexpr char kSm2SigOid[20] = "1.2.156.10197.1.501";

// Copies `text` into a caller buffer of CERT_TEXT_SIZE bytes, cut before a
// UTF-8 continuation byte if it must be cut at all.
void PutText(char* out, const std::string& text) {
  if (out == nullptr) return;
  size_t n = text.size();
  if (n > CERT_TEXT_SIZE - 1) {
    n = CERT_TEXT_SIZE - 1;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  }
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

// The value of a name entry as UTF-8; empty when it cannot be converted.
std::string EntryText(const X509_NAME_ENTRY* entry) {
  unsigned char* utf8 = nullptr;
  const int len = ASN1_STRING_to_UTF8(&utf8, X509_NAME_ENTRY_get_data(entry));
  if (len < 0 || utf8 == nullptr) return {};
  std::string out(reinterpret_cast<char*>(utf8), static_cast<size_t>(len));
  OPENSSL_free(utf8);
  return out;
}

// The first value of `nid` in `name` (at most 255 bytes); empty if none.
std::string FirstValue(const X509_NAME* name, int nid) {
  const int at = name != nullptr ? X509_NAME_get_index_by_NID(name, nid, -1) : -1;
  if (at < 0) return {};
  std::string v = EntryText(X509_NAME_get_entry(name, at));
  if (v.size() > kMaxValue) v.resize(kMaxValue);
  return v;
}

const char* DnPrefix(int nid) {
  switch (nid) {
    case NID_commonName: return "CN=";
    case NID_countryName: return "C=";
    case NID_localityName: return "L=";
    case NID_stateOrProvinceName: return "ST=";
    case NID_organizationName: return "O=";
    case NID_organizationalUnitName: return "OU=";
    case NID_pkcs9_emailAddress: return "Mail=";
    case NID_surname: return "SN=";
    default: return nullptr;
  }
}

std::string DnText(const X509_NAME* name) {
  std::string out;
  const int count = X509_NAME_entry_count(name);
  for (int i = 0; i < count; ++i) {
    const X509_NAME_ENTRY* e = X509_NAME_get_entry(name, i);
    const char* prefix = DnPrefix(OBJ_obj2nid(X509_NAME_ENTRY_get_object(e)));
    if (prefix == nullptr) continue;
    const std::string v = EntryText(e);
    if (v.empty() || v.size() > kMaxValue) continue;
    if (!out.empty()) out += ", ";
    out += prefix;
    out += v;
  }
  return out;
}

void PutDate(OESQX_DATE* out, const ASN1_TIME* time, int second, bool log_short) {
  if (out == nullptr) return;
  std::memset(out, 0, sizeof(*out));
  TimeFields t;
  bool is_short = false;
  if (!ReadTime(time, &t, &is_short)) return;
  if (log_short && is_short) oesqx::dbg::Str("short TM");
  if (t.month < 1 || t.month > 12) return;  // year stays 0: no date
  out->wYear = static_cast<uint16_t>(t.year);
  out->wMonth = static_cast<uint16_t>(t.month);
  out->wDay = static_cast<uint16_t>(t.day);
  out->wHour = static_cast<uint16_t>(t.hour);
  out->wMinute = static_cast<uint16_t>(t.minute);
  out->wSecond = static_cast<uint16_t>(second);
}

int Sm2Flag(const X509* x509) {
  char text[128] = {0};
  const std::string oid = oesqx::cert::SignatureAlgorithmOid(x509);
  std::snprintf(text, sizeof(text), "%s", oid.c_str());
  oesqx::dbg::Str(text);
  // Byte order comparison of the first 20 bytes, terminator included.
  return std::memcmp(text, kSm2SigOid, sizeof(kSm2SigOid)) <= 0 ? 2 : 0;
}

int KeyUsageClass(const X509* x509) {
  ossl::Ptr<ASN1_BIT_STRING> usage(
      static_cast<ASN1_BIT_STRING*>(X509_get_ext_d2i(x509, NID_key_usage, nullptr, nullptr)));
  if (!usage) return 2;
  const unsigned char first = ASN1_STRING_length(usage.get()) > 0 ? ASN1_STRING_get0_data(usage.get())[0] : 0;
  if ((first & 0x80) != 0) return 2;
  oesqx::dbg::Str("AT_KEYEXCHANGE");
  return 1;
}

}  // namespace

std::string SignatureAlgorithmOid(const X509* x509) {
  const X509_ALGOR* alg = nullptr;
  X509_get0_signature(nullptr, &alg, x509);
  const ASN1_OBJECT* oid = nullptr;
  if (alg != nullptr) X509_ALGOR_get0(&oid, nullptr, nullptr, alg);
  char text[128] = {0};
  if (oid != nullptr) OBJ_obj2txt(text, sizeof(text), oid, 1);
  return text;
}

std::string SerialText(const ASN1_INTEGER* serial) {
  ossl::BnPtr bn(ASN1_INTEGER_to_BN(serial, nullptr));
  if (!bn) return {};
  char* hex = BN_bn2hex(bn.get());
  if (hex == nullptr) return {};
  const std::string digits(hex);
  OPENSSL_free(hex);
  const size_t n = digits.size();
  size_t first = 4;
  if (n % 4 == 1 || n % 4 == 3) first = 4 - n % 4;
  else if (n % 4 == 2) first = 2;
  if (first > n) first = n;
  std::string out = digits.substr(0, first);
  for (size_t at = first; at < n; at += 4) {
    out += ' ';
    out += digits.substr(at, 4);
  }
  return out;
}

}  // namespace oesqx::cert

int CertReadInfoFromData(const unsigned char* der, unsigned short len, OESQX_DATE* not_after,
                         char* subject, char* issuer, char* serial, char* dn,
                         OESQX_DATE* not_before, int* sm2_flag, void* /*reserved*/, int* key_usage) {
  using namespace oesqx::cert;
  oesqx::dbg::Str("CertReadInfoFromData S");
  oesqx::ossl::X509Ptr x509 = oesqx::ossl::ParseX509(der, len);
  const ASN1_BIT_STRING* key = x509 ? X509_get0_pubkey_bitstr(x509.get()) : nullptr;
  if (key == nullptr || ASN1_STRING_length(key) <= 0) {
    oesqx::dbg::Str("CertReadInfoFromData E");
    return -1;
  }
  if (sm2_flag != nullptr) *sm2_flag = Sm2Flag(x509.get());
  PutDate(not_before, X509_get0_notBefore(x509.get()), 0, false);
  PutDate(not_after, X509_get0_notAfter(x509.get()), 59, true);

  const X509_NAME* subj = X509_get_subject_name(x509.get());
  if (subject != nullptr) {
    std::string name = FirstValue(subj, NID_commonName);
    if (name.empty()) name = FirstValue(subj, NID_organizationName);
    PutText(subject, name);
  }
  PutText(serial, SerialText(X509_get0_serialNumber(x509.get())));
  if (issuer != nullptr) PutText(issuer, FirstValue(X509_get_issuer_name(x509.get()), NID_commonName));
  if (dn != nullptr) {
    const std::string text = DnText(subj);
    oesqx::dbg::Str(text.c_str());
    PutText(dn, text);
  }
  if (key_usage != nullptr) *key_usage = KeyUsageClass(x509.get());
  oesqx::dbg::Str("CertReadInfoFromData OK");
  return 0;
}
