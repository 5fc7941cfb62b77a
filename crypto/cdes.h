// The library's DES-family block cipher, which protects stored containers,
// text payloads and web seal data.
//
// It follows the standard's tables, but numbers the bits of each byte from
// the least significant one, lays each S-box result out least significant
// bit first, and does not exchange the halves before the final permutation,
// so the backward direction is the exact inverse of the forward one. Data
// written by it is readable only by this same variant.
//
// A key of 1 to 8 bytes gives single DES; 9 to 16 bytes give two-key triple
// DES (K1, K2 the opposite way, K1); bytes past 16 are ignored.
#ifndef OESQX_CRYPTO_CDES_H
#define OESQX_CRYPTO_CDES_H

#include <cstdint>

namespace oesqx {

class CDES {
 public:
  // Sixteen round keys, each as two words already arranged for the round
  // function's table lookups.
  struct KeySchedule {
    uint32_t k[16][2];
  };

  CDES();
  ~CDES();
  CDES(const CDES&) = delete;
  CDES& operator=(const CDES&) = delete;

  // Keeps min(key_len, 16) bytes of the key (zero-padded) and builds the
  // schedules; triple mode when more than 8 bytes were given.
  void SetKey(const unsigned char* key, int key_len);
  // Builds one schedule from 8 key bytes (parity bits ignored).
  void SetSubKey(KeySchedule* schedule, const unsigned char key[8]);
  // One block with one schedule. backward = false applies the round keys
  // 1..16, true applies 16..1 and undoes false.
  void DES(unsigned char out[8], const unsigned char in[8], const KeySchedule& schedule,
           bool backward) const;
  // Transforms the whole 8-byte blocks of `in` (which may be `out`) into
  // `out`, block by block or chained with a zero initial vector; the tail of
  // len mod 8 bytes is not touched. False, with nothing done, when a pointer
  // is null, len is below 8 or key_len below 1.
  bool DESDeal(unsigned char* out, const unsigned char* in, int len, const unsigned char* key,
               int key_len, bool backward, bool chain);

 private:
  // The single or triple transformation, per the current key, of N
  // consecutive blocks in place.
  template <int N>
  void Transform(unsigned char* blocks, bool backward) const;

  KeySchedule sub_key_[2];
  bool is_3des_;
  unsigned char key_[16];
};

}  // namespace oesqx

#endif
