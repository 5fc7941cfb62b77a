// SM3 (GB/T 32905-2016): the streaming primitives used by the digest
// exports and the SM2 code.
//
// The compression function is fully unrolled: the eight working words are
// renamed from round to round instead of moved, the round constants are
// folded in already rotated by the round number, and each round's sums are
// ordered so that the values it waits for come last. The message schedule
// is expanded alongside the rounds, on the vector unit where there is one,
// so the scalar units are left to the rounds. Whole blocks are compressed
// straight from the caller's buffer; only a partial block is copied.
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "crypto/digest.h"

namespace {

inline uint32_t Rotl(uint32_t x, unsigned n) { return (x << n) | (x >> ((32 - n) & 31)); }

inline void StoreBe32(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v >> 24);
  p[1] = static_cast<unsigned char>(v >> 16);
  p[2] = static_cast<unsigned char>(v >> 8);
  p[3] = static_cast<unsigned char>(v);
}

// Keeps the compiler from re-associating a sum across this point, so the
// round adds its late operand last.
#if defined(__GNUC__)
inline void Pin(uint32_t& x) { __asm__("" : "+r"(x)); }
#else
inline void Pin(uint32_t&) {}
#endif

inline uint32_t P0(uint32_t x) { return x ^ Rotl(x, 9) ^ Rotl(x, 17); }

// Boolean functions of rounds 16..63 (rounds 0..15 use plain XOR).
inline uint32_t Ff1(uint32_t x, uint32_t y, uint32_t z) { return (x & (y | z)) | (y & z); }
inline uint32_t Gg1(uint32_t x, uint32_t y, uint32_t z) { return z ^ (x & (y ^ z)); }

// T_j rotated left by j mod 32, for every round j.
constexpr uint32_t kRotl(uint32_t x, unsigned n) { return n == 0 ? x : (x << n) | (x >> (32 - n)); }
constexpr uint32_t Tj(unsigned j) { return kRotl(j < 16 ? 0x79cc4519u : 0x7a879d8au, j % 32); }

// The message schedule: W[0..67] and W'[0..63] = W[j] ^ W[j+4], kept in
// arrays that the rounds read. Group g is W[g..g+3]; groups 0-12 come from
// the block, ExpandGroup(g) computes groups 16-64 in order.
#if defined(__SSE2__)
// On the vector unit, four words at a time, interleaved with the rounds so
// both units work at once. The last sixteen words stay in registers (x0 =
// W[g-16..g-13] up to x3 = W[g-4..g-1]); unaligned windows are cut from
// them. W[g+3] needs W[g] of the same group: its missing term
// P1(rotl(W[g], 15)) is added afterwards, P1 being linear over XOR.
inline __m128i Rotl4(__m128i x, int n) {
  return _mm_or_si128(_mm_slli_epi32(x, n), _mm_srli_epi32(x, 32 - n));
}
inline __m128i P1x4(__m128i x) { return _mm_xor_si128(x, _mm_xor_si128(Rotl4(x, 15), Rotl4(x, 23))); }
inline __m128i LoadBe4(const unsigned char* p) {
  __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  x = _mm_shufflehi_epi16(_mm_shufflelo_epi16(x, 0xb1), 0xb1);  // swap 16-bit halves
  return _mm_or_si128(_mm_slli_epi16(x, 8), _mm_srli_epi16(x, 8));
}
inline void Store4(uint32_t* p, __m128i x) { _mm_store_si128(reinterpret_cast<__m128i*>(p), x); }

// Makes the compiler assume memory has changed.
#if defined(__GNUC__)
inline void MemoryBarrier() { __asm__ volatile("" ::: "memory"); }
#else
inline void MemoryBarrier() {}
#endif

struct Schedule {
  alignas(16) uint32_t w[68];
  alignas(16) uint32_t wp[64];
  __m128i x0, x1, x2, x3;

  void Load(const unsigned char* block) {
    x0 = LoadBe4(block);
    x1 = LoadBe4(block + 16);
    x2 = LoadBe4(block + 32);
    x3 = LoadBe4(block + 48);
    Store4(w, x0);
    Store4(w + 4, x1);
    Store4(w + 8, x2);
    Store4(w + 12, x3);
    Store4(wp, _mm_xor_si128(x0, x1));
    Store4(wp + 4, _mm_xor_si128(x1, x2));
    Store4(wp + 8, _mm_xor_si128(x2, x3));
  }

