// Gzip blocks (checked against zlib's own gzip coder) and the compressed
// text form.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <tuple>

#include "common/base64.h"
#include "common/compress.h"
#include "common/gzip.h"
#include "crypto/builtin_keys.h"
#include "crypto/des.h"
#include "test_support.h"

namespace oesqx {
namespace {

using test::Bytes;
using test::Hex;
using test::ToBytes;

struct Result {
  int rc;
  Bytes data;
};

Result Encode(const Bytes& in) {
  unsigned char* out = nullptr;
  int len = -7;
  static const unsigned char kNone = 0;  // empty input, but not a null pointer
  const int rc = CompressEncode(in.empty() ? &kNone : in.data(), static_cast<int>(in.size()), &out, &len);
  Result r{rc, Bytes(out, out + (len > 0 ? len : 0))};
  std::free(out);
  return r;
}

Result DecodeAs(const Bytes& in, int len) {
  unsigned char* out = nullptr;
  int out_len = -7;
  const int rc = CompressDecode(in.data(), len, &out, &out_len);
  Result r{rc, Bytes(out, out + (out_len > 0 ? out_len : 0))};
  if (rc == 0) { EXPECT_NE(out, nullptr) << "success always hands out a buffer"; }
  std::free(out);
  return r;
}

Result Decode(const Bytes& in) { return DecodeAs(in, static_cast<int>(in.size())); }

Bytes WithPrefix(const Bytes& block, uint32_t stated) {
  Bytes b = {static_cast<uint8_t>(stated), static_cast<uint8_t>(stated >> 8),
             static_cast<uint8_t>(stated >> 16), static_cast<uint8_t>(stated >> 24)};
  b.insert(b.end(), block.begin(), block.end());
  return b;
}

// Text with the kind of repetition seal records have.
Bytes SealLike(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = (rng() % 4 == 0) ? static_cast<uint8_t>(rng()) : static_cast<uint8_t>('A' + i % 13);
  return b;
}

// zlib as the reference gzip coder: gzip wrapper (window bits 31).
Bytes ZlibGunzip(const Bytes& in) {
  z_stream z{};
  EXPECT_EQ(inflateInit2(&z, 31), Z_OK);
  Bytes out(1 << 20);
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  inflateEnd(&z);
  return out;
}

Bytes ZlibGzip(const Bytes& in, gz_header* header) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY), Z_OK);
  if (header != nullptr) { EXPECT_EQ(deflateSetHeader(&z, header), Z_OK); }
  Bytes out(deflateBound(&z, in.size()) + 256);
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

TEST(CompressEncode, EmptyInputIsTwentyByteBlock) {
  const Result r = Encode({});
  EXPECT_EQ(r.rc, 0);
  ASSERT_EQ(r.data.size(), 20u);
  EXPECT_EQ(Hex(Bytes(r.data.begin(), r.data.begin() + 10)), "1F8B0800000000000000");
  EXPECT_EQ(Hex(Bytes(r.data.end() - 8, r.data.end())), "0000000000000000");
  const Result d = Decode(r.data);
  EXPECT_EQ(d.rc, 0);
  EXPECT_TRUE(d.data.empty());
}

TEST(CompressEncode, ZlibReadsWhatWeWriteAndBack) {
  for (size_t n : {1u, 100u, 16384u, 16385u, 200000u}) {
    const Bytes data = SealLike(n, static_cast<unsigned>(n));
    const Result enc = Encode(data);
    ASSERT_EQ(enc.rc, 0);
    EXPECT_EQ(Hex(Bytes(enc.data.begin(), enc.data.begin() + 10)), "1F8B0800000000000000");
    EXPECT_EQ(ZlibGunzip(enc.data), data) << n;
    const Result dec = Decode(enc.data);
    EXPECT_EQ(dec.rc, 0);
    EXPECT_EQ(dec.data, data) << n;
  }
}

