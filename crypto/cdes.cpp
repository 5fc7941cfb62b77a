// CDES: the run-time form of the cipher.
//
// The bit-level description (1-based bit numbers, bits of each byte counted
// from the least significant one) is turned at compile time into lookup
// tables: the initial and final permutations and both key permutations
// work a nibble at a time, and each S-box is merged with the P permutation
// into one table indexed by a whole byte. A half block is held as a 32-bit word with its
// bit k (1..32) at position (33 - k) mod 32, so the eight 6-bit groups of
// the expansion are the bytes of the word and of the word rotated by 4.
#include "crypto/cdes.h"

#include <cstring>

#include "common/debuglog.h"
#include "crypto/des_tables.h"

namespace oesqx {

namespace {

namespace t = des_tables;

struct FastTables {
  uint32_t sp[8][256];   // byte with box j's 6-bit group in its low bits -> P(S output)
  uint64_t ip[16][16];   // input nibble -> (L << 32) | R
  uint64_t fp[16][16];   // nibble of (L << 32) | R -> output, byte b at bits 8b
  uint64_t pc1[16][16];  // key nibble -> (C << 32) | D, C and D 28 bits each
  uint64_t pc2[14][16];  // nibble of C (0-6) or D (7-13) -> round key words
};

// Position of bit k (1..32) of a half in its word, and back.
constexpr unsigned HalfPos(unsigned k) { return (33 - k) & 31; }
constexpr unsigned HalfBit(unsigned pos) { return ((33 - pos) & 31) == 0 ? 32 : (33 - pos) & 31; }

// Index i (1-based) of `n` in a permutation table, 0 when absent.
template <size_t N>
constexpr unsigned IndexOf(const uint8_t (&table)[N], unsigned n) {
  for (unsigned i = 0; i < N; ++i)
    if (table[i] == n) return i + 1;
  return 0;
}

// Where round-key bit m (1..48) lands: bit 32 + p of the (A << 32) | B pair.
// Groups 0, 2, 4, 6 meet the half rotated right by 4 (word A), groups 1, 3,
// 5, 7 the half itself (word B); group j sits in byte 3 - j / 2, its first
// bit most significant.
constexpr unsigned RoundKeyPos(unsigned m) {
  const unsigned j = (m - 1) / 6;
  const unsigned bit = 5 - (m - 1) % 6;
  const unsigned shift = (3 - j / 2) * 8 + bit;
  return (j % 2 == 0 ? 32 : 0) + shift;
}

constexpr FastTables BuildTables() {
  FastTables ft{};
  for (unsigned j = 0; j < 8; ++j) {
    for (unsigned byte = 0; byte < 256; ++byte) {
      const unsigned x = byte & 63;  // the top two bits belong to no group
      const unsigned row = ((x >> 4) & 2) | (x & 1);
      const unsigned col = (x >> 1) & 15;
      const unsigned v = t::kS[j][row][col];
      uint32_t out = 0;
      for (unsigned i = 1; i <= 32; ++i) {
        const unsigned src = t::kP[i - 1] - 1;  // 0-based bit of the S output
        // Box j fills S-output bits 4j+1..4j+4 with v's bits 0..3 in order.
        if (src / 4 == j && ((v >> (src % 4)) & 1) != 0) out |= uint32_t{1} << HalfPos(i);
      }
      ft.sp[j][byte] = out;
    }
  }
  for (unsigned nib = 0; nib < 16; ++nib) {
    for (unsigned v = 0; v < 16; ++v) {
      uint64_t ip = 0, fp = 0, pc1 = 0;
      for (unsigned b = 0; b < 4; ++b) {
        if (((v >> b) & 1) == 0) continue;
        const unsigned q = 4 * nib + b;  // 0-based bit of the input
        // Initial permutation: input bit q+1 becomes output bit i.
        const unsigned i = IndexOf(t::kIp, q + 1);
        ip |= uint64_t{1} << (i <= 32 ? 32 + HalfPos(i) : HalfPos(i - 32));
        // Final permutation: bit q of (L << 32) | R is pre-output bit m.
        const unsigned m = q >= 32 ? HalfBit(q - 32) : 32 + HalfBit(q);
        fp |= uint64_t{1} << (IndexOf(t::kFp, m) - 1);
        // Key permutation: key bit q+1 becomes C or D bit c (parity: none).
        const unsigned c = IndexOf(t::kPc1, q + 1);
        if (c != 0) pc1 |= uint64_t{1} << (c <= 28 ? 32 + 28 - c : 56 - c);
      }
      ft.ip[nib][v] = ip;
      ft.fp[nib][v] = fp;
      ft.pc1[nib][v] = pc1;
    }
  }
  for (unsigned nib = 0; nib < 14; ++nib) {
    for (unsigned v = 0; v < 16; ++v) {
      uint64_t out = 0;
      for (unsigned b = 0; b < 4; ++b) {
        if (((v >> b) & 1) == 0) continue;
        const unsigned p = 4 * (nib % 7) + b;         // position in C or D
        const unsigned cd = nib < 7 ? 28 - p : 56 - p;  // 1-based bit of C D
        const unsigned m = IndexOf(t::kPc2, cd);
        if (m != 0) out |= uint64_t{1} << RoundKeyPos(m);
      }
      ft.pc2[nib][v] = out;
    }
  }
  return ft;
}

constexpr FastTables kT = BuildTables();

inline uint32_t Rotr(uint32_t x, unsigned n) { return (x >> n) | (x << (32 - n)); }

// Blocks as little-endian 64-bit numbers: bit n (1-based) of the block is
// bit n - 1 of the number.
inline uint64_t Load64(const unsigned char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap64(v);
#endif
  return v;
}

inline void Store64(unsigned char* p, uint64_t v) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap64(v);
#endif
  std::memcpy(p, &v, 8);
}

// A 64-bit permutation by its sixteen nibble tables, in two chains.
inline uint64_t Permute(const uint64_t (&table)[16][16], uint64_t x) {
  uint64_t a = 0, b = 0;
#pragma GCC unroll 8
  for (int n = 0; n < 16; n += 2) {
    a |= table[n][(x >> (4 * n)) & 15];
    b |= table[n + 1][(x >> (4 * n + 4)) & 15];
  }
  return a | b;
}

// The round function: the bytes of the half rotated right by 4 and of the
// half itself, each XORed with its round-key word, index the eight tables.
// The XORs are paired so the results join in three steps, not eight.
inline uint32_t RoundF(uint32_t w, const uint32_t* k) {
  const uint32_t a = Rotr(w, 4) ^ k[0];
  const uint32_t b = w ^ k[1];
  const uint32_t x = (kT.sp[0][a >> 24] ^ kT.sp[2][(a >> 16) & 0xff]) ^
                     (kT.sp[4][(a >> 8) & 0xff] ^ kT.sp[6][a & 0xff]);
  const uint32_t y = (kT.sp[1][b >> 24] ^ kT.sp[3][(b >> 16) & 0xff]) ^
                     (kT.sp[5][(b >> 8) & 0xff] ^ kT.sp[7][b & 0xff]);
  return x ^ y;
}

// The halves of N blocks (one or two; two independent blocks keep more of
// the core busy while each waits on its table lookups).
template <int N>
struct Halves {
  uint32_t l[N], r[N];
};

// Sixteen rounds. Forward: new R = f(R) ^ L, new L = R, keys 1..16;
// backward: new L = f(L) ^ R, new R = L, keys 16..1. Alternating the half
// that is updated does the renaming, and no exchange follows. The halves
// are local scalars so they stay in registers.
template <int N>
inline void Rounds(Halves<N>& h, const CDES::KeySchedule& ks, bool backward) {
  static_assert(N == 1 || N == 2, "one or two blocks");
  uint32_t l0 = h.l[0], r0 = h.r[0];
  uint32_t l1 = h.l[N - 1], r1 = h.r[N - 1];
  if (!backward) {
    for (int i = 0; i < 16; i += 2) {
      l0 ^= RoundF(r0, ks.k[i]);
      if (N == 2) l1 ^= RoundF(r1, ks.k[i]);
      r0 ^= RoundF(l0, ks.k[i + 1]);
      if (N == 2) r1 ^= RoundF(l1, ks.k[i + 1]);
    }
  } else {
    for (int i = 15; i > 0; i -= 2) {
      r0 ^= RoundF(l0, ks.k[i]);
      if (N == 2) r1 ^= RoundF(l1, ks.k[i]);
      l0 ^= RoundF(r0, ks.k[i - 1]);
      if (N == 2) l1 ^= RoundF(r1, ks.k[i - 1]);
    }
  }
  h.l[0] = l0;
  h.r[0] = r0;
  h.l[N - 1] = N == 2 ? l1 : l0;
  h.r[N - 1] = N == 2 ? r1 : r0;
}

inline void InitialPerm(const unsigned char* in, uint32_t& l, uint32_t& r) {
  const uint64_t lr = Permute(kT.ip, Load64(in));
  l = static_cast<uint32_t>(lr >> 32);
  r = static_cast<uint32_t>(lr);
}

inline void FinalPerm(uint32_t l, uint32_t r, unsigned char* out) {
  Store64(out, Permute(kT.fp, uint64_t{l} << 32 | r));
}

}  // namespace

