// Owners for OpenSSL objects: oesqx::ossl::Ptr<T> is a std::unique_ptr that
// frees T with its OpenSSL release function. Use the aliases below.
#ifndef OESQX_CRYPTO_OSSL_PTR_H
#define OESQX_CRYPTO_OSSL_PTR_H

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pkcs7.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <memory>

namespace oesqx::ossl {

template <typename T>
struct Free;

#define OESQX_OSSL_DELETER(T, fn)          \
  template <>                              \
  struct Free<T> {                         \
    void operator()(T* p) const { fn(p); } \
  }

OESQX_OSSL_DELETER(X509, X509_free);
OESQX_OSSL_DELETER(X509_CRL, X509_CRL_free);
OESQX_OSSL_DELETER(X509_NAME, X509_NAME_free);
OESQX_OSSL_DELETER(EVP_PKEY, EVP_PKEY_free);
OESQX_OSSL_DELETER(EVP_PKEY_CTX, EVP_PKEY_CTX_free);
OESQX_OSSL_DELETER(EVP_MD_CTX, EVP_MD_CTX_free);
OESQX_OSSL_DELETER(BIO, BIO_free_all);
OESQX_OSSL_DELETER(EC_GROUP, EC_GROUP_free);
OESQX_OSSL_DELETER(EC_POINT, EC_POINT_free);
OESQX_OSSL_DELETER(BIGNUM, BN_free);
OESQX_OSSL_DELETER(BN_CTX, BN_CTX_free);
OESQX_OSSL_DELETER(PKCS7, PKCS7_free);
OESQX_OSSL_DELETER(ASN1_OBJECT, ASN1_OBJECT_free);
// ASN1_INTEGER, ASN1_TIME and the other string types are one C type.
OESQX_OSSL_DELETER(ASN1_STRING, ASN1_STRING_free);
OESQX_OSSL_DELETER(ECDSA_SIG, ECDSA_SIG_free);

// EC_KEY and RSA appear only where an exported interface takes them; their
// release functions are deprecated in OpenSSL 3 but still the right ones.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
OESQX_OSSL_DELETER(EC_KEY, EC_KEY_free);
OESQX_OSSL_DELETER(RSA, RSA_free);
#pragma GCC diagnostic pop

#undef OESQX_OSSL_DELETER

template <typename T>
using Ptr = std::unique_ptr<T, Free<T>>;

using X509Ptr = Ptr<X509>;
using X509CrlPtr = Ptr<X509_CRL>;
using X509NamePtr = Ptr<X509_NAME>;
using PkeyPtr = Ptr<EVP_PKEY>;
using PkeyCtxPtr = Ptr<EVP_PKEY_CTX>;
using MdCtxPtr = Ptr<EVP_MD_CTX>;
using BioPtr = Ptr<BIO>;
using GroupPtr = Ptr<EC_GROUP>;
using PointPtr = Ptr<EC_POINT>;
using BnPtr = Ptr<BIGNUM>;
using BnCtxPtr = Ptr<BN_CTX>;
using Pkcs7Ptr = Ptr<PKCS7>;
using EcKeyPtr = Ptr<EC_KEY>;
using RsaPtr = Ptr<RSA>;

// BN_CTX_start / BN_CTX_end as a scope.
class BnCtxFrame {
 public:
  explicit BnCtxFrame(BN_CTX* ctx) : ctx_(ctx) { BN_CTX_start(ctx_); }
  ~BnCtxFrame() { BN_CTX_end(ctx_); }
  BnCtxFrame(const BnCtxFrame&) = delete;
  BnCtxFrame& operator=(const BnCtxFrame&) = delete;

 private:
  BN_CTX* ctx_;
};

// Parses a DER certificate; null when it does not parse or len < 0.
inline X509Ptr ParseX509(const unsigned char* der, long len) {
  if (der == nullptr || len <= 0) return nullptr;
  const unsigned char* p = der;
  return X509Ptr(d2i_X509(nullptr, &p, len));
}

}  // namespace oesqx::ossl

#endif
