// LZW compression for GIF. Strings are found in an open-addressing hash
// table keyed on (prefix code, next index).
#include <cstring>

#include "image/gif_lzw.h"

namespace oesqx::image {
namespace {
constexpr uint32_t kMaxCodes = 4096;
inline uint32_t Hash(uint32_t key) { return (key * 2654435761u) >> (32 - 14); }
}  // namespace

LzwEncoder::LzwEncoder(uint32_t min_code_size, std::vector<uint8_t>* out)
    : min_code_size_(min_code_size),
      clear_code_(1u << min_code_size),
      end_code_((1u << min_code_size) + 1),
      out_(out),
      keys_(size_t{1} << kHashBits, 0),
      codes_(size_t{1} << kHashBits, 0) {
  ResetTable();
  Emit(clear_code_);
}

void LzwEncoder::ResetTable() {
  std::memset(keys_.data(), 0, keys_.size() * sizeof(keys_[0]));
  next_code_ = end_code_ + 1;
  width_ = min_code_size_ + 1;
}

void LzwEncoder::Emit(uint32_t code) {
  bit_buffer_ |= uint64_t{code} << bit_count_;
  bit_count_ += width_;
  while (bit_count_ >= 8) {
    out_->push_back(static_cast<uint8_t>(bit_buffer_));
    bit_buffer_ >>= 8;
    bit_count_ -= 8;
  }
}

void LzwEncoder::Write(const uint8_t* indices, size_t n) {
  size_t i = 0;
  if (current_ < 0 && n > 0) current_ = indices[i++];
  uint32_t cur = static_cast<uint32_t>(current_);
  constexpr uint32_t kMask = (1u << kHashBits) - 1;
  for (; i < n; ++i) {
    const uint32_t c = indices[i];
    const uint32_t key = (cur << 8 | c) + 1;
    uint32_t h = Hash(key);
    bool found = false;
    while (keys_[h] != 0) {
      if (keys_[h] == key) {
        cur = codes_[h];
        found = true;
        break;
      }
      h = (h + 1) & kMask;
    }
    if (found) continue;
    Emit(cur);
    keys_[h] = key;
    codes_[h] = static_cast<uint16_t>(next_code_);
    ++next_code_;
    // The reader adds each entry one code later than we do, so the width
    // grows once the newest code is past the current range.
    if (next_code_ > (1u << width_) && width_ < 12) ++width_;
    if (next_code_ == kMaxCodes) {
      Emit(clear_code_);
      ResetTable();
    }
    cur = c;
  }
  current_ = static_cast<int32_t>(cur);
}

void LzwEncoder::Finish() {
  if (current_ >= 0) {
    Emit(static_cast<uint32_t>(current_));
    // The reader adds an entry for this last code before it reads the end
    // code, and may widen for it.
    if (next_code_ + 1 > (1u << width_) && width_ < 12) ++width_;
  }
  Emit(end_code_);
  if (bit_count_ > 0) out_->push_back(static_cast<uint8_t>(bit_buffer_));
  bit_buffer_ = 0;
  bit_count_ = 0;
  current_ = -1;
}

}  // namespace oesqx::image
