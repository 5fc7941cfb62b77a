// Depth changes, the standard palette, error diffusion and resampling.
#include <gtest/gtest.h>

#include <random>

#include "image/palette.h"
#include "image_peer.h"

namespace oesqx::test {
namespace {

std::string Rgb(const RGBQUAD& q) { return Hex(Bytes{q.rgbRed, q.rgbGreen, q.rgbBlue}); }

TEST(ImageDepth, StandardPaletteFixedEntries) {
  const std::pair<int, const char*> cases[] = {
      {0, "000000"},   {1, "800000"},   {7, "C0C0C0"},   {8, "C0DCC0"},   {9, "A6CAF0"},
      {10, "FFF0D4"},  {16, "FFAA25"},  {17, "FFAA00"},  {18, "DC9200"},  {21, "503200"},
      {226, "F2F2F2"}, {245, "0E0E0E"}, {246, "FFFBF0"}, {247, "A0A0A4"}, {248, "808080"},
      {249, "FF0000"}, {250, "00FF00"}, {251, "FFFF00"}, {252, "0000FF"}, {253, "FF00FF"},
      {254, "00FFFF"}, {255, "FFFFFF"},
  };
  const RGBQUAD* pal = image::StandardPalette();
  for (const auto& [index, rgb] : cases) EXPECT_EQ(Rgb(pal[index]), rgb) << index;
  // Grey levels 242 down to 14 in steps of 12; white and black only at the ends.
  for (int i = 0; i < 20; ++i) EXPECT_EQ(pal[226 + i].rgbRed, 242 - 12 * i);
  for (int i = 1; i < 255; ++i) {
    EXPECT_NE(Rgb(pal[i]), "FFFFFF") << i;
    EXPECT_NE(Rgb(pal[i]), "000000") << i;
  }
}

// One pixel through DecreaseBpp(8, true): its index.
uint8_t MapOne(uint8_t r, uint8_t g, uint8_t b) {
  Dib24 dib(1, 1, r, g, b);
  QxImage pic;
  EXPECT_TRUE(dib.Build(&pic));
  EXPECT_TRUE(pic.DecreaseBpp(8, true, nullptr, 0));
  return pic.GetBits(0)[0];
}

TEST(ImageDepth, NearestStandardEntry) {
  const struct {
    uint8_t r, g, b;
    int index;
  } cases[] = {
      {254, 254, 254, 255}, {255, 255, 255, 255}, {242, 242, 242, 226}, {0, 0, 0, 0},
      {3, 3, 3, 0},         {255, 170, 0, 17},    {0, 0, 255, 137},
      // Pure red is the full hue of the red ramp (209), before entry 249.
      {255, 0, 0, 209},     {250, 2, 2, 209},
      // 20 is as far from grey 26 (entry 244) as from 14 (245): the first wins.
      {20, 20, 20, 244},
  };
  for (const auto& c : cases) EXPECT_EQ(MapOne(c.r, c.g, c.b), c.index) << int(c.r) << "," << int(c.g) << "," << int(c.b);
}

// The candidate cells and the cache give the full search's answer, ties
// included, for the standard palette and for palettes with clustered and
// repeated entries.
TEST(ImageDepth, NearestColourSearchIsExact) {
  std::mt19937 rng(11);
  RGBQUAD clustered[256];
  for (auto& q : clustered) q = RGBQUAD{uint8_t(100 + rng() % 40), uint8_t(rng() % 256), uint8_t(250 - rng() % 20), 0};
  clustered[17] = clustered[3];
  const struct {
    const char* what;
    const RGBQUAD* palette;
    uint32_t count;
  } cases[] = {{"standard", image::StandardPalette(), 256},
               {"clustered", clustered, 256},
               {"first 5 entries", clustered, 5},
               {"16 basic colours", image::BasicPalette16(), 16}};
  for (const auto& c : cases) {
    image::NearestColor nearest(c.palette, c.count);
    for (int r = 0; r < 256; r += 5)
      for (int g = 1; g < 256; g += 7)
        for (int b = 2; b < 256; b += 6) {
          const uint8_t want = nearest.SearchAll(uint8_t(r), uint8_t(g), uint8_t(b));
          ASSERT_EQ(nearest.Search(uint8_t(r), uint8_t(g), uint8_t(b)), want) << c.what << " " << r << "," << g << "," << b;
          ASSERT_EQ(nearest.Find(uint8_t(r), uint8_t(g), uint8_t(b)), want) << c.what;
          ASSERT_EQ(nearest.Find(uint8_t(r), uint8_t(g), uint8_t(b)), want) << c.what << " (cached)";
        }
  }
}

// The reduction written out plainly: full search, every share added to
// the picture itself with truncation and clamping, bottom row first.
std::vector<uint8_t> ReferenceReduce(Dib24 dib, const RGBQUAD* pal, int colours, bool diffuse) {
  const int w = dib.header.biWidth, h = dib.header.biHeight;
  std::vector<uint8_t> out;
  auto px = [&](int x, int y) { return dib.bits.data() + size_t(y) * dib.stride() + 3 * size_t(x); };
  auto add = [&](int x, int y, const int e[3], int weight) {
    if (x < 0 || x >= w || y >= h) return;
    uint8_t* p = px(x, y);
    for (int c = 0; c < 3; ++c) p[c] = uint8_t(std::clamp(p[c] + e[c] * weight / 16, 0, 255));
  };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = px(x, y);
      int best = 0, best_d = 1 << 30;
      for (int i = 0; i < colours; ++i) {
        const int d = (p[0] - pal[i].rgbBlue) * (p[0] - pal[i].rgbBlue) +
                      (p[1] - pal[i].rgbGreen) * (p[1] - pal[i].rgbGreen) +
                      (p[2] - pal[i].rgbRed) * (p[2] - pal[i].rgbRed);
        if (d < best_d) best_d = d, best = i;
      }
      out.push_back(uint8_t(best));
      if (!diffuse) continue;
      const int e[3] = {p[0] - pal[best].rgbBlue, p[1] - pal[best].rgbGreen, p[2] - pal[best].rgbRed};
      add(x + 1, y, e, 7);
      add(x - 1, y + 1, e, 2);
      add(x, y + 1, e, 4);
      add(x + 1, y + 1, e, 1);
    }
  return out;
}

std::vector<uint8_t> Indices(const QxImage& pic) {
  std::vector<uint8_t> out;
  for (uint32_t y = 0; y < pic.GetHeight(); ++y)
    for (uint32_t x = 0; x < pic.GetWidth(); ++x) {
      const uint32_t bit = x * pic.GetBpp();
      out.push_back(uint8_t((pic.GetBits(y)[bit / 8] >> (8 - pic.GetBpp() - bit % 8)) & ((1u << pic.GetBpp()) - 1)));
    }
  return out;
}

// Seal-like: white ground, a red ring with soft edges, some noise.
Dib24 SealLike(int w, int h, unsigned seed) {
  Dib24 dib(w, h);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double d = std::hypot(x - w / 2.0, y - h / 2.0) - w / 3.0;
      const double cover = std::clamp(1.5 - std::abs(d), 0.0, 1.0);
      const uint8_t gb = uint8_t(255 - 255 * cover);
      if (x % 9 == 0) {
        dib.Set(x, y, uint8_t(rng()), uint8_t(rng()), uint8_t(rng()));
      } else {
        dib.Set(x, y, 255, gb, gb);
      }
    }
  return dib;
}

