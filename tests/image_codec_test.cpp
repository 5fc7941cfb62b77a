// Decoding with detection and encoding in every format, with files written
// and read by ImageMagick as the independent peer.
#include <gtest/gtest.h>

#include <cstdio>

#include "image_peer.h"

namespace oesqx::test {
namespace {

constexpr int kW = 29, kH = 17;

// A small picture with flat areas and a gradient (RGB, top row first).
Bytes Fixture() {
  Bytes rgb;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const bool ring = std::abs((x - 14) * (x - 14) + (y - 8) * (y - 8) - 40) < 12;
      rgb.insert(rgb.end(), {uint8_t(ring ? 220 : 255), uint8_t(ring ? 20 : 255 - 4 * y), uint8_t(ring ? 30 : 255 - 6 * x)});
    }
  return rgb;
}

// Our 24-bit picture as RGB, top row first.
Bytes ToRgb(QxImage pic) {
  EXPECT_TRUE(pic.ConvertToBpp(24));
  Bytes out;
  for (uint32_t y = pic.GetHeight(); y-- > 0;)
    for (uint32_t x = 0; x < pic.GetWidth(); ++x) {
      const uint8_t* p = pic.GetBits(y) + 3 * x;
      out.insert(out.end(), {p[2], p[1], p[0]});
    }
  return out;
}

std::string Rgb(const RGBQUAD& q) { return Hex(Bytes{q.rgbRed, q.rgbGreen, q.rgbBlue}); }

int MaxDifference(const Bytes& a, const Bytes& b) {
  if (a.size() != b.size()) return 1 << 20;
  int worst = 0;
  for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
  return worst;
}

double MeanDifference(const Bytes& a, const Bytes& b) {
  if (a.size() != b.size() || a.empty()) return 1e9;
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += std::abs(int(a[i]) - int(b[i]));
  return sum / double(a.size());
}

class ImageCodec : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveMagick()) GTEST_SKIP() << "ImageMagick not installed";
    WriteFile(dir_.File("fixture.rgb"), Fixture());
  }
  // Has ImageMagick write the fixture into the file `name`.
  // `format` forces the output coder (e.g. "PNG8:").
  Bytes MagickWrite(const std::string& name, const std::string& options = "", const std::string& format = "") {
    const std::string path = dir_.File(name);
    EXPECT_EQ(Magick("-size 29x17 -depth 8 rgb:" + dir_.File("fixture.rgb") + " " + options + " " + format + path), 0);
    return ReadFile(path);
  }
  // Has ImageMagick read `file` back as RGB.
  Bytes MagickRead(const Bytes& file, const std::string& name) {
    WriteFile(dir_.File(name), file);
    if (Magick(dir_.File(name) + " -depth 8 rgb:" + dir_.File(name + ".rgb")) != 0) return {};
    return ReadFile(dir_.File(name + ".rgb"));
  }
  TempDir dir_;
};

// Files written by ImageMagick: detection finds each format, the pixels
// match (JPEG: as ImageMagick itself decodes them, within rounding).
TEST_F(ImageCodec, DecodeDetectsEveryFormat) {
  const struct {
    const char* name;
    const char* options;
    uint32_t type;
    int tolerance;
  } cases[] = {
      {"a.bmp", "", QXIMAGE_FORMAT_BMP, 0},
      {"b.bmp", "-type Palette", QXIMAGE_FORMAT_BMP, 0},
      {"a.png", "", QXIMAGE_FORMAT_PNG, 0},
      {"b.png", "-type Palette", QXIMAGE_FORMAT_PNG, 0},
      {"c.png", "-alpha on -channel A -evaluate set 50% +channel", QXIMAGE_FORMAT_PNG, 0},
      {"d.png", "-interlace PNG -depth 16", QXIMAGE_FORMAT_PNG, 1},
      {"a.tif", "", QXIMAGE_FORMAT_TIF, 0},
      {"b.tif", "-compress LZW -type Palette", QXIMAGE_FORMAT_TIF, 1},  // 16-bit colour map
      {"a.gif", "", QXIMAGE_FORMAT_GIF, 0},
      {"a.jpg", "-quality 95", QXIMAGE_FORMAT_JPG, 2},
      {"g.jpg", "-colorspace Gray", QXIMAGE_FORMAT_JPG, 2},
  };
  for (const auto& c : cases) {
    const Bytes file = MagickWrite(c.name, c.options);
    ASSERT_FALSE(file.empty()) << c.name;
    QxImage pic;
    ASSERT_TRUE(pic.Decode(file.data(), uint32_t(file.size()), 0)) << c.name << ": " << pic.GetLastError();
    EXPECT_EQ(pic.GetType(), c.type) << c.name;
    EXPECT_EQ(pic.GetWidth(), uint32_t(kW));
    EXPECT_EQ(pic.GetHeight(), uint32_t(kH));
    const Bytes expected = MagickRead(file, std::string("peer_") + c.name);
    EXPECT_LE(MaxDifference(ToRgb(pic), expected), c.tolerance) << c.name;
  }
}

