// Gzip members (RFC 1952) over raw zlib deflate/inflate: the writer and the
// bounded reader behind CompressEncode/CompressDecode.
#ifndef OESQX_COMMON_GZIP_H
#define OESQX_COMMON_GZIP_H

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace oesqx::gzip {

// Most bytes one read may produce. Seal containers, seal pictures and web
// seal records are a few MiB at most; 64 MiB leaves ample room for them
// while a small "bomb" (deflate reaches about 1000:1) cannot make one call
// claim more memory than that.
inline constexpr size_t kMaxInflatedSize = size_t{64} << 20;

// A growable malloc'd byte buffer whose memory can be handed to a C caller.
class MallocBuffer {
 public:
  MallocBuffer() = default;
  ~MallocBuffer() { std::free(data_); }
  MallocBuffer(const MallocBuffer&) = delete;
  MallocBuffer& operator=(const MallocBuffer&) = delete;

  unsigned char* data() const { return data_; }
  size_t size() const { return size_; }
  size_t capacity() const { return cap_; }
  // Keeps the first `size` bytes and makes room for at least `cap` in all.
  bool Reserve(size_t cap);
  void SetSize(size_t size) { size_ = size; }
  // Shrinks to exactly size() bytes (one byte for an empty result, so a
  // successful result is never a null pointer) and gives the memory away.
  unsigned char* Release();

 private:
  unsigned char* data_ = nullptr;
  size_t size_ = 0;
  size_t cap_ = 0;
};

// Writes one gzip member of `len` bytes: a fixed 10-byte header (no name,
// time 0, OS 0), raw deflate at the default level, CRC-32 and length.
// False only when zlib or memory fails.
bool Write(const uint8_t* data, size_t len, MallocBuffer* out);

enum class ReadEnd {
  kComplete,  // every member read and checked
  kDamaged,   // stopped at a bad header, bad deflate data, CRC or length
  kLimit,     // output reached `limit` and was cut there
};

// Reads the gzip members in `data`, appending their output to `out` (at most
// `limit` bytes). Whatever was produced before a failure stays in `out`.
ReadEnd Read(const uint8_t* data, size_t len, size_t limit, MallocBuffer* out);

}  // namespace oesqx::gzip

#endif
