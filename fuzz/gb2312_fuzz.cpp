// GB2312 <-> wide text and the ACP/UTF-8 pair. The first input byte picks the
// output size and whether the length is given (then the input carries no
// terminator, so nothing may be read past that length). Wide text whose
// units are ASCII or in GB2312 must survive the round trip.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/encoding.h"
#include "common/gb2312_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 4096) return 0;
  const int out_size = data[0] % 64 + 1;
  const bool given_length = (data[0] & 0x80) != 0;
  const size_t n = size - 1;

  std::vector<char> raw(data + 1, data + size);  // not terminated
  std::vector<char> text(raw);
  text.push_back('\0');

  std::vector<wchar_t> wide(out_size);
  if (given_length && n > 0) {
    G_ConvertMBCodeToUnicode(raw.data(), static_cast<int>(n), wide.data(), out_size);
  } else {
    G_ConvertMBCodeToUnicode(text.data(), -1, wide.data(), out_size);
  }
  std::vector<wchar_t> all(n + 2);
  G_ConvertMBCodeToUnicode(text.data(), -1, all.data(), static_cast<int>(all.size()));

  std::vector<char> mb(out_size);
  G_ConvertUnicodeToMBCode(all.data(), 0, mb.data(), out_size);
  G_ConvertUnicodeToMBCode(all.data(), 0, nullptr, 0);
  std::vector<char> out(out_size);
  ACPTOUTF8(text.data(), out.data(), out_size);
  UTF8TOACP(text.data(), out.data(), out_size);
  char pair[3];
  G_UnicodeCharToMB(static_cast<unsigned short>(data[0] << 8 | (n > 0 ? data[1] : 0)), pair);

  // Units from the input, kept only when ASCII or in the table.
  std::vector<wchar_t> units;
  for (size_t i = 1; i + 1 < size; i += 2) {
    const unsigned short u = static_cast<unsigned short>(data[i] | data[i + 1] << 8);
    if (u == 0) break;
    if (u < 0x80 || oesqx::gb2312::FromUnicode(u) >= 0) units.push_back(u);
  }
  units.push_back(0);
  std::vector<char> gb(units.size() * 2 + 2);
  const int len = G_ConvertUnicodeToMBCode(units.data(), 0, gb.data(), static_cast<int>(gb.size()));
  if (len < 0 || gb[len] != '\0') std::abort();
  std::vector<wchar_t> back(units.size() + 2);
  G_ConvertMBCodeToUnicode(gb.data(), -1, back.data(), static_cast<int>(back.size()));
  for (size_t i = 0; i < units.size(); ++i) {
    if (back[i] != units[i]) std::abort();
  }
  return 0;
}