TEST_F(ImageCodec, PngWithAlphaAndTransparentPalette) {
  const Bytes rgba = MagickWrite("alpha.png", "-alpha on -channel A -evaluate set 50% +channel");
  QxImage pic;
  ASSERT_TRUE(pic.Decode(rgba.data(), uint32_t(rgba.size()), 0));
  EXPECT_EQ(pic.GetBpp(), 32u);
  EXPECT_TRUE(pic.HasAlpha());
  EXPECT_NEAR(pic.GetBits(0)[3], 128, 1);

  // A palette PNG whose white entry is transparent (tRNS).
  const Bytes pal = MagickWrite("trans.png", "-transparent white", "PNG8:");
  QxImage t;
  ASSERT_TRUE(t.Decode(pal.data(), uint32_t(pal.size()), 0)) << t.GetLastError();
  ASSERT_LE(t.GetBpp(), 8u);
  ASSERT_GE(t.GetTransIndex(), 0);
  EXPECT_EQ(Rgb(t.GetPaletteColor(uint32_t(t.GetTransIndex()))), "FFFFFF");
  EXPECT_EQ(t.GetBits(t.GetHeight() - 1)[0], t.GetTransIndex()) << "top left pixel is white";
}

// Our files are read by ImageMagick with the same pixels.
TEST_F(ImageCodec, EncodedFilesReadByImageMagick) {
  const Bytes src = MagickWrite("src.bmp");
  QxImage pic;
  ASSERT_TRUE(pic.Decode(src.data(), uint32_t(src.size()), QXIMAGE_FORMAT_BMP));
  QxImage pal(pic);
  ASSERT_TRUE(pal.DecreaseBpp(8, true, nullptr, 0));
  const struct {
    const char* name;
    QxImage* pic;
    uint32_t type;
    int tolerance;  // largest difference; negative: mean difference (lossy)
  } cases[] = {
      {"o24.bmp", &pic, QXIMAGE_FORMAT_BMP, 0}, {"o8.bmp", &pal, QXIMAGE_FORMAT_BMP, 0},
      {"o24.png", &pic, QXIMAGE_FORMAT_PNG, 0}, {"o8.png", &pal, QXIMAGE_FORMAT_PNG, 0},
      {"o24.tif", &pic, QXIMAGE_FORMAT_TIF, 0}, {"o8.tif", &pal, QXIMAGE_FORMAT_TIF, 0},
      {"o8.gif", &pal, QXIMAGE_FORMAT_GIF, 0},  {"o24.jpg", &pic, QXIMAGE_FORMAT_JPG, -10},
      {"o8.jpg", &pal, QXIMAGE_FORMAT_JPG, -14},
  };
  for (const auto& c : cases) {
    const Bytes file = EncodeToBytes(c.pic, c.type);
    ASSERT_FALSE(file.empty()) << c.name << ": " << c.pic->GetLastError();
    const auto diff = [&](const Bytes& a, const Bytes& b) {
      return c.tolerance >= 0 ? double(MaxDifference(a, b)) : MeanDifference(a, b);
    };
    const double allowed = std::abs(c.tolerance);
    EXPECT_LE(diff(MagickRead(file, c.name), ToRgb(*c.pic)), allowed) << c.name;
    QxImage back;
    ASSERT_TRUE(back.Decode(file.data(), uint32_t(file.size()), 0)) << c.name;
    EXPECT_EQ(back.GetType(), c.type) << c.name;
    EXPECT_LE(diff(ToRgb(back), ToRgb(*c.pic)), allowed) << c.name;
  }
}

