// The Qt dialog library, loaded as liboesqx loads it (dlopen, plain names)
// and shown for real under X; xdotool types and presses keys from a helper
// thread while the dialog runs on the test's thread.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "common/debuglog.h"
#include "common/paths.h"
#include "dialog_script.h"
#include "dialog_x11.h"
#include "dialogs/dialogs.h"
#include "dialogs/qxdlgcb.h"
#include "test_support.h"

namespace oesqx::test {
namespace {

namespace fs = std::filesystem;

constexpr const char kPinTitle[] = "输入密码";
constexpr const char kMessageTitle[] = "Quorix";

class QtDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string why = x11::WhyNoX();
    if (!why.empty()) GTEST_SKIP() << why;
    lib_ = ::dlopen(OESQX_QXDLGCB_LIB, RTLD_LAZY | RTLD_LOCAL);
    ASSERT_NE(nullptr, lib_) << ::dlerror();
    message_box_ = reinterpret_cast<PFN_MessageBoxCB>(::dlsym(lib_, QXDLGCB_MESSAGEBOX_NAME));
    pin_dialog_ = reinterpret_cast<PFN_ShowPinDialogCB>(::dlsym(lib_, QXDLGCB_SHOWPINDIALOG_NAME));
    ASSERT_NE(nullptr, message_box_);
    ASSERT_NE(nullptr, pin_dialog_);
  }
  void TearDown() override {
    if (lib_ != nullptr) ::dlclose(lib_);
  }

  // The application object Qt knows of, read from the library's own Qt.
  void* QtApplication() const {
    auto* self = static_cast<void**>(::dlsym(lib_, "_ZN16QCoreApplication4selfE"));
    return self != nullptr ? *self : nullptr;
  }

  // Runs `show` on this thread while `drive` works the window titled
  // `title` from another; `window` tells whether it appeared.
  template <typename Show, typename Drive>
  int WithWindow(const char* title, bool* window, Show show, Drive drive) {
    std::thread driver([&] {
      const std::string id = x11::WaitForNewWindow(title, &windows_seen_);
      *window = !id.empty();
      if (id.empty()) return;
      x11::Focus(id);
      drive(id);
    });
    const int rc = show();
    driver.join();
    return rc;
  }

  std::set<std::string> windows_seen_;
  void* lib_ = nullptr;
  PFN_MessageBoxCB message_box_ = nullptr;
  PFN_ShowPinDialogCB pin_dialog_ = nullptr;
  x11::DisplayLock display_lock_;  // taken before the watchdog starts
  x11::Watchdog watchdog_{60};
};

