// QxImage::Resample: nearest-pixel resizing (mode 1).
#include <cstring>

#include "image/pixel_ops.h"
#include "image/qx_image.h"

namespace oesqx {

bool QxImage::Resample(long newWidth, long newHeight, int mode, QxImage* destination) {
  if (!IsValid()) return Fail("Resample: no picture");
  if (newWidth <= 0 || newHeight <= 0 || newWidth > 0x7FFFFFFF || newHeight > 0x7FFFFFFF)
    return Fail("Resample: bad size");
  if (mode != 1) return Fail("Resample: unsupported mode");
  if (static_cast<uint32_t>(newWidth) == width_ && static_cast<uint32_t>(newHeight) == height_) {
    if (destination != nullptr && destination != this) *destination = *this;
    return true;
  }
  const uint32_t nw = static_cast<uint32_t>(newWidth), nh = static_cast<uint32_t>(newHeight);
  QxImage out;
  if (!out.Create(nw, nh, bpp_, type_)) return Fail("Resample: " + std::string(out.GetLastError()));
  out.palette_ = palette_;
  out.xdpi_ = xdpi_;
  out.ydpi_ = ydpi_;
  out.clr_important_ = clr_important_;
  out.trans_index_ = trans_index_;
  out.disposal_ = disposal_;
  out.alpha_ = alpha_;
  // Single-precision scales, truncated source coordinates.
  const float x_scale = static_cast<float>(width_) / static_cast<float>(nw);
  const float y_scale = static_cast<float>(height_) / static_cast<float>(nh);
  std::vector<uint32_t> src_x(nw);
  for (uint32_t x = 0; x < nw; ++x) {
    const uint32_t sx = static_cast<uint32_t>(static_cast<float>(x) * x_scale);
    src_x[x] = sx < width_ ? sx : width_ - 1;
  }
  const uint32_t step = bpp_ / 8;
  for (uint32_t y = 0; y < nh; ++y) {
    uint32_t sy = static_cast<uint32_t>(static_cast<float>(y) * y_scale);
    if (sy >= height_) sy = height_ - 1;
    const uint8_t* in = GetBits(sy);
    uint8_t* o = out.GetBits(y);
    if (bpp_ >= 8) {
      for (uint32_t x = 0; x < nw; ++x) std::memcpy(o + size_t{x} * step, in + size_t{src_x[x]} * step, step);
    } else {
      for (uint32_t x = 0; x < nw; ++x) image::SetIndex(o, x, bpp_, image::GetIndex(in, src_x[x], bpp_));
    }
  }
  if (destination != nullptr && destination != this) {
    *destination = std::move(out);
  } else {
    *this = std::move(out);
  }
  return true;
}

}  // namespace oesqx
