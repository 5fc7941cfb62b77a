// SHA-1 engine (FIPS 180-4) used by the one-shot export and the salted
// stream. The block function is OpenSSL's; this class keeps the library's
// interface: Reset on construction and destruction, Final wipes the working
// state and leaves only the digest behind.
#ifndef OESQX_CRYPTO_SHA1_H
#define OESQX_CRYPTO_SHA1_H

#include <openssl/sha.h>

#include <cstdint>

namespace oesqx {

class CSHA1 {
 public:
  CSHA1();
  virtual ~CSHA1();
  CSHA1(const CSHA1&) = delete;
  CSHA1& operator=(const CSHA1&) = delete;

  // Initial values, count zero, digest area cleared.
  void Reset();
  void Update(const unsigned char* data, unsigned int len);
  // Pads, writes the digest into the digest area, then wipes the state.
  void Final();
  // Copies the 20-byte digest of the last Final.
  void GetHash(unsigned char* out20) const;

 private:
  SHA_CTX ctx_;
  unsigned char digest_[20];
};

}  // namespace oesqx

#endif
