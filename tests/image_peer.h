// Helpers of the image tests: 24-bit DIB fixtures, the independent peers
// (giflib for GIF files, ImageMagick's convert for writing and reading
// other formats), and small comparisons.
#ifndef OESQX_TESTS_IMAGE_PEER_H
#define OESQX_TESTS_IMAGE_PEER_H

#include <gif_lib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/dib.h"
#include "image/qx_image.h"
#include "test_support.h"

namespace oesqx::test {

// A bottom-up 24-bit DIB built by hand, as the callers build theirs.
struct Dib24 {
  BITMAPINFOHEADER header;
  std::vector<uint8_t> bits;
  Dib24(int w, int h, uint8_t r = 255, uint8_t g = 255, uint8_t b = 255)
      : header(image::MakeDib24Header(w, h)), bits(size_t(h) * image::DibStride(w, 24)) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) Set(x, y, r, g, b);
  }
  uint32_t stride() const { return image::DibStride(header.biWidth, 24); }
  // y = 0 is the bottom row.
  void Set(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    uint8_t* p = bits.data() + size_t(y) * stride() + 3 * size_t(x);
    p[0] = b;
    p[1] = g;
    p[2] = r;
  }
  bool Build(QxImage* pic) const {
    return pic->CreateFromData(reinterpret_cast<const tagBITMAPINFO*>(&header), sizeof(header), bits.data(),
                               static_cast<unsigned>(bits.size()));
  }
};

// A GIF as giflib reads it: first image, indices top row first.
struct PeerGif {
  bool ok = false;
  int width = 0, height = 0;
  int color_count = 0;
  int transparent = -1;
  std::vector<uint8_t> indices;
  std::vector<GifColorType> colors;
};

inline int ReadFromVector(GifFileType* gif, GifByteType* out, int n) {
  auto* src = static_cast<std::pair<const Bytes*, size_t>*>(gif->UserData);
  const size_t left = src->first->size() - src->second;
  const size_t take = size_t(n) < left ? size_t(n) : left;
  std::memcpy(out, src->first->data() + src->second, take);
  src->second += take;
  return static_cast<int>(take);
}

inline PeerGif DecodeWithGiflib(const Bytes& file) {
  PeerGif out;
  std::pair<const Bytes*, size_t> src(&file, 0);
  int err = 0;
  GifFileType* gif = DGifOpen(&src, ReadFromVector, &err);
  if (gif == nullptr) return out;
  if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0) {
    const SavedImage& img = gif->SavedImages[0];
    out.width = gif->SWidth;
    out.height = gif->SHeight;
    const ColorMapObject* map = img.ImageDesc.ColorMap ? img.ImageDesc.ColorMap : gif->SColorMap;
    if (map != nullptr) {
      out.color_count = map->ColorCount;
      out.colors.assign(map->Colors, map->Colors + map->ColorCount);
    }
    GraphicsControlBlock gcb;
    if (DGifSavedExtensionToGCB(gif, 0, &gcb) == GIF_OK) out.transparent = gcb.TransparentColor;
    out.indices.assign(img.RasterBits, img.RasterBits + size_t(img.ImageDesc.Width) * img.ImageDesc.Height);
    out.ok = img.ImageDesc.Width == gif->SWidth && img.ImageDesc.Height == gif->SHeight;
  }
  DGifCloseFile(gif, &err);
  return out;
}

// Our picture's palette indices, top row first (the order GIF stores).
inline std::vector<uint8_t> IndicesTopDown(const QxImage& pic) {
  std::vector<uint8_t> out;
  for (uint32_t y = pic.GetHeight(); y-- > 0;) {
    const uint8_t* row = pic.GetBits(y);
    for (uint32_t x = 0; x < pic.GetWidth(); ++x) {
      const uint32_t bpp = pic.GetBpp();
      const uint32_t bit = x * bpp;
      out.push_back(static_cast<uint8_t>((row[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1)));
    }
  }
  return out;
}

inline Bytes EncodeToBytes(QxImage* pic, uint32_t type) {
  uint8_t* buffer = nullptr;
  int size = 0;
  if (!pic->Encode(buffer, size, type)) return {};
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

// ImageMagick's own convert (not any wrapper on the PATH).
inline const char* MagickConvert() { return "/usr/bin/convert"; }
inline bool HaveMagick() { return std::system("/usr/bin/convert -version > /dev/null 2>&1") == 0; }
inline int Magick(const std::string& args) {
  return std::system((std::string(MagickConvert()) + " " + args + " 2>/dev/null").c_str());
}

}  // namespace oesqx::test

#endif
