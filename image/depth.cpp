// Colour depth changes of QxImage: widening indices or expanding palette
// entries into direct colour, and reducing direct colour onto a palette.
#include <cstring>
#include <vector>

#include "image/dither.h"
#include "image/palette.h"
#include "image/pixel_ops.h"
#include "image/qx_image.h"

namespace oesqx {
namespace {

bool IsPaletteDepth(uint32_t bpp) { return bpp == 1 || bpp == 2 || bpp == 4 || bpp == 8; }

// Writes the picture `src` as direct colour (24 or 32 bits) into `dst`,
// which has the same size. The fourth byte of 32-bit output is 0.
void ExpandToDirect(const QxImage& src, QxImage* dst) {
  const uint32_t w = src.GetWidth();
  const uint32_t out_step = dst->GetBpp() / 8;
  const RGBQUAD* pal = src.GetPalette();
  const uint32_t colours = src.GetNumColors();
  for (uint32_t y = 0; y < src.GetHeight(); ++y) {
    const uint8_t* in = src.GetBits(y);
    uint8_t* out = dst->GetBits(y);
    for (uint32_t x = 0; x < w; ++x, out += out_step) {
      if (src.GetBpp() == 24 || src.GetBpp() == 32) {
        const uint8_t* p = in + size_t{x} * (src.GetBpp() / 8);
        out[0] = p[0];
        out[1] = p[1];
        out[2] = p[2];
      } else {
        const uint32_t i = image::GetIndex(in, x, src.GetBpp());
        const RGBQUAD c = i < colours ? pal[i] : RGBQUAD{0, 0, 0, 0};
        out[0] = c.rgbBlue;
        out[1] = c.rgbGreen;
        out[2] = c.rgbRed;
      }
      if (out_step == 4) out[3] = 0;
    }
  }
}

// Keeps format tag, resolution, transparency and disposal of `from`.
void CopyAttributes(const QxImage& from, QxImage* to) {
  to->SetXDPI(from.GetXDPI());
  to->SetYDPI(from.GetYDPI());
  to->SetTransIndex(from.GetTransIndex());
  to->SetDisposalMethod(from.GetDisposalMethod());
}

}  // namespace

bool QxImage::IncreaseBpp(uint32_t bpp) {
  if (!IsValid()) return Fail("no picture");
  if (bpp == bpp_) return true;
  if (bpp < bpp_) return Fail("IncreaseBpp: target depth is lower");
  if (!(IsPaletteDepth(bpp) || bpp == 24 || bpp == 32)) return Fail("IncreaseBpp: unsupported depth");
  QxImage out;
  if (!out.Create(width_, height_, bpp, type_, /*zeroPixels=*/bpp < 24)) return Fail(out.GetLastError());
  if (IsPaletteDepth(bpp)) {
    // Indices keep their values; the palette grows with zero entries.
    std::memcpy(out.palette_.data(), palette_.data(), palette_.size() * sizeof(RGBQUAD));
    for (uint32_t y = 0; y < height_; ++y) {
      const uint8_t* in = GetBits(y);
      uint8_t* o = out.GetBits(y);
      for (uint32_t x = 0; x < width_; ++x) image::SetIndex(o, x, bpp, image::GetIndex(in, x, bpp_));
    }
    out.clr_important_ = clr_important_;
  } else {
    ExpandToDirect(*this, &out);
  }
  CopyAttributes(*this, &out);
  *this = std::move(out);
  return true;
}

bool QxImage::DecreaseBpp(uint32_t bpp, bool errorDiffusion, const RGBQUAD* palette,
                          uint32_t importantColours) {
  if (!IsValid()) return Fail("no picture");
  if (bpp == bpp_) return true;
  if (bpp > bpp_) return Fail("DecreaseBpp: target depth is higher");
  if (!(IsPaletteDepth(bpp) || bpp == 24)) return Fail("DecreaseBpp: unsupported depth");

  QxImage out;
  // Rows of 8 bits and more are written whole below.
  if (!out.Create(width_, height_, bpp, type_, /*zeroPixels=*/bpp < 8)) return Fail(out.GetLastError());
  if (bpp == 24) {  // from 32 bits: the fourth byte goes
    ExpandToDirect(*this, &out);
    CopyAttributes(*this, &out);
    *this = std::move(out);
    return true;
  }

  const uint32_t colours = 1u << bpp;
  if (palette == nullptr) {
    palette = bpp == 8 ? image::StandardPalette()
                       : (bpp == 4 ? image::BasicPalette16() : image::BlackWhitePalette());
    if (bpp == 2) {  // no fixed 4-colour palette: black, two greys, white
      static const RGBQUAD kGrey4[4] = {{0, 0, 0, 0}, {85, 85, 85, 0}, {170, 170, 170, 0}, {255, 255, 255, 0}};
      palette = kGrey4;
    }
  }
  std::memcpy(out.palette_.data(), palette, colours * sizeof(RGBQUAD));
  const uint32_t searched = importantColours == 0 || importantColours > colours ? colours : importantColours;

  // The diffusion works on direct-colour pixels, changing them as it goes:
  // this picture's own rows when it is 24 or 32 bits (they are replaced
  // anyway), else an expanded copy.
  QxImage expanded;
  QxImage* source = this;
  if (bpp_ <= 8) {
    if (!expanded.Create(width_, height_, 24, type_, /*zeroPixels=*/false)) return Fail(expanded.GetLastError());
    ExpandToDirect(*this, &expanded);
    source = &expanded;
  }
  image::DirectSource src{source->pixels_.data(), width_, height_, source->stride_, source->bpp_ / 8};
  image::NearestColor nearest(out.palette_.data(), searched, uint64_t{width_} * height_);
  if (bpp == 8) {
    image::MapToPalette(src, &nearest, errorDiffusion, out.pixels_.data(), out.stride_);
  } else {
    // Map into byte rows, then pack them at the target depth.
    std::vector<uint8_t> indices(size_t{width_} * height_);
    image::MapToPalette(src, &nearest, errorDiffusion, indices.data(), width_);
    for (uint32_t y = 0; y < height_; ++y) {
      uint8_t* o = out.GetBits(y);
      const uint8_t* in = indices.data() + size_t{y} * width_;
      for (uint32_t x = 0; x < width_; ++x) image::SetIndex(o, x, bpp, in[x]);
    }
  }
  out.clr_important_ = importantColours;
  CopyAttributes(*this, &out);
  *this = std::move(out);
  return true;
}

bool QxImage::ConvertToBpp(uint32_t bpp) {
  if (!IsValid()) return Fail("no picture");
  if (bpp == bpp_) return true;
  return bpp > bpp_ ? IncreaseBpp(bpp) : DecreaseBpp(bpp, true, nullptr, 0);
}

}  // namespace oesqx
