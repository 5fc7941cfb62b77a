// qx_gif_render: renders a picture file (normally a 24-bit BMP) as the
// transparent GIF that seal pictures leave the system as: 24 bits, reduced
// to 8 bits with error diffusion onto the standard palette, palette entry
// 255 (white) transparent.
//
//   qx_gif_render IN OUT.gif      render IN
//   qx_gif_render --palette OUT   write the standard palette as a 16x16 PNG
//   qx_gif_render --sample N OUT  write an N x N seal-like 24-bit BMP
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/palette.h"
#include "image/qx_image.h"
#include "tools/gif_render/seal_picture.h"

namespace {

int WritePalette(const char* path) {
  oesqx::QxImage pic(16, 16, 24, 0);
  const RGBQUAD* pal = oesqx::image::StandardPalette();
  for (uint32_t i = 0; i < 256; ++i) {
    uint8_t* p = pic.GetBits(15 - i / 16) + 3 * (i % 16);
    p[0] = pal[i].rgbBlue;
    p[1] = pal[i].rgbGreen;
    p[2] = pal[i].rgbRed;
  }
  if (!pic.Save(path, oesqx::QXIMAGE_FORMAT_PNG)) {
    std::fprintf(stderr, "qx_gif_render: %s\n", pic.GetLastError());
    return 1;
  }
  return 0;
}

int WriteSample(int size, const char* path) {
  if (size <= 0 || size > 20000) return 2;
  const std::vector<uint8_t> rows = oesqx::sample::SealPictureRows(size);
  const BITMAPINFOHEADER header = oesqx::image::MakeDib24Header(size, size);
  oesqx::QxImage pic;
  if (!pic.CreateFromData(reinterpret_cast<const tagBITMAPINFO*>(&header), sizeof(header), rows.data(),
                          static_cast<unsigned>(rows.size())) ||
      !pic.Save(path, oesqx::QXIMAGE_FORMAT_BMP)) {
    std::fprintf(stderr, "qx_gif_render: %s\n", pic.GetLastError());
    return 1;
  }
  return 0;
}

int Render(const char* in, const char* out) {
  oesqx::QxImage pic;
  if (!pic.Load(in, oesqx::QXIMAGE_FORMAT_BMP) || !pic.ConvertToBpp(24) ||
      !pic.DecreaseBpp(8, true, nullptr, 0)) {
    std::fprintf(stderr, "qx_gif_render: %s: %s\n", in, pic.GetLastError());
    return 1;
  }
  pic.SetTransIndex(255);
  if (!pic.Save(out, oesqx::QXIMAGE_FORMAT_GIF)) {
    std::fprintf(stderr, "qx_gif_render: %s: %s\n", out, pic.GetLastError());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--palette") == 0) return WritePalette(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "--sample") == 0) return WriteSample(std::atoi(argv[2]), argv[3]);
  if (argc == 3) return Render(argv[1], argv[2]);
  std::fprintf(stderr, "usage: qx_gif_render IN OUT.gif | --palette OUT.png | --sample N OUT.bmp\n");
  return 2;
}
