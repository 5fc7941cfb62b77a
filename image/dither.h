// Mapping direct-colour pixels onto a palette, with or without error
// diffusion.
#ifndef OESQX_IMAGE_DITHER_H
#define OESQX_IMAGE_DITHER_H

#include <cstdint>

#include "image/dib.h"
#include "image/palette.h"

namespace oesqx::image {

// Geometry of a direct-colour source: blue, green, red in the first three
// bytes of each `step`-byte pixel (3 or 4), rows `stride` bytes apart,
// row 0 at `pixels` being the bottom row.
struct DirectSource {
  uint8_t* pixels;
  uint32_t width;
  uint32_t height;
  uint32_t stride;
  uint32_t step;
};

// Writes one palette index per pixel (8-bit rows of `out_stride` bytes,
// row 0 at `out`), the palette being the one `nearest` searches. Rows are
// visited from row 0 upwards, left to right; with `diffuse` each pixel's
// error against its chosen entry is
// spread onto the unvisited neighbours in the source itself: 7/16 to
// (x+1, y), 2/16 to (x-1, y+1), 4/16 to (x, y+1), 1/16 to (x+1, y+1), each
// share truncated and each channel clamped to 0-255 as it is added.
void MapToPalette(const DirectSource& src, NearestColor* nearest, bool diffuse, uint8_t* out,
                  uint32_t out_stride);

}  // namespace oesqx::image

#endif
