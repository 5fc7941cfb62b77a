// The oesqx command-line tool, run as a separate process.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "test_support.h"

namespace oesqx {
namespace {

using RunResult = test::CommandRun;
using test::RunTool;

class CliTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
};

TEST_F(CliTest, DigestsOfAFile) {
  const std::string file = dir_.File("abc.txt");
  test::WriteFile(file, std::string("abc"));
  const struct {
    const char* algo;
    const char* hex;
  } cases[] = {
      {"sm3", "66c7f0f462eeedd9d1f2d46bdc10e4e24167c4875cf2f7a2297da02b8f4ba8e0"},
      {"sha1", "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {"md5", "900150983cd24fb0d6963f7d28e17f72"},
  };
  for (const auto& c : cases) {
    const RunResult r = RunTool(std::string("digest ") + c.algo + " " + file);
    EXPECT_EQ(0, r.exit_code) << r.out;
    EXPECT_EQ(0u, r.out.rfind(c.hex, 0)) << r.out;
  }
  EXPECT_EQ(2, RunTool("digest sha512 " + file).exit_code);
  EXPECT_EQ(1, RunTool("digest sm3 " + dir_.File("missing")).exit_code);
}

TEST_F(CliTest, Base64AndCompressedTextRoundTrips) {
  test::Bytes data;
  for (int i = 0; i < 70000; ++i) data.push_back(static_cast<uint8_t>(i * 7 + (i >> 9)));
  const std::string in = dir_.File("in.bin");
  test::WriteFile(in, data);
  for (const char* form : {"base64", "ctext"}) {
    const std::string text = dir_.File(std::string(form) + ".txt");
    const std::string back = dir_.File(std::string(form) + ".bin");
    ASSERT_EQ(0, RunTool(std::string(form) + " encode " + in + " " + text).exit_code) << form;
    ASSERT_EQ(0, RunTool(std::string(form) + " decode " + text + " " + back).exit_code) << form;
    EXPECT_EQ(data, test::ReadFile(back)) << form;
  }
  const std::string plain = dir_.File("plain.txt");
  test::WriteFile(plain, std::string("not compressed text"));
  EXPECT_EQ(1, RunTool("ctext decode " + plain + " " + dir_.File("x")).exit_code);
}

TEST_F(CliTest, InfoAndDemo) {
  const RunResult info = RunTool("info");
  EXPECT_EQ(0, info.exit_code);
  EXPECT_NE(std::string::npos, info.out.find("provider: QX"));
  const RunResult demo = RunTool("demo " + dir_.File("demo"));
  EXPECT_EQ(0, demo.exit_code) << demo.out;
  EXPECT_NE(std::string::npos, demo.out.find("demo finished"));
  EXPECT_EQ(2, RunTool("no-such-command").exit_code);
}

}  // namespace
}  // namespace oesqx