TEST(ImageEncode, BufferRulesAndFormatIds) {
  Dib24 dib(3, 3);
  QxImage pic;
  ASSERT_TRUE(dib.Build(&pic));
  uint8_t marker = 0x5A;
  uint8_t* buffer = &marker;
  int size = 1234;
  EXPECT_FALSE(pic.Encode(buffer, size, QXIMAGE_FORMAT_BMP));
  EXPECT_EQ(buffer, &marker);
  EXPECT_EQ(size, 1234);
  EXPECT_EQ(marker, 0x5A);
  for (uint32_t type : {0u, 5u, 7u, 99u}) {
    buffer = nullptr;
    EXPECT_FALSE(pic.Encode(buffer, size, type)) << type;
    EXPECT_EQ(buffer, nullptr);
  }
  QxImage empty;
  buffer = nullptr;
  EXPECT_FALSE(empty.Encode(buffer, size, QXIMAGE_FORMAT_BMP));
}

TEST(ImageEncode, SaveAndLoad) {
  TempDir dir;
  Dib24 dib(5, 4, 255, 0, 0);
  QxImage pic;
  ASSERT_TRUE(dib.Build(&pic));
  ASSERT_TRUE(pic.DecreaseBpp(8, true, nullptr, 0));
  pic.SetTransIndex(255);
  const std::string path = dir.File("seal.gif");
  WriteFile(path, std::string(5000, 'x'));  // truncated by Save
  ASSERT_TRUE(pic.Save(path.c_str(), QXIMAGE_FORMAT_GIF));
  const Bytes file = ReadFile(path);
  EXPECT_EQ(file, EncodeToBytes(&pic, QXIMAGE_FORMAT_GIF));
  const PeerGif peer = DecodeWithGiflib(file);
  ASSERT_TRUE(peer.ok);
  EXPECT_EQ(peer.transparent, 255);
  EXPECT_EQ(peer.indices, IndicesTopDown(pic));

  // A known type is tried first; a wrong one falls back to detection.
  for (uint32_t type : {0u, uint32_t{QXIMAGE_FORMAT_GIF}, uint32_t{QXIMAGE_FORMAT_PNG}}) {
    QxImage back;
    ASSERT_TRUE(back.Load(path.c_str(), type)) << type;
    EXPECT_EQ(back.GetType(), QXIMAGE_FORMAT_GIF);
    EXPECT_EQ(back.GetTransIndex(), 255);
    EXPECT_EQ(IndicesTopDown(back), IndicesTopDown(pic));
  }
  QxImage missing;
  EXPECT_FALSE(missing.Load(dir.File("none.gif").c_str(), 0));
  EXPECT_EQ(missing.GetWidth(), 0u);
  EXPECT_FALSE(pic.Save(dir.File("no/such/dir.gif").c_str(), QXIMAGE_FORMAT_GIF));
  EXPECT_FALSE(pic.Save(path.c_str(), 5));
}

TEST(ImageDecode, RubbishIsRefused) {
  const Bytes cases[] = {
      ToBytes("hello world, not a picture"),
      ToBytes("BM"),
      ToBytes("GIF89a"),
      Unhex("FFD8FF E0 00 10"),
      Unhex("89504E470D0A1A0A 0000000D"),
      Unhex("49492A00 08000000 0000"),
  };
  for (const Bytes& b : cases) {
    QxImage pic;
    EXPECT_FALSE(pic.Decode(b.data(), uint32_t(b.size()), 0)) << Hex(b);
    EXPECT_EQ(pic.GetWidth(), 0u);
    EXPECT_STRNE(pic.GetLastError(), "");
  }
  QxImage pic;
  EXPECT_FALSE(pic.Decode(nullptr, 10, 0));
}

}  // namespace
}  // namespace oesqx::test