CDES::CDES() : sub_key_{}, is_3des_(false), key_{} {}

CDES::~CDES() {
  // Do not leave key material on the stack.
  volatile unsigned char* p = reinterpret_cast<volatile unsigned char*>(sub_key_);
  for (size_t i = 0; i < sizeof sub_key_; ++i) p[i] = 0;
  volatile unsigned char* k = key_;
  for (size_t i = 0; i < sizeof key_; ++i) k[i] = 0;
}

void CDES::SetKey(const unsigned char* key, int key_len) {
  std::memset(key_, 0, sizeof key_);
  const int used = key_len < 0 ? 0 : (key_len > 16 ? 16 : key_len);
  if (key != nullptr && used > 0) std::memcpy(key_, key, static_cast<size_t>(used));
  is_3des_ = used > 8;
  SetSubKey(&sub_key_[0], key_);
  if (is_3des_) SetSubKey(&sub_key_[1], key_ + 8);
}

void CDES::SetSubKey(KeySchedule* schedule, const unsigned char key[8]) {
  const uint64_t cd = Permute(kT.pc1, Load64(key));
  uint32_t c = static_cast<uint32_t>(cd >> 32);
  uint32_t d = static_cast<uint32_t>(cd);
  for (int round = 0; round < 16; ++round) {
    const unsigned s = t::kShifts[round];
    c = ((c << s) | (c >> (28 - s))) & 0x0fffffff;
    d = ((d << s) | (d >> (28 - s))) & 0x0fffffff;
    uint64_t k = 0;
#pragma GCC unroll 7
    for (int n = 0; n < 7; ++n)
      k |= kT.pc2[n][(c >> (4 * n)) & 15] | kT.pc2[7 + n][(d >> (4 * n)) & 15];
    schedule->k[round][0] = static_cast<uint32_t>(k >> 32);
    schedule->k[round][1] = static_cast<uint32_t>(k);
  }
}

