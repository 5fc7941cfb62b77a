// The dialog service through the scripted dialog library: where the library
// is searched, what is used when it lacks a function, what reaches it and
// what comes back. Headless: no dialog is ever shown here.
#include <dlfcn.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/debuglog.h"
#include "common/paths.h"
#include "dialog_script.h"
#include "dialogs/dialogs.h"
#include "dialogs/gtk_dialogs.h"
#include "test_support.h"

namespace oesqx::test {
namespace {

namespace fs = std::filesystem;

using Offers = ScopedDialogScript::Offers;

const char* const kPlaces[] = {"/usr/lib/libqxdlgcb.so", "/usr/lib64/libqxdlgcb.so",
                               "/opt/quorix/libqxdlgcb.so"};
const char* const kMissLines[] = {"no usr/lib/libqxdlgcb", "no usr/lib64/libqxdlgcb",
                                  "no /opt/quorix/libqxdlgcb"};

class DialogService : public ::testing::Test {
 protected:
  void SetUp() override { FreeDialogDrv(); }
  void TearDown() override { FreeDialogDrv(); }

  // The texts of the debug log's "str=" lines, in order.
  std::vector<std::string> LoggedTexts() const {
    std::vector<std::string> texts;
    const std::string name = dbg::CurrentFileForTest();
    if (name.empty()) return texts;
    const Bytes data = ReadFile(paths::Resolve(name.c_str()));
    const std::string log(data.begin(), data.end());
    size_t at = 0;
    while ((at = log.find("str=", at)) != std::string::npos) {
      const size_t end = log.find("\r\n", at);
      texts.push_back(log.substr(at + 4, end - at - 4));
      at = end;
    }
    return texts;
  }

  size_t CountLogged(const std::string& text) const {
    size_t n = 0;
    for (const std::string& t : LoggedTexts()) n += t == text;
    return n;
  }

