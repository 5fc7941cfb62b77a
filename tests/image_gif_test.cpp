// GIF writing and reading, checked against giflib as the independent reader.
#include <gtest/gtest.h>

#include <random>

#include "image/codecs.h"
#include "image/gif_lzw.h"
#include "image_peer.h"

namespace oesqx::test {
namespace {

// A palette picture whose indices come from `index(x, y)` (y = 0 top row).
template <typename F>
QxImage MakeIndexed(uint32_t w, uint32_t h, uint32_t bpp, F index) {
  QxImage pic(w, h, bpp, 0);
  for (uint32_t y = 0; y < h; ++y) {
    uint8_t* row = pic.GetBits(h - 1 - y);
    for (uint32_t x = 0; x < w; ++x) {
      const uint32_t v = index(x, y) & ((1u << bpp) - 1);
      const uint32_t bit = x * bpp;
      row[bit / 8] |= static_cast<uint8_t>(v << (8 - bpp - bit % 8));
    }
  }
  return pic;
}

TEST(ImageGif, WhiteDibGivesFullyTransparentGif) {
  Dib24 dib(37, 23);
  QxImage pic;
  ASSERT_TRUE(dib.Build(&pic));
  ASSERT_TRUE(pic.DecreaseBpp(8, true, nullptr, 0));
  pic.SetTransIndex(255);
  const Bytes gif = EncodeToBytes(&pic, QXIMAGE_FORMAT_GIF);
  ASSERT_FALSE(gif.empty());

  // Header, screen, global table, control extension and descriptor.
  ASSERT_GT(gif.size(), 13u + 768 + 8 + 10);
  EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF89a");
  EXPECT_EQ(Hex(&gif[6], 7), "25001700E70000");
  EXPECT_EQ(Hex(&gif[13 + 255 * 3], 3), "FFFFFF");
  EXPECT_EQ(Hex(&gif[13 + 768], 8), "21F904010000FF00") << "graphic control extension";
  EXPECT_EQ(Hex(&gif[13 + 768 + 8], 11), "2C000000002500170000" "08");
  EXPECT_EQ(gif.back(), 0x3B);

  const PeerGif peer = DecodeWithGiflib(gif);
  ASSERT_TRUE(peer.ok);
  EXPECT_EQ(peer.transparent, 255);
  EXPECT_EQ(peer.indices, std::vector<uint8_t>(37 * 23, 255));
}

TEST(ImageGif, SubBlocksHoldAtMost254Bytes) {
  std::mt19937 rng(7);
  QxImage pic = MakeIndexed(64, 64, 8, [&](uint32_t, uint32_t) { return rng(); });
  const Bytes gif = EncodeToBytes(&pic, QXIMAGE_FORMAT_GIF);
  ByteReader r(gif);
  ASSERT_TRUE(r.Skip(13 + 768 + 8 + 10 + 1));
  size_t blocks = 0;
  uint8_t n = 0;
  while (r.ReadU8(&n) && n != 0) {
    EXPECT_LE(n, 254);
    ASSERT_TRUE(r.Skip(n));
    ++blocks;
  }
  EXPECT_EQ(n, 0);
  EXPECT_GT(blocks, 2u);
  uint8_t trailer = 0;
  ASSERT_TRUE(r.ReadU8(&trailer));
  EXPECT_EQ(trailer, 0x3B);
}

struct LzwCase {
  const char* name;
  uint32_t w, h, bpp;
  int pattern;  // 0 noise, 1 constant, 2 checker, 3 ramp, 4 stripes of runs
};

class ImageGifRoundTrip : public ::testing::TestWithParam<LzwCase> {};

// Every written GIF is read back by giflib with the same indices, and by
// our own reader with the same indices and palette.
TEST_P(ImageGifRoundTrip, GiflibReadsOurIndices) {
  const LzwCase& c = GetParam();
  std::mt19937 rng(c.w * 31 + c.h);
  QxImage pic = MakeIndexed(c.w, c.h, c.bpp, [&](uint32_t x, uint32_t y) -> uint32_t {
    switch (c.pattern) {
      case 0: return rng();
      case 1: return 5;
      case 2: return (x + y) & 1;
      case 3: return x + 3 * y;
      default: return (x / 7 + y) % 3 == 0 ? rng() : 1;
    }
  });
  for (uint32_t i = 0; i < pic.GetNumColors(); ++i) pic.SetPaletteColor(i, uint8_t(i), uint8_t(255 - i), uint8_t(i * 7));
  pic.SetTransIndex(c.pattern == 2 ? 1 : -1);
  const Bytes gif = EncodeToBytes(&pic, QXIMAGE_FORMAT_GIF);
  ASSERT_FALSE(gif.empty());

  const PeerGif peer = DecodeWithGiflib(gif);
  ASSERT_TRUE(peer.ok);
  EXPECT_EQ(peer.width, int(c.w));
  EXPECT_EQ(peer.height, int(c.h));
  EXPECT_EQ(peer.color_count, 1 << c.bpp);
  EXPECT_EQ(peer.transparent, c.pattern == 2 ? 1 : -1);
  EXPECT_EQ(peer.indices, IndicesTopDown(pic));

  QxImage back;
  ASSERT_TRUE(back.Decode(gif.data(), uint32_t(gif.size()), QXIMAGE_FORMAT_GIF)) << back.GetLastError();
  EXPECT_EQ(back.GetType(), QXIMAGE_FORMAT_GIF);
  EXPECT_EQ(back.GetBpp(), c.bpp);
  EXPECT_EQ(IndicesTopDown(back), IndicesTopDown(pic));
  EXPECT_EQ(back.GetTransIndex(), pic.GetTransIndex());
  for (uint32_t i = 0; i < pic.GetNumColors(); ++i) {
    EXPECT_EQ(back.GetPaletteColor(i).rgbRed, pic.GetPaletteColor(i).rgbRed);
    EXPECT_EQ(back.GetPaletteColor(i).rgbBlue, pic.GetPaletteColor(i).rgbBlue);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, ImageGifRoundTrip,
    ::testing::Values(LzwCase{"Noise8FillsTheTableManyTimes", 300, 200, 8, 0},
                      LzwCase{"Constant8LongStrings", 1000, 60, 8, 1},
                      LzwCase{"Checker1Bit", 17, 9, 1, 2},
                      LzwCase{"Ramp4Bit", 33, 7, 4, 3},
                      LzwCase{"Noise2Bit", 5, 3, 2, 0},
                      LzwCase{"Noise1BitAcrossWidths", 999, 41, 1, 0},
                      LzwCase{"OnePixel", 1, 1, 8, 3},
                      LzwCase{"RunsAndNoise", 257, 129, 8, 4},
                      LzwCase{"Noise4Bit", 211, 97, 4, 0}),
    [](const ::testing::TestParamInfo<LzwCase>& info) { return std::string(info.param.name); });

TEST(ImageGif, DeepPicturesAreNotWritten) {
  Dib24 dib(4, 4);
  QxImage pic;
  ASSERT_TRUE(dib.Build(&pic));
  uint8_t* buffer = nullptr;
  int size = 0;
  EXPECT_FALSE(pic.Encode(buffer, size, QXIMAGE_FORMAT_GIF));
  EXPECT_EQ(buffer, nullptr);
}

// GIF files written by ImageMagick (plain and interlaced) read as giflib
// reads them.
TEST(ImageGif, ReadsImageMagickFiles) {
  if (!HaveMagick()) GTEST_SKIP() << "ImageMagick not installed";
  TempDir dir;
  Bytes rgb;
  const int w = 23, h = 19;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      rgb.push_back(uint8_t((x * 40) & 0xC0));
      rgb.push_back(uint8_t((y * 50) & 0xC0));
      rgb.push_back(uint8_t(x < y ? 255 : 0));
    }
  WriteFile(dir.File("in.rgb"), rgb);
  for (const char* interlace : {"None", "GIF"}) {
    const std::string out = dir.File(std::string("m_") + interlace + ".gif");
    ASSERT_EQ(Magick("-size 23x19 -depth 8 rgb:" + dir.File("in.rgb") + " -interlace " + interlace + " " + out), 0);
    const Bytes gif = ReadFile(out);
    const PeerGif peer = DecodeWithGiflib(gif);
    ASSERT_TRUE(peer.ok);
    QxImage pic;
    ASSERT_TRUE(pic.Decode(gif.data(), uint32_t(gif.size()), 0)) << pic.GetLastError();
    EXPECT_EQ(pic.GetType(), QXIMAGE_FORMAT_GIF);
    EXPECT_EQ(IndicesTopDown(pic), peer.indices) << interlace;
    // Colours through the palette equal the source pixels.
    ASSERT_TRUE(pic.ConvertToBpp(24));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint8_t* p = pic.GetBits(uint32_t(h - 1 - y)) + 3 * x;
        const uint8_t* s = &rgb[3 * size_t(y * w + x)];
        ASSERT_EQ(Hex(p, 3), Hex(Bytes{s[2], s[1], s[0]})) << x << "," << y;
      }
  }
}

// LZW codes of one width, packed LSB first.
Bytes PackCodes(std::initializer_list<uint32_t> codes, int width = 9) {
  Bytes out;
  uint64_t bits = 0;
  int count = 0;
  for (uint32_t code : codes) {
    bits |= uint64_t(code) << count;
    count += width;
    while (count >= 8) {
      out.push_back(uint8_t(bits));
      bits >>= 8;
      count -= 8;
    }
  }
  if (count > 0) out.push_back(uint8_t(bits));
  return out;
}

// One sub-block holding `data`, then the zero block.
Bytes OneBlock(const Bytes& data) {
  Bytes out{uint8_t(data.size())};
  out.insert(out.end(), data.begin(), data.end());
  out.push_back(0);
  return out;
}

// A 4x3 GIF of our own, patched below into damaged forms.
Bytes SmallGif() {
  QxImage pic = MakeIndexed(4, 3, 8, [](uint32_t x, uint32_t y) { return x * 3 + y; });
  return EncodeToBytes(&pic, QXIMAGE_FORMAT_GIF);
}
constexpr size_t kDescriptor = 13 + 768 + 8;  // offset of 0x2C

TEST(ImageGif, EveryTruncationIsRefused) {
  const Bytes gif = SmallGif();
  // Without the trailer and the zero block the image is still whole.
  for (size_t n = 0; n + 2 < gif.size(); ++n) {
    QxImage pic;
    EXPECT_FALSE(pic.Decode(gif.data(), uint32_t(n), QXIMAGE_FORMAT_GIF)) << n;
    EXPECT_EQ(pic.GetWidth(), 0u);
  }
}

TEST(ImageGif, DamagedFilesAreRefused) {
  struct Patch {
    const char* what;
    size_t offset;
    std::vector<uint8_t> bytes;
  };
  const Patch patches[] = {
      {"screen width 0", 6, {0, 0}},
      {"frame left past the screen", kDescriptor + 1, {1, 0}},
      {"frame wider than the screen", kDescriptor + 5, {5, 0}},
      {"frame taller than the screen", kDescriptor + 7, {4, 0}},
      {"frame width 0", kDescriptor + 5, {0, 0}},
      {"code size 9", kDescriptor + 10, {9}},
      {"code size 0", kDescriptor + 10, {0}},
      {"unknown block", kDescriptor, {0x99}},
      {"first code not a literal", kDescriptor + 11, OneBlock(PackCodes({256, 511}))},
      {"code beyond the table", kDescriptor + 11, OneBlock(PackCodes({256, 7, 300}))},
      {"end before the pixels", kDescriptor + 11, OneBlock(PackCodes({256, 7, 257}))},
      {"data ends before the pixels", kDescriptor + 11, OneBlock(PackCodes({256, 7, 8}))},
  };
  for (const Patch& p : patches) {
    Bytes gif = SmallGif();
    ASSERT_LE(p.offset + p.bytes.size(), gif.size());
    std::copy(p.bytes.begin(), p.bytes.end(), gif.begin() + long(p.offset));
    QxImage pic;
    EXPECT_FALSE(pic.Decode(gif.data(), uint32_t(gif.size()), QXIMAGE_FORMAT_GIF)) << p.what;
    EXPECT_EQ(pic.GetWidth(), 0u) << p.what;
  }
}

TEST(ImageGif, LzwDecoderAcceptsTheNextFreeCode) {
  // Indices 7 7 7 as clear, 7, 258 (the entry being defined: "7 7"), end.
  const Bytes stream = PackCodes({256, 7, 258, 257});
  uint8_t out[3] = {0, 0, 0};
  EXPECT_TRUE(image::LzwDecode(ByteReader(stream), 8, out, 3));
  EXPECT_EQ(Hex(out, 3), "070707");
  // One code further is past the table.
  const Bytes bad = PackCodes({256, 7, 259, 257});
  EXPECT_FALSE(image::LzwDecode(ByteReader(bad), 8, out, 3));
}

}  // namespace
}  // namespace oesqx::test
