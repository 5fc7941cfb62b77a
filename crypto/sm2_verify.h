/* SM2 signature verification on the sm2p256v1 curve, and the SM2 message
 * digest e = SM3(Z || M) with the signer's identity value Z.
 *
 * Public keys are raw bytes (X || Y, 04 || X || Y, or two DER INTEGERs);
 * signatures are 64 raw bytes r || s, the 128-byte blob with r and s
 * right-aligned in two 64-byte fields, or DER of two INTEGERs. */
#ifndef OESQX_CRYPTO_SM2_VERIFY_H
#define OESQX_CRYPTO_SM2_VERIFY_H

#include <openssl/ec.h>

#include "common/export.h"

OESQX_EXTERN_C_BEGIN

/* e = SM3(Z || msg) into out32. A null id or id_len 0 uses the default
 * identity "1234567812345678". 1 when written; 0 (nothing written) for a
 * negative length, an identity over 8191 bytes or a key form not accepted
 * (64 bytes X || Y, or 70 bytes or more holding two INTEGERs). */
OESQX_API int SM3_WithSM2(unsigned char* out32, const unsigned char* msg, int msg_len,
                          const unsigned char* id, int id_len, const unsigned char* pubkey,
                          int pubkey_len);

/* SM3_WithSM2 with the default identity and the public key of a DER
 * certificate. 1 success; 0 not a certificate; -1 its public key has fewer
 * than 64 bytes; -2 the digest could not be formed. */
OESQX_API int SM3_WithCert(unsigned char* out32, const unsigned char* msg, int msg_len,
                           const unsigned char* cert, int cert_len);

/* Verifies signature (r, s) on the 32-byte digest e32 with a raw public key
 * (65 bytes 04 || X || Y, otherwise X and Y as the two halves). 1 valid;
 * 0 invalid or the key is not a point of the curve; -1 arithmetic failure. */
OESQX_API int SM2_Verify_DATA(const unsigned char* e32, const unsigned char* sig, int sig_len,
                              const unsigned char* pubkey, int pubkey_len);

/* Verifies a signature on a digest with a key holding curve and point; the
 * type is ignored. 1 valid; 0 invalid or unreadable signature; -1 no key,
 * group or point, or an arithmetic failure. */
OESQX_API int SM2_verify(int type, const unsigned char* dgst, int dgst_len,
                         const unsigned char* sig, int sig_len, EC_KEY* eckey);

OESQX_EXTERN_C_END

#ifdef __cplusplus
#include <cstddef>
#include <cstdint>

namespace oesqx::sm2 {

// The default signer identity and its length.
inline constexpr char kDefaultId[] = "1234567812345678";
inline constexpr int kDefaultIdLen = 16;

// The sm2p256v1 curve, built from its constants and checked once per
// process (thread-safe); null when the checks failed.
const EC_GROUP* CheckedCurve();

// r and s as read from a signature in one of the accepted forms (pointers
// into the signature). False when the form is not readable.
struct SignatureParts {
  const uint8_t* r = nullptr;
  size_t r_len = 0;
  const uint8_t* s = nullptr;
  size_t s_len = 0;
};
bool ReadSignature(const uint8_t* sig, size_t len, SignatureParts* out);

// The Part-compatible search for two INTEGERs one after the other in a
// buffer of 70 bytes or more (public keys and signatures).
bool ScanTwoIntegers(const uint8_t* data, size_t len, SignatureParts* out);

// Core verification against a group and point. 1 / 0 / -1 as SM2_verify.
int VerifyDigest(const EC_GROUP* group, const EC_POINT* pub, const uint8_t* dgst, size_t dgst_len,
                 const uint8_t* sig, size_t sig_len);

}  // namespace oesqx::sm2
#endif

#endif
