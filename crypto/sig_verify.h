/* Signature verification with a certificate's public key (RSA with MD5,
 * SHA-1 or SHA-256, SM2 with SM3, or the XTM middleware), root and CRL
 * checks, the local root and CRL stores, and PKCS#7 signed data.
 *
 * Signature type codes: 0 RSA/MD5, 1 RSA/SHA-1, 2 SM2, 3 decided by the
 * certificate's signature algorithm (SM2 or RSA/SHA-1), 4 RSA/SHA-256,
 * 5 XTM middleware. */
#ifndef OESQX_CRYPTO_SIG_VERIFY_H
#define OESQX_CRYPTO_SIG_VERIFY_H

#include <stdint.h>
#include <time.h>

#include "common/export.h"

OESQX_EXTERN_C_BEGIN

/* 1 valid; -1 not valid, unreadable certificate or error; 0 unknown type. */
OESQX_API int SSLVerifySignedData(const unsigned char* cert, int cert_len, const unsigned char* data,
                                  unsigned int data_len, const unsigned char* sig,
                                  unsigned int sig_len, int type);
/* The same function under its second name. */
OESQX_API int SKFCertVerifySignedData(const unsigned char* cert, int cert_len,
                                      const unsigned char* data, unsigned int data_len,
                                      const unsigned char* sig, unsigned int sig_len, int type);

/* Verification through the XTM middleware: 1 valid, -1 not valid, 0 when
 * the middleware is not usable. */
OESQX_API int XTMCertVerifySignedData(const unsigned char* cert, int cert_len,
                                      const unsigned char* data, int data_len,
                                      const unsigned char* sig, int sig_len, int reserved);

/* 0 valid; -210 not valid; -111 other failure. A 96-byte signature is
 * tried with the middleware first. */
OESQX_API int CertVerifySignFromData(const unsigned char* data, int data_len,
                                     const unsigned char* sig, unsigned short sig_len,
                                     const unsigned char* cert, int cert_len, int type);

/* Root and CRL sources are a file path, or "STRDATA:" and the Base64 of the
 * DER bytes. */

/* 1 when `root` issued the certificate; -121 malformed certificate or
 * unreadable root; otherwise the result of SSLVerifySignedData. */
OESQX_API int CertVerifyRoot(const unsigned char* cert, int cert_len, const char* root);

/* 0 not revoked at `when` (null: now, UTC); -11 revoked; -121 CRL
 * unreadable; -295 CRL not signed by `root` (when given); -296 CRL or
 * certificate does not parse. */
OESQX_API int CertVerifyCRL(const unsigned char* cert, int cert_len, const char* crl,
                            const char* root, struct tm* when);

/* 0 when a root of the store issued the certificate, or the store is
 * missing or holds no ".cer" file; -295 otherwise. */
OESQX_API int VerifyAllRootCerts(const unsigned char* cert, int cert_len);

/* 0 when no CRL of the store revokes the certificate at `when`; -11 when
 * one does. */
OESQX_API int VerifyAllCRls(const unsigned char* cert, int cert_len, struct tm* when);

/* Takes a PKCS#7 signed-data blob apart: the signer certificate (calloc'd,
 * freed by the caller) and whether it is detached; with content or digest
 * given, the signature is verified. 0 verified or nothing to verify;
 * -121 malformed; -210 not valid; -111 other failure. */
OESQX_API int GetSignCertAndData(const unsigned char* p7, int p7_len, const unsigned char* sha1,
                                 const unsigned char* content, int content_len,
                                 unsigned char** cert_out, int* cert_len_out,
                                 unsigned char* detached_out, int64_t* reserved1, int* reserved2,
                                 int* reserved3, unsigned char* reserved4);

OESQX_EXTERN_C_END

#ifdef __cplusplus
#include <cstddef>
#include <cstdint>
#include <vector>

namespace oesqx::sigv {

// The raw-RSA fallback test: `block` (the signature after the public
// operation, as long as the modulus) carries PKCS#1 type 1 padding
// (00 01, at least eight FF, 00) directly followed by `digest` or by
// `digest` reversed.
bool BlockCarriesDigest(const uint8_t* block, size_t block_len, const uint8_t* digest,
                        size_t digest_len);

}  // namespace oesqx::sigv
#endif

#endif