TEST(CompressEncode, LengthArguments) {
  unsigned char* out = nullptr;
  int len = 0;
  ASSERT_EQ(CompressEncode(reinterpret_cast<const unsigned char*>("hello"), -1, &out, &len), 0);
  EXPECT_EQ(ZlibGunzip(Bytes(out, out + len)), ToBytes("hello")) << "-1 uses strlen";
  std::free(out);
  for (const unsigned char* data : {static_cast<const unsigned char*>(nullptr),
                                    reinterpret_cast<const unsigned char*>("x")}) {
    const int bad_len = data == nullptr ? 5 : -2;
    out = nullptr;
    len = -7;
    EXPECT_EQ(CompressEncode(data, bad_len, &out, &len), 0);
    EXPECT_EQ(len, 0) << "null data or a length below -1 gives an empty result";
    std::free(out);
  }
  EXPECT_EQ(CompressEncode(reinterpret_cast<const unsigned char*>("x"), 1, nullptr, &len), -121);
  EXPECT_EQ(CompressEncode(reinterpret_cast<const unsigned char*>("x"), 1, &out, nullptr), -121);
}

TEST(CompressDecode, ReadsHeaderFieldsAndMembers) {
  const Bytes a = ToBytes("first member"), b = ToBytes("second member");
  std::string name = "seal.bin", comment = "note";
  Bytes extra = {1, 2, 3, 4, 5};
  gz_header h{};
  h.name = reinterpret_cast<Bytef*>(name.data());
  h.comment = reinterpret_cast<Bytef*>(comment.data());
  h.extra = extra.data();
  h.extra_len = static_cast<uInt>(extra.size());
  h.hcrc = 1;
  Bytes two = ZlibGzip(a, &h);
  const Bytes second = ZlibGzip(b, nullptr);
  two.insert(two.end(), second.begin(), second.end());
  Bytes want = a;
  want.insert(want.end(), b.begin(), b.end());
  EXPECT_EQ(Decode(two).data, want);
}

// Damage never fails the call: what was decoded before it is the result.
TEST(CompressDecode, DamagedBlocksGiveWhatCameBefore) {
  const Bytes data = SealLike(50000, 3);
  const Bytes good = Encode(data).data;
  const Bytes tail_member = Encode(ToBytes("tail")).data;

  for (size_t cut = 2; cut < good.size(); cut += 97) {  // truncations
    const Result r = DecodeAs(good, static_cast<int>(cut));
    ASSERT_EQ(r.rc, 0) << cut;
    ASSERT_LE(r.data.size(), data.size());
    ASSERT_TRUE(std::equal(r.data.begin(), r.data.end(), data.begin())) << "a prefix, cut " << cut;
  }

  const struct {
    const char* what;
    size_t pos;
    uint8_t xor_with;
    bool keeps_member;
  } cases[] = {
      {"method", 2, 0x01, false},
      {"reserved flag", 3, 0x80, false},
      {"crc", good.size() - 8, 0x01, true},
      {"length", good.size() - 1, 0x01, true},
  };
  for (const auto& tc : cases) {
    Bytes bad = good;
    bad[tc.pos] ^= tc.xor_with;
    bad.insert(bad.end(), tail_member.begin(), tail_member.end());
    const Result r = Decode(bad);
    EXPECT_EQ(r.rc, 0) << tc.what;
    // A failed check stops the read: the member that follows is not reached.
    EXPECT_EQ(r.data, tc.keeps_member ? data : Bytes{}) << tc.what;
  }

  Bytes garbage_after = good;
  garbage_after.insert(garbage_after.end(), {0x1F, 0x8B, 0x08});
  EXPECT_EQ(Decode(garbage_after).data, data);
}

TEST(CompressDecode, PlainDataIsCopied) {
  for (const Bytes& plain : {ToBytes("plain"), Bytes{0x1F}, Bytes{0x1F, 0x8C, 0}, Bytes{0}}) {
    const Result r = Decode(plain);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.data, plain) << Hex(plain);
  }
}