void CDES::DES(unsigned char out[8], const unsigned char in[8], const KeySchedule& schedule,
               bool backward) const {
  Halves<1> h;
  InitialPerm(in, h.l[0], h.r[0]);
  Rounds(h, schedule, backward);
  FinalPerm(h.l[0], h.r[0], out);
}

// N consecutive blocks, each by the single or triple transformation. The
// final permutation of one stage and the initial one of the next cancel, so
// the three stages of triple mode run back to back on the halves.
template <int N>
void CDES::Transform(unsigned char* blocks, bool backward) const {
  Halves<N> h;
  for (int b = 0; b < N; ++b) InitialPerm(blocks + 8 * b, h.l[b], h.r[b]);
  Rounds(h, sub_key_[0], backward);
  if (is_3des_) {
    Rounds(h, sub_key_[1], !backward);
    Rounds(h, sub_key_[0], backward);
  }
  for (int b = 0; b < N; ++b) FinalPerm(h.l[b], h.r[b], blocks + 8 * b);
}

bool CDES::DESDeal(unsigned char* out, const unsigned char* in, int len, const unsigned char* key,
                   int key_len, bool backward, bool chain) {
  if (out == nullptr || in == nullptr || key == nullptr || len < 8 || key_len < 1) return false;
  SetKey(key, key_len);
  const size_t blocks = static_cast<size_t>(len) / 8;

  if (!chain) {
    if (is_3des_) dbg::Str("3DES One");
    // Two blocks at a time; going through a local copy lets `in` be `out`.
    unsigned char pair[16];
    size_t i = 0;
    for (; i + 2 <= blocks; i += 2) {
      std::memcpy(pair, in + 8 * i, 16);
      Transform<2>(pair, backward);
      std::memcpy(out + 8 * i, pair, 16);
    }
    if (i < blocks) {
      std::memcpy(pair, in + 8 * i, 8);
      Transform<1>(pair, backward);
      std::memcpy(out + 8 * i, pair, 8);
    }
  } else {
    if (out != in) std::memmove(out, in, blocks * 8);
    if (backward) {
      // Cipher-block chaining with a zero initial vector.
      Transform<1>(out, backward);
      for (size_t i = 1; i < blocks; ++i) {
        unsigned char* cur = out + 8 * i;
        for (int b = 0; b < 8; ++b) cur[b] ^= cur[b - 8];
        Transform<1>(cur, backward);
      }
    } else {
      // Its inverse, from the last block down, while the previous block is
      // still untransformed.
      for (size_t i = blocks - 1; i > 0; --i) {
        unsigned char* cur = out + 8 * i;
        Transform<1>(cur, backward);
        for (int b = 0; b < 8; ++b) cur[b] ^= cur[b - 8];
      }
      Transform<1>(out, backward);
    }
  }
  dbg::Str("3DES Ret");
  return true;
}

}  // namespace oesqx
