// MD5 engine (RFC 1321) in the reference form: init, update, final, and the
// transform and byte-order helpers. MD5Final wipes the context and starts it
// again, so one object can digest several messages in turn.
#ifndef OESQX_CRYPTO_MD5_H
#define OESQX_CRYPTO_MD5_H

#include <cstddef>
#include <cstdint>

namespace oesqx {

class MD5_CTX {
 public:
  MD5_CTX();

  void MD5Init();
  void MD5Update(const unsigned char* input, unsigned int len);
  void MD5Final(unsigned char digest[16]);

 private:
  // Compresses `blocks` consecutive 64-byte blocks into `state`.
  static void MD5Transform(uint32_t state[4], const unsigned char* block, size_t blocks);
  static void Encode(unsigned char* output, const uint32_t* input, unsigned int len);
  static void Decode(uint32_t* output, const unsigned char* input, unsigned int len);
  static void MD5_memcpy(unsigned char* output, const unsigned char* input, unsigned int len);
  static void MD5_memset(unsigned char* output, int value, unsigned int len);

  uint32_t state_[4];
  uint32_t count_[2];  // bit count, low word first
  unsigned char buffer_[64];
};

}  // namespace oesqx

#endif
