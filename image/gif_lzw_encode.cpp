// LZW compression for GIF. Strings are found in an open-addressing hash
// table keyed on (prefix code, next index); runs of one index, the bulk of
// seal pictures, are matched through per-index lists of run codes instead
// of one lookup per pixel.
#include <cstring>

#include "image/gif_lzw.h"

namespace oesqx::image {
namespace {
constexpr uint32_t kMaxCodes = 4096;
constexpr uint32_t kEmpty = 0xFFFFFFFFu;
inline uint32_t Hash(uint32_t key) { return (key * 2654435761u) >> (32 - 14); }

// Number of bytes equal to `c` from `p` on, at most `n`.
inline size_t RunLength(const uint8_t* p, size_t n, uint8_t c) {
  size_t i = 0;
  while (i + 8 <= n) {
    uint64_t w;
    std::memcpy(&w, p + i, 8);
    const uint64_t diff = w ^ (0x0101010101010101ull * c);
    if (diff != 0) return i + static_cast<size_t>(__builtin_ctzll(diff) / 8);
    i += 8;
  }
  while (i < n && p[i] == c) ++i;
  return i;
}
}  // namespace

LzwEncoder::LzwEncoder(uint32_t min_code_size, std::vector<uint8_t>* out)
    : min_code_size_(min_code_size),
      clear_code_(1u << min_code_size),
      end_code_((1u << min_code_size) + 1),
      out_(out),
      slots_(size_t{1} << kHashBits, kEmpty) {
  ResetTable();
  Emit(clear_code_);
}

void LzwEncoder::ResetTable() {
  std::memset(slots_.data(), 0xFF, slots_.size() * sizeof(slots_[0]));
  for (uint32_t i = 0; i < clear_code_; ++i) runs_[i].assign(1, static_cast<uint16_t>(i));
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

void LzwEncoder::AddEntry(uint32_t slot, uint32_t key, uint32_t c) {
  Emit(static_cast<uint32_t>(current_));
  slots_[slot] = key << 12 | next_code_;
  if (run_length_ != 0 && c == run_index_) runs_[c].push_back(static_cast<uint16_t>(next_code_));
  ++next_code_;
  // The reader adds each entry one code later than we do, so the width
  // grows once the newest code is past the current range.
  if (next_code_ > (1u << width_) && width_ < 12) ++width_;
  if (next_code_ == kMaxCodes) {
    Emit(clear_code_);
    ResetTable();
  }
  current_ = static_cast<int32_t>(c);
  run_index_ = c;
  run_length_ = 1;
}

void LzwEncoder::Write(const uint8_t* indices, size_t n) {
  size_t i = 0;
  if (current_ < 0 && n > 0) {
    current_ = indices[i++];
    run_index_ = static_cast<uint32_t>(current_);
    run_length_ = 1;
  }
  constexpr uint32_t kMask = (1u << kHashBits) - 1;
  while (i < n) {
    const uint32_t c = indices[i];
    if (run_length_ != 0 && c == run_index_) {
      // Extend the run as far as both the input and the table go.
      const std::vector<uint16_t>& codes = runs_[c];
      const size_t known = codes.size() - run_length_;  // longer runs in the table
      const size_t step = RunLength(indices + i, n - i < known ? n - i : known, static_cast<uint8_t>(c));
      if (step > 0) {
        run_length_ += static_cast<uint32_t>(step);
        current_ = codes[run_length_ - 1];
        i += step;
        continue;
      }
    }
    const uint32_t key = static_cast<uint32_t>(current_) << 8 | c;
    uint32_t h = Hash(key);
    uint32_t entry;
    while ((entry = slots_[h]) != kEmpty && (entry >> 12) != key) h = (h + 1) & kMask;
    if (entry != kEmpty) {
      current_ = static_cast<int32_t>(entry & 0xFFF);
      run_length_ = (run_length_ != 0 && c == run_index_) ? run_length_ + 1 : 0;
    } else {
      AddEntry(h, key, c);
    }
    ++i;
  }
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
