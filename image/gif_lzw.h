// GIF's variable-width LZW: the encoder used by the GIF writer and the
// decoder used by the GIF reader.
#ifndef OESQX_IMAGE_GIF_LZW_H
#define OESQX_IMAGE_GIF_LZW_H

#include <cstdint>
#include <vector>

#include "common/byte_reader.h"

namespace oesqx::image {

// Compresses pixel indices (each below 2^min_code_size) into one LZW
// stream: a clear code first, codes LSB-first, the end code last. Codes
// start min_code_size + 1 bits wide and widen by one bit when the next
// free code no longer fits, up to 12 bits; when all 4096 codes are taken a
// clear code starts a fresh table.
class LzwEncoder {
 public:
  LzwEncoder(uint32_t min_code_size, std::vector<uint8_t>* out);
  // Adds `n` indices.
  void Write(const uint8_t* indices, size_t n);
  // Emits the pending string and the end code and flushes the last bits.
  void Finish();

 private:
  static constexpr uint32_t kHashBits = 14;
  void Emit(uint32_t code);
  void ResetTable();
  // Records the new entry `code` = current string + `c`, and starts a new
  // string at `c`.
  void AddEntry(uint32_t slot, uint32_t key, uint32_t c);

  uint32_t min_code_size_;
  uint32_t clear_code_;
  uint32_t end_code_;
  uint32_t next_code_ = 0;
  uint32_t width_ = 0;
  int32_t current_ = -1;  // code of the string matched so far; -1 at start
  // When the current string is one index repeated: that index and the
  // length; run_length_ 0 otherwise.
  uint32_t run_index_ = 0;
  uint32_t run_length_ = 0;
  uint64_t bit_buffer_ = 0;
  uint32_t bit_count_ = 0;
  std::vector<uint8_t>* out_;
  // Open addressing: (prefix << 8 | index) << 12 | code; all ones = empty
  // (no entry can be its own prefix).
  std::vector<uint32_t> slots_;
  // Codes of the strings "index repeated k times" for k = 1, 2, ...: they
  // enter the table in order of length, so each list is complete up to its
  // size. They let a run of one index be matched in one step.
  std::vector<uint16_t> runs_[256];
};

// Expands an LZW stream into exactly `pixel_count` indices at `out`.
// False when a code is invalid (beyond the table), or when the data ends
// before every pixel is filled; data after the pixels is ignored.
bool LzwDecode(ByteReader data, uint32_t min_code_size, uint8_t* out, size_t pixel_count);

}  // namespace oesqx::image

#endif
