// Object identifiers: content bytes to dotted text and back.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/byte_reader.h"
#include "seal/v7_seal.h"

namespace {

constexpr size_t kTextSize = 40;  // 39 characters and the terminator

// One base-128 subidentifier; false when the data ends inside it (or it
// does not fit 64 bits).
bool ReadSubidentifier(oesqx::ByteReader* in, uint64_t* value) {
  uint64_t v = 0;
  for (int i = 0; i < 10; ++i) {
    uint8_t b = 0;
    if (!in->ReadU8(&b)) return false;
    v = (v << 7) | (b & 0x7F);
    if ((b & 0x80) == 0) {
      *value = v;
      return true;
    }
  }
  return false;
}

void PutBase128(uint64_t v, unsigned char*& out) {
  uint8_t tmp[10];
  int n = 0;
  do {
    tmp[n++] = static_cast<uint8_t>(v & 0x7F);
    v >>= 7;
  } while (v != 0);
  while (n-- > 0) *out++ = static_cast<unsigned char>(tmp[n] | (n != 0 ? 0x80 : 0));
}

}  // namespace

bool ConvertAlgoDataToStr(unsigned char* data, int length, char* text) {
  if (text == nullptr) return true;
  oesqx::ByteReader in(data, length > 0 ? static_cast<size_t>(length) : 0);
  uint64_t first = 0;
  ReadSubidentifier(&in, &first);  // empty or cut: 0, giving "0.0"
  int used = std::snprintf(text, kTextSize, "%llu.%llu", static_cast<unsigned long long>(first / 40),
                           static_cast<unsigned long long>(first % 40));
  if (used < 0 || static_cast<size_t>(used) >= kTextSize) {
    text[0] = '\0';
    return true;
  }
  uint64_t v = 0;
  while (ReadSubidentifier(&in, &v)) {
    char part[24];
    const int n = std::snprintf(part, sizeof(part), ".%llu", static_cast<unsigned long long>(v));
    if (static_cast<size_t>(used + n) >= kTextSize) break;
    std::memcpy(text + used, part, static_cast<size_t>(n) + 1);
    used += n;
  }
  return true;
}

bool ConvertAlgoStrToData(const char* text, unsigned char*& out) {
  if (text == nullptr || std::strchr(text, '.') == nullptr) return false;
  uint64_t numbers[2] = {0, 0};
  int index = 0;
  uint64_t current = 0;
  for (const char* p = text;; ++p) {
    if (*p >= '0' && *p <= '9') {
      current = current * 10 + static_cast<uint64_t>(*p - '0');
      continue;
    }
    if (*p != '.' && *p != '\0') continue;
    if (index < 2) {
      numbers[index] = current;
      if (index == 1) PutBase128(40 * numbers[0] + numbers[1], out);
    } else {
      PutBase128(current, out);
    }
    ++index;
    current = 0;
    if (*p == '\0') break;
  }
  return true;
}
