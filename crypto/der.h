// The one reader of DER-encoded structures (seals, signature structures,
// certificates split by hand, signatures), and the one writer of DER lengths.
//
// A der::Reader is a cursor over a byte range. Every Read* either succeeds,
// hands out what it read and steps over it, or fails and leaves the cursor
// where it was. Content is handed out as a sub-reader bounded by the
// element's own length, so a field can never be read past the element that
// encloses it, nor past the input.
//
// Only single-byte tags and definite lengths are read. The long length form
// is accepted with at most `LengthForm::max_bytes` length bytes (three for
// the seal structure, i.e. 0x81, 0x82, 0x83); `minimal` additionally demands
// the shortest form, as strict DER does. The indefinite form (0x80) and the
// reserved 0xFF are always refused.
#ifndef OESQX_CRYPTO_DER_H
#define OESQX_CRYPTO_DER_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace oesqx::der {

inline constexpr uint8_t kInteger = 0x02;
inline constexpr uint8_t kBitString = 0x03;
inline constexpr uint8_t kOctetString = 0x04;
inline constexpr uint8_t kNull = 0x05;
inline constexpr uint8_t kOid = 0x06;
inline constexpr uint8_t kUtf8String = 0x0C;
inline constexpr uint8_t kIa5String = 0x16;
inline constexpr uint8_t kUtcTime = 0x17;
inline constexpr uint8_t kGeneralizedTime = 0x18;
inline constexpr uint8_t kSequence = 0x30;
inline constexpr uint8_t kSet = 0x31;
inline constexpr uint8_t kContext0 = 0xA0;

struct LengthForm {
  uint8_t max_bytes = 3;  // long-form length bytes accepted (1..4)
  bool minimal = false;   // refuse lengths not written in their shortest form
};

// The strict form of DER: long form of up to four bytes, shortest form only.
inline constexpr LengthForm kStrict{4, true};

// The header of one element: its tag, the size of tag plus length bytes, and
// the content length it states (not yet checked against any bound).
struct Header {
  uint8_t tag = 0;
  size_t header_size = 0;
  size_t length = 0;
};

class Reader {
 public:
  Reader() = default;
  Reader(const uint8_t* data, size_t size, LengthForm form = {})
      : data_(data), size_(data != nullptr ? size : 0), form_(form) {}
  explicit Reader(const std::vector<uint8_t>& v, LengthForm form = {})
      : Reader(v.data(), v.size(), form) {}

  // The unread bytes.
  const uint8_t* data() const { return data_ + pos_; }
  size_t size() const { return size_ - pos_; }
  bool empty() const { return pos_ == size_; }
  // Bytes read so far, from the start of this reader.
  size_t offset() const { return pos_; }
  LengthForm form() const { return form_; }

  // Reads the header of the next element without stepping over it. Fails
  // when no complete header is left or its length form is not accepted; the
  // stated length may still exceed what remains.
  bool PeekHeader(Header* out) const;
  // True when a next element exists and carries `tag`.
  bool PeekTag(uint8_t tag) const;

  // Reads the next element whatever its tag. `content` receives its content,
  // `whole` (optional) the element with its header. Fails when the header is
  // not accepted or the content runs past the end of this reader.
  bool ReadAny(uint8_t* tag, Reader* content, Reader* whole = nullptr);
  // As ReadAny, but the element must carry `tag`.
  bool Read(uint8_t tag, Reader* content, Reader* whole = nullptr);
  // Steps over one element of any tag.
  bool Skip();
  // Steps over the next element if it carries `tag`; true when it did.
  bool SkipIf(uint8_t tag);

  // An INTEGER of one to four content bytes, read as an unsigned big-endian
  // number (no sign, leading zero bytes allowed within the four).
  bool ReadSmallUnsigned(uint32_t* out);

  // Raw bytes: the next n bytes, or everything left.
  bool ReadBytes(size_t n, const uint8_t** out);
  bool SkipBytes(size_t n);
  bool ReadU8(uint8_t* out);

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t pos_ = 0;
  LengthForm form_;
};

// Number of bytes AppendLength writes for `length`.
size_t LengthSize(size_t length);
// Appends `length` in the shortest form: one byte below 128, then 0x81,
// 0x82, 0x83 or 0x84 followed by one to four big-endian bytes.
void AppendLength(std::vector<uint8_t>* out, size_t length);
// Appends tag, length and content.
void AppendElement(std::vector<uint8_t>* out, uint8_t tag, const uint8_t* content, size_t length);
// Appends an INTEGER holding `value` as an unsigned number in the fewest
// bytes (one to four), without a leading zero byte.
void AppendSmallUnsigned(std::vector<uint8_t>* out, uint32_t value);

}  // namespace oesqx::der

#endif
