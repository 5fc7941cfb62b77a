// The fast mask: XOR with five key words per group of five data words,
// optionally chained to the previous masked group through a tweak word.
// Words are host-order 32-bit values; a tail of 1 to 3 bytes is left alone.
#include <cstring>

#include "crypto/des.h"

extern "C" {

// The first 32 bits of the fractional parts of the square roots of the
// first nine primes: arbitrary constants with nothing hidden in them.
const unsigned int g_dwFastCBC[9] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f,
                                     0x9b05688c, 0x1f83d9ab, 0x5be0cd19, 0xcbbb9d5d};

}  // extern "C"

namespace {

constexpr size_t kGroup = 5;

// Words go through memcpy: callers may hand in byte buffers that are not
// word-aligned.
inline unsigned int LoadWord(const unsigned char* p) {
  unsigned int v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline void StoreWord(unsigned char* p, unsigned int v) { std::memcpy(p, &v, sizeof v); }

// Masks group g (of `count` words at `p`); `prev` is the masked previous
// group, or null for group 0.
inline void MaskGroup(unsigned char* p, size_t count, const unsigned int* key,
                      const unsigned char* prev, size_t g) {
  for (size_t j = 0; j < count; ++j) {
    unsigned int v = LoadWord(p + 4 * j) ^ key[j];
    if (prev != nullptr)
      v ^= LoadWord(prev + 4 * j) ^ static_cast<unsigned int>(g) ^ g_dwFastCBC[g % 9];
    StoreWord(p + 4 * j, v);
  }
}

void Mask(unsigned int* data, int len, const unsigned int* key20, bool chain, bool unmask) {
  if (data == nullptr || key20 == nullptr || len < 4) return;
  unsigned char* bytes = reinterpret_cast<unsigned char*>(data);
  const size_t words = static_cast<size_t>(len) / 4;
  const size_t groups = (words + kGroup - 1) / kGroup;  // the partial group included
  auto count_of = [&](size_t g) { return g + 1 < groups ? kGroup : words - g * kGroup; };
  auto group_at = [&](size_t g) { return bytes + 4 * kGroup * g; };

  if (!chain) {
    for (size_t g = 0; g < groups; ++g) MaskGroup(group_at(g), count_of(g), key20, nullptr, g);
    return;
  }
  if (!unmask) {
    for (size_t g = 0; g < groups; ++g)
      MaskGroup(group_at(g), count_of(g), key20, g == 0 ? nullptr : group_at(g - 1), g);
  } else {
    // From the end, so each group still sees its masked predecessor.
    for (size_t g = groups; g-- > 0;)
      MaskGroup(group_at(g), count_of(g), key20, g == 0 ? nullptr : group_at(g - 1), g);
  }
}

}  // namespace

extern "C" {

int EncDataFast(unsigned int* data, int len, const unsigned int* key20, bool chain) {
  Mask(data, len, key20, chain, false);
  return 0;
}

int DecDataFast(unsigned int* data, int len, const unsigned int* key20, bool chain) {
  Mask(data, len, key20, chain, true);
  return 0;
}

}  // extern "C"
