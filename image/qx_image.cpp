// QxImage core: geometry, storage, copies and palette access.
#include "image/qx_image.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace oesqx {
namespace image {
namespace {
constexpr size_t kDefaultMaxPixelBytes = size_t{1} << 30;
size_t g_max_pixel_bytes = kDefaultMaxPixelBytes;
}  // namespace

size_t MaxPixelBytes() { return g_max_pixel_bytes; }
void SetMaxPixelBytes(size_t bytes) { g_max_pixel_bytes = bytes == 0 ? kDefaultMaxPixelBytes : bytes; }

}  // namespace image

namespace {
bool IsSupportedBpp(uint32_t bpp) {
  return bpp == 1 || bpp == 2 || bpp == 4 || bpp == 8 || bpp == 24 || bpp == 32;
}
}  // namespace

QxImage::QxImage(uint32_t type) : type_(type) {}

QxImage::QxImage(uint32_t width, uint32_t height, uint32_t bpp, uint32_t type) : type_(type) {
  if (!Create(width, height, bpp, type)) return;
  // A grey ramp gives new palette pictures visible, ordered colours.
  const uint32_t n = GetNumColors();
  for (uint32_t i = 0; i < n; ++i) {
    const uint8_t v = static_cast<uint8_t>(n > 1 ? i * 255 / (n - 1) : 0);
    palette_[i] = RGBQUAD{v, v, v, 0};
  }
}

QxImage::QxImage(const QxImage& src, bool copyPixels, bool /*copySelection*/, bool copyAlpha)
    : QxImage(src) {
  if (!copyPixels) std::fill(pixels_.begin(), pixels_.end(), 0);
  if (!copyAlpha) alpha_ = false;
}

QxImage::QxImage(const QxImage& src) = default;
QxImage& QxImage::operator=(const QxImage& src) = default;
QxImage::QxImage(QxImage&& src) noexcept = default;
QxImage& QxImage::operator=(QxImage&& src) noexcept = default;
QxImage::~QxImage() = default;

bool QxImage::Create(uint32_t width, uint32_t height, uint32_t bpp, uint32_t type, bool zeroPixels) {
  Destroy();
  type_ = type;
  if (!IsSupportedBpp(bpp)) return Fail("unsupported bit depth");
  if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu)
    return Fail("bad picture size");
  const uint32_t stride = image::DibStride(width, bpp);
  if (stride == 0 || uint64_t{stride} * height > image::MaxPixelBytes())
    return Fail("picture too large");
  try {
    if (zeroPixels) {
      pixels_.assign(size_t{stride} * height, 0);
    } else {
      pixels_.resize(size_t{stride} * height);
      const size_t used = (size_t{width} * bpp + 7) / 8;
      if (used < stride)
        for (uint32_t y = 0; y < height; ++y) std::memset(pixels_.data() + size_t{y} * stride + used, 0, stride - used);
    }
  } catch (const std::bad_alloc&) {
    pixels_.clear();
    return Fail("out of memory");
  }
  palette_.assign(bpp <= 8 ? (size_t{1} << bpp) : 0, RGBQUAD{0, 0, 0, 0});
  width_ = width;
  height_ = height;
  bpp_ = bpp;
  stride_ = stride;
  last_error_.clear();
  return true;
}

void QxImage::Destroy() {
  width_ = height_ = bpp_ = stride_ = 0;
  xdpi_ = ydpi_ = 96;
  clr_important_ = 0;
  trans_index_ = -1;
  disposal_ = 0;
  alpha_ = false;
  palette_.clear();
  pixels_.clear();
  palette_.shrink_to_fit();
  pixels_.shrink_to_fit();
}

bool QxImage::Fail(const std::string& text) {
  last_error_ = text;
  return false;
}

uint8_t* QxImage::GetBits(uint32_t row) {
  if (width_ == 0 || row >= height_) return nullptr;
  return pixels_.data() + size_t{row} * stride_;
}

const uint8_t* QxImage::GetBits(uint32_t row) const {
  if (width_ == 0 || row >= height_) return nullptr;
  return pixels_.data() + size_t{row} * stride_;
}

RGBQUAD QxImage::GetPaletteColor(uint32_t index) const {
  if (index >= palette_.size()) return RGBQUAD{0, 0, 0, 0};
  return palette_[index];
}

bool QxImage::SetPaletteColor(uint32_t index, uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) {
  if (index >= palette_.size()) return false;
  palette_[index] = RGBQUAD{blue, green, red, alpha};
  return true;
}

}  // namespace oesqx