  void ExpandGroup(int g) {
    const __m128i w3 = _mm_srli_si128(x3, 4);                                        // W[g-3..g-1], 0
    const __m128i w9 = _mm_or_si128(_mm_srli_si128(x1, 12), _mm_slli_si128(x2, 4));   // W[g-9..g-6]
    const __m128i w13 = _mm_or_si128(_mm_srli_si128(x0, 12), _mm_slli_si128(x1, 4));  // W[g-13..g-10]
    const __m128i w6 = _mm_or_si128(_mm_srli_si128(x2, 8), _mm_slli_si128(x3, 8));    // W[g-6..g-3]
    const __m128i t = _mm_xor_si128(_mm_xor_si128(x0, w9), Rotl4(w3, 15));
    __m128i u = _mm_xor_si128(_mm_xor_si128(P1x4(t), Rotl4(w13, 7)), w6);
    u = _mm_xor_si128(u, P1x4(Rotl4(_mm_slli_si128(u, 12), 15)));
    Store4(w + g, u);
    Store4(wp + g - 4, _mm_xor_si128(x3, u));
    // The rounds read these words back from memory as operands of their
    // adds; without this the compiler moves each one over from the vector
    // registers, which costs more instructions than the loads.
    MemoryBarrier();
    x0 = x1;
    x1 = x2;
    x2 = x3;
    x3 = u;
  }
};
#else
inline uint32_t LoadBe32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
}

inline uint32_t P1(uint32_t x) { return x ^ Rotl(x, 15) ^ Rotl(x, 23); }

struct Schedule {
  uint32_t w[68];
  uint32_t wp[64];

  void Load(const unsigned char* block) {
    for (int i = 0; i < 16; ++i) w[i] = LoadBe32(block + 4 * i);
    for (int j = 0; j < 12; ++j) wp[j] = w[j] ^ w[j + 4];
  }
  void ExpandGroup(int g) {
    for (int j = g; j < g + 4; ++j) {
      w[j] = P1(w[j - 16] ^ w[j - 9] ^ Rotl(w[j - 3], 15)) ^ Rotl(w[j - 13], 7) ^ w[j - 6];
      wp[j - 4] = w[j - 4] ^ w[j];
    }
  }
};
#endif

// One round j. The caller renames the registers: after the round the new
// (A,B,C,D,E,F,G,H) are (D,A,B,C,H,E,F,G).
#define SM3_ROUND(FF, GG, j, A, B, C, D, E, F, G, H)    \
  do {                                                  \
    uint32_t ak = Rotl(A, 12);                          \
    const uint32_t a12 = ak;                            \
    ak += Tj(j);                                        \
    uint32_t dw = D + s.wp[j];                          \
    uint32_t hw = H + s.w[j];                           \
    Pin(ak);                                            \
    Pin(dw);                                            \
    Pin(hw);                                            \
    const uint32_t ss1 = Rotl(ak + E, 7);               \
    uint32_t tt1 = FF(A, B, C) + dw;                    \
    uint32_t tt2 = GG(E, F, G) + hw;                    \
    Pin(tt1);                                           \
    Pin(tt2);                                           \
    D = tt1 + (ss1 ^ a12);                              \
    H = P0(tt2 + ss1);                                  \
    B = Rotl(B, 9);                                     \
    F = Rotl(F, 19);                                    \
  } while (0)

#define SM3_XOR3(x, y, z) ((x) ^ ((y) ^ (z)))

// Rounds j..j+3; group j+16 of the schedule is computed alongside, three
// quads before its first use.
#define SM3_QUAD(FF, GG, j)                                 \
  if ((j) + 16 <= 64) s.ExpandGroup((j) + 16);              \
  SM3_ROUND(FF, GG, (j), a, b, c, d, e, f, g, h);           \
  SM3_ROUND(FF, GG, (j) + 1, d, a, b, c, h, e, f, g);       \
  SM3_ROUND(FF, GG, (j) + 2, c, d, a, b, g, h, e, f);       \
  SM3_ROUND(FF, GG, (j) + 3, b, c, d, a, f, g, h, e)

#if defined(__GNUC__)
#define SM3_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define SM3_ALWAYS_INLINE inline
#endif

