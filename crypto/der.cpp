#include "crypto/der.h"

namespace oesqx::der {

bool Reader::PeekHeader(Header* out) const {
  const uint8_t* p = data();
  const size_t avail = size();
  if (avail < 2) return false;
  const uint8_t tag = p[0];
  if ((tag & 0x1F) == 0x1F) return false;  // multi-byte tag numbers are not used here
  const uint8_t first = p[1];
  size_t length = 0;
  size_t header = 2;
  if (first < 0x80) {
    length = first;
  } else {
    const size_t n = first & 0x7F;
    if (n == 0 || n > form_.max_bytes || n > 4) return false;  // indefinite or too long
    if (avail - 2 < n) return false;
    for (size_t i = 0; i < n; ++i) length = (length << 8) | p[2 + i];
    if (form_.minimal) {
      if (p[2] == 0) return false;               // leading zero length byte
      if (n == 1 && length < 0x80) return false;  // fits the short form
    }
    header += n;
  }
  out->tag = tag;
  out->header_size = header;
  out->length = length;
  return true;
}

bool Reader::PeekTag(uint8_t tag) const {
  Header h;
  return PeekHeader(&h) && h.tag == tag;
}

bool Reader::ReadAny(uint8_t* tag, Reader* content, Reader* whole) {
  Header h;
  if (!PeekHeader(&h)) return false;
  if (h.length > size() - h.header_size) return false;
  const uint8_t* start = data();
  if (tag != nullptr) *tag = h.tag;
  if (content != nullptr) *content = Reader(start + h.header_size, h.length, form_);
  if (whole != nullptr) *whole = Reader(start, h.header_size + h.length, form_);
  pos_ += h.header_size + h.length;
  return true;
}

bool Reader::Read(uint8_t tag, Reader* content, Reader* whole) {
  if (!PeekTag(tag)) return false;
  return ReadAny(nullptr, content, whole);
}

bool Reader::Skip() { return ReadAny(nullptr, nullptr); }

bool Reader::SkipIf(uint8_t tag) { return PeekTag(tag) && Skip(); }

bool Reader::ReadSmallUnsigned(uint32_t* out) {
  Reader saved = *this;
  Reader content;
  if (!Read(kInteger, &content)) return false;
  if (content.size() < 1 || content.size() > 4) {
    *this = saved;
    return false;
  }
  uint32_t v = 0;
  for (size_t i = 0; i < content.size(); ++i) v = (v << 8) | content.data()[i];
  *out = v;
  return true;
}

bool Reader::ReadBytes(size_t n, const uint8_t** out) {
  if (n > size()) return false;
  *out = data();
  pos_ += n;
  return true;
}

bool Reader::SkipBytes(size_t n) {
  if (n > size()) return false;
  pos_ += n;
  return true;
}

bool Reader::ReadU8(uint8_t* out) {
  if (empty()) return false;
  *out = data_[pos_++];
  return true;
}

size_t LengthSize(size_t length) {
  if (length < 0x80) return 1;
  if (length <= 0xFF) return 2;
  if (length <= 0xFFFF) return 3;
  if (length <= 0xFFFFFF) return 4;
  return 5;
}

void AppendLength(std::vector<uint8_t>* out, size_t length) {
  const size_t n = LengthSize(length) - 1;
  if (n == 0) {
    out->push_back(static_cast<uint8_t>(length));
    return;
  }
  out->push_back(static_cast<uint8_t>(0x80 | n));
  for (size_t i = n; i-- > 0;) out->push_back(static_cast<uint8_t>(length >> (8 * i)));
}

void AppendElement(std::vector<uint8_t>* out, uint8_t tag, const uint8_t* content, size_t length) {
  out->push_back(tag);
  AppendLength(out, length);
  if (length != 0) out->insert(out->end(), content, content + length);
}

void AppendSmallUnsigned(std::vector<uint8_t>* out, uint32_t value) {
  uint8_t bytes[4];
  size_t n = 0;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const uint8_t b = static_cast<uint8_t>(value >> shift);
    if (n == 0 && b == 0 && shift != 0) continue;
    bytes[n++] = b;
  }
  AppendElement(out, kInteger, bytes, n);
}

}  // namespace oesqx::der
