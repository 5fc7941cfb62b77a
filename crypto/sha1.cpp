// CSHA1 over OpenSSL's SHA-1 block function (which uses the CPU's SHA
// instructions where present).
#define OPENSSL_SUPPRESS_DEPRECATED
#include "crypto/sha1.h"

#include <openssl/crypto.h>

#include <cstring>

namespace oesqx {

CSHA1::CSHA1() { Reset(); }

CSHA1::~CSHA1() { Reset(); }

void CSHA1::Reset() {
  SHA1_Init(&ctx_);
  std::memset(digest_, 0, sizeof digest_);
}

void CSHA1::Update(const unsigned char* data, unsigned int len) {
  if (data == nullptr || len == 0) return;
  SHA1_Update(&ctx_, data, len);
}

void CSHA1::Final() {
  SHA1_Final(digest_, &ctx_);
  OPENSSL_cleanse(&ctx_, sizeof ctx_);
}

void CSHA1::GetHash(unsigned char* out20) const { std::memcpy(out20, digest_, sizeof digest_); }

}  // namespace oesqx
