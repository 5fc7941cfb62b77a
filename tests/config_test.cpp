#include "common/config.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/settings.h"
#include "test_support.h"

namespace oesqx {
namespace {

// Puts every setting back to its load-time default.
void ResetSettings() {
  config::ResetForTest();
  g_blUtf8Mode = 1;
  g_blEncTransParam = 0;
  g_blJianCeMode = 0;
  g_cSealServAddr[0] = g_cSealPubServAddr[0] = g_cXTMDll[0] = g_cXTMAppName[0] = '\0';
  std::memset(g_oSKFDll, 0, sizeof(g_oSKFDll));
  std::memset(g_cPKCSDll, 0, sizeof(g_cPKCSDll));
  config::SetPendingUploadHook(nullptr);
}

class ConfigTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetSettings(); }
  void TearDown() override { ResetSettings(); }
  void Apply(const std::string& text) { config::ApplyText(text.c_str()); }
  test::PathRoot root_;
};

struct ValueCase {
  const char* text;
  const char* expected_serv_addr;
};

TEST_F(ConfigTest, ValueKeyForms) {
  const std::string max_value(299, 'a');
  const std::string too_long(300, 'b');
  const std::string max_line = "ServAddr=" + max_value;
  const std::string long_line = "ServAddr=" + too_long;
  const ValueCase cases[] = {
      {"ServAddr   =   10.0.0.5\r\n", "10.0.0.5"},
      {"[section]\nServAddr=1.2.3.4\nother", "1.2.3.4"},
      {"ServAddr: 10.0.0.5\n", ""},                    // no "=": nothing taken
      {"ServAddr=\n", ""},                             // empty value
      {"MyServAddr=5.6.7.8", "5.6.7.8"},                // substring match
      {"ServAddr=1.1.1.1  \n", "1.1.1.1  "},           // trailing spaces kept
      {"ServAddr=a\nServAddr=b\n", "a"},                // first occurrence only
      {max_line.c_str(), max_value.c_str()},
      {long_line.c_str(), ""},
  };
  for (const ValueCase& c : cases) {
    ResetSettings();
    Apply(c.text);
    EXPECT_STREQ(c.expected_serv_addr, g_cSealServAddr) << c.text;
  }
}

TEST_F(ConfigTest, FlagKeysMustBeWrittenWithoutSpaces) {
  Apply("ANSI_MODE = 1\nJIANCE_MODE=1\n");
  EXPECT_EQ(1, g_blUtf8Mode);
  EXPECT_EQ(1, g_blJianCeMode);
  EXPECT_EQ(0, g_blEncTransParam);
  Apply("ANSI_MODE=1\nENC_TRANSPARAM_MODE=1");
  EXPECT_EQ(0, g_blUtf8Mode);
  EXPECT_EQ(1, g_blEncTransParam);
}

TEST_F(ConfigTest, DriverSlots) {
  Apply("SKF_DLL_PATH10=/usr/lib/ten.so\nSKF_DLL_PATH1=/usr/lib/one.so\n"
        "PKCS_DLL_PATH7=/usr/lib/p7.so\nXTM_DLL_PATH=/opt/x.so\nXTM_APP_NAME=app\n");
  // The search for slot 1 finds the slot-10 line first and sees "0", not "=".
  EXPECT_STREQ("/usr/lib/ten.so", g_oSKFDll[10]);
  EXPECT_STREQ("", g_oSKFDll[1]);
  EXPECT_STREQ("/usr/lib/p7.so", g_cPKCSDll[7]);
  EXPECT_STREQ("/opt/x.so", g_cXTMDll);
  EXPECT_STREQ("app", g_cXTMAppName);
}

TEST_F(ConfigTest, ValuesAreBoundedByTheirGlobal) {
  const std::string name(63, 'n');
  Apply("XTM_APP_NAME=" + name + "\n");
  EXPECT_EQ(name, g_cXTMAppName);
  ResetSettings();
  Apply("XTM_APP_NAME=" + name + "x\n");
  EXPECT_STREQ("", g_cXTMAppName);
}

TEST_F(ConfigTest, ReadsTheFirstReadableFileOnce) {
  root_.MakeDir("/var/quorix/");
  root_.MakeDir("/usr/lib/");
  const std::string first = root_.path() + "/var/quorix/plugin.ini";
  test::WriteFile(first, std::string("ServAddr=first\n"));
  test::WriteFile(root_.path() + "/usr/lib/plugin.ini", std::string("ServAddr=second\nANSI_MODE=1"));
  if (::geteuid() == 0) {
    // root reads any file: make the first one unopenable with a link loop
    ::unlink(first.c_str());
    ASSERT_EQ(0, ::symlink(first.c_str(), first.c_str()));
  } else {
    ::chmod(first.c_str(), 0);
  }
  int uploads = 0;
  config::SetPendingUploadHook([&] { ++uploads; });
  ReadOESServAdd();
  EXPECT_EQ(1, g_blReadSealServInf);
  EXPECT_STREQ("second", g_cSealServAddr);
  EXPECT_EQ(0, g_blUtf8Mode);
  EXPECT_EQ(0, uploads);  // no publishing server configured

  g_cSealServAddr[0] = '\0';
  ReadOESServAdd();  // processed once per process
  EXPECT_STREQ("", g_cSealServAddr);
}

TEST_F(ConfigTest, AddressSetBeforehandKeepsTheFileUnread) {
  root_.MakeDir("/usr/lib/");
  test::WriteFile(root_.path() + "/usr/lib/plugin.ini", std::string("SKF_DLL_PATH0=/x.so\n"));
  std::strcpy(g_cSealServAddr, "preset");
  ReadOESServAdd();
  EXPECT_EQ(0, g_blReadSealServInf);
  EXPECT_STREQ("", g_oSKFDll[0]);
}

TEST_F(ConfigTest, PublishingServerTriggersTheUpload) {
  test::WriteFile(root_.path() + "/tmp/plugin.ini", std::string("PublishAddr=http://10.1.1.1:8080\n"));
  int uploads = 0;
  config::SetPendingUploadHook([&] { ++uploads; });
  ReadOESServAdd();
  EXPECT_STREQ("http://10.1.1.1:8080", g_cSealPubServAddr);
  EXPECT_EQ(1, uploads);
}

TEST_F(ConfigTest, MissingOrEmptyFileKeepsDefaults) {
  test::WriteFile(root_.path() + "/tmp/plugin.ini", std::string());
  ReadOESServAdd();
  EXPECT_EQ(1, g_blReadSealServInf);
  EXPECT_EQ(1, g_blUtf8Mode);
  EXPECT_STREQ("", g_cSealServAddr);
}

}  // namespace
}  // namespace oesqx
