// GIF89a writer for pictures of at most 8 bits per pixel: screen and global
// colour table from the picture, a graphic control extension carrying the
// transparent index, one image and its LZW data in 254-byte sub-blocks.
#include <cstring>
#include <vector>

#include "image/codecs.h"
#include "image/gif_lzw.h"
#include "image/pixel_ops.h"
#include "image/qx_image.h"

namespace oesqx::image {
namespace {
constexpr size_t kSubBlock = 254;
}  // namespace

bool EncodeGif(const QxImage& pic, Bytes* out, std::string* error) {
  const uint32_t bpp = pic.GetBpp();
  if (bpp == 0 || bpp > 8) {
    *error = "GIF needs a picture of at most 8 bits per pixel";
    return false;
  }
  const uint32_t w = pic.GetWidth(), h = pic.GetHeight();
  if (w > 0xFFFF || h > 0xFFFF) {
    *error = "picture too large for GIF";
    return false;
  }
  ByteWriter wr(out);
  wr.PutBytes("GIF89a", 6);
  wr.PutU16(static_cast<uint16_t>(w));
  wr.PutU16(static_cast<uint16_t>(h));
  // Global table flag, colour resolution field as the stored files have it
  // (0xE7 for 8 bits), table size.
  wr.PutU8(static_cast<uint8_t>(0x80 | ((bpp - 1) << 5) | (bpp - 1)));
  wr.PutU8(0);  // background index
  wr.PutU8(0);  // aspect
  const uint32_t colours = 1u << bpp;
  for (uint32_t i = 0; i < colours; ++i) {
    const RGBQUAD c = pic.GetPaletteColor(i);
    const uint8_t rgb[3] = {c.rgbRed, c.rgbGreen, c.rgbBlue};
    wr.PutBytes(rgb, 3);
  }
  // Graphic control extension.
  const long trans = pic.GetTransIndex();
  const uint8_t gce[8] = {0x21, 0xF9, 0x04,
                          static_cast<uint8_t>(pic.GetDisposalMethod() << 2 | (trans >= 0 ? 1 : 0)),
                          0, 0, static_cast<uint8_t>(trans), 0};
  wr.PutBytes(gce, sizeof(gce));
  // Image descriptor: the whole screen, no local colour table.
  wr.PutU8(0x2C);
  wr.PutU16(0);
  wr.PutU16(0);
  wr.PutU16(static_cast<uint16_t>(w));
  wr.PutU16(static_cast<uint16_t>(h));
  wr.PutU8(0);

  const uint32_t min_code_size = bpp == 1 ? 2 : bpp;
  wr.PutU8(static_cast<uint8_t>(min_code_size));
  std::vector<uint8_t> lzw;
  lzw.reserve(size_t{w} * h / 8 + 64);
  {
    LzwEncoder encoder(min_code_size, &lzw);
    std::vector<uint8_t> row(bpp == 8 ? 0 : w);
    for (uint32_t y = h; y-- > 0;) {  // GIF rows run from the top down
      const uint8_t* bits = pic.GetBits(y);
      if (bpp == 8) {
        encoder.Write(bits, w);
      } else {
        for (uint32_t x = 0; x < w; ++x) row[x] = static_cast<uint8_t>(GetIndex(bits, x, bpp));
        encoder.Write(row.data(), w);
      }
    }
    encoder.Finish();
  }
  out->reserve(out->size() + lzw.size() + lzw.size() / kSubBlock + 4);
  for (size_t pos = 0; pos < lzw.size(); pos += kSubBlock) {
    const size_t n = lzw.size() - pos < kSubBlock ? lzw.size() - pos : kSubBlock;
    wr.PutU8(static_cast<uint8_t>(n));
    wr.PutBytes(lzw.data() + pos, n);
  }
  wr.PutU8(0);
  wr.PutU8(0x3B);
  return true;
}

}  // namespace oesqx::image