TEST_F(QtDialogs, PinDialogKeys) {
  const std::string forty = "abcdefghijklmnopqrstuvwxyz0123456789ABCD";
  const struct {
    const char* name;
    std::string typed;
    const char* key;
    int result;
    std::string pin;
  } cases[] = {
      {"Enter presses OK", "246810", "Return", 0, "246810"},
      {"40 characters come back as 31", forty, "Return", 0, forty.substr(0, 31)},
      {"Escape rejects", "1357", "Escape", 1, "untouched"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    char pin[QXDLGCB_PIN_BUFFER_SIZE] = "untouched";
    bool window = false;
    std::string geometry;
    const int rc = WithWindow(kPinTitle, &window, [&] { return pin_dialog_(pin); },
                              [&](const std::string& id) {
                                geometry = x11::Capture("xdotool getwindowgeometry " + id);
                                x11::Type(c.typed);
                                if (c.key == std::string("Return")) x11::Screenshot("qt_pin");
                                x11::Key(c.key);
                              });
    EXPECT_TRUE(window);
    EXPECT_EQ(c.result, rc);
    EXPECT_EQ(c.pin, pin);
    // Fixed size, centred on the screen.
    int width = 0, height = 0;
    ASSERT_EQ(2, std::sscanf(x11::Capture("xdotool getdisplaygeometry").c_str(), "%d %d", &width,
                             &height));
    const std::string position = "Position: " + std::to_string(width / 2 - 356 / 2) + "," +
                                 std::to_string(height / 2 - 135 / 2);
    EXPECT_NE(std::string::npos, geometry.find(position)) << geometry;
    EXPECT_NE(std::string::npos, geometry.find("Geometry: 356x135")) << geometry;
  }
}

TEST_F(QtDialogs, ApplicationObjectIsCreatedOnce) {
  char pin[QXDLGCB_PIN_BUFFER_SIZE];
  bool window = false;
  auto escape = [](const std::string&) { x11::Key("Escape"); };
  EXPECT_EQ(1, WithWindow(kPinTitle, &window, [&] { return pin_dialog_(pin); }, escape));
  void* first = QtApplication();
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(1, WithWindow(kPinTitle, &window, [&] { return pin_dialog_(pin); }, escape));
  EXPECT_EQ(first, QtApplication());
}

TEST_F(QtDialogs, NullBufferAndEmptyMessageShowNothing) {
  // Either would block on a dialog (and trip the watchdog) if it showed one.
  EXPECT_EQ(1, pin_dialog_(nullptr));
  EXPECT_EQ(0, message_box_(2, ""));
  EXPECT_EQ(0, message_box_(2, nullptr));
}

TEST_F(QtDialogs, MessageBoxIsTitledAndClosesWithEnter) {
  bool window = false;
  const int rc = WithWindow(kMessageTitle, &window, [&] { return message_box_(2, "印章不在有效期内 %d"); },
                            [](const std::string&) {
                              x11::Screenshot("qt_msg");
                              x11::Key("Return");
                            });
  EXPECT_TRUE(window);
  EXPECT_EQ(0, rc);
}

// The shipped library, installed at one of the fixed places, is what the
// dialog service finds and uses.
TEST_F(QtDialogs, ServiceLoadsTheLibraryThroughItsSearch) {
  PathRoot root;
  fs::create_directories(root.path() + "/opt/quorix");
  fs::copy_file(OESQX_QXDLGCB_LIB, root.path() + "/opt/quorix/libqxdlgcb.so");
  FreeDialogDrv();

  char pin[OESQX_PIN_BUFFER_SIZE] = "stale";
  bool window = false;
  const int rc = WithWindow(kPinTitle, &window, [&] { return ShowPinDialog(pin); },
                            [](const std::string&) {
                              x11::Type("8080");
                              x11::Key("Return");
                            });
  EXPECT_TRUE(window);
  EXPECT_EQ(1, rc);
  EXPECT_STREQ("8080", pin);
  EXPECT_NE(nullptr, g_hDialogCB);
  EXPECT_NE(nullptr, pfnMessageBoxCB);
  EXPECT_EQ(0, g_inShowPinMode);

  const int shown = WithWindow(kMessageTitle, &window, [&] { return MessageBox(nullptr, 2, "经由服务"); },
                               [](const std::string&) { x11::Key("Return"); });
  EXPECT_TRUE(window);
  EXPECT_EQ(1, shown);

  const Bytes log = ReadFile(paths::Resolve(dbg::CurrentFileForTest().c_str()));
  const std::string text(log.begin(), log.end());
  for (const char* line : {"str=no usr/lib/libqxdlgcb", "str=no usr/lib64/libqxdlgcb",
                           "str=Find DLGDB SO", "str=pfnShowPinDialogCB", "str=pfnMessageBoxCB"})
    EXPECT_NE(std::string::npos, text.find(line)) << line;
  FreeDialogDrv();
}

// Without any display Qt would abort the host on creating the application
// object: the library shows nothing instead.
TEST(QtNoDisplayProbe, DialogsGiveUp) {
  if (!InTestChild()) {
    GTEST_SKIP() << "runs as a child only";
  }
  void* lib = ::dlopen(OESQX_QXDLGCB_LIB, RTLD_LAZY | RTLD_LOCAL);
  ASSERT_NE(nullptr, lib) << ::dlerror();
  auto message_box = reinterpret_cast<PFN_MessageBoxCB>(::dlsym(lib, QXDLGCB_MESSAGEBOX_NAME));
  auto pin_dialog = reinterpret_cast<PFN_ShowPinDialogCB>(::dlsym(lib, QXDLGCB_SHOWPINDIALOG_NAME));
  ASSERT_TRUE(message_box != nullptr && pin_dialog != nullptr);
  char pin[QXDLGCB_PIN_BUFFER_SIZE] = "untouched";
  EXPECT_EQ(1, pin_dialog(pin));
  EXPECT_STREQ("untouched", pin);
  EXPECT_EQ(0, message_box(2, "no display"));
}

TEST(QtNoDisplay, DialogsGiveUpInsteadOfAbortingTheHost) {
  bool passed = false;
  const std::string out = RunTestChild("-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM",
                                       "QtNoDisplayProbe.DialogsGiveUp", &passed);
  EXPECT_TRUE(passed) << out;
}

}  // namespace
}  // namespace oesqx::test