  PathRoot root_;
};

TEST_F(DialogService, SearchesTheThreePlacesInOrderOncePerProcess) {
  // Place 3 is "nowhere".
  for (int place = 0; place <= 3; ++place) {
    SCOPED_TRACE(place);
    PathRoot root;
    FreeDialogDrv();
    std::vector<std::string> expected = {"LoadDialogDrv"};
    for (int miss = 0; miss < place; ++miss) expected.push_back(kMissLines[miss]);
    if (place < 3) expected.push_back("Find DLGDB SO");
    {
      std::unique_ptr<ScopedDialogScript> script;
      if (place < 3) script = std::make_unique<ScopedDialogScript>(root, Offers::kBoth, kPlaces[place]);
      LoadDialogDrv();
      LoadDialogDrv();
      EXPECT_EQ(1, g_blHasLoadDlg);
      EXPECT_EQ(place < 3, g_hDialogCB != nullptr);
      EXPECT_EQ(expected, LoggedTexts());
    }
  }
}

TEST_F(DialogService, EachMissingFunctionFallsBackOnItsOwn) {
  const struct {
    Offers offers;
    bool message_box;
    bool pin_dialog;
  } cases[] = {
      {Offers::kBoth, true, true},
      {Offers::kPinOnly, false, true},
      {Offers::kNone, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.offers));
    ScopedDialogScript script(root_, c.offers);
    LoadDialogDrv();
    // A library without the functions is still loaded, and no error.
    EXPECT_NE(nullptr, g_hDialogCB);
    EXPECT_EQ(c.message_box, pfnMessageBoxCB != nullptr);
    EXPECT_EQ(c.pin_dialog, pfnShowPinDialogCB != nullptr);
  }
}

TEST_F(DialogService, NoNewSearchUntilFreed) {
  LoadDialogDrv();
  ASSERT_EQ(nullptr, g_hDialogCB);
  // Installed after the search: not seen until FreeDialogDrv.
  fs::create_directories(root_.path() + "/usr/lib");
  fs::copy_file(OESQX_DIALOG_SCRIPT_LIB, root_.path() + "/usr/lib/libqxdlgcb.so");
  LoadDialogDrv();
  EXPECT_EQ(nullptr, g_hDialogCB);
  EXPECT_EQ(1u, CountLogged("LoadDialogDrv"));

  FreeDialogDrv();
  EXPECT_EQ(0, g_blHasLoadDlg);
  LoadDialogDrv();
  EXPECT_NE(nullptr, g_hDialogCB);
  EXPECT_NE(nullptr, pfnMessageBoxCB);
  FreeDialogDrv();
  EXPECT_EQ(nullptr, g_hDialogCB);
  EXPECT_EQ(nullptr, pfnMessageBoxCB);
  EXPECT_EQ(nullptr, pfnShowPinDialogCB);
}

TEST_F(DialogService, MessageBoxHandsKindAndTextToTheLibraryUnchanged) {
  ScopedDialogScript script(root_);
  const std::vector<ShownMessage> shown = {
      {2, "印章已过期"},
      {2, "100%d%s%n"},  // never read as a format
      {1, "line one\nline two\\"},
      {4, ""},
  };
  for (const ShownMessage& m : shown) EXPECT_EQ(1, MessageBox(nullptr, m.kind, m.text.c_str()));
  EXPECT_EQ(1, MessageBox(nullptr, 3, nullptr));
  std::vector<ShownMessage> expected = shown;
  expected.push_back({3, ""});
  EXPECT_EQ(expected, script.Messages());
  EXPECT_EQ(5u, CountLogged("pfnMessageBoxCB"));
  EXPECT_TRUE(script.PinRequests().empty());
}

TEST_F(DialogService, ShowPinDialogThroughTheLibrary) {
  const std::string forty(40, '7');
  const struct {
    const char* answer;
    int result;
    std::string pin;
  } cases[] = {
      {"123456", 1, "123456"},
      {"cancel", 0, ""},
      {"", 1, ""},  // confirmed empty: 1, and the caller sees no PIN
      {forty.c_str(), 1, forty.substr(0, 31)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    ScopedDialogScript script(root_);
    script.AnswerPins({c.answer});
    char pin[OESQX_PIN_BUFFER_SIZE];
    std::strcpy(pin, "stale");
    EXPECT_EQ(c.result, ShowPinDialog(pin));
    EXPECT_EQ(c.pin, pin);
    EXPECT_EQ(0, g_inShowPinMode);
    EXPECT_EQ("1", script.PinModeFlags()) << "the flag reads 1 inside the dialog";
  }
  EXPECT_EQ(4u, CountLogged("pfnShowPinDialogCB"));
  EXPECT_EQ(0u, CountLogged("User cancel"));  // the library path logs no outcome
}

TEST_F(DialogService, ScriptAnswersInOrderThenCancels) {
  ScopedDialogScript script(root_);
  script.AnswerPins({"1111", "cancel", "2222"});
  char pin[OESQX_PIN_BUFFER_SIZE];
  std::vector<int> results;
  for (int i = 0; i < 4; ++i) results.push_back(ShowPinDialog(pin));
  EXPECT_EQ((std::vector<int>{1, 0, 1, 0}), results);
  EXPECT_EQ((std::vector<std::string>{"1111", "cancel", "2222", "cancel"}), script.PinRequests());
}

TEST_F(DialogService, NullPinBufferShowsNoDialog) {
  ScopedDialogScript script(root_);
  script.AnswerPins({"1234"});
  EXPECT_EQ(0, ShowPinDialog(nullptr));
  EXPECT_EQ(0, g_inShowPinMode);
  EXPECT_TRUE(script.PinRequests().empty());
}

TEST_F(DialogService, LibraryIsNeverTakenFromTheCurrentFolder) {
  TempDir cwd;
  for (const std::string& dir : {std::string(), std::string("/rel/usr/lib")}) {
    fs::create_directories(cwd.path() + dir);
    fs::copy_file(OESQX_DIALOG_SCRIPT_LIB, cwd.path() + dir + "/libqxdlgcb.so");
  }
  const std::string here = fs::current_path();
  ASSERT_EQ(0, ::chdir(cwd.path().c_str()));
  // A relative root would make the fixed paths relative to the current folder.
  paths::SetRootForTest("rel");
  LoadDialogDrv();
  paths::SetRootForTest(root_.path());
  ASSERT_EQ(0, ::chdir(here.c_str()));
  EXPECT_EQ(nullptr, g_hDialogCB);
}

// Run in a child process by the test below: LD_LIBRARY_PATH is only read at
// start-up.
TEST(DialogSearchProbe, FindsNothingThroughTheLoaderPath) {
  if (!InTestChild()) {
    GTEST_SKIP() << "runs as a child only";
  }
  PathRoot empty_root;  // nothing at the fixed places: only the loader path has a library
  FreeDialogDrv();
  LoadDialogDrv();
  EXPECT_EQ(nullptr, g_hDialogCB);
}

TEST_F(DialogService, LibraryIsNeverTakenFromTheLoaderPath) {
  TempDir lib_dir;
  fs::copy_file(OESQX_DIALOG_SCRIPT_LIB, lib_dir.File("libqxdlgcb.so"));
  PathRoot empty_root;
  bool passed = false;
  const std::string out = RunTestChild("LD_LIBRARY_PATH='" + lib_dir.path() + "' OESQX_PATH_ROOT='" +
                                           empty_root.path() + "'",
                                       "DialogSearchProbe.*", &passed);
  EXPECT_TRUE(passed) << out;
}

// Without a display GTK cannot start: the dialogs give up, the host lives.
TEST(DialogNoDisplayProbe, GtkDialogsGiveUp) {
  if (!InTestChild()) {
    GTEST_SKIP() << "runs as a child only";
  }
  PathRoot root;
  FreeDialogDrv();
  EXPECT_EQ(1, MessageBox(nullptr, 2, "no display"));
  char pin[OESQX_PIN_BUFFER_SIZE] = "stale";
  EXPECT_EQ(0, ShowPinDialog(pin));
  EXPECT_STREQ("", pin);
  EXPECT_EQ(0, g_inShowPinMode);
  EXPECT_EQ(0, g_blGTKInit);
  const Bytes log = ReadFile(paths::Resolve(dbg::CurrentFileForTest().c_str()));
  const std::string text(log.begin(), log.end());
  for (const char* line : {"str=InitGTK E", "str=dialog E"})
    EXPECT_NE(std::string::npos, text.find(line)) << line;
}

TEST(DialogNoDisplay, GtkDialogsGiveUpInsteadOfEndingTheHost) {
  bool passed = false;
  const std::string out =
      RunTestChild("-u DISPLAY -u WAYLAND_DISPLAY", "DialogNoDisplayProbe.GtkDialogsGiveUp", &passed);
  EXPECT_TRUE(passed) << out;
}

std::string Repeat(const std::string& s, int n) {
  std::string out;
  while (n-- > 0) out += s;
  return out;
}

// A typed PIN may be 32 characters of up to 4 bytes each: it is cut to the
// buffer, never at the middle of a character.
TEST(DialogPinCopy, CutsToTheBufferAtACharacterBoundary) {
  const struct {
    std::string text;
    size_t size;
    std::string expected;
  } cases[] = {
      {"123456", OESQX_PIN_BUFFER_SIZE, "123456"},
      {std::string(32, 'x'), OESQX_PIN_BUFFER_SIZE, std::string(32, 'x')},
      {std::string(80, 'x'), OESQX_PIN_BUFFER_SIZE, std::string(63, 'x')},
      {Repeat("码", 32), OESQX_PIN_BUFFER_SIZE, Repeat("码", 21)},  // 96 bytes in, 63 out
      {Repeat("😀", 32), OESQX_PIN_BUFFER_SIZE, Repeat("😀", 15)},  // 4-byte characters
      {"ab码", 4, "ab"},
      {"ab码", 6, "ab码"},
      {"abc", 1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<char> buffer(c.size + 8, '#');
    dialogs::CopyUtf8Bounded(buffer.data(), c.size, c.text.c_str());
    EXPECT_EQ(c.expected, buffer.data());
    for (size_t i = c.size; i < buffer.size(); ++i) ASSERT_EQ('#', buffer[i]) << "written past the buffer";
  }
}

}  // namespace
}  // namespace oesqx::test
