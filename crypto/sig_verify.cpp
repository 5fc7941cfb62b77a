// Signature verification with the public key of a certificate.
#include "crypto/sig_verify.h"

#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/rsa.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/base64.h"
#include "common/debuglog.h"
#include "crypto/cert_cache.h"
#include "crypto/cert_info.h"
#include "crypto/digest.h"
#include "crypto/ossl_ptr.h"
#include "crypto/sm2_verify.h"

namespace oesqx::sigv {
namespace {

constexpr unsigned kMaxSignature = 512;
constexpr char kSm2SigOid[] = "1.2.156.10197.1.501";

enum class Algo { kSm2, kRsaSha1, kRsaSha256, kRsaMd5 };

bool HasSm2SignatureAlgorithm(const X509* x509) {
  return oesqx::cert::SignatureAlgorithmOid(x509) == kSm2SigOid;
}

int VerifySm2(const ASN1_BIT_STRING* key, const uint8_t* data, unsigned data_len, const uint8_t* sig,
              unsigned sig_len) {
  const uint8_t* bits = ASN1_STRING_get0_data(key);
  const int bits_len = ASN1_STRING_length(key);
  uint8_t e[32];
  if (SM3_WithSM2(e, data, static_cast<int>(data_len), reinterpret_cast<const uint8_t*>(sm2::kDefaultId),
                  sm2::kDefaultIdLen, bits + 1, bits_len - 1) != 1)
    return -1;
  // 64 raw bytes, DER and the 128-byte blob are used as they are; anything
  // else of 81 bytes or more is Base64 text of one of them.
  CBase64Coder coder;
  if (sig_len != 128 && sig_len >= 81) {
    coder.Decode(sig, sig_len);
    sig = coder.DecodedMessage();
    sig_len = coder.DecodedMessageSize();
  }
  return SM2_Verify_DATA(e, sig, static_cast<int>(sig_len), bits, bits_len) == 1 ? 1 : -1;
}

// 1 valid, 0 mismatch, -1 set-up failure (logged).
int EvpVerify(EVP_PKEY* key, const EVP_MD* md, bool sha256, const uint8_t* data, unsigned data_len,
              const uint8_t* sig, size_t sig_len) {
  ossl::MdCtxPtr ctx(EVP_MD_CTX_new());
  dbg::Str("SSLVer R P1");
  if (!ctx || EVP_DigestVerifyInit(ctx.get(), nullptr, md, nullptr, key) != 1) {
    dbg::Str(sha256 ? "SSLVer R E2" : "SSLVer R E3");
    return -1;
  }
  dbg::Str("SSLVer R P2");
  if (EVP_DigestVerifyUpdate(ctx.get(), data, data_len) != 1) {
    dbg::Str("SSLVer R E4");
    return -1;
  }
  dbg::Str("SSLVer R P3");
  return EVP_DigestVerifyFinal(ctx.get(), sig, sig_len) == 1 ? 1 : 0;
}

// The signature after the raw RSA public operation, as long as the modulus.
bool RawRecover(EVP_PKEY* key, const uint8_t* sig, size_t sig_len, std::vector<uint8_t>* block) {
  ossl::PkeyCtxPtr ctx(EVP_PKEY_CTX_new(key, nullptr));
  if (!ctx || EVP_PKEY_verify_recover_init(ctx.get()) != 1 ||
      EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_NO_PADDING) != 1)
    return false;
  size_t len = 0;
  if (EVP_PKEY_verify_recover(ctx.get(), nullptr, &len, sig, sig_len) != 1) return false;
  block->resize(len);
  if (EVP_PKEY_verify_recover(ctx.get(), block->data(), &len, sig, sig_len) != 1) return false;
  block->resize(len);
  return true;
}

// Raw fallback: a bare digest (or its byte reversal) in a type 1 block.
bool RawFallback(EVP_PKEY* key, Algo algo, const uint8_t* data, unsigned data_len,
                 const std::vector<uint8_t>& sig, const std::vector<uint8_t>& reversed) {
  uint8_t digest[20];
  size_t digest_len = 0;
  size_t min_block = 0;
  if (algo == Algo::kRsaSha1) {
    GenerateSHA(digest, data, data_len);
    digest_len = 20;
    min_block = 32;
  } else if (algo == Algo::kRsaMd5) {
    GenerateMD5(digest, data, data_len);
    digest_len = 16;
    min_block = 28;
  } else {
    return false;
  }
  std::vector<uint8_t> block;
  for (const std::vector<uint8_t>* s : {&sig, &reversed}) {
    if (RawRecover(key, s->data(), s->size(), &block) && block.size() >= min_block &&
        BlockCarriesDigest(block.data(), block.size(), digest, digest_len))
      return true;
  }
  return false;
}

int VerifyRsa(const X509* x509, Algo algo, const uint8_t* data, unsigned data_len, const uint8_t* sig,
              unsigned sig_len) {
  EVP_PKEY* key = X509_get0_pubkey(x509);
  if (key == nullptr) {
    dbg::Str("GMS Java CERT E");
    return -1;
  }
  const EVP_MD* md = algo == Algo::kRsaSha256 ? EVP_sha256() : algo == Algo::kRsaMd5 ? EVP_md5() : EVP_sha1();
  const bool sha256 = algo == Algo::kRsaSha256;
  int result = EvpVerify(key, md, sha256, data, data_len, sig, sig_len);
  if (result < 0) return -1;
  const std::vector<uint8_t> forward(sig, sig + sig_len);
  std::vector<uint8_t> reversed(forward.rbegin(), forward.rend());
  // Some platforms write the signature little-endian.
  if (result != 1 && sig_len < kMaxSignature) {
    result = EvpVerify(key, md, sha256, data, data_len, reversed.data(), reversed.size());
    if (result < 0) return -1;
  }
  if (result != 1) {
    dbg::Str("SSLVer R P4");
    if (RawFallback(key, algo, data, data_len, forward, reversed)) result = 1;
  }
  dbg::Str("SSLVer R RET");
  return result == 1 ? 1 : -1;
}

}  // namespace