TEST(ImageDepth, ReductionMatchesThePlainAlgorithm) {
  std::mt19937 rng(3);
  Dib24 noise(61, 47);
  for (auto& b : noise.bits) b = uint8_t(rng());
  const struct {
    const char* what;
    Dib24 dib;
  } pictures[] = {{"noise", noise},
                  {"seal-like", SealLike(80, 64, 9)},
                  {"one column", SealLike(1, 30, 2)},
                  {"two columns, odd height", SealLike(2, 31, 4)},
                  {"three columns", SealLike(3, 12, 5)},
                  {"four columns", SealLike(4, 9, 6)},
                  {"one row", SealLike(50, 1, 7)}};
  for (const auto& p : pictures) {
    for (const auto& [diffuse, from32] : {std::pair{true, false}, {false, false}, {true, true}}) {
      QxImage pic;
      ASSERT_TRUE(p.dib.Build(&pic));
      if (from32) {
        ASSERT_TRUE(pic.IncreaseBpp(32));
      }
      ASSERT_TRUE(pic.DecreaseBpp(8, diffuse, nullptr, 0));
      EXPECT_EQ(pic.GetBpp(), 8u);
      EXPECT_EQ(Rgb(pic.GetPaletteColor(255)), "FFFFFF");
      EXPECT_EQ(Indices(pic), ReferenceReduce(p.dib, image::StandardPalette(), 256, diffuse))
          << p.what << (diffuse ? " with" : " without") << " diffusion" << (from32 ? ", from 32 bits" : "");
    }
  }
}

