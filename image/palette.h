// Fixed palettes and the nearest-colour search used by depth reduction.
#ifndef OESQX_IMAGE_PALETTE_H
#define OESQX_IMAGE_PALETTE_H

#include <cstdint>
#include <vector>

#include "image/dib.h"

namespace oesqx::image {

// The standard 256-colour palette (entry 0 black, 255 pure white), used
// whenever a reduction to 8 bits gets no palette of its own.
const RGBQUAD* StandardPalette();
// Black and white, for reductions to 1 bit.
const RGBQUAD* BlackWhitePalette();
// The 16 basic colours, for reductions to 4 bits.
const RGBQUAD* BasicPalette16();

// Finds the palette entry nearest to a colour: least dr^2 + dg^2 + db^2,
// the lowest index winning ties. Results are cached by exact colour, so a
// repeated colour costs one probe and the answer is always that of the
// full search.
class NearestColor {
 public:
  // `count` entries of `palette` are searched (1 to 256).
  NearestColor(const RGBQUAD* palette, uint32_t count);

  uint8_t Find(uint8_t r, uint8_t g, uint8_t b) {
    const uint32_t key = uint32_t{r} << 16 | uint32_t{g} << 8 | b;
    const uint32_t slot = (key * 2654435761u) >> (32 - kCacheBits);
    if (keys_[slot] == key) return values_[slot];
    const uint8_t index = Search(r, g, b);
    keys_[slot] = key;
    values_[slot] = index;
    return index;
  }

  // The search itself, without the cache.
  uint8_t Search(uint8_t r, uint8_t g, uint8_t b) const;

 private:
  static constexpr uint32_t kCacheBits = 16;
  uint32_t count_;
  int32_t red_[256];
  int32_t green_[256];
  int32_t blue_[256];
  std::vector<uint32_t> keys_;  // 0xFFFFFFFF: empty slot (keys are 24-bit)
  std::vector<uint8_t> values_;
};

}  // namespace oesqx::image

#endif
