// The copy of a typed PIN into the caller's buffer: whatever the text and
// the buffer size, nothing is written past the buffer, the result is a
// terminated prefix of the text, and no character is split.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dialogs/gtk_dialogs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t buffer_size = data[0];
  // The entry's text is a C string: stop at the first NUL.
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  text.resize(std::strlen(text.c_str()));

  std::vector<char> buffer(buffer_size);
  oesqx::dialogs::CopyUtf8Bounded(buffer.data(), buffer.size(), text.c_str());
  if (buffer_size == 0) return 0;

  const size_t n = std::strlen(buffer.data());  // terminated within the buffer
  if (n > buffer_size - 1) std::abort();
  if (text.compare(0, n, buffer.data(), n) != 0) std::abort();
  // Cut short only before the first byte of a character (or to nothing).
  if (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
    std::abort();
  return 0;
}