TEST(CompressDecode, LengthPrefixedForm) {
  const Bytes data = SealLike(3000, 5);
  const Bytes block = Encode(data).data;
  const auto size = static_cast<uint32_t>(block.size());

  EXPECT_EQ(DecodeAs(WithPrefix(block, size), 0).data, data);
  // A stated length shorter than the block: only that much is read.
  const Bytes shortened = WithPrefix(Bytes(block.begin(), block.begin() + 100), 100);
  const Result r = DecodeAs(shortened, 0);
  EXPECT_EQ(r.rc, 0);
  EXPECT_TRUE(std::equal(r.data.begin(), r.data.end(), data.begin()));

  const struct {
    const char* what;
    Bytes in;
  } refused[] = {
      {"no magic", WithPrefix(ToBytes("plain text"), 10)},
      {"stated length 0", WithPrefix(Bytes{0x1F, 0x8B}, 0)},
      {"stated length 1", WithPrefix(Bytes{0x1F, 0x8B}, 1)},
      {"stated length beyond an int", WithPrefix(block, 0x80000000u)},
  };
  for (const auto& tc : refused) {
    unsigned char dummy = 0;
    unsigned char* out = &dummy;
    int len = -7;
    EXPECT_EQ(CompressDecode(tc.in.data(), 0, &out, &len), -111) << tc.what;
    EXPECT_EQ(out, nullptr) << tc.what;
    EXPECT_EQ(len, 0) << tc.what;
  }
}

TEST(CompressDecode, BadArguments) {
  const Bytes plain = ToBytes("abc");
  unsigned char* out = nullptr;
  int len = 0;
  EXPECT_EQ(CompressDecode(nullptr, 3, &out, &len), -121);
  EXPECT_EQ(CompressDecode(plain.data(), -1, &out, &len), -121);
  EXPECT_EQ(CompressDecode(plain.data(), 3, nullptr, &len), -121);
  EXPECT_EQ(CompressDecode(plain.data(), 3, &out, nullptr), -121);
  EXPECT_FALSE(G_DecodeToData(nullptr, 3, &out, &len));
  EXPECT_TRUE(G_DecodeToData(plain.data(), 3, &out, &len));
  EXPECT_EQ(Bytes(out, out + len), plain);
  std::free(out);
}

// A block that inflates past the bound stops there, as damaged data does.
TEST(CompressDecode, BombStopsAtBound) {
  const Bytes zeros(gzip::kMaxInflatedSize + (1 << 20), 0);
  const Bytes bomb = Encode(zeros).data;
  ASSERT_LT(bomb.size(), 200000u);
  const Result r = Decode(bomb);
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.data.size(), gzip::kMaxInflatedSize);

  // The same rule with a small limit, through the reader itself; output of
  // exactly the limit is complete.
  const Bytes block = Encode(Bytes(1000, 'z')).data;
  for (const auto& [limit, end, size] : {std::tuple{999u, gzip::ReadEnd::kLimit, 999u},
                                         std::tuple{1000u, gzip::ReadEnd::kComplete, 1000u}}) {
    gzip::MallocBuffer out;
    EXPECT_EQ(gzip::Read(block.data(), block.size(), limit, &out), end) << limit;
    EXPECT_EQ(out.size(), size);
  }
}

// ---- compressed text ----

std::string ToText(const Bytes& data) {
  char* text = nullptr;
  const int n = EncodeDataToStr(data.data(), static_cast<int>(data.size()), &text);
  EXPECT_GT(n, 0);
  std::string s = text != nullptr ? std::string(text, static_cast<size_t>(n)) : "";
  if (text != nullptr) { EXPECT_EQ(text[n], '\0'); }
  std::free(text);
  return s;
}

Result FromText(const std::string& text) {
  static unsigned char dummy;
  unsigned char* out = &dummy;  // must stay untouched on failure
  unsigned char* const sentinel = out;
  const int n = DecodeStrToDataChar(text.c_str(), &out);
  if (n == 0) {
    EXPECT_EQ(out, sentinel) << "failure leaves the out pointer as it was";
    return {0, {}};
  }
  Result r{n, Bytes(out, out + n)};
  std::free(out);
  return r;
}

Bytes Payload(const std::string& text) {
  CBase64Coder c;
  c.Decode(text.c_str());
  return Bytes(c.DecodedMessage(), c.DecodedMessage() + c.DecodedMessageSize());
}

std::string Base64(const Bytes& b) {
  CBase64Coder c;
  c.Encode(b.data(), static_cast<unsigned>(b.size()));
  return std::string(reinterpret_cast<const char*>(c.EncodedMessage()), c.EncodedMessageSize());
}

