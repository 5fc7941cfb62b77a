// The exported cipher calls. Encrypting runs the cipher backward and
// decrypting forward; each call builds its own CDES on the stack.
#include <cstdlib>
#include <cstring>

#include "common/debuglog.h"
#include "crypto/cdes.h"
#include "crypto/des.h"

namespace {

constexpr int kFailed = -111;

// Enciphers or deciphers into a new buffer of the input's length, handed
// over before any work; the tail of len mod 8 bytes is copied unchanged.
int DealAlloc(const unsigned char* data, int len, const unsigned char* key, int key_len,
              unsigned char** out, int* out_len, bool backward, bool chain) {
  if (out == nullptr || out_len == nullptr) return kFailed;
  *out = nullptr;
  *out_len = 0;
  if (len <= 0) return kFailed;
  unsigned char* buf = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(len)));
  if (buf == nullptr) return kFailed;
  *out = buf;
  *out_len = len;
  oesqx::CDES des;
  if (!des.DESDeal(buf, data, len, key, key_len, backward, chain)) {
    // The caller owns the buffer even now; hand it over cleared rather than
    // with whatever the heap held.
    std::memset(buf, 0, static_cast<size_t>(len));
    return kFailed;
  }
  const size_t whole = static_cast<size_t>(len) & ~size_t{7};
  std::memcpy(buf + whole, data + whole, static_cast<size_t>(len) - whole);
  return 0;
}

int DealInPlace(unsigned char* data, int len, const unsigned char* key, int key_len,
                bool backward, bool chain) {
  oesqx::CDES des;
  return des.DESDeal(data, data, len, key, key_len, backward, chain) ? 0 : kFailed;
}

}  // namespace

extern "C" {

int EncData(const unsigned char* data, int len, const unsigned char* key, int key_len,
            unsigned char** out, int* out_len, bool chain) {
  return DealAlloc(data, len, key, key_len, out, out_len, true, chain);
}

int DecData(const unsigned char* data, int len, const unsigned char* key, int key_len,
            unsigned char** out, int* out_len, bool chain) {
  return DealAlloc(data, len, key, key_len, out, out_len, false, chain);
}

int EncDataNoAlloc(unsigned char* data, int len, const unsigned char* key, int key_len,
                   bool chain) {
  return DealInPlace(data, len, key, key_len, true, chain);
}

int DecDataNoAlloc(unsigned char* data, int len, const unsigned char* key, int key_len,
                   bool chain) {
  oesqx::dbg::Str("DecDataNoAlloc");
  return DealInPlace(data, len, key, key_len, false, chain);
}

}  // extern "C"
