// `oesqx webseal show` as a separate process: store data and text-form
// files written by the test writer are listed, checked against a form data
// file, and their seal and handwriting pictures rendered as GIFs that
// giflib reads.
#include <gif_lib.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "crypto/digest.h"
#include "test_support.h"
#include "webseal_writer.h"

namespace oesqx {
namespace {

using namespace test::webseal;

using ToolRun = test::CommandRun;

ToolRun Tool(const std::string& args) { return test::RunTool(args); }

// The GIF as giflib reads it, with the colour of each pixel (top row first).
struct Gif {
  bool ok = false;
  int width = 0, height = 0, transparent = -1;
  std::vector<int> index;
  ColorMapObject* map = nullptr;
  std::vector<GifColorType> colors;
  GifColorType At(int x, int y) const { return colors[index[y * width + x]]; }
};

Gif ReadGif(const std::string& path) {
  Gif g;
  int error = 0;
  GifFileType* f = DGifOpenFileName(path.c_str(), &error);
  if (f == nullptr) return g;
  if (DGifSlurp(f) == GIF_OK && f->ImageCount >= 1) {
    const SavedImage& im = f->SavedImages[0];
    const ColorMapObject* map = im.ImageDesc.ColorMap != nullptr ? im.ImageDesc.ColorMap : f->SColorMap;
    g.ok = map != nullptr;
    g.width = im.ImageDesc.Width;
    g.height = im.ImageDesc.Height;
    GraphicsControlBlock gcb;
    if (DGifSavedExtensionToGCB(f, 0, &gcb) == GIF_OK) g.transparent = gcb.TransparentColor;
    if (map != nullptr) g.colors.assign(map->Colors, map->Colors + map->ColorCount);
    g.index.assign(im.RasterBits, im.RasterBits + g.width * g.height);
  }
  DGifCloseFile(f, &error);
  return g;
}

Bytes Sha1(const Bytes& data) {
  Bytes d(20);
  GenerateSHA(d.data(), data.data(), static_cast<unsigned>(data.size()));
  return d;
}

bool Reddish(const GifColorType& c) { return c.Red > 150 && c.Green < 130 && c.Blue < 130; }

class WebSealShow : public ::testing::Test {
 protected:
  test::TempDir dir;
  std::string F(const std::string& name) { return dir.File(name); }
};

TEST_F(WebSealShow, StoreDataListsChecksAndRenders) {
  const Bytes form = test::ToBytes("invoice=42&total=99.50");
  test::WriteFile(F("form.txt"), form);
  test::WriteFile(F("other.txt"), std::string("invoice=43"));

  Record v6;
  v6.seal_data = MakeV6Seal(60, 40, "ID-6", "Seal6");
  v6.form_digest = Sha1(form);
  v6.user_id = "alice";
  v6.seal_time = 1700000000;
  v6.has_position = true;
  v6.x = 10;
  v6.y = 20;
  Record v4;
  v4.seal_data = MakeV4Seal(32, 32, "ID-4", "Seal4", 0, Bytes(16, 0x5A));
  v4.has_seal_key = true;
  v4.seal_key = Bytes(16, 0x5A);
  v4.form_digest = Sha1(form);
  Record hw;
  hw.flags = kHandwriting | kStrokes;
  {
    ByteWriter w(&hw.seal_data);
    w.PutU16(80);
    w.PutU16(40);
    const Bytes strokes = StrokeBytes(0, 0, 80, 40, {{0x0000FF, {{6, 10, 20}, {6, 70, 20}}}});
    w.PutBytes(strokes.data(), strokes.size());
  }
  const Bytes store = StoreBytes({{"six", "top", ControlData(RecordBytes(v6), 3, 0)},
                                  {"four", "middle", ControlData(RecordBytes(v4), 11, 1)},
                                  {"pen", "bottom", ControlData(RecordBytes(hw), 0, 0)}});
  test::WriteFile(F("store.txt"), Base64(store));

  ToolRun r = Tool("webseal show " + F("store.txt") + " --form " + F("form.txt"));
  ASSERT_EQ(r.exit_code, 0) << r.out;
  EXPECT_NE(r.out.find("controls: 3"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("1. name: six\n   position: top\n   at: 10,20"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("   user: alice"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("   picture: handwriting"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("form digest: matches"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("does not match"), std::string::npos) << r.out;

  r = Tool("webseal show " + F("store.txt") + " --form " + F("other.txt"));
  EXPECT_NE(r.out.find("form digest: does not match"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("matches"), std::string::npos) << r.out;

  struct Case {
    const char* name;
    int width, height;
    int red_x, red_y;  // a pixel of the ring or stroke
  };
  const Case cases[] = {{"six", 60, 40, 30, 1}, {"four", 32, 32, 16, 1}, {"pen", 80, 40, 40, 20}};
  for (const Case& c : cases) {
    const std::string out = F(std::string(c.name) + ".gif");
    r = Tool("webseal show " + F("store.txt") + " --gif " + c.name + " " + out);
    ASSERT_EQ(r.exit_code, 0) << r.out;
    const Gif g = ReadGif(out);
    ASSERT_TRUE(g.ok) << c.name;
    EXPECT_EQ(g.width, c.width) << c.name;
    EXPECT_EQ(g.height, c.height) << c.name;
    EXPECT_EQ(g.transparent, 255) << c.name;
    EXPECT_TRUE(Reddish(g.At(c.red_x, c.red_y))) << c.name;
    EXPECT_EQ(g.index[0], 255) << c.name << ": white corner is transparent";
  }
  r = Tool("webseal show " + F("store.txt") + " --gif nosuch " + F("x.gif"));
  EXPECT_EQ(r.exit_code, 1);
}

TEST_F(WebSealShow, TextFormWithHandwriting) {
  TextBlock b;
  b.seal_name = "Signed";
  b.seal_position = "sig";
  b.user_id = "bob";
  b.extra = "hw_data:50,30," +
            Base64(StrokeBytes(0, 0, 50, 30, {{0x0000FF, {{4, 5, 15}, {4, 45, 15}}}})) + ";";
  TextBlock seal;
  seal.seal_name = "Stamp";
  seal.seal_data = MakeV6Seal(20, 20, "S", "N");
  test::WriteFile(F("text.txt"), TextBlockString(b) + "\n" + TextBlockString(seal));
  ToolRun r = Tool("webseal show " + F("text.txt") + " --gif '' " + F("hw.gif"));
  ASSERT_EQ(r.exit_code, 0) << r.out;
  EXPECT_NE(r.out.find("form: text\ncontrols: 2"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("time: 2024-01-02 03:04:05"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("form digest: not checked"), std::string::npos) << r.out;
  const Gif g = ReadGif(F("hw.gif"));
  ASSERT_TRUE(g.ok);
  EXPECT_EQ(g.width, 50);
  EXPECT_EQ(g.height, 30);
  EXPECT_TRUE(Reddish(g.At(25, 15)));
}

TEST_F(WebSealShow, BadInputs) {
  test::WriteFile(F("bad.txt"), std::string("AAAA"));
  EXPECT_EQ(Tool("webseal show " + F("bad.txt")).exit_code, 1);
  EXPECT_EQ(Tool("webseal show " + F("missing.txt")).exit_code, 1);
  EXPECT_EQ(Tool("webseal show").exit_code, 2);
  EXPECT_EQ(Tool("webseal list").exit_code, 2);
}

}  // namespace
}  // namespace oesqx
