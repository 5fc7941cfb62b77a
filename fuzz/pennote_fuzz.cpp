// Stroke data: loading, then drawing on a small canvas at a few scales,
// before and after moving the note to its origin.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "webseal/pen_note.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const int kScales[] = {100, 50, 150, 37};
  const int scale = kScales[data[0] % 4];
  const int width = 24 + data[0] / 4 % 16;
  const int height = 16 + data[0] / 64;
  oesqx::CPenNote note;
  if (!note.LoadData(data + 1, static_cast<int>(size - 1))) return 0;
  std::vector<unsigned char> canvas(static_cast<size_t>((24 * width + 31) / 32) * 4 * height, 255);
  note.Draw(canvas.data(), 0, 0, width, height, scale);
  if (note.MoveToOrigin()) note.Draw(canvas.data(), 3, 2, width, height, scale);
  return 0;
}