SM3_ALWAYS_INLINE void CompressBlocks(uint32_t state[8], const unsigned char* block, size_t blocks) {
  Schedule s;
  while (blocks-- > 0) {
    s.Load(block);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint32_t e = state[4], f = state[5], g = state[6], h = state[7];

    SM3_QUAD(SM3_XOR3, SM3_XOR3, 0);
    SM3_QUAD(SM3_XOR3, SM3_XOR3, 4);
    SM3_QUAD(SM3_XOR3, SM3_XOR3, 8);
    SM3_QUAD(SM3_XOR3, SM3_XOR3, 12);
    SM3_QUAD(Ff1, Gg1, 16);
    SM3_QUAD(Ff1, Gg1, 20);
    SM3_QUAD(Ff1, Gg1, 24);
    SM3_QUAD(Ff1, Gg1, 28);
    SM3_QUAD(Ff1, Gg1, 32);
    SM3_QUAD(Ff1, Gg1, 36);
    SM3_QUAD(Ff1, Gg1, 40);
    SM3_QUAD(Ff1, Gg1, 44);
    SM3_QUAD(Ff1, Gg1, 48);
    SM3_QUAD(Ff1, Gg1, 52);
    SM3_QUAD(Ff1, Gg1, 56);
    SM3_QUAD(Ff1, Gg1, 60);

    state[0] ^= a; state[1] ^= b; state[2] ^= c; state[3] ^= d;
    state[4] ^= e; state[5] ^= f; state[6] ^= g; state[7] ^= h;
    block += 64;
  }
}

#undef SM3_QUAD
#undef SM3_XOR3
#undef SM3_ROUND

// On x86-64 the same code is built a second time for processors with AVX
// and BMI2 (three-operand vector and rotate instructions, fewer copies) and
// chosen once at run time.
#if defined(__x86_64__) && defined(__GNUC__)
void CompressPlain(uint32_t state[8], const unsigned char* block, size_t blocks) {
  CompressBlocks(state, block, blocks);
}

__attribute__((target("avx,bmi2"))) void CompressAvx(uint32_t state[8], const unsigned char* block,
                                                      size_t blocks) {
  CompressBlocks(state, block, blocks);
}

using CompressFn = void (*)(uint32_t*, const unsigned char*, size_t);

CompressFn ChooseCompress() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx") && __builtin_cpu_supports("bmi2") ? CompressAvx : CompressPlain;
}

void Compress(uint32_t state[8], const unsigned char* block, size_t blocks) {
  static const CompressFn fn = ChooseCompress();
  fn(state, block, blocks);
}
#else
void Compress(uint32_t state[8], const unsigned char* block, size_t blocks) {
  CompressBlocks(state, block, blocks);
}
#endif

}  // namespace

extern "C" {

void sm3_starts(sm3_context* ctx) {
  static const uint32_t kIv[8] = {0x7380166f, 0x4914b2b9, 0x172442d7, 0xda8a0600,
                                  0xa96f30bc, 0x163138aa, 0xe38dee4d, 0xb0fb0e4e};
  ctx->total = 0;
  ctx->total_high = 0;
  std::memcpy(ctx->state, kIv, sizeof kIv);
}

void sm3_update(sm3_context* ctx, const unsigned char* input, int ilen) {
  if (ilen <= 0 || input == nullptr) return;
  size_t len = static_cast<size_t>(ilen);
  const size_t fill = ctx->total & 63;
  ctx->total += static_cast<unsigned int>(ilen);
  if (ctx->total < static_cast<unsigned int>(ilen)) ctx->total_high++;

  if (fill != 0) {
    const size_t room = 64 - fill;
    if (len < room) {
      std::memcpy(ctx->buffer + fill, input, len);
      return;
    }
    std::memcpy(ctx->buffer + fill, input, room);
    Compress(ctx->state, ctx->buffer, 1);
    input += room;
    len -= room;
  }
  if (len >= 64) {
    Compress(ctx->state, input, len / 64);
    input += len & ~static_cast<size_t>(63);
    len &= 63;
  }
  if (len > 0) std::memcpy(ctx->buffer, input, len);
}

void sm3_finish(sm3_context* ctx, unsigned char output[32]) {
  const uint32_t high = (ctx->total_high << 3) | (ctx->total >> 29);
  const uint32_t low = ctx->total << 3;
  const size_t r = ctx->total & 63;

  // Pad in place: 0x80, zeros to 56 mod 64, then the bit length.
  unsigned char* buf = ctx->buffer;
  buf[r] = 0x80;
  if (r < 56) {
    std::memset(buf + r + 1, 0, 55 - r);
  } else {
    std::memset(buf + r + 1, 0, 63 - r);
    Compress(ctx->state, buf, 1);
    std::memset(buf, 0, 56);
  }
  StoreBe32(buf + 56, high);
  StoreBe32(buf + 60, low);
  Compress(ctx->state, buf, 1);

  for (int i = 0; i < 8; ++i) StoreBe32(output + 4 * i, ctx->state[i]);
}

}  // extern "C"