TEST(CompressedText, RoundTripAnyLength) {
  for (size_t n : {1u, 7u, 100u, 65535u, 70000u, 300000u}) {
    const Bytes data = SealLike(n, static_cast<unsigned>(n) + 11);
    const std::string text = ToText(data);
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
    const Bytes payload = Payload(text);
    const size_t block = payload.size() - 3;
    EXPECT_EQ(payload[1] | payload[2] << 8, static_cast<int>(block & 0xFFFF)) << n;
    EXPECT_EQ(FromText(text).data, data) << n;
  }
}

TEST(CompressedText, SeedRange) {
  bool saw_60_case = false;
  for (unsigned s = 1; s < 3000; ++s) {
    std::srand(s);
    const bool is_60 = std::rand() % 200 == 12;
    std::srand(s);
    const uint8_t seed = Payload(ToText(ToBytes("x")))[0];
    ASSERT_GE(seed, 48);
    ASSERT_LE(seed, 247);
    ASSERT_NE(seed, 60);
    if (is_60) {
      EXPECT_EQ(seed, 62);
      saw_60_case = true;
    }
  }
  EXPECT_TRUE(saw_60_case);
}

TEST(CompressedText, RefusedTexts) {
  const std::string good = ToText(ToBytes("some data"));
  Bytes wrong_len = Payload(good);
  wrong_len[1] ^= 1;
  // Data of length 0 makes a valid text whose result is empty: refused too.
  char* empty_text = nullptr;
  const unsigned char none = 0;
  ASSERT_GT(EncodeDataToStr(&none, 0, &empty_text), 0);
  const std::string empty_data_text = empty_text;
  std::free(empty_text);
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"seven characters", "YWJjZGV"},
      {"six zero bytes: five enciphered bytes", "AAAAAAAA"},
      {"length field differs", Base64(wrong_len)},
      {"data of length 0", empty_data_text},
  };
  for (const auto& tc : cases) EXPECT_EQ(FromText(tc.text).rc, 0) << tc.what;

  char dummy = 0;
  char* text = &dummy;
  char* const sentinel = text;
  EXPECT_EQ(EncodeDataToStr(nullptr, 10, &text), 0);
  EXPECT_EQ(text, sentinel);
  EXPECT_EQ(EncodeDataToStr(ToBytes("x").data(), 1, nullptr), 0);
  unsigned char* out = nullptr;
  EXPECT_EQ(DecodeStrToDataChar(nullptr, &out), 0);
  EXPECT_EQ(DecodeStrToDataChar(good.c_str(), nullptr), 0);
}

// A payload whose deciphered block is not gzip comes back as it is.
TEST(CompressedText, PlainPayloadReturnedAsIs) {
  const Bytes plain = ToBytes("0123456789abcdef!");
  Bytes payload = {100, static_cast<uint8_t>(plain.size()), 0};
  payload.insert(payload.end(), plain.begin(), plain.end());
  uint8_t key[16];
  builtin_keys::TextKeyFromSeed(100, key);
  ASSERT_EQ(EncDataNoAlloc(payload.data() + 3, static_cast<int>(plain.size()), key, 16, false), 0);
  EXPECT_EQ(FromText(Base64(payload)).data, plain);
}

TEST(CompressedText, WideText) {
  const Bytes data = SealLike(5000, 9);
  const std::string text = ToText(data);
  const std::wstring wide(text.begin(), text.end());
  unsigned char* out = nullptr;
  const int n = DecodeStrToData(wide.c_str(), &out);
  ASSERT_EQ(n, static_cast<int>(data.size()));
  EXPECT_EQ(Bytes(out, out + n), data);
  std::free(out);
  EXPECT_EQ(DecodeStrToData(L"YWJjZGV", &out), 0);
  EXPECT_EQ(DecodeStrToData(nullptr, &out), 0);
}

TEST(TextKey, NoZeroBytesAndSeedsDiffer) {
  uint8_t first[16], key[16];
  builtin_keys::TextKeyFromSeed(0, first);
  for (int s = 0; s < 256; ++s) {
    builtin_keys::TextKeyFromSeed(static_cast<uint8_t>(s), key);
    for (int i = 0; i < 16; ++i) ASSERT_NE(key[i], 0) << s << " " << i;
    EXPECT_EQ(key[15], first[15]) << "the last byte is a constant";
    if (s != 0) { EXPECT_NE(std::memcmp(key, first, 15), 0) << s; }
  }
}

}  // namespace
}  // namespace oesqx
