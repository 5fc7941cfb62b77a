// Bounds-checked little-endian cursor over a byte range, and its writer.
//
// Every reader of the binary formats that come from files, keys and pages
// (containers, records, strokes, bitmaps) takes its fields through a
// ByteReader: each Read* returns false and leaves the cursor where it was
// when fewer bytes remain than the field needs, so no parser does its own
// offset arithmetic against the end of the data.
#ifndef OESQX_COMMON_BYTE_READER_H
#define OESQX_COMMON_BYTE_READER_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace oesqx {

class ByteReader {
 public:
  ByteReader() = default;
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(data != nullptr ? size : 0) {}
  explicit ByteReader(const std::vector<uint8_t>& v) : ByteReader(v.data(), v.size()) {}

  size_t size() const { return size_; }
  size_t offset() const { return pos_; }
  size_t remaining() const { return size_ - pos_; }
  bool empty() const { return pos_ == size_; }
  // The unread bytes (valid while the underlying data lives).
  const uint8_t* cursor() const { return data_ + pos_; }

  bool ReadU8(uint8_t* out) {
    if (remaining() < 1) return false;
    *out = data_[pos_++];
    return true;
  }
  bool ReadU16(uint16_t* out) {
    if (remaining() < 2) return false;
    *out = static_cast<uint16_t>(data_[pos_] | data_[pos_ + 1] << 8);
    pos_ += 2;
    return true;
  }
  bool ReadU32(uint32_t* out) {
    if (remaining() < 4) return false;
    *out = static_cast<uint32_t>(data_[pos_]) | static_cast<uint32_t>(data_[pos_ + 1]) << 8 |
           static_cast<uint32_t>(data_[pos_ + 2]) << 16 | static_cast<uint32_t>(data_[pos_ + 3]) << 24;
    pos_ += 4;
    return true;
  }
  bool ReadI16(int16_t* out) {
    uint16_t v;
    if (!ReadU16(&v)) return false;
    *out = static_cast<int16_t>(v);
    return true;
  }
  bool ReadI32(int32_t* out) {
    uint32_t v;
    if (!ReadU32(&v)) return false;
    *out = static_cast<int32_t>(v);
    return true;
  }
  // Points *out at the next n bytes and steps over them.
  bool ReadBytes(size_t n, const uint8_t** out) {
    if (remaining() < n) return false;
    *out = data_ + pos_;
    pos_ += n;
    return true;
  }
  bool CopyBytes(size_t n, void* out) {
    const uint8_t* p;
    if (!ReadBytes(n, &p)) return false;
    if (n != 0) std::memcpy(out, p, n);
    return true;
  }
  bool Skip(size_t n) {
    if (remaining() < n) return false;
    pos_ += n;
    return true;
  }
  // Splits off the next n bytes as a reader of their own.
  bool ReadSub(size_t n, ByteReader* out) {
    const uint8_t* p;
    if (!ReadBytes(n, &p)) return false;
    *out = ByteReader(p, n);
    return true;
  }
  // Moves to an absolute offset within the range.
  bool Seek(size_t offset) {
    if (offset > size_) return false;
    pos_ = offset;
    return true;
  }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t pos_ = 0;
};

// Appends little-endian fields to a byte vector.
class ByteWriter {
 public:
  explicit ByteWriter(std::vector<uint8_t>* out) : out_(out) {}
  void PutU8(uint8_t v) { out_->push_back(v); }
  void PutU16(uint16_t v) {
    out_->push_back(static_cast<uint8_t>(v));
    out_->push_back(static_cast<uint8_t>(v >> 8));
  }
  void PutU32(uint32_t v) {
    for (int i = 0; i < 4; ++i) out_->push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void PutBytes(const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    out_->insert(out_->end(), p, p + n);
  }
  void PutZeros(size_t n) { out_->insert(out_->end(), n, 0); }
  size_t size() const { return out_->size(); }

 private:
  std::vector<uint8_t>* out_;
};

}  // namespace oesqx

#endif
