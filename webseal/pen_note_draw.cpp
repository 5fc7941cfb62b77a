// CPenNote drawing: fitting the strokes to the canvas, smoothing them, and
// stamping soft-edged discs in fixed point (1/16 pixel).
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "common/debuglog.h"
#include "webseal/pen_note.h"

namespace oesqx {

namespace {

// Mapped coordinates and radii are kept within this many 1/16 pixels of the
// origin, far outside any canvas, so that no float-to-int conversion or
// product below can overflow.
constexpr float kFixedLimit = 268435456.0f;  // 2^28

int ToFixed(float v) {
  if (!(v > -kFixedLimit)) return -static_cast<int>(kFixedLimit);  // also NaN
  if (v > kFixedLimit) return static_cast<int>(kFixedLimit);
  return static_cast<int>(v);  // truncation towards zero
}

size_t Stride(int width) { return static_cast<size_t>((24 * static_cast<int64_t>(width) + 31) / 32) * 4; }

}  // namespace

// How a stroke point is mapped to canvas coordinates in 1/16 pixel.
struct CPenNote::Mapping {
  int origin_x = 0;
  int origin_y = 0;
  int offset_x = 0;
  int offset_y = 0;
  float s = 1.0f;
  // A pen never gets a radius beyond the canvas size: wider ones only add
  // work (every disc would cover the canvas many times over).
  int max_r = 0;

