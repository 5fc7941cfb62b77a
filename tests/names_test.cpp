// Temporary file names, exclusive temporary files, object names and
// identifiers.
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "common/encoding.h"
#include "common/names.h"
#include "common/settings.h"
#include "test_support.h"

namespace {

using oesqx::test::PathRoot;
using oesqx::test::ReadFile;
using oesqx::test::WriteFile;

// True when every character of `s` satisfies `pred`, and there is one.
template <typename Pred>
bool AllOf(const std::string& s, Pred pred) {
  if (s.empty()) return false;
  for (char c : s) {
    if (!pred(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

bool UpperHex(unsigned char c) { return std::isdigit(c) || (c >= 'A' && c <= 'F'); }
bool LowerHex(unsigned char c) { return std::isdigit(c) || (c >= 'a' && c <= 'f'); }

class NamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memcpy(saved_temp_path_, g_cTempPath, sizeof saved_temp_path_);
    saved_index_ = g_nCurrNameIndex;
    g_cTempPath[0] = '\0';
    tmp_ = root_.path() + "/tmp/";
  }
  void TearDown() override {
    std::memcpy(g_cTempPath, saved_temp_path_, sizeof saved_temp_path_);
    g_nCurrNameIndex = saved_index_;
  }

  // The name the next call will try first after srand(seed).
  std::string FirstDraw(unsigned seed, const std::string& dir, const char* ext) {
    std::srand(seed);
    return dir + std::to_string(std::rand() & 0x7FFFF) + ext;
  }

  PathRoot root_;
  std::string tmp_;
  char saved_temp_path_[sizeof g_cTempPath];
  int saved_index_ = 0;
};

TEST_F(NamesTest, TempFileNameForms) {
  const struct {
    const char* suffix;
    const char* ext;
  } cases[] = {{"png", ".png"}, {".png", ".png"}, {nullptr, ".tmp"}, {"", ".tmp"}, {"tar.gz", ".tar.gz"}};
  for (const auto& c : cases) {
    for (int i = 0; i < 20; ++i) {
      char out[512];
      G_GetTempFileName(out, c.suffix);
      const std::string name = out;
      ASSERT_EQ(name.rfind(tmp_, 0), 0u) << name;
      const std::string rest = name.substr(tmp_.size());
      const std::string number = rest.substr(0, rest.find('.'));
      ASSERT_TRUE(AllOf(number, [](unsigned char ch) { return std::isdigit(ch) != 0; })) << name;
      EXPECT_EQ(rest.substr(number.size()), c.ext);
      EXPECT_LE(std::stol(number), 0x7FFFF);
    }
  }
}

TEST_F(NamesTest, ConfiguredDirectoryIsUsedAsGiven) {
  const std::string dir = root_.MakeDir("/elsewhere/");
  oesqx::CopySetting(g_cTempPath, sizeof g_cTempPath, dir.c_str());
  char out[512];
  G_GetTempFileName(out, "gif");
  EXPECT_EQ(std::string(out).rfind(dir, 0), 0u) << out;
}

// Names already taken, by a file or by a link to nowhere, are skipped.
TEST_F(NamesTest, TakenNamesAreSkipped) {
  const std::string file = FirstDraw(7, tmp_, ".tmp");
  WriteFile(file, "x");
  std::srand(7);
  char out[512];
  G_GetTempFileName(out, nullptr);
  EXPECT_NE(out, file);

  const std::string link = FirstDraw(11, tmp_, ".png");
  ASSERT_EQ(symlink((root_.path() + "/nowhere").c_str(), link.c_str()), 0);
  std::srand(11);
  G_GetTempFileName(out, "png");
  EXPECT_NE(out, link);
}

TEST_F(NamesTest, ExclusiveCreateMakesAPrivateNewFile) {
  std::string path;
  std::FILE* f = oesqx::CreateTempFileExclusive("gif", &path);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(path.rfind(tmp_, 0), 0u);
  EXPECT_EQ(path.substr(path.size() - 4), ".gif");
  std::fputs("GIF89a", f);
  std::fclose(f);
  EXPECT_EQ(ReadFile(path).size(), 6u);
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// A link planted at the drawn name between the check and the create is
// neither followed nor truncated: the file comes out under another name.
TEST_F(NamesTest, ExclusiveCreateNeverWritesThroughALink) {
  const std::string target = root_.File("victim");
  WriteFile(target, "keep");
  const std::string first = FirstDraw(3, tmp_, ".tmp");
  ASSERT_EQ(symlink(target.c_str(), first.c_str()), 0);
  std::srand(3);
  std::string path;
  const int fd = oesqx::CreateTempFdExclusive(nullptr, &path);
  ASSERT_GE(fd, 0);
  close(fd);
  EXPECT_NE(path, first);
  EXPECT_EQ(ReadFile(target), oesqx::test::ToBytes("keep"));
}

TEST_F(NamesTest, ExclusiveCreateFailsInAMissingDirectory) {
  oesqx::CopySetting(g_cTempPath, sizeof g_cTempPath, (root_.path() + "/missing/").c_str());
  std::string path = "unchanged";
  EXPECT_EQ(oesqx::CreateTempFileExclusive(nullptr, &path), nullptr);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(path, "unchanged");
}

TEST_F(NamesTest, GenerateNameCountsAndWraps) {
  g_nCurrNameIndex = 0;
  char a[17];
  char b[17];
  G_GenerateName(a);
  G_GenerateName(b);
  EXPECT_EQ(std::strlen(a), 16u);
  EXPECT_TRUE(AllOf(a, UpperHex)) << a;
  EXPECT_EQ(std::string(a + 12), "0000");
  EXPECT_EQ(std::string(b + 12), "0001");
  for (int i = 2; i < 65536; ++i) G_GenerateName(b);
  EXPECT_EQ(std::string(b + 12), "FFFF");
  G_GenerateName(b);
  EXPECT_EQ(std::string(b + 12), "0000");
  EXPECT_EQ(g_nCurrNameIndex, 1);
  G_GenerateName(nullptr);
}

TEST_F(NamesTest, GenerateGuidLayout) {
  std::srand(42);
  unsigned r[6];
  for (unsigned& v : r) v = static_cast<unsigned>(std::rand()) & 0xFFFF;
  char want[25];
  std::snprintf(want, sizeof want, "%04X%04x%04X%04X%04X%04X", r[5], r[4], r[3], r[2], r[1], r[0]);
  std::srand(42);
  char guid[40];
  std::memset(guid, 'z', sizeof guid);
  G_GenerateGUID(guid);
  ASSERT_EQ(std::strlen(guid), 32u);
  const std::string g = guid;
  EXPECT_TRUE(AllOf(g.substr(0, 12), UpperHex)) << g;
  EXPECT_TRUE(AllOf(g.substr(12, 4), LowerHex)) << g;
  EXPECT_TRUE(AllOf(g.substr(16), UpperHex)) << g;
  // After the time: r6, r5 (lower case), r4, r3, r2, r1.
  EXPECT_EQ(std::string(guid + 8), want);
  G_GenerateGUID(nullptr);
}

}  // namespace
