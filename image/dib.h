// The device-independent bitmap records that pictures travel in: a 40-byte
// information header, an optional palette of four-byte entries and
// bottom-up pixel rows padded to 4 bytes (24-bit pixels blue, green, red).
// The structs have the exact byte layout of the stored form (little-endian
// host assumed, as on every supported platform).
#ifndef OESQX_IMAGE_DIB_H
#define OESQX_IMAGE_DIB_H

#include <stddef.h>
#include <stdint.h>

#ifndef OESQX_DIB_TYPES_DEFINED
#define OESQX_DIB_TYPES_DEFINED

typedef struct tagBITMAPINFOHEADER {
  uint32_t biSize;          /* 40 */
  int32_t biWidth;          /* pixels */
  int32_t biHeight;         /* pixels; > 0 bottom-up, < 0 read as |value| */
  uint16_t biPlanes;        /* 1 */
  uint16_t biBitCount;      /* 1, 2, 4, 8, 16, 24 or 32 */
  uint32_t biCompression;   /* 0 none, 1 RLE8, 2 RLE4, 3 bit fields */
  uint32_t biSizeImage;     /* pixel bytes, may be 0 */
  int32_t biXPelsPerMeter;  /* 0 = 96 dpi */
  int32_t biYPelsPerMeter;  /* 0 = 96 dpi */
  uint32_t biClrUsed;       /* 0 = 2^biBitCount for palette depths */
  uint32_t biClrImportant;  /* 0 = all */
} BITMAPINFOHEADER;

typedef struct tagRGBQUAD {
  uint8_t rgbBlue;
  uint8_t rgbGreen;
  uint8_t rgbRed;
  uint8_t rgbReserved;
} RGBQUAD;

/* A header followed by its palette; bmiColors is the first of
 * biClrUsed (or 2^biBitCount) entries. */
typedef struct tagBITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
} BITMAPINFO;

#endif

#define OESQX_BI_RGB 0u
#define OESQX_BI_RLE8 1u
#define OESQX_BI_RLE4 2u
#define OESQX_BI_BITFIELDS 3u

#ifdef __cplusplus
static_assert(sizeof(BITMAPINFOHEADER) == 40, "DIB header layout");
static_assert(sizeof(RGBQUAD) == 4, "palette entry layout");

namespace oesqx::image {

// Bytes per row of a DIB: rows are padded to a multiple of 4 bytes.
// Returns 0 when the row would not fit in 32 bits.
inline uint32_t DibStride(uint64_t width, uint64_t bitCount) {
  const uint64_t stride = ((width * bitCount + 31) / 32) * 4;
  return stride > 0xFFFFFFFFull ? 0 : static_cast<uint32_t>(stride);
}

// A 24-bit bottom-up header as every hand-built picture uses it: size 40,
// planes 1, bit count 24, no compression, everything else 0.
inline BITMAPINFOHEADER MakeDib24Header(int32_t width, int32_t height) {
  BITMAPINFOHEADER h{};
  h.biSize = 40;
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = 24;
  return h;
}

}  // namespace oesqx::image
#endif

#endif
