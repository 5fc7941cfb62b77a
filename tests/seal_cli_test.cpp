// `oesqx seal` as a separate process: a sample picture drawn by the tool,
// made into a seal file, listed, and rendered as a GIF that giflib and
// ImageMagick read. The sample seal is also left in <build>/sample/ for the
// README's walk-through.
#include <gif_lib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "seal/seal_operator.h"
#include "seal_fixtures.h"
#include "test_support.h"

namespace oesqx {
namespace {

using test::Bytes;

using ToolRun = test::CommandRun;

ToolRun Sh(const std::string& cmd) { return test::RunShell(cmd); }
ToolRun Tool(const std::string& args) { return test::RunTool(args); }

// The GIF as giflib reads it: size, transparent index, pixel indices (top
// row first).
struct Gif {
  bool ok = false;
  int width = 0, height = 0, transparent = -1;
  Bytes indices;
};

Gif ReadGif(const std::string& path) {
  Gif g;
  int error = 0;
  GifFileType* f = DGifOpenFileName(path.c_str(), &error);
  if (f == nullptr) return g;
  if (DGifSlurp(f) == GIF_OK && f->ImageCount >= 1) {
    g.ok = true;
    g.width = f->SWidth;
    g.height = f->SHeight;
    GraphicsControlBlock gcb;
    if (DGifSavedExtensionToGCB(f, 0, &gcb) == GIF_OK) g.transparent = gcb.TransparentColor;
    const SavedImage& im = f->SavedImages[0];
    g.indices.assign(im.RasterBits, im.RasterBits + im.ImageDesc.Width * im.ImageDesc.Height);
  }
  DGifCloseFile(f, &error);
  return g;
}

std::string BuildDir() {
  const std::string tool = OESQX_TOOL_FILE;  // <build>/bin/oesqx
  const std::string bin = tool.substr(0, tool.rfind('/'));
  return bin.substr(0, bin.rfind('/'));
}

class SealCliTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
  std::string F(const char* name) const { return dir_.File(name); }
};

TEST_F(SealCliTest, SampleMakeShowRender) {
  ASSERT_EQ(0, Tool("seal sample " + F("s.bmp") + " 120").exit_code);
  const ToolRun make = Tool("seal make " + F("s.bmp") + " " + F("s.seal") +
                        " --id QX-0001 --name '测试公章' --maker 'Maker' --text3 third"
                        " --valid-until 2030-12-31 --display 150x150");
  ASSERT_EQ(0, make.exit_code) << make.out;

  const ToolRun show = Tool("seal show " + F("s.seal"));
  ASSERT_EQ(0, show.exit_code) << show.out;
  for (const char* line : {"form: V6\n", "  seal id: QX-0001\n", "  name: 测试公章\n",
                           "  maker: Maker\n", "  text3: third\n", "  kind: official (0x200)\n",
                           "  valid until: 2030-12-31 (day 11531)\n", "  picture: 120x120, 24 bits\n",
                           "  display: 150x150\n"}) {
    EXPECT_NE(std::string::npos, show.out.find(line)) << line << "\n" << show.out;
  }

  // The same records through the library, and an export of the seal.
  const Bytes file = test::ReadFile(F("s.seal"));
  CSealOperator op;
  ASSERT_EQ(static_cast<int>(file.size()), op.LoadData(file.data(), static_cast<int>(file.size())));
  SEAL_DATA_V6* r = op.GetSealData(0, nullptr);
  ASSERT_NE(nullptr, r);
  EXPECT_STREQ("QX-0001", r->cSealID);
  EXPECT_STREQ("\xB2\xE2\xCA\xD4\xB9\xAB\xD5\xC2", r->cSealName);  // GB2312
  EXPECT_EQ(11531u, r->dwValidEnd);
  unsigned char* exported = nullptr;
  const int n = op.GenerateOneSeal(r, 0, &exported, nullptr);
  ASSERT_GT(n, 0);
  CSealOperator again;
  EXPECT_EQ(n, again.LoadData(exported, n));
  std::free(exported);
  ASSERT_NE(nullptr, again.GetSealData(r->head.dwID, nullptr));
  EXPECT_EQ(0, std::memcmp(r, again.GetSealData(r->head.dwID, nullptr), r->head.dwLength));

  ASSERT_EQ(0, Tool("seal render " + F("s.seal") + " " + F("s.gif")).exit_code);
  const Gif g = ReadGif(F("s.gif"));
  ASSERT_TRUE(g.ok);
  EXPECT_EQ(120, g.width);
  EXPECT_EQ(120, g.height);
  EXPECT_EQ(255, g.transparent);
  EXPECT_EQ(255, g.indices.front());  // white corner: transparent
  size_t red = 0;
  for (uint8_t i : g.indices) red += i != 255;
  EXPECT_GT(red, 120u * 120 / 20);  // the ring and strokes stay
  const ToolRun id = Sh("identify -format '%m %w %h' " + F("s.gif"));
  EXPECT_EQ(0, id.exit_code) << id.out;
  EXPECT_EQ("GIF 120 120", id.out);
}

TEST_F(SealCliTest, PasswordAndPacking) {
  ASSERT_EQ(0, Tool("seal sample " + F("s.bmp") + " 64").exit_code);
  ASSERT_EQ(0, Tool("seal make " + F("s.bmp") + " " + F("p.seal") +
                    " --id P --name N --password pw --pack --bits 8 --personal")
                   .exit_code);
  const Bytes file = test::ReadFile(F("p.seal"));
  ASSERT_GT(file.size(), 12u);
  EXPECT_EQ(0, std::memcmp(file.data(), "ECSL", 4));
  EXPECT_EQ(1, Tool("seal show " + F("p.seal")).exit_code);
  const ToolRun show = Tool("seal show " + F("p.seal") + " --password pw");
  ASSERT_EQ(0, show.exit_code) << show.out;
  EXPECT_NE(std::string::npos, show.out.find("form: packed V6\n"));
  EXPECT_NE(std::string::npos, show.out.find("  kind: personal (0x100)\n"));
  EXPECT_NE(std::string::npos, show.out.find("  picture: 64x64, 8 bits\n"));
  EXPECT_EQ(1, Tool("seal render " + F("p.seal") + " " + F("p.gif")).exit_code);
  ASSERT_EQ(0, Tool("seal render " + F("p.seal") + " " + F("p.gif") + " --password pw").exit_code);
  const Gif g = ReadGif(F("p.gif"));
  ASSERT_TRUE(g.ok);
  EXPECT_EQ(64, g.width);
  EXPECT_EQ(255, g.transparent);
}

TEST_F(SealCliTest, LegacyFilesShowAndRender) {
  test::V4Spec spec;
  spec.width = 3;
  spec.picture = Bytes(24, 0xFF);  // 3 x 2 white, 24-bit rows
  test::WriteFile(F("old.seal"), test::WriteV4File(spec));
  const ToolRun show = Tool("seal show " + F("old.seal"));
  ASSERT_EQ(0, show.exit_code) << show.out;
  EXPECT_NE(std::string::npos, show.out.find("form: V4\n"));
  EXPECT_NE(std::string::npos, show.out.find("  seal id: V4-ID\n"));
  ASSERT_EQ(0, Tool("seal render " + F("old.seal") + " " + F("old.gif")).exit_code);
  const Gif g = ReadGif(F("old.gif"));
  ASSERT_TRUE(g.ok);
  EXPECT_EQ(Bytes(6, 255), g.indices);
}

TEST_F(SealCliTest, UsageAndBadInput) {
  test::WriteFile(F("junk"), std::string("not a seal at all"));
  const struct {
    std::string args;
    int code;
  } cases[] = {
      {"seal", 2},
      {"seal nonsense", 2},
      {"seal make only-one", 2},
      {"seal make a b --id X", 2},
      {"seal make a b --id X --name Y --valid-until 2030-13-01", 2},
      {"seal make a b --id X --name Y --bits 4", 2},
      {"seal make " + F("junk") + " " + F("o.seal") + " --id X --name Y", 1},
      {"seal show " + F("junk"), 1},
      {"seal show " + F("missing"), 1},
      {"seal render " + F("junk") + " " + F("o.gif"), 1},
      {"seal sample " + F("x.bmp") + " 5", 2},
  };
  for (const auto& c : cases) EXPECT_EQ(c.code, Tool(c.args).exit_code) << c.args;
}

// Leaves sample.bmp, sample.seal and sample.gif in <build>/sample/.
TEST_F(SealCliTest, BuildsTheSampleSeal) {
  const std::string dir = BuildDir() + "/sample";
  ::mkdir(dir.c_str(), 0755);
  ASSERT_EQ(0, Tool("seal sample " + dir + "/sample.bmp 240").exit_code);
  ASSERT_EQ(0, Tool("seal make " + dir + "/sample.bmp " + dir +
                    "/sample.seal --id QX-SAMPLE-0001 --name '示例公章' --valid-until 2035-12-31")
                   .exit_code);
  ASSERT_EQ(0, Tool("seal render " + dir + "/sample.seal " + dir + "/sample.gif").exit_code);
  EXPECT_TRUE(ReadGif(dir + "/sample.gif").ok);
}

}  // namespace
}  // namespace oesqx
