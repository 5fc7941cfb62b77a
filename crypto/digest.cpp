// The exported digest functions: one-shot SM3, SHA-1 and MD5, streaming SM3,
// and the salted SHA-1 stream. Contexts of the one-shot calls live on the
// stack; the streaming calls hand out heap contexts that their End call
// frees.
#include "crypto/digest.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "crypto/md5.h"
#include "crypto/sha1.h"

namespace {

// The salt of the salted stream: 23 letters and their terminating zero, all
// 24 bytes hashed.
const char kHashSalt[24] = "Kwartplinomesbuvyhatrez";
static_assert(sizeof kHashSalt == 24, "salt is 23 letters and a zero");

}  // namespace

extern "C" {

int GenerateSM3(unsigned char* out32, const unsigned char* data, int len) {
  if (out32 == nullptr) return 0;
  sm3_context ctx;
  sm3_starts(&ctx);
  sm3_update(&ctx, data, len);
  sm3_finish(&ctx, out32);
  return 0;
}

// Allocation failure gives null rather than an exception through the C
// interface; the other stream calls accept null and do nothing.
sm3_context* StartSM3(void) {
  sm3_context* ctx = new (std::nothrow) sm3_context;
  if (ctx != nullptr) sm3_starts(ctx);
  return ctx;
}

void ContinueSM3(sm3_context* ctx, const unsigned char* data, int len) {
  if (ctx == nullptr) return;
  sm3_update(ctx, data, len);
}

void EndSM3(sm3_context* ctx, unsigned char* out32) {
  if (ctx == nullptr) return;
  if (out32 != nullptr) sm3_finish(ctx, out32);
  delete ctx;
}

int GenerateSHA(unsigned char* out20, const unsigned char* data, unsigned int len) {
  if (out20 == nullptr) return 0;
  oesqx::CSHA1 sha;
  sha.Update(data, len);
  sha.Final();
  sha.GetHash(out20);
  return 0;
}

int GenerateMD5(unsigned char* out16, const unsigned char* data, unsigned int len) {
  if (out16 == nullptr) return 0;
  oesqx::MD5_CTX md5;
  md5.MD5Update(data, len);
  md5.MD5Final(out16);
  return 0;
}

void* StartHash(void) {
  oesqx::CSHA1* sha = new (std::nothrow) oesqx::CSHA1;
  if (sha == nullptr) return nullptr;
  sha->Update(reinterpret_cast<const unsigned char*>(kHashSalt), sizeof kHashSalt);
  return sha;
}

void ContinueHash(void* ctx, const unsigned char* data, unsigned int len) {
  if (ctx == nullptr) return;
  static_cast<oesqx::CSHA1*>(ctx)->Update(data, len);
}

void EndHash(void* ctx, unsigned char** out, int* out_len) {
  if (ctx == nullptr) return;
  oesqx::CSHA1* sha = static_cast<oesqx::CSHA1*>(ctx);
  unsigned char* buf = static_cast<unsigned char*>(std::malloc(20));
  if (buf != nullptr) std::memset(buf, 0, 20);
  if (out != nullptr) *out = buf;
  if (out_len != nullptr) *out_len = buf != nullptr ? 20 : 0;
  sha->Final();
  if (buf != nullptr) sha->GetHash(buf);
  // Nobody to hand the buffer to: do not leak it.
  if (out == nullptr) std::free(buf);
  delete sha;
}

}  // extern "C"
