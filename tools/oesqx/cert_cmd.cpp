// The certificate commands: show the fields of a certificate, and check it
// against its validity period, a root, a CRL and the local stores.
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "crypto/cert_info.h"
#include "crypto/ossl_ptr.h"
#include "crypto/sig_verify.h"
#include "tools/oesqx/commands.h"

namespace oesqx::cli {

// Reads a certificate file, DER or PEM, as DER.
bool ReadCertificate(const std::string& path, std::vector<unsigned char>* der) {
  std::vector<unsigned char> data;
  if (!ReadWholeFile(path, &data)) return false;
  static const char kPem[] = "-----BEGIN";
  if (data.size() < sizeof(kPem) - 1 || std::memcmp(data.data(), kPem, sizeof(kPem) - 1) != 0) {
    *der = std::move(data);
    return true;
  }
  ossl::BioPtr bio(BIO_new_mem_buf(data.data(), static_cast<int>(data.size())));
  ossl::X509Ptr x(bio ? PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr) : nullptr);
  unsigned char* out = nullptr;
  const int len = x ? i2d_X509(x.get(), &out) : -1;
  if (len <= 0) {
    std::fprintf(stderr, "oesqx: %s holds no certificate\n", path.c_str());
    return false;
  }
  der->assign(out, out + len);
  OPENSSL_free(out);
  return true;
}

namespace {

std::string DateText(const OESQX_DATE& d) {
  if (d.wYear == 0) return "(none)";
  char buf[40];
  std::snprintf(buf, sizeof(buf), "%04u-%02u-%02u %02u:%02u:%02u UTC", d.wYear, d.wMonth, d.wDay,
                d.wHour, d.wMinute, d.wSecond);
  return buf;
}

int Show(int argc, char** argv) {
  if (argc != 1) {
    std::fprintf(stderr, "usage: oesqx cert show CERT\n");
    return 2;
  }
  std::vector<unsigned char> der;
  if (!ReadCertificate(argv[0], &der)) return 1;
  OESQX_DATE end{}, start{};
  char subject[CERT_TEXT_SIZE], issuer[CERT_TEXT_SIZE], serial[CERT_TEXT_SIZE], dn[CERT_TEXT_SIZE];
  int sm2 = 0, usage = 0;
  if (der.size() > 0xFFFF ||
      CertReadInfoFromData(der.data(), static_cast<unsigned short>(der.size()), &end, subject, issuer,
                           serial, dn, &start, &sm2, nullptr, &usage) != 0) {
    std::fprintf(stderr, "oesqx: %s is not a readable certificate\n", argv[0]);
    return 1;
  }
  std::printf("subject: %s\nissuer: %s\nserial: %s\ndn: %s\nvalid from: %s\nvalid until: %s\n"
              "algorithm: %s\nkey usage: %s\n",
              subject, issuer, serial, dn, DateText(start).c_str(), DateText(end).c_str(),
              sm2 == 2 ? "SM2" : "RSA or other", usage == 1 ? "key exchange" : "signature");
  return 0;
}

// "YYYY-MM-DD hh:mm:ss" or "YYYY-MM-DDThh:mm:ss" (UTC).
bool ParseTime(const std::string& text, struct tm* out) {
  int y, mo, d, h = 0, mi = 0, s = 0;
  char sep = ' ';
  const int n = std::sscanf(text.c_str(), "%d-%d-%d%c%d:%d:%d", &y, &mo, &d, &sep, &h, &mi, &s);
  if (n != 3 && n != 7) return false;
  *out = {};
  out->tm_year = y - 1900;
  out->tm_mon = mo - 1;
  out->tm_mday = d;
  out->tm_hour = h;
  out->tm_min = mi;
  out->tm_sec = s;
  return true;
}

const char* Verdict(int code, int ok) { return code == ok ? "ok" : "FAILED"; }

int Verify(int argc, char** argv) {
  std::string cert_path, root, crl, time_text;
  bool store = false;
  for (int i = 0; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--store") {
      store = true;
    } else if ((a == "--root" || a == "--crl" || a == "--time") && i + 1 < argc) {
      (a == "--root" ? root : a == "--crl" ? crl : time_text) = argv[++i];
    } else if (cert_path.empty() && a.rfind("--", 0) != 0) {
      cert_path = a;
    } else {
      cert_path.clear();
      break;
    }
  }
  if (cert_path.empty()) {
    std::fprintf(stderr,
                 "usage: oesqx cert verify CERT [--root ROOT] [--crl CRL] [--store]\n"
                 "       [--time \"YYYY-MM-DD hh:mm:ss\"]   (ROOT, CRL: a DER file or STRDATA:Base64)\n");
    return 2;
  }
  struct tm when {};
  struct tm* at = nullptr;
  if (!time_text.empty()) {
    if (!ParseTime(time_text, &when)) {
      std::fprintf(stderr, "oesqx: bad time %s\n", time_text.c_str());
      return 2;
    }
    at = &when;
  }
  std::vector<unsigned char> der;
  if (!ReadCertificate(cert_path, &der)) return 1;
  const int len = static_cast<int>(der.size());
  bool all_ok = true;
  const int validity = CertVerifyCert(der.data(), len, at);
  std::printf("validity: %s (%d)\n", Verdict(validity, 0), validity);
  all_ok &= validity == 0;
  if (!root.empty()) {
    const int r = CertVerifyRoot(der.data(), len, root.c_str());
    std::printf("root: %s (%d)\n", Verdict(r, 1), r);
    all_ok &= r == 1;
  }
  if (!crl.empty()) {
    const int r = CertVerifyCRL(der.data(), len, crl.c_str(), root.empty() ? nullptr : root.c_str(), at);
    std::printf("crl: %s (%d%s)\n", Verdict(r, 0), r, r == -11 ? ", revoked" : "");
    all_ok &= r == 0;
  }
  if (store) {
    const int roots = VerifyAllRootCerts(der.data(), len);
    const int crls = VerifyAllCRls(der.data(), len, at);
    std::printf("root store: %s (%d)\ncrl store: %s (%d%s)\n", Verdict(roots, 0), roots, Verdict(crls, 0),
                crls, crls == -11 ? ", revoked" : "");
    all_ok &= roots == 0 && crls == 0;
  }
  return all_ok ? 0 : 1;
}

}  // namespace

int RunCert(int argc, char** argv) {
  if (argc >= 1 && std::strcmp(argv[0], "show") == 0) return Show(argc - 1, argv + 1);
  if (argc >= 1 && std::strcmp(argv[0], "verify") == 0) return Verify(argc - 1, argv + 1);
  std::fprintf(stderr, "usage: oesqx cert show CERT | oesqx cert verify CERT [options]\n");
  return 2;
}

}  // namespace oesqx::cli