TEST(ImageDepth, DiffusionDetails) {
  struct Case {
    const char* what;
    int w, h;
    std::vector<uint8_t> greys;  // row by row from the bottom
    std::vector<uint8_t> expected;
  };
  const Case cases[] = {
      // 13 -> grey 14 leaves -1; -1 x 7 / 16 truncates to 0, so 20 stays a tie
      // and the first entry (26) wins. Rounding down would give 19 -> 14.
      {"shares truncate towards zero", 2, 1, {13, 20}, {245, 244}},
      // The bottom row goes first: 8 -> 14 leaves -6, -6 x 4 / 16 = -1 makes
      // the 20 above a 19, nearer to 14.
      {"bottom row first", 1, 2, {8, 20}, {245, 245}},
  };
  for (const Case& c : cases) {
    Dib24 dib(c.w, c.h);
    for (int i = 0; i < c.w * c.h; ++i) dib.Set(i % c.w, i / c.w, c.greys[size_t(i)], c.greys[size_t(i)], c.greys[size_t(i)]);
    QxImage pic;
    ASSERT_TRUE(dib.Build(&pic));
    ASSERT_TRUE(pic.DecreaseBpp(8, true, nullptr, 0));
    EXPECT_EQ(Indices(pic), c.expected) << c.what;
  }
}

TEST(ImageDepth, OwnPaletteAndImportantColours) {
  // Duplicate entries: the first one wins; only the first `important` count.
  RGBQUAD pal[256] = {};
  pal[0] = {0, 0, 0, 0};
  pal[1] = {255, 255, 255, 0};
  pal[2] = {255, 255, 255, 0};
  pal[3] = {0, 0, 250, 0};  // red-ish, outside the first 3
  Dib24 dib(2, 1);
  dib.Set(1, 0, 250, 0, 0);
  QxImage a, b;
  ASSERT_TRUE(dib.Build(&a));
  ASSERT_TRUE(dib.Build(&b));
  ASSERT_TRUE(a.DecreaseBpp(8, false, pal, 0));
  ASSERT_TRUE(b.DecreaseBpp(8, false, pal, 3));
  EXPECT_EQ(Indices(a), (std::vector<uint8_t>{1, 3}));
  EXPECT_EQ(Indices(b), (std::vector<uint8_t>{1, 0}));
  EXPECT_EQ(b.GetClrImportant(), 3u);
}

TEST(ImageDepth, LowerPaletteDepths) {
  Dib24 dib(9, 1, 0, 0, 0);
  dib.Set(3, 0, 255, 255, 255);
  dib.Set(8, 0, 255, 0, 0);
  for (uint32_t bpp : {1u, 4u}) {
    QxImage pic;
    ASSERT_TRUE(dib.Build(&pic));
    ASSERT_TRUE(pic.DecreaseBpp(bpp, false, nullptr, 0));
    EXPECT_EQ(pic.GetBpp(), bpp);
    EXPECT_EQ(pic.GetNumColors(), 1u << bpp);
    ASSERT_TRUE(pic.ConvertToBpp(24));
    EXPECT_EQ(Hex(pic.GetBits(0) + 9, 3), "FFFFFF") << bpp;
    EXPECT_EQ(Hex(pic.GetBits(0) + 24, 3), bpp == 1 ? "000000" : "0000FF") << bpp;
  }
}

