// Base64 decoding of arbitrary text, checked against a plain restatement of
// the decoding rules, and Encode/Decode round trips of arbitrary bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/base64.h"

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

unsigned Value(unsigned char c) {
  if (c == '=' || c == 0xBD) return 0xFF;
  const void* p = c != 0 ? std::memchr(kAlphabet, c & 0x7F, 64) : nullptr;
  return p != nullptr ? static_cast<unsigned>(static_cast<const char*>(p) - kAlphabet) : 0xFE;
}

// One group at a time, straight from the rules.
std::vector<uint8_t> Reference(const uint8_t* data, size_t size) {
  std::vector<uint8_t> text;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] >= 0x07 && data[i] <= 0x0D) continue;
    text.push_back(data[i] == ' ' ? '+' : data[i]);
  }
  std::vector<uint8_t> out;
  for (size_t g = 0; g < text.size(); g += 4) {
    const bool last = g + 4 >= text.size();
    int c[4];
    for (int k = 0; k < 4; ++k) c[k] = g + k < text.size() ? text[g + k] : -1;
    unsigned v[4];
    for (int k = 0; k < 4; ++k) v[k] = c[k] < 0 ? 0xFE : Value(static_cast<unsigned char>(c[k]));
    int n = 3;
    if (last && c[2] == '=') n = 1;
    else if (last && c[3] == '=') n = 2;
    const uint8_t b[3] = {static_cast<uint8_t>(v[0] << 2 | ((v[1] >> 4) & 3)),
                          static_cast<uint8_t>(v[1] << 4 | ((v[2] >> 2) & 15)),
                          static_cast<uint8_t>(v[2] << 6 | (v[3] & 63))};
    out.insert(out.end(), b, b + n);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  // An exact-size copy, so a read past the end is caught.
  std::vector<uint8_t> copy(data, data + size);
  CBase64Coder coder;
  coder.Decode(copy.data(), static_cast<unsigned>(size));
  const std::vector<uint8_t> want = Reference(data, size);
  if (coder.DecodedMessageSize() != want.size() ||
      (!want.empty() && std::memcmp(coder.DecodedMessage(), want.data(), want.size()) != 0)) {
    std::abort();
  }

  coder.Encode(copy.data(), static_cast<unsigned>(size));
  if (coder.EncodedMessageSize() != (size + 2) / 3 * 4) std::abort();
  if (coder.EncodedMessage()[coder.EncodedMessageSize()] != 0) std::abort();
  CBase64Coder back;
  back.Decode(coder.EncodedMessage(), coder.EncodedMessageSize());
  if (back.DecodedMessageSize() != size ||
      (size != 0 && std::memcmp(back.DecodedMessage(), data, size) != 0)) {
    std::abort();
  }
  return 0;
}
