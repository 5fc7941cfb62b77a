// PKCS#7 signed data: the signer certificate, the detached flag and, when
// content or its SHA-1 is given, the check of the signature.
#include <openssl/pkcs7.h>

#include <cstdlib>
#include <cstring>

#include "common/debuglog.h"
#include "crypto/digest.h"
#include "crypto/ossl_ptr.h"
#include "crypto/sig_verify.h"

namespace oesqx::sigv {
namespace {

struct Der {
  unsigned char* data = nullptr;
  int len = 0;
  ~Der() { OPENSSL_free(data); }
};

// The content of an attached signature when it is plain data.
const ASN1_OCTET_STRING* EmbeddedData(const PKCS7* p7) {
  const PKCS7* inner = p7->d.sign != nullptr ? p7->d.sign->contents : nullptr;
  if (inner == nullptr || !PKCS7_type_is_data(inner)) return nullptr;
  return inner->d.data;
}

int VerifyWith(const unsigned char* data, int len, const ASN1_OCTET_STRING* sig, const Der& cert) {
  return CertVerifySignFromData(data, len, ASN1_STRING_get0_data(sig),
                                static_cast<unsigned short>(ASN1_STRING_length(sig)), cert.data,
                                cert.len, 1);
}

// Sets *stop when the embedded digest is refused: the call then ends
// without handing out the certificate.
int VerifyAttached(const PKCS7* p7, PKCS7_SIGNER_INFO* si, const unsigned char* sha1,
                   const unsigned char* content, int content_len, const Der& cert, bool* stop) {
  dbg::Str("GetSignCertAndData attach");
  const ASN1_OCTET_STRING* embedded = EmbeddedData(p7);
  if (embedded == nullptr || ASN1_STRING_length(embedded) != 20) {
    dbg::Str("GetSignCertAndData sha1 err");
    *stop = true;
    return -121;
  }
  unsigned char expected[20];
  if (sha1 != nullptr) {
    std::memcpy(expected, sha1, 20);
  } else {
    GenerateSHA(expected, content, static_cast<unsigned>(content_len));
  }
  if (std::memcmp(ASN1_STRING_get0_data(embedded), expected, 20) != 0) {
    dbg::Str("GetSignCertAndData sha1 err2");
    *stop = true;
    return -210;
  }
  int result = -210;
  if (si->auth_attr != nullptr && sk_X509_ATTRIBUTE_num(si->auth_attr) > 0) {
    Der attrs;  // the attributes as the SET they were signed as
    attrs.len = ASN1_item_i2d(reinterpret_cast<ASN1_VALUE*>(si->auth_attr), &attrs.data,
                              ASN1_ITEM_rptr(PKCS7_ATTR_VERIFY));
    if (attrs.len > 0) result = VerifyWith(attrs.data, attrs.len, si->enc_digest, cert);
  }
  if (result != 0) result = VerifyWith(ASN1_STRING_get0_data(embedded), 20, si->enc_digest, cert);
  return result;
}

}  // namespace
}  // namespace oesqx::sigv

using namespace oesqx;

int GetSignCertAndData(const unsigned char* p7_der, int p7_len, const unsigned char* sha1,
                       const unsigned char* content, int content_len, unsigned char** cert_out,
                       int* cert_len_out, unsigned char* detached_out, int64_t* reserved1,
                       int* reserved2, int* reserved3, unsigned char* reserved4) {
  if (cert_out != nullptr) *cert_out = nullptr;
  ossl::Pkcs7Ptr p7;
  if (p7_der != nullptr && p7_len > 0) {
    const unsigned char* p = p7_der;
    p7.reset(d2i_PKCS7(nullptr, &p, p7_len));
  }
  if (!p7 || !PKCS7_type_is_signed(p7.get()) || p7->d.sign == nullptr) {
    dbg::Str("GetSignCertAndData P7 err");
    return -121;
  }
  STACK_OF(PKCS7_SIGNER_INFO)* signers = PKCS7_get_signer_info(p7.get());
  PKCS7_SIGNER_INFO* si = signers != nullptr && sk_PKCS7_SIGNER_INFO_num(signers) > 0
                              ? sk_PKCS7_SIGNER_INFO_value(signers, 0)
                              : nullptr;
  if (si == nullptr) {
    dbg::Str("GetSignCertAndData signer num 0");
    return -121;
  }
  X509* signer = PKCS7_cert_from_signer_info(p7.get(), si);
  if (signer == nullptr) {
    dbg::Str("GetSignCertAndData getsigner err");
    return -121;
  }
  sigv::Der cert;
  cert.len = i2d_X509(signer, &cert.data);
  if (cert.len <= 0) {
    dbg::Str("GetSignCertAndDatacert err ");
    return -121;
  }
  const bool detached = PKCS7_get_detached(p7.get()) != 0;
  if (detached_out != nullptr) *detached_out = detached ? 1 : 0;

  const bool has_content = content != nullptr && content_len >= 0;
  int result = 0;
  if (si->enc_digest != nullptr && ASN1_STRING_length(si->enc_digest) > 0 &&
      (has_content || sha1 != nullptr)) {
    if (detached) {
      dbg::Str("GetSignCertAndData detached");
      result = has_content ? sigv::VerifyWith(content, content_len, si->enc_digest, cert)
                           : sigv::VerifyWith(sha1, 20, si->enc_digest, cert);
    } else {
      bool stop = false;
      result = sigv::VerifyAttached(p7.get(), si, sha1, content, content_len, cert, &stop);
      if (stop) return result;
    }
  }

  if (cert_out != nullptr) {
    *cert_out = static_cast<unsigned char*>(std::calloc(1, static_cast<size_t>(cert.len)));
    if (*cert_out == nullptr) return -111;
    std::memcpy(*cert_out, cert.data, static_cast<size_t>(cert.len));
  }
  if (cert_len_out != nullptr) *cert_len_out = cert.len;
  if (reserved1 != nullptr) *reserved1 = 0;
  if (reserved2 != nullptr) *reserved2 = 0;
  if (reserved3 != nullptr) *reserved3 = -120;
  if (reserved4 != nullptr) *reserved4 = 0;
  dbg::Str("GetSignCertAndData RET");
  return result;
}
