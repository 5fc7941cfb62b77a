// A seal-like picture drawn in memory: a red ring, a star-like disc and
// rows of short strokes that stand in for text, on white, with softened
// edges. Used by `oesqx seal sample` and by the tests, so both build seals
// from the same picture.
#ifndef OESQX_TOOLS_OESQX_SAMPLE_PICTURE_H
#define OESQX_TOOLS_OESQX_SAMPLE_PICTURE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace oesqx::sample {

// 24-bit bottom-up rows (blue, green, red), each padded to 4 bytes.
struct Picture24 {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t stride = 0;
  std::vector<uint8_t> rows;
};

namespace detail {

// Blends red over white by `coverage` (0..1) at (x, y), y counted from the
// top.
inline void Paint(Picture24* p, uint32_t x, uint32_t y, double coverage) {
  if (coverage <= 0) return;
  coverage = std::min(coverage, 1.0);
  uint8_t* px = p->rows.data() + static_cast<size_t>(p->height - 1 - y) * p->stride + x * 3;
  // Seal red (220, 30, 30); the previous colour keeps (1 - coverage).
  const double keep = 1.0 - coverage;
  px[0] = static_cast<uint8_t>(px[0] * keep + 30 * coverage);
  px[1] = static_cast<uint8_t>(px[1] * keep + 30 * coverage);
  px[2] = static_cast<uint8_t>(px[2] * keep + 220 * coverage);
}

// Coverage of a shape edge at signed distance d (negative inside).
inline double Edge(double d) { return std::clamp(0.5 - d, 0.0, 1.0); }

}  // namespace detail

// Draws the picture at size x size pixels (at least 16).
inline Picture24 DrawSealPicture(uint32_t size) {
  size = std::max<uint32_t>(size, 16);
  Picture24 p;
  p.width = p.height = size;
  p.stride = ((size * 24 + 31) / 32) * 4;
  p.rows.assign(static_cast<size_t>(p.stride) * size, 255);
  const double c = size / 2.0;
  const double outer = size * 0.47, inner = size * 0.41, disc = size * 0.11;
  const double bar_h = std::max(1.5, size * 0.035);
  for (uint32_t y = 0; y < size; ++y) {
    for (uint32_t x = 0; x < size; ++x) {
      const double dx = x + 0.5 - c, dy = y + 0.5 - c;
      const double r = std::sqrt(dx * dx + dy * dy);
      // The ring: inside outer, outside inner.
      double cover = std::min(detail::Edge(r - outer), detail::Edge(inner - r));
      // The centre disc, flattened into five points by the angle.
      const double a = std::atan2(dy, dx);
      const double star = disc * (0.75 + 0.25 * std::cos(5 * a));
      cover = std::max(cover, detail::Edge(r - star));
      // Two rows of strokes under and above the centre, broken into glyphs.
      for (double row_y : {c + size * 0.22, c - size * 0.24}) {
        const double half_w = size * 0.26;
        if (std::fabs(dx) < half_w) {
          const double glyph = std::fmod(dx + half_w, size * 0.085);
          const double in_glyph = glyph < size * 0.06 ? 1.0 : 0.0;
          cover = std::max(cover, in_glyph * detail::Edge(std::fabs(dy - (row_y - c)) - bar_h));
          // A vertical stroke in each glyph.
          if (glyph > size * 0.025 && glyph < size * 0.025 + bar_h * 1.2) {
            cover = std::max(cover, detail::Edge(std::fabs(dy - (row_y - c)) - size * 0.045));
          }
        }
      }
      detail::Paint(&p, x, y, cover);
    }
  }
  return p;
}

}  // namespace oesqx::sample

#endif
