// Error diffusion onto a palette. The source is changed in place as the
// errors are added, so each addition clamps on its own, in visiting order.
#include "image/dither.h"

namespace oesqx::image {
namespace {

inline uint8_t Clamp(int v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

inline void AddError(uint8_t* p, int eb, int eg, int er) {
  p[0] = Clamp(p[0] + eb);
  p[1] = Clamp(p[1] + eg);
  p[2] = Clamp(p[2] + er);
}

template <uint32_t kStep, bool kDiffuse>
void MapRows(const DirectSource& src, const RGBQUAD* palette, NearestColor* nearest, uint8_t* out,
             uint32_t out_stride) {
  const uint32_t w = src.width;
  for (uint32_t y = 0; y < src.height; ++y) {
    uint8_t* row = src.pixels + size_t{y} * src.stride;
    uint8_t* up = y + 1 < src.height ? row + src.stride : nullptr;
    uint8_t* dst = out + size_t{y} * out_stride;
    for (uint32_t x = 0; x < w; ++x) {
      uint8_t* p = row + size_t{x} * kStep;
      const int b = p[0], g = p[1], r = p[2];
      const uint8_t index = nearest->Find(static_cast<uint8_t>(r), static_cast<uint8_t>(g),
                                          static_cast<uint8_t>(b));
      dst[x] = index;
      if constexpr (kDiffuse) {
        const RGBQUAD& c = palette[index];
        const int eb = b - c.rgbBlue, eg = g - c.rgbGreen, er = r - c.rgbRed;
        if ((eb | eg | er) == 0) continue;  // adding zero shares changes nothing
        if (x + 1 < w) AddError(p + kStep, eb * 7 / 16, eg * 7 / 16, er * 7 / 16);
        if (up != nullptr) {
          uint8_t* q = up + size_t{x} * kStep;
          if (x > 0) AddError(q - kStep, eb * 2 / 16, eg * 2 / 16, er * 2 / 16);
          AddError(q, eb * 4 / 16, eg * 4 / 16, er * 4 / 16);
          if (x + 1 < w) AddError(q + kStep, eb / 16, eg / 16, er / 16);
        }
      }
    }
  }
}

}  // namespace

void MapToPalette(const DirectSource& src, const RGBQUAD* palette, NearestColor* nearest,
                  bool diffuse, uint8_t* out, uint32_t out_stride) {
  if (src.step == 4) {
    diffuse ? MapRows<4, true>(src, palette, nearest, out, out_stride)
            : MapRows<4, false>(src, palette, nearest, out, out_stride);
  } else {
    diffuse ? MapRows<3, true>(src, palette, nearest, out, out_stride)
            : MapRows<3, false>(src, palette, nearest, out, out_stride);
  }
}

}  // namespace oesqx::image
