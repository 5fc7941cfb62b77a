// Reading DIBs: the information header (40 bytes or a longer V4/V5-style
// one), the colour masks, the palette and the pixel rows, uncompressed or
// RLE8/RLE4. Shared by QxImage::CreateFromData and the BMP decoder.
#ifndef OESQX_IMAGE_DIB_READER_H
#define OESQX_IMAGE_DIB_READER_H

#include <cstdint>
#include <string>

#include "common/byte_reader.h"
#include "image/dib.h"

namespace oesqx {
class QxImage;

namespace image {

struct DibInfo {
  uint32_t header_size = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  bool top_down = false;  // negative height: rows stored top row first
  uint32_t bit_count = 0;
  uint32_t compression = 0;
  int32_t x_pels_per_meter = 0;
  int32_t y_pels_per_meter = 0;
  uint32_t clr_important = 0;
  uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha (bit fields)
  uint32_t palette_entries = 0;      // entries read into `palette`
  RGBQUAD palette[256] = {};
};

// True when `size` is a header length the reader understands.
bool IsKnownDibHeaderSize(uint32_t size);

// Bytes of the information block described by its first 40 bytes:
// header, colour masks and palette. 0 when the header is unusable.
uint32_t DibInfoBlockSize(const BITMAPINFOHEADER& header);

// Parses header, masks and palette from `block`; false (with `error`) on a
// header this reader refuses or a block too short for what it claims.
bool ParseDibInfo(ByteReader block, DibInfo* info, std::string* error);

// Builds `out` from parsed `info` and the pixel bytes in `bits`. The
// picture is replaced only on success; uncompressed rows must all be
// present, RLE runs must stay inside the picture.
bool ReadDibPixels(const DibInfo& info, ByteReader bits, uint32_t type, QxImage* out,
                   std::string* error);

}  // namespace image
}  // namespace oesqx

#endif
