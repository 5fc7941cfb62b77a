// The compressed text form: Base64 of a seed byte, the low 16 bits of the
// block length, and a gzip block enciphered under a key made from the seed.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

#include "common/base64.h"
#include "common/byte_reader.h"
#include "common/compress.h"
#include "common/encoding.h"
#include "common/malloc_ptr.h"
#include "crypto/builtin_keys.h"
#include "crypto/des.h"

namespace {

using oesqx::MallocPtr;

constexpr int kKeyLen = 16;
constexpr size_t kPayloadHead = 3;  // seed byte + 16-bit length
constexpr size_t kMinTextLen = 8;   // shorter texts are refused outright

// 48..247; 60 ("<") is never used and becomes 62 (">").
uint8_t DrawSeed() {
  int s = std::rand() % 200 + 48;
  if (s == 60) s = 62;
  return static_cast<uint8_t>(s);
}

// Base64 text (already a byte string) back to data; see DecodeStrToDataChar.
int DecodeText(const unsigned char* text, size_t len, unsigned char** out) {
  if (len < kMinTextLen || len > UINT_MAX) return 0;
  CBase64Coder coder;
  coder.Decode(text, static_cast<unsigned>(len));
  const size_t m = coder.DecodedMessageSize();
  if (m < kPayloadHead + 1 || m - kPayloadHead > INT_MAX) return 0;
  unsigned char* payload = coder.DecodedMessage();

  oesqx::ByteReader head(payload, kPayloadHead);
  uint8_t seed = 0;
  uint16_t stated = 0;
  head.ReadU8(&seed);
  head.ReadU16(&stated);

  uint8_t key[kKeyLen];
  oesqx::builtin_keys::TextKeyFromSeed(seed, key);
  const int block_len = static_cast<int>(m - kPayloadHead);
  unsigned char* block = payload + kPayloadHead;
  if (DecDataNoAlloc(block, block_len, key, kKeyLen, false) != 0) return 0;
  if (stated != static_cast<uint16_t>(block_len)) return 0;

  unsigned char* data = nullptr;
  int data_len = 0;
  if (CompressDecode(block, block_len, &data, &data_len) != 0) return 0;
  // An empty result reads as failure, so it must not leave a buffer behind.
  if (data_len <= 0) {
    std::free(data);
    return 0;
  }
  *out = data;
  return data_len;
}

}  // namespace

extern "C" {

int EncodeDataToStr(const unsigned char* data, int len, char** out_text) {
  if (out_text == nullptr) return 0;
  unsigned char* raw = nullptr;
  int n = 0;
  if (CompressEncode(data, len, &raw, &n) != 0) return 0;
  MallocPtr block(raw);
  if (n <= 0) return 0;  // no data: nothing to encipher

  std::vector<unsigned char> payload(kPayloadHead + static_cast<size_t>(n));
  const uint8_t seed = DrawSeed();
  payload[0] = seed;
  payload[1] = static_cast<unsigned char>(n & 0xFF);
  payload[2] = static_cast<unsigned char>((n >> 8) & 0xFF);
  std::memcpy(payload.data() + kPayloadHead, block.get(), static_cast<size_t>(n));

  uint8_t key[kKeyLen];
  oesqx::builtin_keys::TextKeyFromSeed(seed, key);
  if (EncDataNoAlloc(payload.data() + kPayloadHead, n, key, kKeyLen, false) != 0) return 0;

  CBase64Coder coder;
  coder.Encode(payload.data(), static_cast<unsigned>(payload.size()));
  const unsigned size = coder.EncodedMessageSize();
  if (size == 0 || size > INT_MAX - 1u) return 0;
  auto* text = static_cast<char*>(std::malloc(size + 1u));
  if (text == nullptr) return 0;
  std::memcpy(text, coder.EncodedMessage(), size);
  text[size] = '\0';
  *out_text = text;
  return static_cast<int>(size);
}

int DecodeStrToDataChar(const char* text, unsigned char** out) {
  if (text == nullptr || out == nullptr) return 0;
  return DecodeText(reinterpret_cast<const unsigned char*>(text), std::strlen(text), out);
}

int DecodeStrToData(const wchar_t* text, unsigned char** out) {
  if (text == nullptr || out == nullptr) return 0;
  const size_t count = std::wcslen(text);
  if (count < kMinTextLen || count > (INT_MAX - 1u) / 2) return 0;
  // A Base64 text is ASCII, one byte per character; twice the count leaves
  // room, and the conversion cuts anything longer at the buffer's end.
  const size_t size = 2 * count + 1;
  std::vector<char> utf8(size, '\0');
  G_ucs2toutf8(text, utf8.data(), static_cast<int>(size));
  utf8[size - 1] = '\0';
  return DecodeText(reinterpret_cast<const unsigned char*>(utf8.data()), std::strlen(utf8.data()),
                    out);
}

}  // extern "C"
