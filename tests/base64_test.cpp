// CBase64Coder against fixed vectors and OpenSSL's block coder, plus the
// "STRDATA:" data-or-path arguments.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <random>
#include <string>

#include "common/base64.h"
#include "common/data_arg.h"
#include "test_support.h"

namespace oesqx {
namespace {

using test::Bytes;
using test::Hex;
using test::ToBytes;

std::string EncodedText(const CBase64Coder& c) {
  return std::string(reinterpret_cast<const char*>(c.EncodedMessage()), c.EncodedMessageSize());
}

Bytes DecodedBytes(const CBase64Coder& c) {
  return Bytes(c.DecodedMessage(), c.DecodedMessage() + c.DecodedMessageSize());
}

Bytes Decode(const std::string& text) {
  CBase64Coder c;
  c.Decode(reinterpret_cast<const unsigned char*>(text.data()), static_cast<unsigned>(text.size()));
  return DecodedBytes(c);
}

Bytes RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& x : b) x = static_cast<uint8_t>(rng());
  return b;
}

TEST(Base64Encode, Vectors) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"", ""},         {"a", "YQ=="},         {"ab", "YWI="},
      {"abc", "YWJj"},  {"abcd", "YWJjZA=="},  {"abcdefgh", "YWJjZGVmZ2g="},
      {std::string("\0\xff\x10", 3), "AP8Q"},
  };
  CBase64Coder c;
  for (const auto& tc : cases) {
    c.Encode(reinterpret_cast<const unsigned char*>(tc.in.data()), static_cast<unsigned>(tc.in.size()));
    EXPECT_EQ(EncodedText(c), tc.out) << Hex(ToBytes(tc.in));
    EXPECT_EQ(DecodedBytes(c), ToBytes(tc.in)) << "the decoded side holds the input";
  }
}

TEST(Base64Encode, StringIncludesTerminator) {
  CBase64Coder c;
  c.Encode("a");
  EXPECT_EQ(EncodedText(c), "YQA=");
  c.Encode(static_cast<const char*>(nullptr));  // does nothing
  EXPECT_EQ(EncodedText(c), "YQA=");
  c.Encode(static_cast<const unsigned char*>(nullptr), 10);  // null data is empty
  EXPECT_EQ(c.EncodedMessageSize(), 0u);
}

// Every length crosses the 6-byte bulk step and the 3-byte step differently.
TEST(Base64Encode, MatchesOpenSslAtEveryLength) {
  const Bytes data = RandomBytes(300, 1);
  CBase64Coder c;
  for (size_t n = 0; n <= data.size(); ++n) {
    std::string peer(4 * ((n + 2) / 3) + 1, '\0');
    const int k = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(peer.data()), data.data(), static_cast<int>(n));
    peer.resize(static_cast<size_t>(k));
    c.Encode(data.data(), static_cast<unsigned>(n));
    ASSERT_EQ(EncodedText(c), peer) << "length " << n;
    ASSERT_EQ(c.EncodedMessage()[c.EncodedMessageSize()], 0) << "text is zero-terminated";
  }
}

TEST(Base64Encode, TooLargeForThirtyTwoBitsIsEmptyAndUnread) {
  const unsigned char small[4] = {1, 2, 3, 4};
  CBase64Coder c;
  c.Encode(small, 0x80000000u);  // would need 2^32 characters: not read at all
  EXPECT_EQ(c.EncodedMessageSize(), 0u);
  EXPECT_EQ(c.DecodedMessageSize(), 0u);
}

TEST(Base64Decode, Vectors) {
  const struct {
    std::string in;
    std::string hex;
  } cases[] = {
      {"", ""},
      {"YWJj", "616263"},
      {"YQ==", "61"},
      {"YWI=", "6162"},
      {"YW\r\nJj", "616263"},  // line break dropped
      {"Y\aW\bJ\tj\n\v\f\r", "616263"},  // all of 0x07..0x0D dropped
      {"YQ", "610FBE"},       // short last group: missing characters are 0xFE
      {"YQ==YQ==", "610FFF61"},  // only the last group is looked at for padding
      {"YW*j", "616FA3"},     // '*' is outside the alphabet and takes part as 0xFE
      {"\xd9\xd7\xca\xea", "616263"},  // high-bit twins of "YWJj"
      {"YWJj\x06", "616263FBEFBE"},    // 0x06 and 0x0E are not dropped
      {"YWJj\x0e", "616263FBEFBE"},
      {"YQ\xbd\xbd", "610FFF"},  // 0xBD is not the padding character
  };
  for (const auto& tc : cases) EXPECT_EQ(Hex(Decode(tc.in)), tc.hex) << Hex(ToBytes(tc.in));
}

TEST(Base64Decode, SpaceReadsAsPlus) {
  EXPECT_EQ(Decode("YW Jj"), Decode("YW+Jj"));
  EXPECT_EQ(Decode("YW Jj").size(), 6u);
  CBase64Coder c;
  c.Decode("YW Jj");
  EXPECT_EQ(EncodedText(c), "YW+Jj") << "the filtered text is kept on the text side";
}

