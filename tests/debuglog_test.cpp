#include "common/debuglog.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "test_support.h"

namespace oesqx {
namespace {

using test::PathRoot;
using test::ReadFile;

std::time_t g_fake_now = 0;
std::time_t FakeNow() { return g_fake_now; }

// A fixed local time of day makes the line prefix predictable.
std::time_t LocalTime(int hour, int min, int sec) {
  struct tm t = {};
  t.tm_year = 2024 - 1900;
  t.tm_mon = 2;
  t.tm_mday = 15;
  t.tm_hour = hour;
  t.tm_min = min;
  t.tm_sec = sec;
  t.tm_isdst = -1;
  return std::mktime(&t);
}

class DebugLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_fake_now = LocalTime(8, 5, 9);
    dbg::SetClockForTest(FakeNow);
  }
  void TearDown() override {
    dbg::ResetForTest();
    dbg::SetClockForTest(nullptr);
  }
  std::string Contents() const {
    auto b = ReadFile(root_.path() + dbg::CurrentFileForTest());
    return std::string(b.begin(), b.end());
  }
  PathRoot root_;
};

TEST_F(DebugLogTest, FallsBackToTmpWithTimeAndRandomInName) {
  dbg::Str("hello");
  const std::string name = dbg::CurrentFileForTest();
  EXPECT_TRUE(std::regex_match(name, std::regex(R"(/tmp/oes20240315080509\d{4}\.txt)"))) << name;
  struct stat st = {};
  ASSERT_EQ(0, ::lstat((root_.path() + name).c_str(), &st));
  EXPECT_EQ(0600u, st.st_mode & 0777);
}

TEST_F(DebugLogTest, PrefersTheLogFolderWhenItExists) {
  root_.MakeDir("/var/quorix/log/");
  dbg::Str("x");
  EXPECT_EQ(0u, dbg::CurrentFileForTest().rfind("/var/quorix/log/oes", 0));
}

TEST_F(DebugLogTest, LineForms) {
  dbg::Str("OES_GetSeal S");
  dbg::Int(-8193);
  dbg::LabelInt("C_Login=", 160);
  dbg::Str(nullptr);  // writes nothing
  dbg::Data("\x01\x00\x02", 3);
  const std::string expected =
      "080509  str=OES_GetSeal S\r\n-8193\r\n080509  C_Login=160\r\n080509  data=3" +
      std::string("\x01\x00\x02", 3);
  EXPECT_EQ(expected, Contents());
}

TEST_F(DebugLogTest, SwitchesAfterTwelveHoursAndDeletesTheOldFileLater) {
  dbg::Str("first");
  const std::string first = dbg::CurrentFileForTest();

  g_fake_now += 43200;  // exactly 12 hours: still the same file
  dbg::Str("same");
  EXPECT_EQ(first, dbg::CurrentFileForTest());

  g_fake_now += 1;
  dbg::Str("second");
  const std::string second = dbg::CurrentFileForTest();
  ASSERT_FALSE(second.empty());
  EXPECT_NE(first, second);
  EXPECT_EQ(first, dbg::PreviousFileForTest());
  EXPECT_EQ(0, ::access((root_.path() + first).c_str(), F_OK));

  g_fake_now += 30;  // not yet past the grace time
  dbg::Str("still");
  EXPECT_EQ(0, ::access((root_.path() + first).c_str(), F_OK));

  g_fake_now += 1;
  dbg::Str("gone");
  EXPECT_NE(0, ::access((root_.path() + first).c_str(), F_OK));
  const std::string text = Contents();
  EXPECT_NE(std::string::npos, text.find("str=second"));
  EXPECT_NE(std::string::npos, text.find("str=gone"));
}

// The fallback folder is shared: a link planted under the name we would use
// must not be followed, and an existing file must not be truncated.
TEST_F(DebugLogTest, NeverFollowsALinkOrTruncatesAForeignFile) {
  const std::string tmp = root_.path() + "/tmp/";
  const std::string victim = root_.File("victim.txt");
  test::WriteFile(victim, std::string("precious"));
  std::srand(7);
  for (int r = 0; r < 10000; ++r) {
    char name[64];
    std::snprintf(name, sizeof(name), "oes20240315080509%04d.txt", r);
    ASSERT_EQ(0, ::symlink(victim.c_str(), (tmp + name).c_str()));
  }
  dbg::Str("must not land in the victim");
  EXPECT_TRUE(dbg::CurrentFileForTest().empty());
  auto b = ReadFile(victim);
  EXPECT_EQ("precious", std::string(b.begin(), b.end()));
}

TEST_F(DebugLogTest, NoWritableFolderLogsNothingAndRetriesOnlyAfterTwelveHours) {
  std::filesystem::remove_all(root_.path() + "/tmp");
  dbg::Str("lost");
  EXPECT_TRUE(dbg::CurrentFileForTest().empty());
  std::filesystem::create_directories(root_.path() + "/tmp");
  g_fake_now += 60;
  dbg::Str("still lost");
  EXPECT_TRUE(dbg::CurrentFileForTest().empty());
  g_fake_now += 43200;
  dbg::Str("found");
  EXPECT_FALSE(dbg::CurrentFileForTest().empty());
}

}  // namespace
}  // namespace oesqx
