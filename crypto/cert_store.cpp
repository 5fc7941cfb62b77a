// Root and CRL checks of a certificate, and the local root and CRL stores.
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/data_arg.h"
#include "common/debuglog.h"
#include "common/paths.h"
#include "crypto/cert_info.h"
#include "crypto/der.h"
#include "crypto/ossl_ptr.h"
#include "crypto/sig_verify.h"

namespace oesqx::sigv {
namespace {

bool LoadSource(const char* source, std::vector<uint8_t>* out) {
  return source != nullptr && ReadDataArg(source, out) == DataArgStatus::kOk;
}

// Splits a signed structure (certificate or CRL): the to-be-signed part with
// its header, and the signature bits after the unused-bits byte. Each part
// must lie inside the outer SEQUENCE, and that inside the given bytes.
bool SplitSigned(const uint8_t* der, size_t len, der::Reader* tbs, der::Reader* signature) {
  der::Reader in(der, len);
  der::Reader outer, bits;
  if (!in.Read(der::kSequence, &outer)) return false;
  if (!outer.Read(der::kSequence, nullptr, tbs)) return false;
  outer.SkipIf(der::kSequence);  // signatureAlgorithm
  uint8_t unused = 0;
  if (!outer.Read(der::kBitString, &bits) || !bits.ReadU8(&unused) || unused != 0) return false;
  *signature = bits;
  return true;
}

bool EndsWithNoCase(const char* name, const char* suffix) {
  const size_t n = std::strlen(name), s = std::strlen(suffix);
  return n >= s && strcasecmp(name + n - s, suffix) == 0;
}

// Calls fn(path) for every regular file or link in `fixed_dir` whose name
// ends in `suffix` (any case), until fn returns false. False when the folder
// cannot be opened.
bool ForEachStoreFile(const char* fixed_dir, const char* suffix,
                      const std::function<bool(const std::string&)>& fn) {
  const std::string dir = paths::Resolve(fixed_dir);
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return false;
  while (const dirent* e = ::readdir(d)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    const std::string path = dir + "/" + e->d_name;
    unsigned char type = e->d_type;
    if (type == DT_UNKNOWN) {  // file systems that do not fill d_type
      struct stat st;
      if (::lstat(path.c_str(), &st) != 0) continue;
      type = S_ISREG(st.st_mode) ? DT_REG : S_ISLNK(st.st_mode) ? DT_LNK : DT_UNKNOWN;
    }
    if (type != DT_REG && type != DT_LNK) continue;
    if (!EndsWithNoCase(e->d_name, suffix)) continue;
    if (!fn(path)) break;
  }
  ::closedir(d);
  return true;
}

}  // namespace
}  // namespace oesqx::sigv

using namespace oesqx;

int CertVerifyRoot(const unsigned char* cert, int cert_len, const char* root) {
  std::vector<uint8_t> root_der;
  if (!sigv::LoadSource(root, &root_der)) return -121;
  if (cert == nullptr || cert_len <= 0) return -121;
  der::Reader tbs, signature;
  if (!sigv::SplitSigned(cert, static_cast<size_t>(cert_len), &tbs, &signature)) return -121;
  return SSLVerifySignedData(root_der.data(), static_cast<int>(root_der.size()), tbs.data(),
                             static_cast<unsigned>(tbs.size()), signature.data(),
                             static_cast<unsigned>(signature.size()), 3);
}

int CertVerifyCRL(const unsigned char* cert, int cert_len, const char* crl, const char* root,
                  struct tm* when) {
  std::vector<uint8_t> crl_der;
  if (!sigv::LoadSource(crl, &crl_der)) return -121;
  if (root != nullptr &&
      CertVerifyRoot(crl_der.data(), static_cast<int>(crl_der.size()), root) != 1)
    return -295;
  const unsigned char* p = crl_der.data();
  ossl::X509CrlPtr list(d2i_X509_CRL(nullptr, &p, static_cast<long>(crl_der.size())));
  ossl::X509Ptr x509 = ossl::ParseX509(cert, cert_len);
  if (!list || !x509) return -296;

  const ASN1_INTEGER* serial = X509_get0_serialNumber(x509.get());
  const STACK_OF(X509_REVOKED)* revoked = X509_CRL_get_REVOKED(list.get());
  const int count = revoked != nullptr ? sk_X509_REVOKED_num(revoked) : 0;
  for (int i = 0; i < count; ++i) {
    const X509_REVOKED* entry = sk_X509_REVOKED_value(revoked, i);
    if (ASN1_INTEGER_cmp(X509_REVOKED_get0_serialNumber(entry), serial) != 0) continue;
    cert::TimeFields date;
    // An entry whose date cannot be read still names the certificate.
    if (!cert::ReadTime(X509_REVOKED_get0_revocationDate(entry), &date)) return -11;
    return cert::CompareTimes(date, cert::ReferenceTime(when), true) <= 0 ? -11 : 0;
  }
  return 0;
}

int VerifyAllRootCerts(const unsigned char* cert, int cert_len) {
  dbg::Str("VerifyAllRootCerts");
  bool tried = false, accepted = false;
  const bool opened = sigv::ForEachStoreFile(paths::kRootCertDir, ".cer", [&](const std::string& path) {
    tried = true;
    dbg::Str("rootcer");
    dbg::Str(path.c_str());
    const int r = CertVerifyRoot(cert, cert_len, path.c_str());
    dbg::Int(r);
    accepted = r == 1;
    return !accepted;
  });
  if (!opened) {
    dbg::Str("VerifyAllRootCerts o1");
    return 0;
  }
  if (accepted) {
    dbg::Str("VerifyAllRootCerts ok");
    return 0;
  }
  if (!tried) return 0;
  dbg::Str("VerifyAllRootCerts Err");
  return -295;
}

int VerifyAllCRls(const unsigned char* cert, int cert_len, struct tm* when) {
  dbg::Str("VerifyAllCRls");
  bool revoked = false;
  const bool opened = sigv::ForEachStoreFile(paths::kCrlDir, ".crl", [&](const std::string& path) {
    dbg::Str("CRLs:");
    dbg::Str(path.c_str());
    const int r = CertVerifyCRL(cert, cert_len, path.c_str(), nullptr, when);
    dbg::Int(r);
    revoked = r == -11;
    return !revoked;
  });
  if (!opened) {
    dbg::Str("VerifyAllCRls o1");
    return 0;
  }
  if (revoked) {
    dbg::Str("VerifyAllCRls lost");
    return -11;
  }
  dbg::Str("VerifyAllCRls OK2");
  return 0;
}
