// SM3 (GB/T 32905-2016): the streaming primitives used by the digest
// exports and the SM2 code.
//
// The compression function is fully unrolled: the eight working words are
// renamed from round to round instead of moved, the message schedule is
// expanded on the fly in a 16-word window, and the round constants are
// stored already rotated by the round number. Whole blocks are compressed
// straight from the caller's buffer; only a partial block is copied.
#include <cstdint>
#include <cstring>

#include "crypto/digest.h"

namespace {

inline uint32_t Rotl(uint32_t x, unsigned n) { return (x << n) | (x >> ((32 - n) & 31)); }

inline uint32_t LoadBe32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
}

inline void StoreBe32(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v >> 24);
  p[1] = static_cast<unsigned char>(v >> 16);
  p[2] = static_cast<unsigned char>(v >> 8);
  p[3] = static_cast<unsigned char>(v);
}

inline uint32_t P0(uint32_t x) { return x ^ Rotl(x, 9) ^ Rotl(x, 17); }
inline uint32_t P1(uint32_t x) { return x ^ Rotl(x, 15) ^ Rotl(x, 23); }

// Boolean functions of rounds 16..63 (rounds 0..15 use plain XOR).
inline uint32_t Ff1(uint32_t x, uint32_t y, uint32_t z) { return (x & y) | (z & (x | y)); }
inline uint32_t Gg1(uint32_t x, uint32_t y, uint32_t z) { return z ^ (x & (y ^ z)); }

// T_j rotated left by j mod 32, for every round j.
constexpr uint32_t kRotl(uint32_t x, unsigned n) { return n == 0 ? x : (x << n) | (x >> (32 - n)); }
constexpr uint32_t Tj(unsigned j) { return kRotl(j < 16 ? 0x79cc4519u : 0x7a879d8au, j % 32); }

// One round. W1 = W[j], W2 = W[j+4]. The caller renames the registers:
// after the round the new (A,B,C,D,E,F,G,H) are (D,A,B,C,H,E,F,G).
#define SM3_ROUND(FF, GG, A, B, C, D, E, F, G, H, K, W1, W2)   \
  do {                                                           \
    const uint32_t a12 = Rotl(A, 12);                            \
    const uint32_t ss1 = Rotl(a12 + E + (K), 7);                 \
    const uint32_t ss2 = ss1 ^ a12;                              \
    D = FF(A, B, C) + D + ss2 + ((W1) ^ (W2));                   \
    H = P0(GG(E, F, G) + H + ss1 + (W1));                        \
    B = Rotl(B, 9);                                              \
    F = Rotl(F, 19);                                             \
  } while (0)

#define SM3_XOR3(x, y, z) ((x) ^ (y) ^ (z))

// The window holds W[j..j+15] at index (j mod 16). Expand(j) computes
// W[j] for j >= 16 into slot j mod 16.
#define SM3_W(j) w[(j) & 15]
#define SM3_EXPAND(j)                                                                  \
  (SM3_W(j) = P1(SM3_W((j)-16) ^ SM3_W((j)-9) ^ Rotl(SM3_W((j)-3), 15)) ^            \
              Rotl(SM3_W((j)-13), 7) ^ SM3_W((j)-6))

// Rounds j..j+3 with the eight registers in their rotated order. For j of 12
// and above, W[j+4] is expanded just before the round that first needs it.
#define SM3_R(FF, GG, j, A, B, C, D, E, F, G, H) \
  SM3_ROUND(FF, GG, A, B, C, D, E, F, G, H, Tj(j), SM3_W(j), SM3_W((j) + 4))
#define SM3_RE(FF, GG, j, A, B, C, D, E, F, G, H) \
  do {                                           \
    SM3_EXPAND((j) + 4);                         \
    SM3_R(FF, GG, j, A, B, C, D, E, F, G, H);    \
  } while (0)

#define SM3_QUAD(RX, FF, GG, j)                 \
  RX(FF, GG, (j), a, b, c, d, e, f, g, h);      \
  RX(FF, GG, (j) + 1, d, a, b, c, h, e, f, g);  \
  RX(FF, GG, (j) + 2, c, d, a, b, g, h, e, f);  \
  RX(FF, GG, (j) + 3, b, c, d, a, f, g, h, e)

void Compress(uint32_t state[8], const unsigned char* block, size_t blocks) {
  uint32_t w[16];
  while (blocks-- > 0) {
    for (int i = 0; i < 16; ++i) w[i] = LoadBe32(block + 4 * i);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint32_t e = state[4], f = state[5], g = state[6], h = state[7];

    SM3_QUAD(SM3_R, SM3_XOR3, SM3_XOR3, 0);
    SM3_QUAD(SM3_R, SM3_XOR3, SM3_XOR3, 4);
    SM3_QUAD(SM3_R, SM3_XOR3, SM3_XOR3, 8);
    SM3_QUAD(SM3_RE, SM3_XOR3, SM3_XOR3, 12);
    SM3_QUAD(SM3_RE, Ff1, Gg1, 16);
    SM3_QUAD(SM3_RE, Ff1, Gg1, 20);
    SM3_QUAD(SM3_RE, Ff1, Gg1, 24);
    SM3_QUAD(SM3_RE, Ff1, Gg1, 28);
    SM3_QUAD(SM3_RE, Ff1, Gg1, 32);
    SM3_QUAD(SM3_RE, Ff1, Gg1, 36);
    SM3_QUAD(SM3_RE, Ff1, Gg1, 40);
    SM3_QUAD(SM3_RE, Ff1, Gg1, 44);
    SM3_QUAD(SM3_RE, Ff1, Gg1, 48);
    SM3_QUAD(SM3_RE, Ff1, Gg1, 52);
    SM3_QUAD(SM3_RE, Ff1, Gg1, 56);
    SM3_QUAD(SM3_RE, Ff1, Gg1, 60);

    state[0] ^= a; state[1] ^= b; state[2] ^= c; state[3] ^= d;
    state[4] ^= e; state[5] ^= f; state[6] ^= g; state[7] ^= h;
    block += 64;
  }
}

#undef SM3_QUAD
#undef SM3_RE
#undef SM3_R
#undef SM3_EXPAND
#undef SM3_W
#undef SM3_XOR3
#undef SM3_ROUND

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
