// Building pictures from DIBs: headers, palettes, rows, RLE, and the DIBs
// that claim more than they hold.
#include <gtest/gtest.h>

#include "common/byte_reader.h"
#include "image_peer.h"

namespace oesqx::test {
namespace {

// A DIB information block (header, masks or palette) plus pixel bytes,
// assembled field by field so that every test states what it claims.
struct DibFixture {
  Bytes block;
  Bytes bits;
  DibFixture(int32_t w, int32_t h, uint16_t bit_count, uint32_t compression = 0, uint32_t clr_used = 0) {
    ByteWriter wr(&block);
    wr.PutU32(40);
    wr.PutU32(uint32_t(w));
    wr.PutU32(uint32_t(h));
    wr.PutU16(1);
    wr.PutU16(bit_count);
    wr.PutU32(compression);
    wr.PutU32(0);
    wr.PutU32(0);
    wr.PutU32(0);
    wr.PutU32(clr_used);
    wr.PutU32(0);
  }
  void AddColor(uint8_t r, uint8_t g, uint8_t b) { block.insert(block.end(), {b, g, r, 0}); }
  void AddGreyPalette(int n) {
    for (int i = 0; i < n; ++i) AddColor(uint8_t(i * 255 / (n - 1)), uint8_t(i * 255 / (n - 1)), uint8_t(i * 255 / (n - 1)));
  }
  bool Build(QxImage* pic, unsigned header_length) const {
    return pic->CreateFromData(reinterpret_cast<const tagBITMAPINFO*>(block.data()), header_length,
                               bits.empty() ? nullptr : bits.data(), unsigned(bits.size()));
  }
  bool Build(QxImage* pic) const { return Build(pic, unsigned(block.size())); }
};

TEST(ImageDib, TwentyFourBitRowsAreCopied) {
  Dib24 dib(3, 2, 0, 0, 0);
  dib.Set(0, 0, 1, 2, 3);  // bottom left
  dib.Set(2, 1, 7, 8, 9);  // top right
  QxImage pic;
  ASSERT_TRUE(dib.Build(&pic)) << pic.GetLastError();
  EXPECT_EQ(pic.GetWidth(), 3u);
  EXPECT_EQ(pic.GetHeight(), 2u);
  EXPECT_EQ(pic.GetBpp(), 24u);
  EXPECT_EQ(pic.GetEffWidth(), 12u);
  EXPECT_EQ(Hex(pic.GetBits(0), 3), "030201");
  EXPECT_EQ(Hex(pic.GetBits(1) + 6, 3), "090807");
  EXPECT_EQ(pic.GetBits(2), nullptr);
  EXPECT_EQ(pic.GetXDPI(), 96u);
}

TEST(ImageDib, NegativeHeightIsTopDown) {
  DibFixture f(1, -10, 24);
  for (int i = 0; i < 10; ++i) f.bits.insert(f.bits.end(), {uint8_t(i), 0, 0, 0});  // stored top row first
  QxImage pic;
  ASSERT_TRUE(f.Build(&pic)) << pic.GetLastError();
  EXPECT_EQ(pic.GetHeight(), 10u);
  EXPECT_EQ(pic.GetBits(9)[0], 0) << "first stored row is the top row";
  EXPECT_EQ(pic.GetBits(0)[0], 9);
}

TEST(ImageDib, PaletteDepthsExpandThroughTheirPalette) {
  struct Case {
    uint16_t bits;
    uint8_t row_byte;  // first byte of the only row
    std::vector<uint8_t> expected_red;  // of the first four pixels
  };
  const Case cases[] = {
      {1, 0xA0, {255, 0, 255, 0}},
      {2, 0x1B, {0, 85, 170, 255}},
      {4, 0x3F, {51, 255, 0, 0}},
      {8, 0x02, {2, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    const int n = 1 << c.bits;
    DibFixture f(4, 1, c.bits);
    f.AddGreyPalette(n);
    f.bits.assign(4, 0);
    f.bits[0] = c.row_byte;
    QxImage pic;
    ASSERT_TRUE(f.Build(&pic)) << c.bits << pic.GetLastError();
    EXPECT_EQ(pic.GetBpp(), c.bits);
    EXPECT_EQ(pic.GetNumColors(), uint32_t(n));
    ASSERT_TRUE(pic.ConvertToBpp(24));
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(pic.GetBits(0)[3 * x + 2], c.expected_red[size_t(x)]) << c.bits << " bits, pixel " << x;
  }
}

TEST(ImageDib, ShortPaletteLeavesTheRestBlack) {
  DibFixture f(2, 1, 8, 0, 2);  // two entries used
  f.AddColor(10, 20, 30);
  f.AddColor(40, 50, 60);
  f.bits = {1, 0, 0, 0};
  QxImage pic;
  ASSERT_TRUE(f.Build(&pic));
  EXPECT_EQ(pic.GetNumColors(), 256u);
  EXPECT_EQ(pic.GetPaletteColor(1).rgbGreen, 50);
  EXPECT_EQ(pic.GetPaletteColor(2).rgbGreen, 0);
}

TEST(ImageDib, SixteenBitPixelsBecomeTwentyFour) {
  // 5-5-5 without masks; 5-6-5 with bit fields.
  DibFixture plain(1, 1, 16);
  plain.bits = {0x1F, 0x7C, 0, 0};  // red 31, green 0, blue 31 -> 0x7C1F
  DibFixture fields(1, 1, 16, 3);
  for (uint32_t m : {0xF800u, 0x07E0u, 0x001Fu}) ByteWriter(&fields.block).PutU32(m);
  fields.bits = {0xE0, 0x07, 0, 0};  // green 63 only
  QxImage a, b;
  ASSERT_TRUE(plain.Build(&a)) << a.GetLastError();
  ASSERT_TRUE(fields.Build(&b)) << b.GetLastError();
  EXPECT_EQ(a.GetBpp(), 24u);
  EXPECT_EQ(Hex(a.GetBits(0), 3), "FF00FF");
  EXPECT_EQ(Hex(b.GetBits(0), 3), "00FF00");
}

TEST(ImageDib, ResolutionComesFromPelsPerMetre) {
  const std::pair<int32_t, uint32_t> cases[] = {{0, 96}, {3780, 96}, {11811, 300}, {-5, 96}};
  for (const auto& [ppm, dpi] : cases) {
    Dib24 dib(1, 1);
    dib.header.biXPelsPerMeter = ppm;
    dib.header.biYPelsPerMeter = ppm;
    QxImage pic;
    ASSERT_TRUE(dib.Build(&pic));
    EXPECT_EQ(pic.GetXDPI(), dpi) << ppm;
    EXPECT_EQ(pic.GetYDPI(), dpi) << ppm;
  }
}

// RLE8 and RLE4: runs, absolute runs, deltas, line and picture ends.
TEST(ImageDib, RleDataIsExpanded) {
  struct Case {
    const char* what;
    uint16_t bits;
    uint32_t compression;
    int w, h;
    Bytes data;
    std::vector<std::vector<uint8_t>> rows;  // indices, bottom row first
  };
  const Case cases[] = {
      {"RLE8 runs and end of line", 8, 1, 4, 2, {2, 5, 2, 6, 0, 0, 4, 7, 0, 1}, {{5, 5, 6, 6}, {7, 7, 7, 7}}},
      {"RLE8 absolute run, padded", 8, 1, 4, 1, {0, 3, 1, 2, 3, 0, 1, 9, 0, 1}, {{1, 2, 3, 9}}},
      {"RLE8 delta skips pixels", 8, 1, 3, 2, {1, 4, 0, 2, 1, 1, 1, 8, 0, 1}, {{4, 0, 0}, {0, 0, 8}}},
      {"RLE8 without end marker", 8, 1, 2, 1, {2, 3}, {{3, 3}}},
      {"RLE8 run into the row padding", 8, 1, 2, 1, {4, 6, 0, 1}, {{6, 6}}},
      {"RLE4 run alternates nibbles", 4, 2, 5, 1, {5, 0x12, 0, 1}, {{1, 2, 1, 2, 1}}},
      {"RLE4 absolute run", 4, 2, 3, 1, {0, 3, 0xAB, 0xC0, 0, 1}, {{10, 11, 12}}},
  };
  for (const Case& c : cases) {
    DibFixture f(c.w, c.h, c.bits, c.compression);
    f.AddGreyPalette(1 << c.bits);
    f.bits = c.data;
    QxImage pic;
    ASSERT_TRUE(f.Build(&pic)) << c.what << ": " << pic.GetLastError();
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x) {
        const uint8_t* row = pic.GetBits(uint32_t(y));
        const uint32_t v = c.bits == 8 ? row[x] : (row[x / 2] >> ((x & 1) ? 0 : 4)) & 0xF;
        EXPECT_EQ(v, c.rows[size_t(y)][size_t(x)]) << c.what << " at " << x << "," << y;
      }
  }
}

// Each of these claims more than it holds, or runs outside the picture:
// the picture is not built, and (under the sanitizers) nothing is read
// outside the given bytes.
TEST(ImageDib, DibsThatExceedTheirDataAreRefused) {
  struct Case {
    const char* what;
    DibFixture dib;
    bool exact_header_length;  // pass the block's size, else 0
  };
  auto with_bits = [](DibFixture f, Bytes bits) {
    f.bits = std::move(bits);
    return f;
  };
  auto grey = [](DibFixture f, int n) {
    f.AddGreyPalette(n);
    return f;
  };
  const Case cases[] = {
      {"rows one byte short", with_bits(DibFixture(3, 2, 24), Bytes(23, 0)), true},
      {"no pixel bytes at all", DibFixture(3, 2, 24), true},
      {"width x bit count past 32 bits", with_bits(DibFixture(0x7FFFFFFF, 1, 32), Bytes(64, 0)), true},
      {"height claims a huge picture", with_bits(DibFixture(1000, 1000000, 24), Bytes(64, 0)), true},
      {"zero width", with_bits(DibFixture(0, 1, 24), Bytes(4, 0)), true},
      {"zero height", with_bits(DibFixture(1, 0, 24), Bytes(4, 0)), true},
      {"bit count 7", with_bits(DibFixture(1, 1, 7), Bytes(4, 0)), true},
      {"RLE8 on 24 bits", with_bits(DibFixture(1, 1, 24, 1), Bytes(4, 0)), true},
      {"compression 4", with_bits(DibFixture(1, 1, 24, 4), Bytes(4, 0)), true},
      {"palette past the given header length", with_bits(DibFixture(1, 1, 8), Bytes(4, 0)), true},
      {"RLE8 run past the padded row", with_bits(grey(DibFixture(2, 1, 8, 1), 256), Bytes{5, 1, 0, 1}), true},
      {"RLE8 absolute run past the padded row", with_bits(grey(DibFixture(2, 1, 8, 1), 256), Bytes{0, 5, 1, 2, 3, 4, 5, 0}), true},
      {"RLE8 delta past the picture", with_bits(grey(DibFixture(2, 2, 8, 1), 256), Bytes{0, 2, 0, 3, 0, 1}), true},
      {"RLE8 delta past the row", with_bits(grey(DibFixture(2, 2, 8, 1), 256), Bytes{0, 2, 3, 0, 0, 1}), true},
      {"RLE8 rows past the top", with_bits(grey(DibFixture(2, 1, 8, 1), 256), Bytes{0, 0, 1, 1}), true},
      {"RLE8 ends inside the picture", with_bits(grey(DibFixture(2, 2, 8, 1), 256), Bytes{2, 1}), true},
      {"RLE8 absolute run cut short", with_bits(grey(DibFixture(4, 1, 8, 1), 256), Bytes{0, 4, 1, 2}), true},
      {"RLE4 run past the padded row", with_bits(grey(DibFixture(3, 1, 4, 2), 16), Bytes{9, 0x11, 0, 1}), true},
      {"RLE top-down", with_bits(grey(DibFixture(2, -1, 8, 1), 256), Bytes{2, 1, 0, 1}), true},
  };
  for (const Case& c : cases) {
    QxImage pic;
    EXPECT_FALSE(c.dib.Build(&pic, c.exact_header_length ? unsigned(c.dib.block.size()) : 0)) << c.what;
    EXPECT_EQ(pic.GetWidth(), 0u) << c.what;
    EXPECT_EQ(pic.GetBits(0), nullptr) << c.what;
    EXPECT_STRNE(pic.GetLastError(), "") << c.what;
  }
}

TEST(ImageDib, HeadersOfOtherSizes) {
  QxImage pic;
  EXPECT_FALSE(pic.CreateFromData(nullptr, 40, nullptr, 0));

  DibFixture core(1, 1, 24);
  core.block[0] = 12;
  core.bits.assign(4, 0);
  EXPECT_FALSE(core.Build(&pic)) << "12-byte headers fail";
  EXPECT_EQ(pic.GetWidth(), 0u);

  // A 108-byte header: the extra fields are skipped, its palette follows it.
  DibFixture v4(1, 1, 8, 0, 2);
  v4.block[0] = 108;
  v4.block.insert(v4.block.end(), 68, 0);
  v4.AddColor(1, 2, 3);
  v4.AddColor(200, 201, 202);
  v4.bits = {1, 0, 0, 0};
  ASSERT_TRUE(v4.Build(&pic)) << pic.GetLastError();
  EXPECT_EQ(pic.GetPaletteColor(1).rgbRed, 200);

  // A length shorter than the block the header claims is refused; with
  // the length 0 the header's own claims are trusted.
  EXPECT_FALSE(v4.Build(&pic, 40));
  EXPECT_EQ(pic.GetWidth(), 0u);
  ASSERT_TRUE(v4.Build(&pic, 0));
  EXPECT_EQ(pic.GetPaletteColor(1).rgbBlue, 202);
}

TEST(ImageDib, ExtraPixelBytesAreIgnored) {
  Dib24 dib(2, 2, 9, 9, 9);
  dib.bits.resize(dib.bits.size() + 100, 0xEE);
  QxImage pic;
  ASSERT_TRUE(dib.Build(&pic));
  EXPECT_EQ(pic.GetPixelBytes(), 16u);
  EXPECT_EQ(Hex(pic.GetBits(1), 3), "090909");
}

// An RLE8 BMP written by ImageMagick reads as the uncompressed BMP of the
// same picture that ImageMagick writes.
TEST(ImageDib, ImageMagickRleBmpMatchesItsPlainBmp) {
  if (!HaveMagick()) GTEST_SKIP() << "ImageMagick not installed";
  TempDir dir;
  Bytes rgb;
  const int w = 41, h = 13;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool ring = (x - 20) * (x - 20) + (y - 6) * (y - 6) * 4 < 120;
      rgb.insert(rgb.end(), {uint8_t(ring ? 255 : (x % 5 == 0 ? 40 : 255)), uint8_t(ring ? 0 : 255), uint8_t(ring ? 0 : 255)});
    }
  WriteFile(dir.File("in.rgb"), rgb);
  const std::string src = "-size 41x13 -depth 8 rgb:" + dir.File("in.rgb") + " -type Palette ";
  ASSERT_EQ(Magick(src + "-compress RLE BMP3:" + dir.File("rle.bmp")), 0);
  ASSERT_EQ(Magick(src + "-compress None BMP3:" + dir.File("plain.bmp")), 0);
  const Bytes rle = ReadFile(dir.File("rle.bmp"));
  ASSERT_GT(rle.size(), 34u);
  ASSERT_EQ(rle[30], 1) << "ImageMagick wrote RLE8";
  QxImage a, b;
  ASSERT_TRUE(a.Load(dir.File("rle.bmp").c_str(), 0)) << a.GetLastError();
  ASSERT_TRUE(b.Load(dir.File("plain.bmp").c_str(), 0)) << b.GetLastError();
  ASSERT_TRUE(a.ConvertToBpp(24));
  ASSERT_TRUE(b.ConvertToBpp(24));
  ASSERT_EQ(a.GetPixelBytes(), b.GetPixelBytes());
  EXPECT_EQ(Hex(a.GetBits(0), a.GetPixelBytes()), Hex(b.GetBits(0), b.GetPixelBytes()));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = b.GetBits(uint32_t(h - 1 - y)) + 3 * x;
      const uint8_t* s = &rgb[3 * size_t(y * w + x)];
      ASSERT_EQ(Hex(Bytes{p[2], p[1], p[0]}), Hex(s, 3)) << x << "," << y;
    }
}

}  // namespace
}  // namespace oesqx::test
