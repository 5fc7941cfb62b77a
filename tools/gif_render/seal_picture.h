// A seal-like test picture: white ground, two red rings, a star and
// stroke "characters" around it, with anti-aliased edges. Used by the GIF
// chain benchmark and by qx_gif_render --sample, so both work on the same
// kind of input.
#ifndef OESQX_TOOLS_GIF_RENDER_SEAL_PICTURE_H
#define OESQX_TOOLS_GIF_RENDER_SEAL_PICTURE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "image/dib.h"

namespace oesqx::sample {

// 24-bit bottom-up rows of a `size` x `size` seal-like picture.
inline std::vector<uint8_t> SealPictureRows(int size) {
  const uint32_t stride = image::DibStride(uint32_t(size), 24);
  std::vector<float> cover(size_t(size) * size, 0.0f);
  const double c = size / 2.0, r = size * 0.48;
  auto plot = [&](int x, int y, double coverage) {
    if (x < 0 || y < 0 || x >= size || y >= size || coverage <= 0) return;
    float& v = cover[size_t(y) * size + x];
    v = std::max(v, float(std::min(coverage, 1.0)));
  };
  // A ring: radius, half width; coverage falls off over one pixel.
  auto ring = [&](double radius, double half) {
    const int lo = std::max(0, int(c - radius - half - 2)), hi = std::min(size - 1, int(c + radius + half + 2));
    for (int y = lo; y <= hi; ++y)
      for (int x = lo; x <= hi; ++x) {
        const double d = std::abs(std::hypot(x + 0.5 - c, y + 0.5 - c) - radius) - half;
        plot(x, y, 0.5 - d);
      }
  };
  // A stroke from (x0, y0) to (x1, y1) with half width `half`.
  auto stroke = [&](double x0, double y0, double x1, double y1, double half) {
    const int lx = int(std::min(x0, x1) - half - 2), hx = int(std::max(x0, x1) + half + 2);
    const int ly = int(std::min(y0, y1) - half - 2), hy = int(std::max(y0, y1) + half + 2);
    const double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    for (int y = std::max(ly, 0); y <= std::min(hy, size - 1); ++y)
      for (int x = std::max(lx, 0); x <= std::min(hx, size - 1); ++x) {
        const double px = x + 0.5 - x0, py = y + 0.5 - y0;
        const double t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0, 1.0) : 0.0;
        plot(x, y, 0.5 - (std::hypot(px - t * dx, py - t * dy) - half));
      }
  };
  ring(r * 0.96, r * 0.04);
  ring(r * 0.86, r * 0.01);
  const double pi = 3.14159265358979;
  for (int i = 0; i < 5; ++i) {  // a pentagram in the middle
    const double a0 = -pi / 2 + i * 4 * pi / 5, a1 = a0 + 4 * pi / 5, s = r * 0.25;
    stroke(c + s * std::cos(a0), c + s * std::sin(a0), c + s * std::cos(a1), c + s * std::sin(a1), r * 0.02);
  }
  for (int k = 0; k < 10; ++k) {  // "characters" along the upper arc
    const double a = pi * (1.1 + 0.8 * k / 9.0), cx = c + r * 0.66 * std::cos(a), cy = c + r * 0.66 * std::sin(a);
    const double h = r * 0.07, w = r * 0.012;
    stroke(cx - h, cy - h * 0.6, cx + h, cy - h * 0.6, w);
    stroke(cx, cy - h, cx, cy + h, w);
    stroke(cx - h * 0.8, cy + h * 0.2, cx + h * 0.7, cy + h * 0.9, w);
    stroke(cx + h * 0.8, cy + h * 0.1, cx - h * 0.5, cy + h, w);
  }
  std::vector<uint8_t> rows(size_t(stride) * size, 0);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      // Seal red (220, 20, 30) over white by coverage.
      const float v = cover[size_t(y) * size + x];
      uint8_t* p = rows.data() + size_t(size - 1 - y) * stride + 3 * size_t(x);  // y counted from the top
      p[0] = uint8_t(std::lround(255 - v * (255 - 30)));
      p[1] = uint8_t(std::lround(255 - v * (255 - 20)));
      p[2] = uint8_t(std::lround(255 - v * (255 - 220)));
    }
  return rows;
}

}  // namespace oesqx::sample

#endif
