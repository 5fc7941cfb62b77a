// The fixed palettes and the nearest-colour search.
#include "image/palette.h"

#include <array>
#include <climits>
#include <cstring>

namespace oesqx::image {
namespace {

struct Rgb {
  uint8_t r, g, b;
};

// Entries 10-225 are 18 ramps of 12 colours, one per hue in 20-degree steps
// starting at orange (40 degrees): seven tints from pale towards the hue,
// the full hue, then four darker shades. The orange ramp keeps its
// traditional end points.
constexpr Rgb kStandard[256] = {
    // 0-9: the basic colours
    {0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0}, {0, 0, 128},
    {128, 0, 128}, {0, 128, 128}, {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
    // 10-21: ramp of hue 40 degrees
    {255, 240, 212}, {255, 228, 183}, {255, 217, 154}, {255, 205, 124}, {255, 193, 95}, {255, 182, 66},
    {255, 170, 37}, {255, 170, 0}, {220, 146, 0}, {173, 114, 0}, {127, 82, 0}, {80, 50, 0},
    // 22-33: ramp of hue 60 degrees
    {255, 255, 212}, {255, 255, 183}, {255, 255, 154}, {255, 255, 124}, {255, 255, 95}, {255, 255, 66},
    {255, 255, 37}, {255, 255, 0}, {220, 220, 0}, {173, 173, 0}, {127, 127, 0}, {80, 80, 0},
    // 34-45: ramp of hue 80 degrees
    {240, 255, 212}, {230, 255, 183}, {221, 255, 154}, {211, 255, 124}, {201, 255, 95}, {192, 255, 66},
    {182, 255, 37}, {170, 255, 0}, {146, 220, 0}, {115, 173, 0}, {84, 127, 0}, {53, 80, 0},
    // 46-57: ramp of hue 100 degrees
    {226, 255, 212}, {206, 255, 183}, {187, 255, 154}, {168, 255, 124}, {148, 255, 95}, {128, 255, 66},
    {109, 255, 37}, {85, 255, 0}, {73, 220, 0}, {57, 173, 0}, {42, 127, 0}, {26, 80, 0},
    // 58-69: ramp of hue 120 degrees
    {212, 255, 212}, {183, 255, 183}, {154, 255, 154}, {124, 255, 124}, {95, 255, 95}, {66, 255, 66},
    {37, 255, 37}, {0, 255, 0}, {0, 220, 0}, {0, 173, 0}, {0, 127, 0}, {0, 80, 0},
    // 70-81: ramp of hue 140 degrees
    {212, 255, 226}, {183, 255, 206}, {154, 255, 187}, {124, 255, 168}, {95, 255, 148}, {66, 255, 128},
    {37, 255, 109}, {0, 255, 85}, {0, 220, 73}, {0, 173, 57}, {0, 127, 42}, {0, 80, 26},
    // 82-93: ramp of hue 160 degrees
    {212, 255, 240}, {183, 255, 230}, {154, 255, 221}, {124, 255, 211}, {95, 255, 201}, {66, 255, 192},
    {37, 255, 182}, {0, 255, 170}, {0, 220, 146}, {0, 173, 115}, {0, 127, 84}, {0, 80, 53},
    // 94-105: ramp of hue 180 degrees
    {212, 255, 255}, {183, 255, 255}, {154, 255, 255}, {124, 255, 255}, {95, 255, 255}, {66, 255, 255},
    {37, 255, 255}, {0, 255, 255}, {0, 220, 220}, {0, 173, 173}, {0, 127, 127}, {0, 80, 80},
    // 106-117: ramp of hue 200 degrees
    {212, 240, 255}, {183, 230, 255}, {154, 221, 255}, {124, 211, 255}, {95, 201, 255}, {66, 192, 255},
    {37, 182, 255}, {0, 170, 255}, {0, 146, 220}, {0, 115, 173}, {0, 84, 127}, {0, 53, 80},
    // 118-129: ramp of hue 220 degrees
    {212, 226, 255}, {183, 206, 255}, {154, 187, 255}, {124, 168, 255}, {95, 148, 255}, {66, 128, 255},
    {37, 109, 255}, {0, 85, 255}, {0, 73, 220}, {0, 57, 173}, {0, 42, 127}, {0, 26, 80},
    // 130-141: ramp of hue 240 degrees
    {212, 212, 255}, {183, 183, 255}, {154, 154, 255}, {124, 124, 255}, {95, 95, 255}, {66, 66, 255},
    {37, 37, 255}, {0, 0, 255}, {0, 0, 220}, {0, 0, 173}, {0, 0, 127}, {0, 0, 80},
    // 142-153: ramp of hue 260 degrees
    {226, 212, 255}, {206, 183, 255}, {187, 154, 255}, {168, 124, 255}, {148, 95, 255}, {128, 66, 255},
    {109, 37, 255}, {85, 0, 255}, {73, 0, 220}, {57, 0, 173}, {42, 0, 127}, {26, 0, 80},
    // 154-165: ramp of hue 280 degrees
    {240, 212, 255}, {230, 183, 255}, {221, 154, 255}, {211, 124, 255}, {201, 95, 255}, {192, 66, 255},
    {182, 37, 255}, {170, 0, 255}, {146, 0, 220}, {115, 0, 173}, {84, 0, 127}, {53, 0, 80},
    // 166-177: ramp of hue 300 degrees
    {255, 212, 255}, {255, 183, 255}, {255, 154, 255}, {255, 124, 255}, {255, 95, 255}, {255, 66, 255},
    {255, 37, 255}, {255, 0, 255}, {220, 0, 220}, {173, 0, 173}, {127, 0, 127}, {80, 0, 80},
    // 178-189: ramp of hue 320 degrees
    {255, 212, 240}, {255, 183, 230}, {255, 154, 221}, {255, 124, 211}, {255, 95, 201}, {255, 66, 192},
    {255, 37, 182}, {255, 0, 170}, {220, 0, 146}, {173, 0, 115}, {127, 0, 84}, {80, 0, 53},
    // 190-201: ramp of hue 340 degrees
    {255, 212, 226}, {255, 183, 206}, {255, 154, 187}, {255, 124, 168}, {255, 95, 148}, {255, 66, 128},
    {255, 37, 109}, {255, 0, 85}, {220, 0, 73}, {173, 0, 57}, {127, 0, 42}, {80, 0, 26},
    // 202-213: ramp of hue 0 degrees
    {255, 212, 212}, {255, 183, 183}, {255, 154, 154}, {255, 124, 124}, {255, 95, 95}, {255, 66, 66},
    {255, 37, 37}, {255, 0, 0}, {220, 0, 0}, {173, 0, 0}, {127, 0, 0}, {80, 0, 0},
    // 214-225: ramp of hue 20 degrees
    {255, 226, 212}, {255, 206, 183}, {255, 187, 154}, {255, 168, 124}, {255, 148, 95}, {255, 128, 66},
    {255, 109, 37}, {255, 85, 0}, {220, 73, 0}, {173, 57, 0}, {127, 42, 0}, {80, 26, 0},
    // 226-245: grey levels
    {242, 242, 242}, {230, 230, 230}, {218, 218, 218}, {206, 206, 206}, {194, 194, 194},
    {182, 182, 182}, {170, 170, 170}, {158, 158, 158}, {146, 146, 146}, {134, 134, 134},
    {122, 122, 122}, {110, 110, 110}, {98, 98, 98}, {86, 86, 86}, {74, 74, 74},
    {62, 62, 62}, {50, 50, 50}, {38, 38, 38}, {26, 26, 26}, {14, 14, 14},
    // 246-255: the fixed high entries, white last
    {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},
    {255, 255, 0}, {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255},

};

constexpr Rgb kBasic16[16] = {
    {0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
};

template <size_t N>
std::array<RGBQUAD, N> ToQuads(const Rgb (&rgb)[N]) {
  std::array<RGBQUAD, N> out{};
  for (size_t i = 0; i < N; ++i) out[i] = RGBQUAD{rgb[i].b, rgb[i].g, rgb[i].r, 0};
  return out;
}

}  // namespace

const RGBQUAD* StandardPalette() {
  static const std::array<RGBQUAD, 256> quads = ToQuads(kStandard);
  return quads.data();
}

const RGBQUAD* BlackWhitePalette() {
  static const RGBQUAD quads[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  return quads;
}

const RGBQUAD* BasicPalette16() {
  static const std::array<RGBQUAD, 16> quads = ToQuads(kBasic16);
  return quads.data();
}

namespace {

// Least and greatest squared distance from channel value v to the range
// lo..hi of a cell.
inline void NearFar(int v, int lo, int hi, int32_t* least, int32_t* most) {
  const int d_least = v < lo ? lo - v : (v > hi ? v - hi : 0);
  const int d_most = v - lo > hi - v ? v - lo : hi - v;
  *least = d_least * d_least;
  *most = d_most * d_most;
}

// Appends to `out` the entries of `from` that can be nearest inside the cell
// with corner (r, g, b) and edge `size`.
void CellCandidates(const RGBQUAD* palette, const uint8_t* from, size_t n, int r, int g, int b, int size,
                    std::vector<uint8_t>* out) {
  int32_t least[256], bound = INT32_MAX;
  for (size_t k = 0; k < n; ++k) {
    const RGBQUAD& c = palette[from[k]];
    int32_t lr, mr, lg, mg, lb, mb;
    NearFar(c.rgbRed, r, r + size - 1, &lr, &mr);
    NearFar(c.rgbGreen, g, g + size - 1, &lg, &mg);
    NearFar(c.rgbBlue, b, b + size - 1, &lb, &mb);
    least[k] = lr + lg + lb;
    if (mr + mg + mb < bound) bound = mr + mg + mb;
  }
  for (size_t k = 0; k < n; ++k)
    if (least[k] <= bound) out->push_back(from[k]);
}

}  // namespace

CandidateGrid::CandidateGrid(const RGBQUAD* palette, uint32_t count) {
  // First for cells twice as large, from the whole palette; each cell's
  // list then comes from its parent's. A child's true candidates are all
  // in its parent's list, and the bound taken over that list can only be
  // looser, so the lists may hold a few extra entries but never lack one.
  constexpr uint32_t kParentLevels = kLevels / 2;
  constexpr int kSize = 256 / kLevels;
  std::vector<uint8_t> all(count);
  for (uint32_t i = 0; i < count; ++i) all[i] = static_cast<uint8_t>(i);
  std::vector<uint32_t> parent_start(kParentLevels * kParentLevels * kParentLevels + 1);
  std::vector<uint8_t> parent_entries;
  uint32_t n = 0;
  for (uint32_t pr = 0; pr < kParentLevels; ++pr)
    for (uint32_t pg = 0; pg < kParentLevels; ++pg)
      for (uint32_t pb = 0; pb < kParentLevels; ++pb) {
        parent_start[n++] = static_cast<uint32_t>(parent_entries.size());
        CellCandidates(palette, all.data(), all.size(), int(pr) * 2 * kSize, int(pg) * 2 * kSize, int(pb) * 2 * kSize,
                       2 * kSize, &parent_entries);
      }
  parent_start[n] = static_cast<uint32_t>(parent_entries.size());
  n = 0;
  entries.reserve(kLevels * kLevels * kLevels * 4);
  for (uint32_t cr = 0; cr < kLevels; ++cr)
    for (uint32_t cg = 0; cg < kLevels; ++cg)
      for (uint32_t cb = 0; cb < kLevels; ++cb) {
        start[n++] = static_cast<uint32_t>(entries.size());
        const uint32_t parent = ((cr / 2) * kParentLevels + cg / 2) * kParentLevels + cb / 2;
        CellCandidates(palette, parent_entries.data() + parent_start[parent],
                       parent_start[parent + 1] - parent_start[parent], int(cr) * kSize, int(cg) * kSize,
                       int(cb) * kSize, kSize, &entries);
      }
  start[n] = static_cast<uint32_t>(entries.size());
}

namespace {
// Cache slots: about a quarter of the pixels, 2^10 to 2^16.
uint32_t CacheBits(uint64_t pixels) {
  uint32_t bits = 10;
  while (bits < 16 && (uint64_t{1} << (bits + 2)) < pixels) ++bits;
  return bits;
}
}  // namespace

NearestColor::NearestColor(const RGBQUAD* palette, uint32_t count, uint64_t pixels)
    : cache_shift_(32 - CacheBits(pixels)),
      count_(count < 1 ? 1 : (count > 256 ? 256 : count)),
      keys_(size_t{1} << (32 - cache_shift_), 0xFFFFFFFFu),
      values_(size_t{1} << (32 - cache_shift_), 0) {
  static const RGBQUAD kBlack = {0, 0, 0, 0};
  if (palette == nullptr) {
    palette = &kBlack;
    count_ = 1;
  }
  for (uint32_t i = 0; i < 256; ++i) {
    const bool used = i < count_;
    red_[i] = used ? palette[i].rgbRed : 0;
    green_[i] = used ? palette[i].rgbGreen : 0;
    blue_[i] = used ? palette[i].rgbBlue : 0;
  }
  // The standard palette's grid is built once per process.
  const bool standard = count_ == 256 && std::memcmp(palette, StandardPalette(), 256 * sizeof(RGBQUAD)) == 0;
  if (standard) {
    static const CandidateGrid kStandardGrid(StandardPalette(), 256);
    grid_ = &kStandardGrid;
  } else {
    own_grid_ = new CandidateGrid(palette, count_);
    grid_ = own_grid_;
  }
}

NearestColor::~NearestColor() { delete own_grid_; }

uint8_t NearestColor::Search(uint8_t r, uint8_t g, uint8_t b) const {
  constexpr uint32_t kShift = CandidateGrid::kShift, kLevels = CandidateGrid::kLevels;
  const uint32_t cell = ((uint32_t{r} >> kShift) * kLevels + (uint32_t{g} >> kShift)) * kLevels + (b >> kShift);
  const uint8_t* it = grid_->entries.data() + grid_->start[cell];
  const uint8_t* end = grid_->entries.data() + grid_->start[cell + 1];
  int32_t best = INT32_MAX;
  uint8_t best_index = 0;
  for (; it != end; ++it) {
    const uint32_t i = *it;
    const int32_t dr = red_[i] - r, dg = green_[i] - g, db = blue_[i] - b;
    const int32_t d = dr * dr + dg * dg + db * db;
    if (d < best) {
      best = d;
      best_index = static_cast<uint8_t>(i);
      if (d == 0) break;  // an exact match is the first zero
    }
  }
  return best_index;
}

uint8_t NearestColor::SearchAll(uint8_t r, uint8_t g, uint8_t b) const {
  int32_t best = INT32_MAX;
  uint8_t best_index = 0;
  for (uint32_t i = 0; i < count_; ++i) {
    const int32_t dr = red_[i] - r, dg = green_[i] - g, db = blue_[i] - b;
    const int32_t d = dr * dr + dg * dg + db * db;
    if (d < best) {
      best = d;
      best_index = static_cast<uint8_t>(i);
    }
  }
  return best_index;
}

}  // namespace oesqx::image
