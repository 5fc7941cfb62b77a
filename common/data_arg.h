// Data-or-path arguments: a text that begins with "STRDATA:" carries the
// data itself as plain Base64 after those eight characters (compared
// case-sensitively); any other text names a file whose whole content is read
// in binary mode.
#ifndef OESQX_COMMON_DATA_ARG_H
#define OESQX_COMMON_DATA_ARG_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace oesqx {

inline constexpr char kDataArgPrefix[] = "STRDATA:";

// Largest file a path argument may name. Reading stops there, so a path to
// a device or a pipe cannot make one call take memory without end; seal,
// picture, certificate and document files handled in the browser are far
// smaller.
inline constexpr size_t kMaxDataArgFile = size_t{512} << 20;

enum class DataArgStatus {
  kOk,          // *out holds the data (possibly empty: an empty file or text)
  kUnreadable,  // null text, or the file cannot be opened or read
  kTooLarge,    // the file holds more than kMaxDataArgFile bytes
};

// True when `arg` carries its data inline ("STRDATA:" + Base64).
bool IsInlineDataArg(const char* arg);

// Reads the data an argument names into *out (replacing its content).
DataArgStatus ReadDataArg(const char* arg, std::vector<uint8_t>* out);

}  // namespace oesqx

#endif
