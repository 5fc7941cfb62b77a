// LZW expansion for GIF. Each table entry keeps its prefix code, last index
// and length, so a string is written backwards straight into the output.
#include <cstring>

#include "image/gif_lzw.h"

namespace oesqx::image {
namespace {

constexpr uint32_t kMaxCodes = 4096;

// Reads codes LSB-first from the concatenated sub-block data.
class CodeReader {
 public:
  explicit CodeReader(ByteReader data) : data_(data) {}
  bool Read(uint32_t width, uint32_t* code) {
    while (count_ < width) {
      uint8_t byte;
      if (!data_.ReadU8(&byte)) return false;
      buffer_ |= uint32_t{byte} << count_;
      count_ += 8;
    }
    *code = buffer_ & ((1u << width) - 1);
    buffer_ >>= width;
    count_ -= width;
    return true;
  }

 private:
  ByteReader data_;
  uint32_t buffer_ = 0;
  uint32_t count_ = 0;
};

}  // namespace

bool LzwDecode(ByteReader data, uint32_t min_code_size, uint8_t* out, size_t pixel_count) {
  if (min_code_size < 1 || min_code_size > 8) return false;
  if (pixel_count == 0) return true;
  uint16_t prefix[kMaxCodes];
  uint8_t suffix[kMaxCodes];
  uint8_t first[kMaxCodes];
  uint16_t length[kMaxCodes];
  const uint32_t clear = 1u << min_code_size;
  const uint32_t end = clear + 1;
  for (uint32_t i = 0; i < clear; ++i) {
    prefix[i] = 0;
    suffix[i] = first[i] = static_cast<uint8_t>(i);
    length[i] = 1;
  }
  uint32_t next = end + 1;
  uint32_t width = min_code_size + 1;
  int32_t prev = -1;
  size_t pos = 0;
  CodeReader codes(data);
  uint32_t code;
  while (pos < pixel_count) {
    if (!codes.Read(width, &code)) return false;  // data ends inside the picture
    if (code == clear) {
      next = end + 1;
      width = min_code_size + 1;
      prev = -1;
      continue;
    }
    if (code == end) return false;
    if (prev < 0) {
      if (code >= clear) return false;
      out[pos++] = static_cast<uint8_t>(code);
      prev = static_cast<int32_t>(code);
      continue;
    }
    if (code > next || (code == next && next >= kMaxCodes)) return false;
    if (next < kMaxCodes) {
      // The new entry is prev's string plus the first index of this code's
      // string (which for code == next is prev's own first index).
      const uint32_t p = static_cast<uint32_t>(prev);
      prefix[next] = static_cast<uint16_t>(p);
      suffix[next] = code == next ? first[p] : first[code];
      first[next] = first[p];
      length[next] = static_cast<uint16_t>(length[p] + 1);
      ++next;
      if (next == (1u << width) && width < 12) ++width;
    }
    // Write the string of `code`, cut at the end of the picture.
    const size_t len = length[code];
    const size_t room = pixel_count - pos;
    uint32_t c = code;
    for (size_t i = len; i-- > 0;) {
      if (i < room) out[pos + i] = suffix[c];
      c = prefix[c];
    }
    pos += len < room ? len : room;
    prev = static_cast<int32_t>(code);
  }
  return true;
}

}  // namespace oesqx::image