TEST(Base64Decode, NullAndHugeLengthsGiveNothing) {
  CBase64Coder c;
  c.Decode("YWJj");
  c.Decode(static_cast<const char*>(nullptr));  // does nothing
  EXPECT_EQ(DecodedBytes(c), ToBytes("abc"));
  c.Decode(static_cast<const unsigned char*>(nullptr), 100);
  EXPECT_EQ(c.DecodedMessageSize(), 0u);
  const unsigned char small[4] = {'Y', 'W', 'J', 'j'};
  c.Decode(small, 0xFFFFFFFFu);  // no 32-bit buffer can hold it: not read
  EXPECT_EQ(c.DecodedMessageSize(), 0u);
}

TEST(Base64Decode, MatchesOpenSslAndRoundTrips) {
  CBase64Coder enc, dec;
  for (size_t n : {1u, 2u, 3u, 47u, 48u, 49u, 4095u, 4096u, 10000u}) {
    const Bytes data = RandomBytes(n, static_cast<unsigned>(n));
    enc.Encode(data.data(), static_cast<unsigned>(n));
    const std::string text = EncodedText(enc);
    dec.Decode(reinterpret_cast<const unsigned char*>(text.data()), static_cast<unsigned>(text.size()));
    ASSERT_EQ(DecodedBytes(dec), data) << n;
    // EVP_DecodeBlock keeps the padding's zero bytes; compare the common part.
    Bytes peer(text.size() / 4 * 3);
    ASSERT_GE(EVP_DecodeBlock(peer.data(), reinterpret_cast<const unsigned char*>(text.data()),
                              static_cast<int>(text.size())), 0);
    peer.resize(n);
    ASSERT_EQ(peer, data) << n;
  }
}

// A reused instance must not show bytes of an earlier, longer result.
TEST(Base64Reuse, ShorterResultLeavesZerosBehind) {
  CBase64Coder c;
  const Bytes big = RandomBytes(5000, 7);
  c.Encode(big.data(), static_cast<unsigned>(big.size()));
  const unsigned long_text = c.EncodedMessageSize();
  c.Encode(ToBytes("a").data(), 1);
  EXPECT_EQ(EncodedText(c), "YQ==");
  for (unsigned i = 4; i < long_text; ++i) ASSERT_EQ(c.EncodedMessage()[i], 0) << i;
  for (unsigned i = 1; i < 5000; ++i) ASSERT_EQ(c.DecodedMessage()[i], 0) << i;

  std::string text(long_text, 'A');
  c.Decode(reinterpret_cast<const unsigned char*>(text.data()), long_text);
  c.Decode("YWJj");
  EXPECT_EQ(DecodedBytes(c), ToBytes("abc"));
  for (unsigned i = 3; i < long_text / 4 * 3; ++i) ASSERT_EQ(c.DecodedMessage()[i], 0) << i;
  for (unsigned i = 4; i < long_text; ++i) ASSERT_EQ(c.EncodedMessage()[i], 0) << i;
}

// Input taken from the instance's own buffers (re-encoding what was just
// decoded) must be read before those buffers are cleared or replaced.
TEST(Base64Reuse, InputFromOwnBuffers) {
  CBase64Coder c;
  for (size_t n : {3u, 5000u}) {
    const Bytes data = RandomBytes(n, 3);
    c.Encode(data.data(), static_cast<unsigned>(n));
    const std::string text = EncodedText(c);
    c.Decode(c.EncodedMessage(), c.EncodedMessageSize());
    ASSERT_EQ(DecodedBytes(c), data) << n;
    c.Encode(c.DecodedMessage(), c.DecodedMessageSize());
    EXPECT_EQ(EncodedText(c), text) << n;
  }
}

TEST(DataArg, InlineAndFiles) {
  test::TempDir dir;
  const Bytes bin = {0, 1, 0xFF, 0, 'x'};
  test::WriteFile(dir.File("bin"), bin);
  test::WriteFile(dir.File("empty"), Bytes{});
  const struct {
    std::string arg;
    DataArgStatus status;
    Bytes data;
  } cases[] = {
      {"STRDATA:YWJj", DataArgStatus::kOk, ToBytes("abc")},
      {"STRDATA:", DataArgStatus::kOk, {}},
      {dir.File("bin"), DataArgStatus::kOk, bin},
      {dir.File("empty"), DataArgStatus::kOk, {}},
      {dir.File("missing"), DataArgStatus::kUnreadable, {}},
      {"strdata:YWJj", DataArgStatus::kUnreadable, {}},  // prefix is case-sensitive: a path
      {dir.path(), DataArgStatus::kUnreadable, {}},      // a folder cannot be read
  };
  for (const auto& tc : cases) {
    Bytes out = {9, 9};
    EXPECT_EQ(ReadDataArg(tc.arg.c_str(), &out), tc.status) << tc.arg;
    EXPECT_EQ(out, tc.data) << tc.arg;
  }
  Bytes out;
  EXPECT_EQ(ReadDataArg(nullptr, &out), DataArgStatus::kUnreadable);
  EXPECT_TRUE(IsInlineDataArg("STRDATA:"));
  EXPECT_FALSE(IsInlineDataArg("STRDATA"));
}

// A path to an endless source stops at the bound instead of eating memory.
TEST(DataArg, EndlessFileStopsAtBound) {
  Bytes out;
  EXPECT_EQ(ReadDataArg("/dev/zero", &out), DataArgStatus::kTooLarge);
  EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace oesqx
