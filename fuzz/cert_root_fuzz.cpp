// Certificates and CRLs from outside, split by hand and checked against a
// root made here (and themselves used as a root).
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/base64.h"
#include "crypto/ossl_ptr.h"
#include "crypto/sig_verify.h"

namespace {

std::string StrData(const unsigned char* p, size_t n) {
  CBase64Coder coder;
  coder.Encode(p, static_cast<unsigned>(n));
  return "STRDATA:" + std::string(reinterpret_cast<const char*>(coder.EncodedMessage()),
                                  coder.EncodedMessageSize());
}

std::string MakeRoot() {
  oesqx::ossl::PkeyPtr key(EVP_PKEY_Q_keygen(nullptr, nullptr, "RSA", size_t{1024}));
  oesqx::ossl::X509Ptr x(X509_new());
  X509_set_version(x.get(), 2);
  X509_NAME* name = X509_get_subject_name(x.get());
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("r"), -1, -1, 0);
  X509_set_issuer_name(x.get(), name);
  X509_gmtime_adj(X509_getm_notBefore(x.get()), 0);
  X509_gmtime_adj(X509_getm_notAfter(x.get()), 3600);
  X509_set_pubkey(x.get(), key.get());
  X509_sign(x.get(), key.get(), EVP_sha1());
  unsigned char* der = nullptr;
  const int len = i2d_X509(x.get(), &der);
  std::string out = StrData(der, static_cast<size_t>(len));
  OPENSSL_free(der);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string root = MakeRoot();
  if (size > 0x10000) return 0;
  const int n = static_cast<int>(size);
  CertVerifyRoot(data, n, root.c_str());
  const std::string self = StrData(data, size);
  CertVerifyRoot(data, n, self.c_str());
  CertVerifyCRL(data, n, self.c_str(), root.c_str(), nullptr);
  return 0;
}
