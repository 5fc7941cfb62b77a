#include "crypto/digest.h"

#include <openssl/evp.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "crypto/md5.h"
#include "crypto/sha1.h"
#include "test_support.h"

namespace oesqx {
namespace {

using test::Bytes;
using test::Hex;
using test::Unhex;

enum class Algo { kSm3, kSha1, kMd5 };

Bytes Ours(Algo algo, const Bytes& in) {
  Bytes out(algo == Algo::kSm3 ? 32 : algo == Algo::kSha1 ? 20 : 16);
  int rc = -1;
  switch (algo) {
    case Algo::kSm3: rc = GenerateSM3(out.data(), in.data(), static_cast<int>(in.size())); break;
    case Algo::kSha1: rc = GenerateSHA(out.data(), in.data(), static_cast<unsigned>(in.size())); break;
    case Algo::kMd5: rc = GenerateMD5(out.data(), in.data(), static_cast<unsigned>(in.size())); break;
  }
  EXPECT_EQ(0, rc);
  return out;
}

Bytes Peer(Algo algo, const uint8_t* data, size_t len) {
  const EVP_MD* md = algo == Algo::kSm3 ? EVP_sm3() : algo == Algo::kSha1 ? EVP_sha1() : EVP_md5();
  Bytes out(EVP_MAX_MD_SIZE);
  unsigned int n = 0;
  EXPECT_EQ(1, EVP_Digest(data, len, out.data(), &n, md, nullptr));
  out.resize(n);
  return out;
}
Bytes Peer(Algo algo, const Bytes& b) { return Peer(algo, b.data(), b.size()); }

Bytes Random(std::mt19937& rng, size_t n) {
  Bytes b(n);
  for (auto& c : b) c = static_cast<uint8_t>(rng());
  return b;
}

struct Vector {
  std::string algo;
  Bytes in;
  std::string out;
};

// Reads "Key = value" records separated by blank lines; '#' starts a comment.
std::vector<Vector> LoadVectors(const std::string& path) {
  std::ifstream f(path);
  std::vector<Vector> v;
  Vector cur;
  std::string line;
  auto flush = [&] {
    if (!cur.algo.empty()) v.push_back(cur);
    cur = Vector{};
  };
  while (std::getline(f, line)) {
    if (line.empty()) { flush(); continue; }
    if (line[0] == '#') continue;
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    key.erase(key.find_last_not_of(' ') + 1);
    value.erase(0, value.find_first_not_of(' ') == std::string::npos ? value.size() : value.find_first_not_of(' '));
    if (key == "Algo") cur.algo = value;
    if (key == "In") cur.in = Unhex(value);
    if (key == "Out") cur.out = value;
  }
  flush();
  return v;
}

TEST(Digest, KnownAnswers) {
  const auto vectors = LoadVectors(std::string(OESQX_TEST_DATA) + "/digest.vec");
  ASSERT_FALSE(vectors.empty());
  for (const Vector& v : vectors) {
    const Algo algo = v.algo == "SM3" ? Algo::kSm3 : v.algo == "SHA1" ? Algo::kSha1 : Algo::kMd5;
    Bytes expected = Unhex(v.out);
    EXPECT_EQ(Hex(expected), Hex(Ours(algo, v.in))) << v.algo << " of " << Hex(v.in);
  }
}

TEST(Digest, AgreesWithOpenSslOnRandomAndPaddingBoundaryLengths) {
  std::mt19937 rng(1);
  std::vector<size_t> lengths = {1, 55, 56, 57, 63, 64, 65, 119, 120, 127, 128, 1000, 4096};
  for (int i = 0; i < 40; ++i) lengths.push_back(rng() % 5000);
  for (Algo algo : {Algo::kSm3, Algo::kSha1, Algo::kMd5}) {
    for (size_t len : lengths) {
      const Bytes data = Random(rng, len);
      ASSERT_EQ(Hex(Peer(algo, data)), Hex(Ours(algo, data))) << static_cast<int>(algo) << " len " << len;
    }
  }
}

TEST(Sm3, EmptyZeroAndNegativeLengthsGiveTheEmptyDigest) {
  const std::string empty = Hex(Peer(Algo::kSm3, nullptr, 0));
  const uint8_t byte = 'x';
  for (int len : {0, -1, -64}) {
    uint8_t out[32];
    EXPECT_EQ(0, GenerateSM3(out, &byte, len));
    EXPECT_EQ(empty, Hex(out, 32)) << len;
  }
  sm3_context* ctx = StartSM3();
  ContinueSM3(ctx, &byte, -5);
  uint8_t out[32];
  EndSM3(ctx, out);
  EXPECT_EQ(empty, Hex(out, 32));
}

TEST(Sm3, StreamingInPiecesEqualsOneShot) {
  std::mt19937 rng(2);
  const Bytes data = Random(rng, 3000);
  const std::vector<std::vector<int>> splits = {
      {1, 63, 64, 5}, {55}, {56}, {64, 64}, {0, 120, 0, 7}, {200, 1, 1, 1, 1000}};
  for (const auto& split : splits) {
    sm3_context* ctx = StartSM3();
    size_t pos = 0;
    for (int n : split) {
      ContinueSM3(ctx, data.data() + pos, n);
      pos += static_cast<size_t>(n);
    }
    uint8_t out[32];
    EndSM3(ctx, out);
    EXPECT_EQ(Hex(Peer(Algo::kSm3, data.data(), pos)), Hex(out, 32)) << pos;
  }
  // Random splits over a long message.
  for (int round = 0; round < 20; ++round) {
    sm3_context ctx;
    sm3_starts(&ctx);
    size_t pos = 0;
    while (pos < data.size()) {
      const size_t n = std::min<size_t>(rng() % 150, data.size() - pos);
      sm3_update(&ctx, data.data() + pos, static_cast<int>(n));
      pos += n;
    }
    uint8_t out[32];
    sm3_finish(&ctx, out);
    ASSERT_EQ(Hex(Peer(Algo::kSm3, data)), Hex(out, 32));
  }
}

TEST(Sm3, ByteCountCarriesIntoHighWord) {
  sm3_context ctx;
  sm3_starts(&ctx);
  ctx.total = 0xffffffc0u;  // as if 4 GiB less 64 bytes had been absorbed
  const Bytes block(100, 0xab);
  sm3_update(&ctx, block.data(), 100);
  EXPECT_EQ(36u, ctx.total);
  EXPECT_EQ(1u, ctx.total_high);
  EXPECT_EQ(Hex(block.data() + 64, 36), Hex(ctx.buffer, 36));
}

TEST(Sha1, EngineWipesAtFinalAndIsReusableAfterReset) {
  const Bytes abc = test::ToBytes("abc");
  CSHA1 sha;
  sha.Update(abc.data(), 3);
  sha.Final();
  uint8_t first[20];
  sha.GetHash(first);
  EXPECT_EQ("A9993E364706816ABA3E25717850C26C9CD0D89D", Hex(first, 20));
  sha.Reset();
  uint8_t cleared[20];
  sha.GetHash(cleared);
  EXPECT_EQ(Hex(Bytes(20, 0)), Hex(cleared, 20));
  sha.Update(abc.data(), 3);
  sha.Final();
  sha.GetHash(cleared);
  EXPECT_EQ(Hex(first, 20), Hex(cleared, 20));
}

TEST(Md5, FinalStartsTheContextAgain) {
  MD5_CTX md5;
  const Bytes abc = test::ToBytes("abc");
  uint8_t a[16], b[16];
  md5.MD5Update(abc.data(), 3);
  md5.MD5Final(a);
  md5.MD5Update(abc.data(), 3);
  md5.MD5Final(b);
  EXPECT_EQ("900150983CD24FB0D6963F7D28E17F72", Hex(a, 16));
  EXPECT_EQ(Hex(a, 16), Hex(b, 16));
  md5.MD5Final(a);
  EXPECT_EQ("D41D8CD98F00B204E9800998ECF8427E", Hex(a, 16));
}

// SHA-1 of the 24 salt bytes (23 letters and their zero) and then `data`.
Bytes SaltedPeer(const Bytes& data) {
  Bytes all = test::ToBytes("Kwartplinomesbuvyhatrez");
  all.push_back(0);
  all.insert(all.end(), data.begin(), data.end());
  return Peer(Algo::kSha1, all);
}

TEST(SaltedHash, SaltThenEveryPieceInOrder) {
  std::mt19937 rng(4);
  const Bytes data = Random(rng, 500);
  const std::vector<std::vector<size_t>> splits = {{}, {0}, {1}, {40, 0, 23}, {64, 436}};
  for (const auto& split : splits) {
    void* ctx = StartHash();
    ASSERT_NE(nullptr, ctx);
    size_t pos = 0;
    for (size_t n : split) {
      ContinueHash(ctx, data.data() + pos, static_cast<unsigned>(n));
      pos += n;
    }
    unsigned char* out = nullptr;
    int out_len = 0;
    EndHash(ctx, &out, &out_len);
    ASSERT_NE(nullptr, out);
    EXPECT_EQ(20, out_len);
    EXPECT_EQ(Hex(SaltedPeer(Bytes(data.begin(), data.begin() + pos))), Hex(out, 20)) << pos;
    std::free(out);
  }
}

TEST(Digest, NullArgumentsAreHarmless) {
  uint8_t out[32];
  EXPECT_EQ(0, GenerateSM3(nullptr, out, 3));
  EXPECT_EQ(0, GenerateSHA(nullptr, out, 3));
  EXPECT_EQ(0, GenerateMD5(nullptr, out, 3));
  EXPECT_EQ(0, GenerateSHA(out, nullptr, 0));
  EXPECT_EQ(Hex(Peer(Algo::kSha1, nullptr, 0)), Hex(out, 20));
  ContinueSM3(nullptr, out, 3);
  EndSM3(nullptr, out);
  ContinueHash(nullptr, out, 3);
  EndHash(nullptr, nullptr, nullptr);
}

}  // namespace
}  // namespace oesqx
