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

// For each cell of the colour cube (32 levels per channel), the palette
// entries that can be nearest to some colour in the cell, in index order:
// every entry whose least distance to the cell is within the smallest
// greatest distance of any entry. Searching only these gives exactly the
// answer (and the tie-breaking) of a search over the whole palette.
struct CandidateGrid {
  static constexpr uint32_t kLevels = 32;
  static constexpr uint32_t kShift = 3;  // 256 / kLevels == 1 << kShift
  uint32_t start[kLevels * kLevels * kLevels + 1];
  std::vector<uint8_t> entries;
  CandidateGrid(const RGBQUAD* palette, uint32_t count);
};

// Finds the palette entry nearest to a colour: least dr^2 + dg^2 + db^2,
// the lowest index winning ties. Results are cached by exact colour, so a
// repeated colour costs one probe; a new one is searched among its cell's
// candidates, which always gives the answer of the full search.
class NearestColor {
 public:
  // `count` entries of `palette` are searched (1 to 256); the cache is
  // sized for about `pixels` lookups.
  NearestColor(const RGBQUAD* palette, uint32_t count, uint64_t pixels = uint64_t{1} << 20);
  ~NearestColor();
  NearestColor(const NearestColor&) = delete;
  NearestColor& operator=(const NearestColor&) = delete;

  uint8_t Find(uint8_t r, uint8_t g, uint8_t b) { return static_cast<uint8_t>(FindEntry(r, g, b)); }

  // The nearest entry with its colour: index | red << 8 | green << 16 |
  // blue << 24, so that a caller needs no second look at the palette.
  uint32_t FindEntry(uint32_t r, uint32_t g, uint32_t b) {
    const uint32_t key = r << 16 | g << 8 | b;
    const uint32_t slot = (key * 2654435761u) >> cache_shift_;
    if (keys_[slot] == key) return values_[slot];
    const uint32_t index = Search(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b));
    const uint32_t entry = index | static_cast<uint32_t>(red_[index]) << 8 |
                           static_cast<uint32_t>(green_[index]) << 16 | static_cast<uint32_t>(blue_[index]) << 24;
    keys_[slot] = key;
    values_[slot] = entry;
    return entry;
  }

  // The search without the cache.
  uint8_t Search(uint8_t r, uint8_t g, uint8_t b) const;
  // The same over every entry (slow; for checking).
  uint8_t SearchAll(uint8_t r, uint8_t g, uint8_t b) const;

 private:
  uint32_t cache_shift_;  // 32 - log2(cache slots)
  uint32_t count_;
  int32_t red_[256];
  int32_t green_[256];
  int32_t blue_[256];
  const CandidateGrid* grid_;
  CandidateGrid* own_grid_ = nullptr;  // for palettes other than the standard one
  std::vector<uint32_t> keys_;  // 0xFFFFFFFF: empty slot (keys are 24-bit)
  std::vector<uint32_t> values_;  // entries as FindEntry returns them
};

}  // namespace oesqx::image

#endif