  int X(int x) const { return ToFixed((static_cast<float>(x - origin_x) * s + offset_x) * 16.0f); }
  int Y(int y) const { return ToFixed((static_cast<float>(y - origin_y) * s + offset_y) * 16.0f); }
  int R(int w) const { return Cap(ToFixed(static_cast<float>(w) * s * 8.0f)); }
  // The radius of an averaged point from the sum of five pen widths.
  int AvgR(int sum_w) const { return Cap(ToFixed(static_cast<float>((sum_w * 8 + 2) / 5) * s)); }
  int Cap(int r) const { return std::min(r, max_r); }
};

void CPenNote::Draw(unsigned char* pixels, int xoff, int yoff, int width, int height, int scale) {
  dbg::Str("PenNote::Draw");
  if (pixels == nullptr || width <= 0 || height <= 0) return;

  Mapping map;
  float fit = 1.0f;
  if (m_rcArea.left < m_rcArea.right && m_rcArea.top < m_rcArea.bottom) {
    const float fx = static_cast<float>(width) / static_cast<float>(m_rcArea.right - m_rcArea.left);
    const float fy = static_cast<float>(height) / static_cast<float>(m_rcArea.bottom - m_rcArea.top);
    fit = std::min(fx, fy);
    map.origin_x = m_rcArea.left;
    map.origin_y = m_rcArea.top;
    map.offset_x = xoff;
    map.offset_y = yoff;
  } else if (scale == 100) {
    map.origin_x = m_rcArea.left;
    map.origin_y = m_rcArea.top;
    map.offset_x = xoff;
    map.offset_y = yoff;
  } else if (xoff == 0 && yoff == 0) {
    map.origin_x = map.offset_x = m_rcBounds.left;
    map.origin_y = map.offset_y = m_rcBounds.top;
  } else {
    map.origin_x = map.offset_x = xoff;
    map.origin_y = map.offset_y = yoff;
  }
  map.s = static_cast<float>(scale) * fit / 100.0f;
  const int64_t canvas_r = 16 * static_cast<int64_t>(std::max(width, height));
  map.max_r = static_cast<int>(std::min<int64_t>(INT32_MAX, canvas_r));

  POSITION pos = m_lstStrokes.GetHeadPosition();
  while (pos != nullptr) {
    const MARGEL_STROKE* stroke = m_lstStrokes.GetNext(pos);
    if (!stroke->hidden && stroke->points.GetCount() > 0) {
      DrawStroke(pixels, width, height, *stroke, map);
    }
  }
}

void CPenNote::DrawStroke(unsigned char* pixels, int width, int height,
                          const MARGEL_STROKE& stroke, const Mapping& map) {
  const uint8_t red = stroke.color & 0xFF;
  const uint8_t green = (stroke.color >> 8) & 0xFF;
  const uint8_t blue = (stroke.color >> 16) & 0xFF;
  const CList<STROKE_NOTE>& points = stroke.points;
  const int count = points.GetCount();
  POSITION pos = points.GetHeadPosition();
  const STROKE_NOTE first = points.GetNext(pos);
  const int fx = map.X(first.x), fy = map.Y(first.y), fr = map.R(first.width);

  if (count == 1) {
    DrawCircle2(pixels, width, height, fx, fy, fr, red, green, blue);
    return;
  }

  POSITION tail = points.GetTailPosition();
  const STROKE_NOTE last = points.GetAt(tail);
  const int lx = map.X(last.x), ly = map.Y(last.y), lr = map.R(last.width);

  if (count < 5) {
    // Short strokes: a straight line from the first to the last point.
    if (fx != lx || fy != ly) {
      DrawLine(pixels, width, height, red, green, blue, fx, fy, fr, lx, ly, lr);
      DrawCircle2(pixels, width, height, lx, ly, lr, red, green, blue);
    } else {
      DrawCircle2(pixels, width, height, fx, fy, std::max(fr, lr), red, green, blue);
    }
    return;
  }

  // Longer strokes follow the running average of five points.
  STROKE_NOTE window[5];
  window[0] = first;
  int filled = 1;
  int cur_x = fx, cur_y = fy, cur_r = fr;
  while (pos != nullptr) {
    const STROKE_NOTE& n = points.GetNext(pos);
    window[filled % 5] = n;
    ++filled;
    if (filled < 5) continue;
    int sum_x = 0, sum_y = 0, sum_w = 0;
    for (const STROKE_NOTE& w : window) {
      sum_x += w.x;
      sum_y += w.y;
      sum_w += w.width;
    }
    const int ax = map.X((sum_x + 2) / 5);
    const int ay = map.Y((sum_y + 2) / 5);
    const int ar = map.AvgR(sum_w);
    if (std::abs(ax - cur_x) > 1 || std::abs(ay - cur_y) > 1) {
      DrawLine(pixels, width, height, red, green, blue, cur_x, cur_y, cur_r, ax, ay, ar);
      cur_x = ax;
      cur_y = ay;
    } else if (ar != cur_r) {
      DrawCircle2(pixels, width, height, ax, ay, ar, red, green, blue);
    }
    cur_r = ar;
  }

  if (lx != cur_x || ly != cur_y) {
    DrawLine(pixels, width, height, red, green, blue, cur_x, cur_y, cur_r, lx, ly, lr);
    DrawCircle2(pixels, width, height, lx, ly, lr, red, green, blue);
  } else {
    DrawCircle2(pixels, width, height, cur_x, cur_y, std::max(lr, cur_r), red, green, blue);
  }
}

void CPenNote::DrawLine(unsigned char* pixels, int width, int height, uint8_t red, uint8_t green,
                        uint8_t blue, int x0, int y0, int r0, int x1, int y1, int r1) {
  const int64_t dx = std::llabs(static_cast<int64_t>(x1) - x0);
  const int64_t dy = std::llabs(static_cast<int64_t>(y1) - y0);
  if (dx <= 15 && dy <= 15) {
    DrawCircle2(pixels, width, height, x1, y1, r1, red, green, blue);
    return;
  }
  const int64_t a = std::max(std::min(r0, r1), 12);
  const int64_t step = a / 3 < 16 ? 16 : (a / 48) * 16;
  const bool along_y = dy > dx;
  const int64_t major = along_y ? dy : dx;
  if (a >= 3 * major) {
    // Shorter than three times the smaller radius: the end disc covers it.
    DrawCircle2(pixels, width, height, x1, y1, r1, red, green, blue);
    return;
  }

  // Stamps k = 0, 1, ... at step * k along the major axis, stopping before
  // the end point. The minor coordinate and the radius are kept in 1/256
  // pixel and advance by a fixed increment per stamp.
  const int64_t start_major = along_y ? y0 : x0;
  const int64_t start_minor = along_y ? x0 : y0;
  const int64_t minor_delta = along_y ? static_cast<int64_t>(x1) - x0 : static_cast<int64_t>(y1) - y0;
  const int64_t dir = (along_y ? y1 >= y0 : x1 >= x0) ? 1 : -1;
  const int64_t minor_inc = minor_delta * 16 * step / major;
  const int64_t radius_inc = (static_cast<int64_t>(r1) - r0) * 16 * step / major;
  const int64_t stamps = (major + step - 1) / step;  // those with step * k < major

  // Stamps whose disc cannot reach the canvas along the major axis are
  // skipped; their positions follow from k, so nothing else changes.
  const int64_t reach = std::max<int64_t>(std::max(r0, r1), 10) + 8 + 16;
  const int64_t extent = static_cast<int64_t>(along_y ? height : width) * 16;
  // The band [-reach, extent + reach] of the major coordinate holds every
  // disc that can touch the canvas (rows are flipped, the band is not).
  const int64_t to_band = dir > 0 ? -reach - start_major : start_major - (extent + reach);
  const int64_t to_end = dir > 0 ? extent + reach - start_major : start_major + reach;
  const int64_t k_lo = to_band <= 0 ? 0 : (to_band + step - 1) / step;
  const int64_t k_hi = std::min<int64_t>(stamps - 1, to_end < 0 ? -1 : to_end / step);

  for (int64_t k = k_lo; k <= k_hi; ++k) {
    const int64_t m = start_major + dir * step * k;
    const int64_t n = (start_minor * 16 + minor_inc * k) >> 4;
    const int64_t r = (static_cast<int64_t>(r0) * 16 + radius_inc * k) >> 4;
    const int px = static_cast<int>(along_y ? n : m);
    const int py = static_cast<int>(along_y ? m : n);
    DrawCircle2(pixels, width, height, px, py, static_cast<int>(r), red, green, blue);
  }
}

void CPenNote::DrawCircle2(unsigned char* pixels, int width, int height, int x, int y, int radius,
                           uint8_t red, uint8_t green, uint8_t blue) {
  if (pixels == nullptr || width <= 0 || height <= 0) return;
  int64_t outer, inner_sq;
  int64_t r = radius;
  if (r > 9) {
    outer = r + 8;
    const int64_t inner = r - 8;
    inner_sq = inner > 7 ? inner * inner : 64;
  } else {
    outer = 18;
    inner_sq = 64;
    r = 10;
  }
  const int64_t outer_sq = outer * outer;
  const int64_t cx = x;
  const int64_t cy = static_cast<int64_t>(height - 1) * 16 - y;  // bottom-up rows
  const int64_t c_lo = std::max<int64_t>(0, (cx - outer) >> 4);
  const int64_t c_hi = std::min<int64_t>(width - 1, (cx + outer) >> 4);
  const int64_t r_lo = std::max<int64_t>(0, (cy - outer) >> 4);
  const int64_t r_hi = std::min<int64_t>(height - 1, (cy + outer) >> 4);
  if (c_lo > c_hi || r_lo > r_hi) return;

  const size_t stride = Stride(width);
  const int64_t two_r = 2 * r;
  const uint8_t color[3] = {blue, green, red};
  // Squared horizontal distances of the columns, computed once per chunk of
  // columns (a chunk covers every column of any ordinary disc).
  constexpr int64_t kChunk = 64;
  int64_t col_sq[kChunk];
  for (int64_t c0 = c_lo; c0 <= c_hi; c0 += kChunk) {
    const int64_t c1 = std::min(c_hi, c0 + kChunk - 1);
    for (int64_t c = c0; c <= c1; ++c) col_sq[c - c0] = (16 * c - cx) * (16 * c - cx);
    for (int64_t row = r_lo; row <= r_hi; ++row) {
      const int64_t ry = 16 * row - cy;
      const int64_t row_sq = ry * ry;
      if (row_sq > outer_sq) continue;
      unsigned char* line = pixels + static_cast<size_t>(row) * stride;
      for (int64_t c = c0; c <= c1; ++c) {
        const int64_t d = col_sq[c - c0] + row_sq;
        unsigned char* px = line + static_cast<size_t>(c) * 3;
        if (d < inner_sq) {
          for (int i = 0; i < 3; ++i) px[i] = static_cast<unsigned char>((2 * color[i] + px[i] + 2) / 3);
        } else if (d <= outer_sq) {
          const int64_t a = ((inner_sq - d) / two_r + 18) / 3;
          if (a > 0) {
            for (int i = 0; i < 3; ++i) {
              px[i] = static_cast<unsigned char>((color[i] * a + px[i] * (16 - a)) >> 4);
            }
          }
        }
      }
    }
  }
}

}  // namespace oesqx
