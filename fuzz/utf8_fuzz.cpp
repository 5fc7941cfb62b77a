// UTF-8 <-> wide and 16-bit text. The first input byte picks the output size
// (buffers are exactly that size, so any write past it is caught); the rest
// is the text. Wide text made of BMP units must survive the round trip.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 4096) return 0;
  const int out_size = data[0] % 64 + 1;
  std::vector<char> text(data + 1, data + size);
  text.push_back('\0');

  // UTF-8 to wide, into a buffer of the chosen size and into a roomy one.
  std::vector<wchar_t> wide(out_size);
  G_utf8toucs2(text.data(), wide.data(), out_size);
  std::vector<wchar_t> all(text.size() + 1);
  G_utf8toucs2(text.data(), all.data(), static_cast<int>(all.size()));

  // Wide and 16-bit to UTF-8 with the chosen size.
  std::vector<char> utf8(out_size);
  G_ucs2toutf8(all.data(), utf8.data(), out_size);
  std::vector<unsigned short> units;
  for (size_t i = 1; i + 1 < size; i += 2) {
    const unsigned short u = static_cast<unsigned short>(data[i] | data[i + 1] << 8);
    if (u == 0) break;
    units.push_back(u);
  }
  units.push_back(0);
  G_swordtoutf8(units.data(), utf8.data(), out_size);
  char one[4];
  G_sucs2toutf8(units[0], one);

  // Units -> UTF-8 -> wide gives the units back when nothing is cut.
  std::vector<wchar_t> w(units.begin(), units.end());
  std::vector<char> back_utf8(units.size() * 3 + 1);
  if (G_ucs2toutf8(w.data(), back_utf8.data(), static_cast<int>(back_utf8.size())) != 0) std::abort();
  std::vector<wchar_t> back(units.size() + 1);
  if (G_utf8toucs2(back_utf8.data(), back.data(), static_cast<int>(back.size())) != 0) std::abort();
  for (size_t i = 0; i < units.size(); ++i) {
    if (back[i] != static_cast<wchar_t>(units[i])) std::abort();
  }
  (void)wtol(all.data());
  return 0;
}
