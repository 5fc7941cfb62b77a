// DIB header, palette and pixel reading. Every field is taken through the
// bounds-checked ByteReader; a DIB that claims more than it holds is refused.
#include "image/dib_reader.h"

#include <cstring>
#include <utility>

#include "image/pixel_ops.h"
#include "image/qx_image.h"

namespace oesqx::image {
namespace {

bool Refuse(std::string* error, const char* text) {
  if (error != nullptr) *error = text;
  return false;
}

uint32_t PaletteCount(uint32_t bit_count, uint32_t clr_used) {
  if (bit_count > 8) return 0;
  const uint32_t full = 1u << bit_count;
  return clr_used == 0 || clr_used > full ? full : clr_used;
}

// dpi = round(pels per metre x 254 / 10000); 96 when unset.
uint32_t DpiFromPelsPerMeter(int32_t ppm) {
  if (ppm <= 0) return 96;
  return static_cast<uint32_t>((int64_t{ppm} * 254 + 5000) / 10000);
}

// Takes one channel out of a bit-field pixel and scales it to 8 bits.
struct Channel {
  uint32_t mask = 0;
  uint32_t shift = 0;
  uint32_t max = 0;
  explicit Channel(uint32_t m) : mask(m) {
    if (m == 0) return;
    while (((m >> shift) & 1) == 0) ++shift;
    max = m >> shift;
  }
  uint8_t Get(uint32_t pixel) const {
    if (max == 0) return 0;
    const uint32_t v = (pixel & mask) >> shift;
    return static_cast<uint8_t>((uint64_t{v} * 255 + max / 2) / max);
  }
};

// Maps stored row i (in file order) to picture row (0 = bottom).
uint32_t TargetRow(const DibInfo& info, uint32_t i) { return info.top_down ? info.height - 1 - i : i; }

bool ReadUncompressed(const DibInfo& info, ByteReader bits, QxImage* pic, std::string* error) {
  const uint32_t in_stride = DibStride(info.width, info.bit_count);
  if (in_stride == 0) return Refuse(error, "row too long");
  if (uint64_t{in_stride} * info.height > bits.remaining())
    return Refuse(error, "pixel data shorter than the picture");
  const bool standard32 = info.bit_count == 32 &&
                          (info.compression == OESQX_BI_RGB ||
                           (info.masks[0] == 0x00FF0000u && info.masks[1] == 0x0000FF00u &&
                            info.masks[2] == 0x000000FFu));
  const bool direct_copy = info.bit_count != 16 && (info.bit_count != 32 || standard32);
  uint32_t masks[3] = {info.masks[0], info.masks[1], info.masks[2]};
  if (info.bit_count == 16 && info.compression == OESQX_BI_RGB) {  // 5-5-5
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  }
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(info.masks[3]);
  for (uint32_t i = 0; i < info.height; ++i) {
    const uint8_t* row;
    if (!bits.ReadBytes(in_stride, &row)) return Refuse(error, "pixel data shorter than the picture");
    uint8_t* out = pic->GetBits(TargetRow(info, i));
    if (direct_copy) {
      std::memcpy(out, row, pic->GetEffWidth());
      continue;
    }
    const uint32_t in_step = info.bit_count / 8;
    const uint32_t out_step = pic->GetBpp() / 8;
    for (uint32_t x = 0; x < info.width; ++x) {
      const uint8_t* p = row + size_t{x} * in_step;
      const uint32_t v = in_step == 2 ? uint32_t{p[0]} | uint32_t{p[1]} << 8
                                      : uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                                            uint32_t{p[3]} << 24;
      uint8_t* o = out + size_t{x} * out_step;
      o[0] = blue.Get(v);
      o[1] = green.Get(v);
      o[2] = red.Get(v);
      if (out_step == 4) o[3] = alpha.Get(v);
    }
  }
  return true;
}

// RLE8 (bits 8) and RLE4 (bits 4): runs, end of line, end of picture,
// deltas and absolute runs padded to 16 bits. Runs may cover the padding
// at the end of a row (some writers encode it; those pixels are dropped);
// anything past that, and data that ends before the picture does, is
// refused.
bool ReadRle(const DibInfo& info, ByteReader bits, QxImage* pic, std::string* error) {
  const uint32_t bpp = info.bit_count;
  const uint32_t row_span = pic->GetEffWidth() * 8 / bpp;  // pixels a padded row holds
  uint32_t x = 0, y = 0;
  auto put = [&](uint32_t v) {
    if (x < info.width) SetIndex(pic->GetBits(y), x, bpp, v);
    ++x;
  };
  while (true) {
    uint8_t count, value;
    if (!bits.ReadU8(&count) || !bits.ReadU8(&value)) {
      // Every row done (or the last one filled) without an end marker.
      if (y >= info.height || (y + 1 == info.height && x >= info.width)) return true;
      return Refuse(error, "RLE data ends inside the picture");
    }
    if (count > 0) {  // encoded run
      if (y >= info.height || count > row_span - x) return Refuse(error, "RLE run past the picture");
      for (uint32_t i = 0; i < count; ++i) put(bpp == 8 ? value : ((i & 1) ? value & 0x0F : value >> 4));
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of picture
      return true;
    } else if (value == 2) {  // delta
      uint8_t dx, dy;
      if (!bits.ReadU8(&dx) || !bits.ReadU8(&dy)) return Refuse(error, "RLE data ends inside the picture");
      if (dx > info.width - x || dy > info.height - y) return Refuse(error, "RLE delta past the picture");
      x += dx;
      y += dy;
      if (y >= info.height && x != 0) return Refuse(error, "RLE delta past the picture");
    } else {  // absolute run of `value` pixels
      const uint32_t n = value;
      const uint32_t bytes = bpp == 8 ? n : (n + 1) / 2;
      const uint8_t* data;
      if (!bits.ReadBytes(bytes, &data)) return Refuse(error, "RLE data ends inside the picture");
      if ((bytes & 1) != 0 && !bits.Skip(1)) return Refuse(error, "RLE data ends inside the picture");
      if (y >= info.height || n > row_span - x) return Refuse(error, "RLE run past the picture");
      for (uint32_t i = 0; i < n; ++i) put(bpp == 8 ? data[i] : ((i & 1) ? data[i / 2] & 0x0F : data[i / 2] >> 4));
    }
  }
}

}  // namespace

bool IsKnownDibHeaderSize(uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

uint32_t DibInfoBlockSize(const BITMAPINFOHEADER& header) {
  if (!IsKnownDibHeaderSize(header.biSize) || header.biBitCount > 32) return 0;
  uint32_t size = header.biSize;
  if (header.biSize == 40 && header.biCompression == OESQX_BI_BITFIELDS) size += 12;
  return size + 4 * PaletteCount(header.biBitCount, header.biClrUsed);
}

bool ParseDibInfo(ByteReader block, DibInfo* info, std::string* error) {
  uint32_t size, compression, size_image, clr_used, clr_important;
  int32_t width, height, xppm, yppm;
  uint16_t planes, bit_count;
  if (!block.ReadU32(&size)) return Refuse(error, "DIB header truncated");
  if (size == 12) return Refuse(error, "12-byte DIB headers are not supported");
  if (!IsKnownDibHeaderSize(size)) return Refuse(error, "unknown DIB header size");
  if (!block.ReadI32(&width) || !block.ReadI32(&height) || !block.ReadU16(&planes) ||
      !block.ReadU16(&bit_count) || !block.ReadU32(&compression) || !block.ReadU32(&size_image) ||
      !block.ReadI32(&xppm) || !block.ReadI32(&yppm) || !block.ReadU32(&clr_used) ||
      !block.ReadU32(&clr_important))
    return Refuse(error, "DIB header truncated");
  if (width <= 0 || height == 0 || height == INT32_MIN) return Refuse(error, "bad DIB size");
  switch (bit_count) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32: break;
    default: return Refuse(error, "unsupported DIB bit count");
  }
  const bool ok_compression =
      compression == OESQX_BI_RGB || (compression == OESQX_BI_RLE8 && bit_count == 8) ||
      (compression == OESQX_BI_RLE4 && bit_count == 4) ||
      (compression == OESQX_BI_BITFIELDS && (bit_count == 16 || bit_count == 32));
  if (!ok_compression) return Refuse(error, "unsupported DIB compression");
  if (height < 0 && compression != OESQX_BI_RGB && compression != OESQX_BI_BITFIELDS)
    return Refuse(error, "top-down RLE DIB");

  *info = DibInfo{};
  info->header_size = size;
  info->width = static_cast<uint32_t>(width);
  info->height = static_cast<uint32_t>(height < 0 ? -height : height);
  info->top_down = height < 0;
  info->bit_count = bit_count;
  info->compression = compression;
  info->x_pels_per_meter = xppm;
  info->y_pels_per_meter = yppm;
  info->clr_important = clr_important;

  // Colour masks: inside a longer header, or right after a 40-byte one.
  const uint32_t mask_count = size >= 56 ? 4 : 3;
  if (size > 40 || compression == OESQX_BI_BITFIELDS) {
    for (uint32_t i = 0; i < mask_count; ++i)
      if (!block.ReadU32(&info->masks[i])) return Refuse(error, "DIB colour masks truncated");
  }
  if (compression != OESQX_BI_BITFIELDS) std::memset(info->masks, 0, sizeof(info->masks));
  if (!block.Seek(size == 40 && compression == OESQX_BI_BITFIELDS ? 52 : size))
    return Refuse(error, "DIB header truncated");

  info->palette_entries = PaletteCount(bit_count, clr_used);
  for (uint32_t i = 0; i < info->palette_entries; ++i) {
    RGBQUAD& q = info->palette[i];
    if (!block.ReadU8(&q.rgbBlue) || !block.ReadU8(&q.rgbGreen) || !block.ReadU8(&q.rgbRed) ||
        !block.ReadU8(&q.rgbReserved))
      return Refuse(error, "DIB palette truncated");
  }
  return true;
}

bool ReadDibPixels(const DibInfo& info, ByteReader bits, uint32_t type, QxImage* out,
                   std::string* error) {
  // 16-bit pixels are widened to 24; bit-field 32-bit pixels are repacked.
  const uint32_t bpp = info.bit_count == 16 ? 24 : info.bit_count;
  QxImage pic;
  const bool rle = info.compression == OESQX_BI_RLE8 || info.compression == OESQX_BI_RLE4;
  // Uncompressed rows are checked against the data first, then written whole.
  if (!rle && uint64_t{DibStride(info.width, info.bit_count)} * info.height > bits.remaining())
    return Refuse(error, "pixel data shorter than the picture");
  if (!pic.Create(info.width, info.height, bpp, type, /*zeroPixels=*/rle)) return Refuse(error, pic.GetLastError());
  if (bpp <= 8) std::memcpy(pic.GetPaletteData(), info.palette, info.palette_entries * sizeof(RGBQUAD));
  if (!(rle ? ReadRle(info, bits, &pic, error) : ReadUncompressed(info, bits, &pic, error))) return false;
  pic.SetXDPI(DpiFromPelsPerMeter(info.x_pels_per_meter));
  pic.SetYDPI(DpiFromPelsPerMeter(info.y_pels_per_meter));
  pic.SetClrImportant(info.clr_important);
  pic.SetHasAlpha(info.compression == OESQX_BI_BITFIELDS && info.masks[3] != 0);
  *out = std::move(pic);
  return true;
}

}  // namespace oesqx::image
