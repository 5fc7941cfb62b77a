// Byte order conversion of a whole container, item by item.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "seal/seal_operator.h"

namespace {

uint16_t Swap16(uint16_t v) { return static_cast<uint16_t>(v >> 8 | v << 8); }
uint32_t Swap32(uint32_t v) { return __builtin_bswap32(v); }

// Field access by offset inside an item of `len` bytes; fields that do not
// fit are left alone.
class Fields {
 public:
  Fields(uint8_t* p, size_t len) : p_(p), len_(len) {}
  void S16(size_t off) {
    if (off + 2 > len_) return;
    uint16_t v;
    std::memcpy(&v, p_ + off, 2);
    v = Swap16(v);
    std::memcpy(p_ + off, &v, 2);
  }
  void S32(size_t off) {
    if (off + 4 > len_) return;
    uint32_t v;
    std::memcpy(&v, p_ + off, 4);
    v = Swap32(v);
    std::memcpy(p_ + off, &v, 4);
  }
  uint16_t Get16(size_t off) const {
    uint16_t v = 0;
    if (off + 2 <= len_) std::memcpy(&v, p_ + off, 2);
    return v;
  }
  uint8_t Get8(size_t off) const { return off < len_ ? p_[off] : 0; }

 private:
  uint8_t* p_;
  size_t len_;
};

// The department entries: count at 14 (already in host order), entries from
// 20, each 6 + L bytes with its first two 16-bit values swapped.
void SwapDeptEntries(Fields& f, size_t len, uint16_t count) {
  size_t off = 20;
  for (uint16_t i = 0; i < count && off + 6 <= len; ++i) {
    f.S16(off);
    f.S16(off + 2);
    off += 6 + f.Get8(off + 5);
  }
}

// Swaps the body fields of one item of `type`.
void SwapBody(Fields& f, size_t len, uint16_t type, bool swapped) {
  switch (type) {
    case SEAL_ITEM_SEAL:
      f.S16(14);
      f.S32(16);
      f.S32(20);
      f.S32(284);
      for (size_t off = 288; off <= 294; off += 2) f.S16(off);
      return;
    case SEAL_ITEM_CERT:
    case SEAL_ITEM_STAMP:
      f.S16(14);
      return;
    case SEAL_ITEM_USER:
      f.S32(16);
      f.S32(20);
      return;
    case SEAL_ITEM_DEPT_CTRL: {
      const uint16_t raw = f.Get16(14);
      const uint16_t count = swapped ? Swap16(raw) : raw;
      f.S16(14);
      f.S32(16);
      SwapDeptEntries(f, len, count);
      return;
    }
    case SEAL_ITEM_FANGWEI:
      f.S16(14);
      f.S16(16);
      for (size_t off = 20; off < 32; off += 2) f.S16(off);
      return;
    case SEAL_ITEM_TAG:
      for (size_t off = 14; off <= 22; off += 2) f.S16(off);
      f.S32(24);
      return;
    case SEAL_ITEM_ACCESS:
      f.S16(14);
      f.S32(48);
      f.S32(52);
      return;
    default:
      break;
  }
  if (type >= SEAL_ITEM_SIGN && type <= SEAL_ITEM_REF_LAST) {
    f.S16(14);
    f.S32(16);
    if (type == SEAL_ITEM_CERT_CTRL || type == SEAL_ITEM_USER_CTRL) {
      f.S16(20);
      f.S16(22);
    }
  }
}

}  // namespace

void SWAPEndian(SEAL_ENCDATA_HEADER_V6* container, bool swapped) {
  if (container == nullptr) return;
  auto* base = reinterpret_cast<uint8_t*>(container);
  Fields head(base, SEAL_ENCDATA_HEADER_SIZE);
  if (swapped) {
    head.S32(0);
    head.S16(4);
  }
  const size_t size = container->dwLength;
  size_t offset = SEAL_ENCDATA_HEADER_SIZE;
  while (offset + SEAL_ITEM_HEAD_SIZE <= size) {
    uint8_t* p = base + offset;
    uint32_t len;
    uint16_t type;
    Fields item(p, SEAL_ITEM_HEAD_SIZE);
    if (swapped) {
      item.S32(0);
      item.S32(4);
      item.S32(8);
      item.S16(12);
    }
    std::memcpy(&len, p, 4);
    std::memcpy(&type, p + 12, 2);
    // A length that is too short or runs past the container ends the walk.
    const bool bad = len < SEAL_ITEM_HEAD_SIZE || len > size - offset;
    if (!bad && type != SEAL_ITEM_END) {
      Fields body(p, len);
      SwapBody(body, len, type, swapped);
    }
    if (!swapped) {
      item.S32(0);
      item.S32(4);
      item.S32(8);
      item.S16(12);
    }
    if (bad || type == SEAL_ITEM_END) break;
    offset += len;
  }
  if (!swapped) {
    head.S32(0);
    head.S16(4);
  }
}
