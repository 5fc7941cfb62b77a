// BMP files: a 14-byte file header ("BM", file size, offset of the pixels)
// before a DIB.
#include <cstring>

#include "image/codecs.h"
#include "image/dib_reader.h"
#include "image/pixel_ops.h"
#include "image/qx_image.h"

namespace oesqx::image {

bool DecodeBmp(ByteReader file, QxImage* out, std::string* error) {
  const size_t base = file.offset();
  ByteReader head = file;
  const uint8_t* magic;
  uint32_t file_size, reserved, off_bits;
  if (!head.ReadBytes(2, &magic) || magic[0] != 'B' || magic[1] != 'M') {
    *error = "not a BMP file";
    return false;
  }
  if (!head.ReadU32(&file_size) || !head.ReadU32(&reserved) || !head.ReadU32(&off_bits)) {
    *error = "BMP file header truncated";
    return false;
  }
  DibInfo info;
  if (!ParseDibInfo(ByteReader(head.cursor(), head.remaining()), &info, error)) return false;
  // The pixels start at the stated offset, or right after the palette when
  // the offset is missing or points into the header.
  uint64_t header_end = 14 + uint64_t{info.header_size} + 4 * uint64_t{info.palette_entries};
  if (info.header_size == 40 && info.compression == OESQX_BI_BITFIELDS) header_end += 12;
  const uint64_t start = off_bits >= header_end ? off_bits : header_end;
  if (start > file.remaining() || !file.Seek(base + static_cast<size_t>(start))) {
    *error = "BMP pixel offset past the file";
    return false;
  }
  return ReadDibPixels(info, ByteReader(file.cursor(), file.remaining()), QXIMAGE_FORMAT_BMP, out, error);
}

bool EncodeBmp(const QxImage& pic, Bytes* out, std::string* error) {
  // 2-bit pictures have no BMP form: they are written with 4-bit rows.
  const uint32_t src_bpp = pic.GetBpp();
  const uint32_t bpp = src_bpp == 2 ? 4 : src_bpp;
  const uint32_t stride = DibStride(pic.GetWidth(), bpp);
  const uint32_t colours = bpp <= 8 ? 1u << bpp : 0;
  const uint64_t pixel_bytes = uint64_t{stride} * pic.GetHeight();
  const uint64_t off_bits = 14 + 40 + 4ull * colours;
  if (stride == 0 || off_bits + pixel_bytes > 0xFFFFFFFFull) {
    *error = "picture too large for BMP";
    return false;
  }
  out->reserve(out->size() + off_bits + pixel_bytes);
  ByteWriter w(out);
  w.PutBytes("BM", 2);
  w.PutU32(static_cast<uint32_t>(off_bits + pixel_bytes));
  w.PutU32(0);
  w.PutU32(static_cast<uint32_t>(off_bits));
  w.PutU32(40);
  w.PutU32(pic.GetWidth());
  w.PutU32(pic.GetHeight());
  w.PutU16(1);
  w.PutU16(static_cast<uint16_t>(bpp));
  w.PutU32(OESQX_BI_RGB);
  w.PutU32(static_cast<uint32_t>(pixel_bytes));
  const auto ppm = [](uint32_t dpi) { return static_cast<uint32_t>((uint64_t{dpi} * 10000 + 127) / 254); };
  w.PutU32(ppm(pic.GetXDPI()));
  w.PutU32(ppm(pic.GetYDPI()));
  w.PutU32(0);
  w.PutU32(pic.GetClrImportant());
  for (uint32_t i = 0; i < colours; ++i) {
    const RGBQUAD c = pic.GetPaletteColor(i);
    const uint8_t q[4] = {c.rgbBlue, c.rgbGreen, c.rgbRed, 0};
    w.PutBytes(q, 4);
  }
  if (bpp == src_bpp) {
    w.PutBytes(pic.GetBits(0), pic.GetPixelBytes());
    return true;
  }
  std::vector<uint8_t> row(stride);
  for (uint32_t y = 0; y < pic.GetHeight(); ++y) {
    std::memset(row.data(), 0, stride);
    for (uint32_t x = 0; x < pic.GetWidth(); ++x) SetIndex(row.data(), x, bpp, GetIndex(pic.GetBits(y), x, src_bpp));
    w.PutBytes(row.data(), stride);
  }
  return true;
}

}  // namespace oesqx::image