TEST(ImageDepth, IncreaseAndConvert) {
  // A 1-bit picture raised to 8 bits keeps its indices and two colours.
  QxImage one(10, 2, 1, 0);
  ASSERT_TRUE(one.SetPaletteColor(0, 0, 0, 0));
  ASSERT_TRUE(one.SetPaletteColor(1, 200, 100, 50));
  EXPECT_FALSE(one.SetPaletteColor(2, 1, 1, 1));
  one.GetBits(1)[0] = 0x81;  // pixels 0 and 7 of the top row
  QxImage eight(one, true, true, true);
  ASSERT_TRUE(eight.IncreaseBpp(8));
  EXPECT_EQ(eight.GetNumColors(), 256u);
  EXPECT_EQ(Rgb(eight.GetPaletteColor(1)), "C86432");
  EXPECT_EQ(eight.GetBits(1)[0], 1);
  EXPECT_EQ(eight.GetBits(1)[7], 1);
  EXPECT_EQ(eight.GetBits(1)[1], 0);
  EXPECT_FALSE(eight.IncreaseBpp(4));
  EXPECT_TRUE(eight.IncreaseBpp(8));

  QxImage direct(eight);
  ASSERT_TRUE(direct.ConvertToBpp(24));
  EXPECT_EQ(Hex(direct.GetBits(1), 3), "3264C8");
  ASSERT_TRUE(direct.ConvertToBpp(32));
  EXPECT_EQ(direct.GetEffWidth(), 40u);
  EXPECT_EQ(Hex(direct.GetBits(1), 4), "3264C800");
  ASSERT_TRUE(direct.DecreaseBpp(24, false, nullptr, 0));
  EXPECT_EQ(direct.GetBpp(), 24u);
  EXPECT_EQ(Hex(direct.GetBits(1), 3), "3264C8");
  EXPECT_FALSE(direct.DecreaseBpp(32, false, nullptr, 0));
  EXPECT_TRUE(direct.ConvertToBpp(24));

  QxImage empty;
  EXPECT_FALSE(empty.ConvertToBpp(24));
  EXPECT_FALSE(QxImage(0, 5, 24).IsValid());
  EXPECT_FALSE(QxImage(5, 5, 7).IsValid());
}

TEST(ImageDepth, CopyWithoutPixels) {
  Dib24 dib(3, 3, 1, 2, 3);
  QxImage pic;
  ASSERT_TRUE(dib.Build(&pic));
  const QxImage blank(pic, false, true, true);
  EXPECT_EQ(blank.GetWidth(), 3u);
  EXPECT_EQ(Hex(blank.GetBits(2), 3), "000000");
  EXPECT_EQ(Hex(pic.GetBits(2), 3), "030201");
}

TEST(ImageResample, NearestPixel) {
  QxImage pic(4, 2, 24, 0);
  for (uint32_t y = 0; y < 2; ++y)
    for (uint32_t x = 0; x < 4; ++x) pic.GetBits(y)[3 * x] = uint8_t(10 * y + x);
  ASSERT_TRUE(pic.Resample(2, 1, 1, nullptr));
  EXPECT_EQ(pic.GetWidth(), 2u);
  EXPECT_EQ(pic.GetHeight(), 1u);
  EXPECT_EQ(pic.GetBits(0)[0], 0);  // source (0, 0)
  EXPECT_EQ(pic.GetBits(0)[3], 2);  // source (2, 0)

  // Enlarging repeats pixels; a 1-bit picture keeps depth and palette.
  QxImage bits(3, 1, 1, 0);
  bits.SetPaletteColor(1, 9, 9, 9);
  bits.GetBits(0)[0] = 0x40;  // pixel 1 set
  QxImage big;
  ASSERT_TRUE(bits.Resample(6, 2, 1, &big));
  EXPECT_EQ(bits.GetWidth(), 3u) << "with a destination the source stays";
  EXPECT_EQ(big.GetBpp(), 1u);
  EXPECT_EQ(big.GetPaletteColor(1).rgbRed, 9);
  EXPECT_EQ(big.GetBits(0)[0], 0x30);
  EXPECT_EQ(big.GetBits(1)[0], 0x30);
}

TEST(ImageResample, SizesAndModes) {
  QxImage pic(5, 3, 8, 0);
  pic.GetBits(0)[4] = 77;
  const struct {
    long w, h;
    int mode;
    bool ok;
  } cases[] = {{5, 3, 1, true}, {0, 3, 1, false}, {5, 0, 1, false}, {-1, 3, 1, false}, {2, 2, 2, false}};
  for (const auto& c : cases) {
    QxImage copy(pic);
    EXPECT_EQ(copy.Resample(c.w, c.h, c.mode, nullptr), c.ok) << c.w << "x" << c.h << " mode " << c.mode;
    EXPECT_EQ(copy.GetWidth(), 5u);
    EXPECT_EQ(copy.GetBits(0)[4], 77);
  }
}

}  // namespace
}  // namespace oesqx::test
