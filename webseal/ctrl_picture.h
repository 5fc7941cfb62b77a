// The picture of a decoded web seal control as 24-bit bottom-up rows: its
// handwriting drawn on a white canvas, or its seal's picture read with the
// V6 reader and, failing that, the V4 reader.
#ifndef OESQX_WEBSEAL_CTRL_PICTURE_H
#define OESQX_WEBSEAL_CTRL_PICTURE_H

#include <cstdint>
#include <vector>

#include "webseal/web_obj.h"

namespace oesqx::webseal {

struct ControlPicture {
  std::vector<uint8_t> rows;  // height x stride(24 x width), bottom row first
  int width = 0;
  int height = 0;
  int display_width = 0;   // the seal's display size (0 for handwriting)
  int display_height = 0;
};

// Largest handwriting canvas side; larger canvases are refused.
inline constexpr int kMaxCanvasSide = 4096;

enum class PictureResult {
  kOk,
  kNothing,        // no seal data and no pen note
  kBadStrokes,     // handwriting that cannot be loaded, or an absurd canvas
  kNoRows,         // seal data that neither seal reader reads
};

// Builds the picture of `ctrl` (decoded with SubLoadWebSeal). Handwriting
// kept as seal data (canvas width and height as two 16-bit values, then the
// strokes) is loaded into the control's pen note first. For a seal the
// control's seal identifier and name are filled and, when the reader gave a
// display size, it becomes the control's picture size. `password` is the
// set's seal password (may be empty).
PictureResult BuildControlPicture(WEB_CTRL_INFO* ctrl, const char* password, ControlPicture* out);

}  // namespace oesqx::webseal

#endif
