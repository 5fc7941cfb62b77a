#define OPENSSL_SUPPRESS_DEPRECATED
#include "crypto/des.h"

#include <openssl/des.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/debuglog.h"
#include "crypto/cdes.h"
#include "crypto/des_tables.h"
#include "test_support.h"

namespace oesqx {
namespace {

using test::Bytes;
using test::Hex;
using test::Unhex;
namespace t = des_tables;

// ---------------------------------------------------------------------------
// A slow reference that follows the cipher's description literally, on
// arrays of single bits. Each of its three departures from the standard can
// be switched off; with all three off it must be standard DES, which checks
// its tables against OpenSSL.
struct Variant {
  bool lsb_first_bits = true;   // bit n is bit (n-1) mod 8 of byte (n-1) div 8, from the LSB
  bool no_swap = true;          // no exchange of the halves before the final permutation
  bool sbox_lsb_first = true;   // S-box value laid out v&1 first
};
constexpr Variant kOurs{};
constexpr Variant kStandard{false, false, false};

using Bits64 = std::array<int, 64>;
using RoundKeys = std::array<std::array<int, 48>, 16>;

Bits64 ToBits(const uint8_t* s, const Variant& v) {
  Bits64 b{};
  for (int n = 0; n < 64; ++n) {
    const int shift = v.lsb_first_bits ? n % 8 : 7 - n % 8;
    b[n] = (s[n / 8] >> shift) & 1;
  }
  return b;
}

void FromBits(const Bits64& b, uint8_t* s, const Variant& v) {
  std::memset(s, 0, 8);
  for (int n = 0; n < 64; ++n) {
    const int shift = v.lsb_first_bits ? n % 8 : 7 - n % 8;
    s[n / 8] |= static_cast<uint8_t>(b[n] << shift);
  }
}

RoundKeys Schedule(const uint8_t* key8, const Variant& v) {
  const Bits64 k = ToBits(key8, v);
  std::array<int, 28> c{}, d{};
  for (int i = 0; i < 28; ++i) {
    c[i] = k[t::kPc1[i] - 1];
    d[i] = k[t::kPc1[28 + i] - 1];
  }
  RoundKeys keys{};
  for (int r = 0; r < 16; ++r) {
    for (int s = 0; s < t::kShifts[r]; ++s) {
      std::rotate(c.begin(), c.begin() + 1, c.end());
      std::rotate(d.begin(), d.begin() + 1, d.end());
    }
    for (int i = 0; i < 48; ++i) {
      const int q = t::kPc2[i];
      keys[r][i] = q <= 28 ? c[q - 1] : d[q - 29];
    }
  }
  return keys;
}

std::array<int, 32> F(const std::array<int, 32>& r, const std::array<int, 48>& k, const Variant& v) {
  std::array<int, 32> s{};
  for (int j = 0; j < 8; ++j) {
    int b[6];
    for (int i = 0; i < 6; ++i) b[i] = r[t::kE[6 * j + i] - 1] ^ k[6 * j + i];
    const int row = b[0] * 2 + b[5];
    const int col = b[1] * 8 + b[2] * 4 + b[3] * 2 + b[4];
    const int val = t::kS[j][row][col];
    for (int i = 0; i < 4; ++i) s[4 * j + i] = v.sbox_lsb_first ? (val >> i) & 1 : (val >> (3 - i)) & 1;
  }
  std::array<int, 32> out{};
  for (int i = 0; i < 32; ++i) out[i] = s[t::kP[i] - 1];
  return out;
}

void RefBlock(uint8_t* out, const uint8_t* in, const uint8_t* key8, bool backward, const Variant& v) {
  const RoundKeys keys = Schedule(key8, v);
  const Bits64 bits = ToBits(in, v);
  std::array<int, 32> l{}, r{};
  for (int i = 0; i < 32; ++i) {
    l[i] = bits[t::kIp[i] - 1];
    r[i] = bits[t::kIp[32 + i] - 1];
  }
  for (int n = 0; n < 16; ++n) {
    if (!backward) {
      const auto f = F(r, keys[n], v);
      std::array<int, 32> nr{};
      for (int i = 0; i < 32; ++i) nr[i] = f[i] ^ l[i];
      l = r;
      r = nr;
    } else {
      const auto f = F(l, keys[15 - n], v);
      std::array<int, 32> nl{};
      for (int i = 0; i < 32; ++i) nl[i] = f[i] ^ r[i];
      r = l;
      l = nl;
    }
  }
  Bits64 pre{};
  for (int i = 0; i < 32; ++i) {
    pre[i] = v.no_swap ? l[i] : r[i];
    pre[32 + i] = v.no_swap ? r[i] : l[i];
  }
  Bits64 res{};
  for (int i = 0; i < 64; ++i) res[i] = pre[t::kFp[i] - 1];
  FromBits(res, out, v);
}

// One block under a key of 1..16+ bytes: single, or K1, K2 reversed, K1.
void RefTransform(uint8_t* block, const Bytes& key, bool backward) {
  uint8_t k[16] = {};
  std::memcpy(k, key.data(), std::min<size_t>(key.size(), 16));
  RefBlock(block, block, k, backward, kOurs);
  if (key.size() > 8) {
    RefBlock(block, block, k + 8, !backward, kOurs);
    RefBlock(block, block, k, backward, kOurs);
  }
}

// The whole buffer as the wrappers must leave it.
Bytes RefDeal(Bytes data, const Bytes& key, bool backward, bool chain) {
  const size_t blocks = data.size() / 8;
  uint8_t* p = data.data();
  if (!chain) {
    for (size_t i = 0; i < blocks; ++i) RefTransform(p + 8 * i, key, backward);
  } else if (backward) {
    for (size_t i = 0; i < blocks; ++i) {
      if (i > 0)
        for (int b = 0; b < 8; ++b) p[8 * i + b] ^= p[8 * (i - 1) + b];
      RefTransform(p + 8 * i, key, backward);
    }
  } else {
    for (size_t i = blocks; i-- > 0;) {
      RefTransform(p + 8 * i, key, backward);
      if (i > 0)
        for (int b = 0; b < 8; ++b) p[8 * i + b] ^= p[8 * (i - 1) + b];
    }
  }
  return data;
}

Bytes Random(std::mt19937& rng, size_t n) {
  Bytes b(n);
  for (auto& c : b) c = static_cast<uint8_t>(rng());
  return b;
}

// OpenSSL's key setup from 8 bytes of any buffer.
DES_key_schedule SslKey(const uint8_t* key8) {
  DES_cblock k;
  std::memcpy(k, key8, 8);
  DES_key_schedule ks;
  DES_set_key_unchecked(&k, &ks);
  return ks;
}

uint8_t Reverse(uint8_t x) {
  uint8_t r = 0;
  for (int i = 0; i < 8; ++i) r |= static_cast<uint8_t>(((x >> i) & 1) << (7 - i));
  return r;
}

// ---------------------------------------------------------------------------

TEST(DesReference, StandardModeIsOpenSslDes) {
  std::mt19937 rng(7);
  for (int i = 0; i < 50; ++i) {
    const Bytes key = Random(rng, 8), in = Random(rng, 8);
    uint8_t ref[8], ssl[8];
    RefBlock(ref, in.data(), key.data(), false, kStandard);
    DES_key_schedule ks = SslKey(key.data());
    DES_cblock plain, cipher;
    std::memcpy(plain, in.data(), 8);
    DES_ecb_encrypt(&plain, &cipher, &ks, DES_ENCRYPT);
    std::memcpy(ssl, cipher, 8);
    ASSERT_EQ(Hex(ssl, 8), Hex(ref, 8)) << "key " << Hex(key);
  }
}

// Bytes worked out with the reference once and kept, so a change to both
// the reference and the cipher still shows.
TEST(Des, PinnedBlocks) {
  struct Case {
    const char* key;
    const char* plain;
    bool chain;
    const char* cipher;  // EncData result
  } cases[] = {
      {"0123456789abcdef", "4e6f772069732074", false, "D9E7886776FE97C3"},
      {"0123456789abcdeffedcba9876543210", "4e6f772069732074", false, "4787EB9628775CF0"},
      {"0123456789abcdeffedcba9876543210", "4e6f7720697320744e6f772069732074", true, "4787EB9628775CF00F53ADDD75ADCE09"},
  };
  for (const Case& c : cases) {
    const Bytes key = Unhex(c.key), plain = Unhex(c.plain);
    EXPECT_EQ(c.cipher, Hex(RefDeal(plain, key, true, c.chain))) << c.key;
    Bytes buf = plain;
    ASSERT_EQ(0, EncDataNoAlloc(buf.data(), static_cast<int>(buf.size()), key.data(),
                                static_cast<int>(key.size()), c.chain));
    EXPECT_EQ(c.cipher, Hex(buf)) << c.key;
  }
}

TEST(Des, MatchesReferenceForEveryKeyLengthModeAndDirection) {
  std::mt19937 rng(11);
  for (int key_len : {1, 5, 8, 9, 13, 16, 20}) {
    for (size_t len : {8u, 15u, 24u, 41u}) {
      for (bool chain : {false, true}) {
        const Bytes key = Random(rng, static_cast<size_t>(key_len)), data = Random(rng, len);
        SCOPED_TRACE("key_len " + std::to_string(key_len) + " len " + std::to_string(len) +
                     (chain ? " chained" : ""));
        Bytes used_key(key.begin(), key.begin() + std::min(key_len, 16));

        unsigned char* out = nullptr;
        int out_len = -1;
        ASSERT_EQ(0, EncData(data.data(), static_cast<int>(len), key.data(), key_len, &out, &out_len, chain));
        ASSERT_EQ(static_cast<int>(len), out_len);
        EXPECT_EQ(Hex(RefDeal(data, used_key, true, chain)), Hex(out, len));
        std::free(out);

        ASSERT_EQ(0, DecData(data.data(), static_cast<int>(len), key.data(), key_len, &out, &out_len, chain));
        EXPECT_EQ(Hex(RefDeal(data, used_key, false, chain)), Hex(out, len));
        std::free(out);

        Bytes buf = data;
        ASSERT_EQ(0, EncDataNoAlloc(buf.data(), static_cast<int>(len), key.data(), key_len, chain));
        EXPECT_EQ(Hex(RefDeal(data, used_key, true, chain)), Hex(buf));
        buf = data;
        ASSERT_EQ(0, DecDataNoAlloc(buf.data(), static_cast<int>(len), key.data(), key_len, chain));
        EXPECT_EQ(Hex(RefDeal(data, used_key, false, chain)), Hex(buf));
      }
    }
  }
}

TEST(Des, IsNeitherStandardDesNorDesOnReversedBits) {
  std::mt19937 rng(3);
  for (int key_len : {8, 16}) {
    const Bytes key = Random(rng, key_len), in = Random(rng, 8);
    DES_key_schedule k1 = SslKey(key.data()), k2 = SslKey(key.data() + (key_len - 8));
    Bytes rkey(key.size()), rin(8);
    for (size_t i = 0; i < key.size(); ++i) rkey[i] = Reverse(key[i]);
    for (int i = 0; i < 8; ++i) rin[i] = Reverse(in[i]);
    DES_key_schedule r1 = SslKey(rkey.data()), r2 = SslKey(rkey.data() + (key_len - 8));

    for (bool backward : {false, true}) {
      Bytes ours = in;
      CDES des;
      ASSERT_TRUE(des.DESDeal(ours.data(), ours.data(), 8, key.data(), key_len, backward, false));
      for (int enc : {DES_ENCRYPT, DES_DECRYPT}) {
        DES_cblock plain, rev;
        std::memcpy(plain, in.data(), 8);
        std::memcpy(rev, rin.data(), 8);
        DES_cblock a, b;
        DES_ecb3_encrypt(&plain, &a, &k1, &k2, &k1, enc);
        DES_ecb3_encrypt(&rev, &b, &r1, &r2, &r1, enc);
        for (int i = 0; i < 8; ++i) b[i] = Reverse(b[i]);
        EXPECT_NE(Hex(a, 8), Hex(ours)) << key_len;
        EXPECT_NE(Hex(b, 8), Hex(ours)) << key_len;
      }
    }
  }
}

TEST(Des, RoundTripsKeepTailAndRestoreData) {
  std::mt19937 rng(5);
  const Bytes key = Random(rng, 16);
  for (int len = 8; len <= 40; ++len) {
    for (bool chain : {false, true}) {
      const Bytes data = Random(rng, len);
      unsigned char* enc = nullptr;
      unsigned char* dec = nullptr;
      int enc_len = 0, dec_len = 0;
      ASSERT_EQ(0, EncData(data.data(), len, key.data(), 16, &enc, &enc_len, chain));
      ASSERT_EQ(0, DecData(enc, enc_len, key.data(), 16, &dec, &dec_len, chain));
      const int tail = len % 8;
      EXPECT_EQ(Hex(data.data() + len - tail, tail), Hex(enc + len - tail, tail));
      EXPECT_EQ(Hex(data), Hex(dec, dec_len)) << len;
      std::free(enc);
      std::free(dec);

      Bytes buf = data;
      ASSERT_EQ(0, EncDataNoAlloc(buf.data(), len, key.data(), 16, chain));
      ASSERT_EQ(0, DecDataNoAlloc(buf.data(), len, key.data(), 16, chain));
      EXPECT_EQ(Hex(data), Hex(buf));
    }
  }
}

TEST(Des, EqualBlocksAndKeyEquivalences) {
  const Bytes key = Unhex("133457799bbcdff1a1b2c3d4e5f60718");
  const Bytes two = Unhex("00112233445566770011223344556677");
  Bytes ecb = two, cbc = two;
  ASSERT_EQ(0, EncDataNoAlloc(ecb.data(), 16, key.data(), 16, false));
  ASSERT_EQ(0, EncDataNoAlloc(cbc.data(), 16, key.data(), 16, true));
  EXPECT_EQ(Hex(ecb.data(), 8), Hex(ecb.data() + 8, 8));
  EXPECT_NE(Hex(cbc.data(), 8), Hex(cbc.data() + 8, 8));
  EXPECT_EQ(Hex(ecb.data(), 8), Hex(cbc.data(), 8));

  // Equal halves collapse triple to single; bytes past 16 are ignored.
  Bytes doubled(key.begin(), key.begin() + 8);
  doubled.insert(doubled.end(), key.begin(), key.begin() + 8);
  Bytes long_key = key;
  long_key.insert(long_key.end(), {1, 2, 3, 4});
  struct Pair {
    Bytes a;
    Bytes b;
  } pairs[] = {{doubled, Bytes(key.begin(), key.begin() + 8)}, {long_key, key}};
  for (const Pair& p : pairs) {
    Bytes x = two, y = two;
    ASSERT_EQ(0, EncDataNoAlloc(x.data(), 16, p.a.data(), static_cast<int>(p.a.size()), true));
    ASSERT_EQ(0, EncDataNoAlloc(y.data(), 16, p.b.data(), static_cast<int>(p.b.size()), true));
    EXPECT_EQ(Hex(x), Hex(y));
  }
}

TEST(Des, ClassApiBlockAndDealAgree) {
  const Bytes key = Unhex("0123456789abcdef"), in = Unhex("4e6f772069732074");
  CDES des;
  CDES::KeySchedule ks;
  des.SetSubKey(&ks, key.data());
  for (bool backward : {false, true}) {
    uint8_t block[8], ref[8];
    des.DES(block, in.data(), ks, backward);
    RefBlock(ref, in.data(), key.data(), backward, kOurs);
    EXPECT_EQ(Hex(ref, 8), Hex(block, 8));
    uint8_t back[8];
    des.DES(back, block, ks, !backward);
    EXPECT_EQ(Hex(in), Hex(back, 8));
  }
  Bytes out(8);
  EXPECT_TRUE(des.DESDeal(out.data(), in.data(), 8, key.data(), 8, true, false));
  uint8_t ref[8];
  RefBlock(ref, in.data(), key.data(), true, kOurs);
  EXPECT_EQ(Hex(ref, 8), Hex(out));
}

TEST(Des, BadArgumentsFailWithoutCrashing) {
  const Bytes key(16, 0x5a);
  Bytes data(16, 0x33);
  struct Case {
    const char* name;
    unsigned char* data;
    int len;
    const unsigned char* key;
    int key_len;
  } cases[] = {
      {"short", data.data(), 7, key.data(), 16},     {"zero length", data.data(), 0, key.data(), 16},
      {"negative", data.data(), -8, key.data(), 16}, {"null data", nullptr, 16, key.data(), 16},
      {"null key", data.data(), 16, nullptr, 16},    {"empty key", data.data(), 16, key.data(), 0},
      {"negative key", data.data(), 16, key.data(), -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (bool chain : {false, true}) {
      EXPECT_EQ(-111, EncDataNoAlloc(c.data, c.len, c.key, c.key_len, chain));
      EXPECT_EQ(-111, DecDataNoAlloc(c.data, c.len, c.key, c.key_len, chain));
      unsigned char* out = reinterpret_cast<unsigned char*>(1);
      int out_len = -5;
      EXPECT_EQ(-111, EncData(c.data, c.len, c.key, c.key_len, &out, &out_len, chain));
      // The buffer is the caller's even on failure: as long as the input
      // when there was a length, none otherwise.
      EXPECT_EQ(c.len > 0 ? c.len : 0, out_len);
      ASSERT_EQ(c.len > 0, out != nullptr);
      if (out != nullptr) EXPECT_EQ(Bytes(static_cast<size_t>(c.len), 0), Bytes(out, out + c.len));
      std::free(out);
      EXPECT_EQ(-111, DecData(c.data, c.len, c.key, c.key_len, &out, &out_len, chain));
      std::free(out);
    }
  }
  EXPECT_EQ(Bytes(16, 0x33), data);
  int out_len = 0;
  unsigned char* out = nullptr;
  EXPECT_EQ(-111, EncData(data.data(), 16, key.data(), 16, nullptr, &out_len, false));
  EXPECT_EQ(-111, EncData(data.data(), 16, key.data(), 16, &out, nullptr, false));
}

class DesLogTest : public ::testing::Test {
 protected:
  std::string Log() const {
    const Bytes b = test::ReadFile(root_.path() + dbg::CurrentFileForTest());
    return std::string(b.begin(), b.end());
  }
  test::PathRoot root_;
};

TEST_F(DesLogTest, TraceLines) {
  const Bytes key(16, 0x21);
  Bytes data(16, 0x44);
  struct Case {
    int key_len;
    bool chain;
    bool decrypt;
    const char* expected;  // "str=" texts, in order
  } cases[] = {
      {16, false, false, "3DES One|3DES Ret|"},
      {16, true, false, "3DES Ret|"},
      {8, false, false, "3DES Ret|"},
      {16, false, true, "DecDataNoAlloc|3DES One|3DES Ret|"},
  };
  size_t seen = 0;
  for (const Case& c : cases) {
    const int rc = c.decrypt ? DecDataNoAlloc(data.data(), 16, key.data(), c.key_len, c.chain)
                             : EncDataNoAlloc(data.data(), 16, key.data(), c.key_len, c.chain);
    ASSERT_EQ(0, rc);
    const std::string log = Log();
    std::string texts;
    for (size_t p = log.find("str=", seen); p != std::string::npos; p = log.find("str=", p + 1))
      texts += log.substr(p + 4, log.find("\r\n", p) - p - 4) + "|";
    seen = log.size();
    EXPECT_EQ(c.expected, texts) << c.key_len << c.chain;
  }
  // A failed call writes no cipher line.
  EXPECT_EQ(-111, EncDataNoAlloc(data.data(), 7, key.data(), 16, false));
  EXPECT_EQ(std::string::npos, Log().find("str=", seen));
}

// ---------------------------------------------------------------------------
// Fast mask.

// The chained mask written out group by group, for comparison.
std::vector<uint32_t> RefMask(std::vector<uint32_t> w, const uint32_t* k, bool chain) {
  for (size_t g = 0; g * 5 < w.size(); ++g)
    for (size_t j = 0; j < 5 && g * 5 + j < w.size(); ++j) {
      w[g * 5 + j] ^= k[j];
      if (chain && g > 0) w[g * 5 + j] ^= w[(g - 1) * 5 + j] ^ static_cast<uint32_t>(g) ^ g_dwFastCBC[g % 9];
    }
  return w;
}

TEST(FastMask, MasksWholeWordsAndRestores) {
  const uint32_t key[5] = {0x01020304, 0x11223344, 0xa5a5a5a5, 0xdeadbeef, 0x0badf00d};
  std::mt19937 rng(9);
  for (int len : {0, 3, 4, 19, 20, 23, 24, 47, 100, 233}) {
    for (bool chain : {false, true}) {
      SCOPED_TRACE(std::to_string(len) + (chain ? " chained" : ""));
      // One spare byte in front makes the words unaligned.
      Bytes raw = Random(rng, static_cast<size_t>(len) + 1);
      const Bytes orig = raw;
      unsigned int* words = reinterpret_cast<unsigned int*>(raw.data() + 1);
      std::vector<uint32_t> plain(static_cast<size_t>(len) / 4);
      if (!plain.empty()) std::memcpy(plain.data(), raw.data() + 1, plain.size() * 4);

      EXPECT_EQ(0, EncDataFast(words, len, key, chain));
      std::vector<uint32_t> masked(plain.size());
      if (!masked.empty()) std::memcpy(masked.data(), raw.data() + 1, masked.size() * 4);
      EXPECT_EQ(RefMask(plain, key, chain), masked);
      const size_t tail = 1 + plain.size() * 4;
      EXPECT_EQ(Hex(orig.data() + tail, orig.size() - tail), Hex(raw.data() + tail, raw.size() - tail));
      EXPECT_EQ(orig[0], raw[0]);

      EXPECT_EQ(0, DecDataFast(words, len, key, chain));
      EXPECT_EQ(Hex(orig), Hex(raw));
    }
  }
}

TEST(FastMask, UnchainedIsItsOwnInverseAndNullIsHarmless) {
  const uint32_t key[5] = {1, 2, 3, 4, 5};
  uint32_t w[7] = {10, 20, 30, 40, 50, 60, 70};
  EncDataFast(w, 28, key, false);
  EXPECT_EQ(10u ^ 1u, w[0]);
  EXPECT_EQ(60u ^ 1u, w[5]);
  EncDataFast(w, 28, key, false);
  EXPECT_EQ(70u, w[6]);
  EXPECT_EQ(10u, w[0]);
  EXPECT_EQ(0, EncDataFast(nullptr, 28, key, true));
  EXPECT_EQ(0, DecDataFast(w, 28, nullptr, true));
  EXPECT_EQ(0, EncDataFast(w, -4, key, true));
  EXPECT_EQ(10u, w[0]);
}

}  // namespace
}  // namespace oesqx