bool BlockCarriesDigest(const uint8_t* block, size_t block_len, const uint8_t* digest,
                        size_t digest_len) {
  // 00 01 FF*8.. 00 digest: eleven bytes of padding at the least.
  if (block_len < digest_len + 11) return false;
  const size_t sep = block_len - digest_len - 1;
  if (block[0] != 0x00 || block[1] != 0x01 || block[sep] != 0x00) return false;
  for (size_t i = 2; i < sep; ++i) {
    if (block[i] != 0xFF) return false;
  }
  const uint8_t* tail = block + sep + 1;
  if (std::memcmp(tail, digest, digest_len) == 0) return true;
  for (size_t i = 0; i < digest_len; ++i) {
    if (tail[i] != digest[digest_len - 1 - i]) return false;
  }
  return true;
}

}  // namespace oesqx::sigv

int SSLVerifySignedData(const unsigned char* cert, int cert_len, const unsigned char* data,
                        unsigned int data_len, const unsigned char* sig, unsigned int sig_len,
                        int type) {
  using oesqx::sigv::Algo;
  if (sig_len > oesqx::sigv::kMaxSignature) {
    oesqx::dbg::Str("GMS Java Sign E");
    return -1;
  }
  oesqx::dbg::Int(type);
  if (type == 5) {
    return XTMCertVerifySignedData(cert, cert_len, data, static_cast<int>(data_len), sig,
                                   static_cast<int>(sig_len), 0);
  }
  oesqx::dbg::Str("SSLVerifySignedData");
  const oesqx::cert::SharedX509 x509 = oesqx::cert::ParseCached(cert, cert_len);
  const ASN1_BIT_STRING* key = x509 ? X509_get0_pubkey_bitstr(x509.get()) : nullptr;
  if (key == nullptr || ASN1_STRING_length(key) <= 0) {
    oesqx::dbg::Str("GMS Java CERT E");
    return -1;
  }
  if ((data == nullptr && data_len != 0) || (sig == nullptr && sig_len != 0)) return -1;
  Algo algo;
  switch (type) {
    case 2: algo = Algo::kSm2; break;
    case 3:
      algo = oesqx::sigv::HasSm2SignatureAlgorithm(x509.get()) ? Algo::kSm2 : Algo::kRsaSha1;
      break;
    case 1: algo = Algo::kRsaSha1; break;
    case 4: algo = Algo::kRsaSha256; break;
    case 0: algo = Algo::kRsaMd5; break;
    default: return 0;
  }
  if (algo == Algo::kSm2) return oesqx::sigv::VerifySm2(key, data, data_len, sig, sig_len);
  return oesqx::sigv::VerifyRsa(x509.get(), algo, data, data_len, sig, sig_len);
}

int SKFCertVerifySignedData(const unsigned char* cert, int cert_len, const unsigned char* data,
                            unsigned int data_len, const unsigned char* sig, unsigned int sig_len,
                            int type) {
  return SSLVerifySignedData(cert, cert_len, data, data_len, sig, sig_len, type);
}

int CertVerifySignFromData(const unsigned char* data, int data_len, const unsigned char* sig,
                           unsigned short sig_len, const unsigned char* cert, int cert_len,
                           int type) {
  if (data_len < 0) return -111;
  int result = 0;
  if (type == 5 || sig_len == 96) {
    result = XTMCertVerifySignedData(cert, cert_len, data, data_len, sig, sig_len, 0);
    if (result == 1) return 0;
  }
  if (type != 5) {
    result = SSLVerifySignedData(cert, cert_len, data, static_cast<unsigned>(data_len), sig, sig_len,
                                 type);
  }
  if (result == 1) return 0;
  return result == -1 ? -210 : -111;
}
