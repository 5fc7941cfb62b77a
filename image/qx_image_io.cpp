// QxImage decoding and encoding: format detection, memory buffers and files.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "image/codecs.h"
#include "image/qx_image.h"

namespace oesqx {
namespace {

using DecodeFn = bool (*)(ByteReader, QxImage*, std::string*);
using EncodeFn = bool (*)(const QxImage&, image::Bytes*, std::string*);

struct Codec {
  uint32_t type;
  DecodeFn decode;
  EncodeFn encode;
};

// Detection order of Decode with type 0.
constexpr Codec kCodecs[] = {
    {QXIMAGE_FORMAT_BMP, image::DecodeBmp, image::EncodeBmp},
    {QXIMAGE_FORMAT_JPG, image::DecodeJpeg, image::EncodeJpeg},
    {QXIMAGE_FORMAT_GIF, image::DecodeGif, image::EncodeGif},
    {QXIMAGE_FORMAT_PNG, image::DecodePng, image::EncodePng},
    {QXIMAGE_FORMAT_TIF, image::DecodeTiff, image::EncodeTiff},
};

const Codec* FindCodec(uint32_t type) {
  for (const Codec& c : kCodecs)
    if (c.type == type) return &c;
  return nullptr;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Largest encoded file Load reads.
constexpr long kMaxFileBytes = 1L << 30;

}  // namespace

bool QxImage::Decode(const uint8_t* buffer, uint32_t size, uint32_t type) {
  Destroy();
  if (buffer == nullptr || size == 0) return Fail("Decode: no data");
  const ByteReader data(buffer, size);
  std::string reason;
  // Each attempt starts again from the first byte; the first success wins.
  const Codec* first = FindCodec(type);
  if (first != nullptr && first->decode(data, this, &reason)) return true;
  if (reason.rfind("not a ", 0) == 0) reason.clear();
  for (const Codec& c : kCodecs) {
    if (&c == first) continue;
    std::string why;
    if (c.decode(data, this, &why)) return true;
    // Keep the reason of a decoder that recognised its signature.
    if (reason.empty() && why.rfind("not a ", 0) != 0) reason = why;
  }
  Destroy();
  return Fail(reason.empty() ? "Decode: unknown picture format" : "Decode: " + reason);
}

bool QxImage::Load(const char* path, uint32_t type) {
  Destroy();
  if (path == nullptr) return Fail("Load: no path");
  // The file is mapped rather than read: large pictures are then decoded
  // straight from the page cache.
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Fail("Load: cannot open the file");
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0 || st.st_size > kMaxFileBytes) {
    ::close(fd);
    return Fail("Load: empty, oversized or not a regular file");
  }
  const size_t size = static_cast<size_t>(st.st_size);
  void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  if (map == MAP_FAILED) {
    // Some file systems cannot map: read the file instead.
    std::vector<uint8_t> data(size);
    size_t got = 0;
    while (got < size) {
      const ssize_t n = ::read(fd, data.data() + got, size - got);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    ::close(fd);
    if (got != size) return Fail("Load: cannot read the file");
    return Decode(data.data(), static_cast<uint32_t>(size), type);
  }
  ::close(fd);
  const bool ok = Decode(static_cast<const uint8_t*>(map), static_cast<uint32_t>(size), type);
  ::munmap(map, size);
  return ok;
}

bool QxImage::Encode(uint8_t*& buffer, int& size, uint32_t type) {
  if (buffer != nullptr) return Fail("Encode: the buffer pointer must be null");
  if (!IsValid()) return Fail("Encode: no picture");
  const Codec* codec = FindCodec(type);
  if (codec == nullptr) return Fail("Encode: unsupported format");
  image::Bytes out;
  std::string reason;
  if (!codec->encode(*this, &out, &reason)) return Fail("Encode: " + reason);
  if (out.size() > static_cast<size_t>(INT_MAX)) return Fail("Encode: output too large");
  auto* copy = static_cast<uint8_t*>(std::malloc(out.size()));
  if (copy == nullptr) return Fail("Encode: out of memory");
  std::memcpy(copy, out.data(), out.size());
  buffer = copy;
  size = static_cast<int>(out.size());
  return true;
}

bool QxImage::Save(const char* path, uint32_t type) {
  if (path == nullptr) return Fail("Save: no path");
  if (!IsValid()) return Fail("Save: no picture");
  const Codec* codec = FindCodec(type);
  if (codec == nullptr) return Fail("Save: unsupported format");
  image::Bytes out;
  std::string reason;
  if (!codec->encode(*this, &out, &reason)) return Fail("Save: " + reason);
  File f(std::fopen(path, "wb"));
  if (!f) return Fail("Save: cannot create the file");
  if (std::fwrite(out.data(), 1, out.size(), f.get()) != out.size()) return Fail("Save: cannot write the file");
  if (std::fclose(f.release()) != 0) return Fail("Save: cannot write the file");
  return true;
}

}  // namespace oesqx
