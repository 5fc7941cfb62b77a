// Packed palette indices within a DIB row: 1, 2 and 4-bit pixels are held
// most significant bits first, as DIB and GIF readers expect.
#ifndef OESQX_IMAGE_PIXEL_OPS_H
#define OESQX_IMAGE_PIXEL_OPS_H

#include <cstdint>

namespace oesqx::image {

inline uint32_t GetIndex(const uint8_t* row, uint32_t x, uint32_t bpp) {
  switch (bpp) {
    case 8:
      return row[x];
    case 4:
      return (row[x >> 1] >> ((~x & 1) << 2)) & 0x0F;
    case 2:
      return (row[x >> 2] >> ((3 - (x & 3)) << 1)) & 0x03;
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 0x01;
    default:
      return 0;
  }
}

inline void SetIndex(uint8_t* row, uint32_t x, uint32_t bpp, uint32_t value) {
  switch (bpp) {
    case 8:
      row[x] = static_cast<uint8_t>(value);
      break;
    case 4: {
      const int shift = (~x & 1) << 2;
      row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & ~(0x0F << shift)) | (value & 0x0F) << shift);
      break;
    }
    case 2: {
      const int shift = (3 - (x & 3)) << 1;
      row[x >> 2] = static_cast<uint8_t>((row[x >> 2] & ~(0x03 << shift)) | (value & 0x03) << shift);
      break;
    }
    case 1: {
      const int shift = 7 - (x & 7);
      row[x >> 3] = static_cast<uint8_t>((row[x >> 3] & ~(1 << shift)) | (value & 1) << shift);
      break;
    }
    default:
      break;
  }
}

}  // namespace oesqx::image

#endif
