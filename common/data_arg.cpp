#include "common/data_arg.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "common/base64.h"

namespace oesqx {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

DataArgStatus ReadWholeFile(const char* path, std::vector<uint8_t>* out) {
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path, "rb"));
  if (!f) return DataArgStatus::kUnreadable;
  // Read in pieces rather than trusting a size from stat: pipes and devices
  // have none, and a file may change while it is read.
  constexpr size_t kPiece = 64 * 1024;
  size_t size = 0;
  for (;;) {
    if (out->size() < size + kPiece) out->resize(size + kPiece);
    const size_t got = std::fread(out->data() + size, 1, kPiece, f.get());
    size += got;
    if (size > kMaxDataArgFile) {
      out->clear();
      return DataArgStatus::kTooLarge;
    }
    if (got < kPiece) break;
  }
  const bool failed = std::ferror(f.get()) != 0;
  out->resize(failed ? 0 : size);
  return failed ? DataArgStatus::kUnreadable : DataArgStatus::kOk;
}

}  // namespace

bool IsInlineDataArg(const char* arg) {
  return arg != nullptr && std::strncmp(arg, kDataArgPrefix, sizeof kDataArgPrefix - 1) == 0;
}

DataArgStatus ReadDataArg(const char* arg, std::vector<uint8_t>* out) {
  out->clear();
  if (arg == nullptr) return DataArgStatus::kUnreadable;
  if (IsInlineDataArg(arg)) {
    CBase64Coder coder;
    coder.Decode(arg + sizeof kDataArgPrefix - 1);
    const unsigned char* p = coder.DecodedMessage();
    out->assign(p, p + coder.DecodedMessageSize());
    return DataArgStatus::kOk;
  }
  return ReadWholeFile(arg, out);
}

}  // namespace oesqx
