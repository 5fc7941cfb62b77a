#include "common/gzip.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "common/byte_reader.h"
#include "common/compress.h"

namespace oesqx::gzip {

namespace {

constexpr uint8_t kHeader[10] = {0x1F, 0x8B, 0x08, 0, 0, 0, 0, 0, 0, 0};
constexpr size_t kInitialOutput = 1024;
constexpr size_t kInputPiece = 16384;
// Deflate cannot expand data more than about 1032 times, which caps the
// initial output guess taken from a member's stated length.
constexpr size_t kMaxRatio = 1032;

constexpr uint8_t kFlagHcrc = 0x02, kFlagExtra = 0x04, kFlagName = 0x08, kFlagComment = 0x10;
constexpr uint8_t kFlagReserved = 0xE0;

struct DeflateOwner {
  z_stream z{};
  bool live = false;
  ~DeflateOwner() {
    if (live) deflateEnd(&z);
  }
};

struct InflateOwner {
  z_stream z{};
  bool live = false;
  ~InflateOwner() {
    if (live) inflateEnd(&z);
  }
};

void PutLe32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// Steps over a zero-terminated header field.
bool SkipText(ByteReader* r) {
  const void* end = std::memchr(r->cursor(), 0, r->remaining());
  if (end == nullptr) return false;
  return r->Skip(static_cast<size_t>(static_cast<const uint8_t*>(end) - r->cursor()) + 1);
}

bool ReadHeader(ByteReader* r) {
  uint8_t id1, id2, method, flags;
  if (!r->ReadU8(&id1) || !r->ReadU8(&id2) || !r->ReadU8(&method) || !r->ReadU8(&flags)) return false;
  if (id1 != 0x1F || id2 != 0x8B || method != 8 || (flags & kFlagReserved) != 0) return false;
  if (!r->Skip(6)) return false;  // time, extra flags, OS
  if (flags & kFlagExtra) {
    uint16_t xlen;
    if (!r->ReadU16(&xlen) || !r->Skip(xlen)) return false;
  }
  if ((flags & kFlagName) && !SkipText(r)) return false;
  if ((flags & kFlagComment) && !SkipText(r)) return false;
  if ((flags & kFlagHcrc) && !r->Skip(2)) return false;
  return true;
}

// Inflates one raw deflate stream from the reader's cursor into `out`,
// stepping the reader over the bytes used. `room` is the most output the
// buffer may hold (the read limit plus one byte that detects overflow).
ReadEnd InflateMember(z_stream* z, ByteReader* r, size_t room, MallocBuffer* out, uint32_t* crc,
                      size_t* produced) {
  *crc = crc32(0L, Z_NULL, 0);
  *produced = 0;
  const size_t start_in = r->offset();
  size_t fed = 0;  // input given to zlib so far, from start_in
  const size_t avail = r->remaining();
  for (;;) {
    if (z->avail_in == 0 && fed < avail) {
      const size_t piece = std::min(kInputPiece, avail - fed);
      z->next_in = const_cast<Bytef*>(r->cursor() + fed);
      z->avail_in = static_cast<uInt>(piece);
      fed += piece;
    }
    if (out->size() == out->capacity()) {
      if (out->size() >= room) return ReadEnd::kLimit;
      const size_t want = std::min(room, std::max(out->capacity() * 2, kInitialOutput));
      if (!out->Reserve(want)) return ReadEnd::kLimit;
    }
    const size_t before = out->size();
    const size_t space = out->capacity() - before;
    z->next_out = out->data() + before;
    z->avail_out = static_cast<uInt>(std::min<size_t>(space, UINT_MAX));
    const uInt in_before = z->avail_in;
    // Z_FINISH lets zlib skip its sliding window when the stream ends in
    // this call; otherwise it behaves as Z_NO_FLUSH (Z_BUF_ERROR = go on).
    const int ret = inflate(z, Z_FINISH);
    const size_t made = static_cast<size_t>(z->next_out - (out->data() + before));
    *crc = crc32(*crc, out->data() + before, static_cast<uInt>(made));
    *produced += made;
    out->SetSize(before + made);
    if (ret == Z_STREAM_END) {
      const size_t used = fed - z->avail_in;
      z->avail_in = 0;
      r->Seek(start_in + used);
      return ReadEnd::kComplete;
    }
    if (ret != Z_OK && ret != Z_BUF_ERROR) return ReadEnd::kDamaged;
    // No progress with all input given: the stream is cut short.
    if (made == 0 && z->avail_in == in_before && fed == avail) return ReadEnd::kDamaged;
  }
}

}  // namespace

bool MallocBuffer::Reserve(size_t cap) {
  if (cap <= cap_) return true;
  void* p = std::realloc(data_, cap);
  if (p == nullptr) return false;
  data_ = static_cast<unsigned char*>(p);
  cap_ = cap;
  return true;
}

unsigned char* MallocBuffer::Release() {
  const size_t keep = std::max<size_t>(size_, 1);
  if (data_ == nullptr || keep != cap_) {
    void* p = std::realloc(data_, keep);
    if (p == nullptr) return nullptr;
    data_ = static_cast<unsigned char*>(p);
  }
  unsigned char* result = data_;
  data_ = nullptr;
  size_ = cap_ = 0;
  return result;
}

bool Write(const uint8_t* data, size_t len, MallocBuffer* out) {
  if (len > UINT_MAX) return false;
  DeflateOwner d;
  if (deflateInit2(&d.z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    return false;
  }
  d.live = true;
  // Room for the worst case up front, so deflate never waits for output.
  const size_t bound = deflateBound(&d.z, static_cast<uLong>(len));
  if (!out->Reserve(sizeof kHeader + bound + 8)) return false;
  std::memcpy(out->data(), kHeader, sizeof kHeader);
  d.z.next_in = const_cast<Bytef*>(data);
  d.z.avail_in = static_cast<uInt>(len);
  d.z.next_out = out->data() + sizeof kHeader;
  d.z.avail_out = static_cast<uInt>(bound);
  int ret = Z_OK;
  while (d.z.avail_in != 0 && ret == Z_OK) ret = deflate(&d.z, Z_NO_FLUSH);
  while (ret == Z_OK) ret = deflate(&d.z, Z_FINISH);
  if (ret != Z_STREAM_END) return false;
  size_t size = sizeof kHeader + d.z.total_out;
  PutLe32(out->data() + size, static_cast<uint32_t>(crc32(0L, data, static_cast<uInt>(len))));
  PutLe32(out->data() + size + 4, static_cast<uint32_t>(len));
  out->SetSize(size + 8);
  return true;
}

ReadEnd Read(const uint8_t* data, size_t len, size_t limit, MallocBuffer* out) {
  ByteReader r(data, len);
  const size_t room = limit + 1;
  // First output guess: the last member's stated length when it is
  // plausible for this much input, else a small start that doubles.
  if (len >= 4 && out->capacity() == 0) {
    ByteReader tail(data + len - 4, 4);
    uint32_t stated = 0;
    tail.ReadU32(&stated);
    const size_t plausible = std::min(room, len * kMaxRatio);
    size_t guess = std::min<size_t>(stated, plausible);
    out->Reserve(std::max(guess, kInitialOutput));
  }
  InflateOwner inf;
  if (inflateInit2(&inf.z, -15) != Z_OK) return ReadEnd::kDamaged;
  inf.live = true;
  while (!r.empty()) {
    if (!ReadHeader(&r)) return ReadEnd::kDamaged;
    if (inflateReset(&inf.z) != Z_OK) return ReadEnd::kDamaged;
    uint32_t crc = 0;
    size_t produced = 0;
    const ReadEnd end = InflateMember(&inf.z, &r, room, out, &crc, &produced);
    if (end == ReadEnd::kLimit || out->size() > limit) {
      out->SetSize(std::min(out->size(), limit));
      return ReadEnd::kLimit;
    }
    if (end != ReadEnd::kComplete) return end;
    uint32_t want_crc, want_len;
    if (!r.ReadU32(&want_crc) || !r.ReadU32(&want_len)) return ReadEnd::kDamaged;
    if (want_crc != crc || want_len != static_cast<uint32_t>(produced)) return ReadEnd::kDamaged;
  }
  return ReadEnd::kComplete;
}

}  // namespace oesqx::gzip

namespace {

using oesqx::gzip::MallocBuffer;

bool HasMagic(const unsigned char* p) { return p[0] == 0x1F && p[1] == 0x8B; }

int Hand(MallocBuffer* buf, unsigned char** out, int* out_len) {
  const int size = static_cast<int>(buf->size());
  unsigned char* p = buf->Release();
  if (p == nullptr) return -111;
  *out = p;
  *out_len = size;
  return 0;
}

}  // namespace

extern "C" {

int CompressEncode(const unsigned char* data, int len, unsigned char** out, int* out_len) {
  if (out == nullptr || out_len == nullptr) return -121;
  *out = nullptr;
  *out_len = 0;
  MallocBuffer buf;
  // A null pointer, or a length below -1, gives an empty result.
  if (data != nullptr && len >= -1) {
    const size_t n = len == -1 ? std::strlen(reinterpret_cast<const char*>(data)) : static_cast<size_t>(len);
    if (n > INT_MAX || !oesqx::gzip::Write(data, n, &buf)) return -111;
  }
  return Hand(&buf, out, out_len);
}

// With len 0 the caller gives no size: the block is a 4-byte little-endian
// length L and then L bytes, and the caller vouches that all 4 + L bytes are
// readable. Nothing past them is read. L below 2 (no room for the magic) or
// beyond an int counts as a block without the magic.
int CompressDecode(const unsigned char* data, int len, unsigned char** out, int* out_len) {
  if (out == nullptr || out_len == nullptr) return -121;
  *out = nullptr;
  *out_len = 0;
  if (data == nullptr || len < 0) return -121;
  const unsigned char* block = data;
  size_t size = static_cast<size_t>(len);
  if (len == 0) {
    oesqx::ByteReader prefix(data, 4);
    uint32_t stated = 0;
    prefix.ReadU32(&stated);
    if (stated < 2 || stated > INT_MAX - 4u || !HasMagic(data + 4)) return -111;
    block = data + 4;
    size = stated;
  }
  MallocBuffer buf;
  if (size >= 2 && HasMagic(block)) {
    oesqx::gzip::Read(block, size, oesqx::gzip::kMaxInflatedSize, &buf);
  } else {
    if (!buf.Reserve(size)) return -111;
    std::memcpy(buf.data(), block, size);
    buf.SetSize(size);
  }
  return Hand(&buf, out, out_len);
}

bool G_DecodeToData(const unsigned char* data, int len, unsigned char** out, int* out_len) {
  return CompressDecode(data, len, out, out_len) == 0;
}

}  // extern "C"
