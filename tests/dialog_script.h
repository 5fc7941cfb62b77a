// Headless dialogs for tests. While a ScopedDialogScript lives, the dialog
// service finds the scripted dialog library at the first place it searches
// (below the PathRoot's folder): every message box is recorded instead of
// shown, and every PIN request is answered from a list. Any test whose code
// may show a dialog holds one, then asserts exactly which texts were shown.
//
//   PathRoot root;
//   ScopedDialogScript dialogs(root);
//   dialogs.AnswerPins({"123456", "cancel"});
//   ... code under test ...
//   EXPECT_EQ(dialogs.Messages(), (std::vector<ShownMessage>{{2, "..."}}));
#ifndef OESQX_TESTS_DIALOG_SCRIPT_H
#define OESQX_TESTS_DIALOG_SCRIPT_H

#include <stdlib.h>

#include <cstdio>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "dialogs/dialogs.h"
#include "test_support.h"

namespace oesqx::test {

struct ShownMessage {
  int kind;
  std::string text;
  bool operator==(const ShownMessage& o) const { return kind == o.kind && text == o.text; }
};

inline std::ostream& operator<<(std::ostream& os, const ShownMessage& m) {
  return os << "{" << m.kind << ", \"" << m.text << "\"}";
}

class ScopedDialogScript {
 public:
  // Which of the two functions the installed library offers.
  enum class Offers { kBoth, kPinOnly, kNone };

  // Installs the scripted library at `place` (one of the fixed search paths)
  // below `root`, and makes the next dialog search for it anew.
  explicit ScopedDialogScript(const PathRoot& root, Offers offers = Offers::kBoth,
                              const std::string& place = "/usr/lib/libqxdlgcb.so")
      : log_(root.File("dialog_log.txt")), pins_(root.File("dialog_pins.txt")) {
    namespace fs = std::filesystem;
    const std::string target = root.path() + place;
    fs::create_directories(fs::path(target).parent_path());
    // A fresh file, never one rewritten under a loaded copy.
    fs::remove(target);
    fs::copy_file(Library(offers), target);
    WriteFile(log_, std::string());
    WriteFile(pins_, std::string());
    ::setenv("OESQX_DIALOG_LOG", log_.c_str(), 1);
    ::setenv("OESQX_DIALOG_PINS", pins_.c_str(), 1);
    char flag[32];
    std::snprintf(flag, sizeof(flag), "%zx", reinterpret_cast<size_t>(&g_inShowPinMode));
    ::setenv("OESQX_DIALOG_PIN_FLAG", flag, 1);
    FreeDialogDrv();
  }

  ~ScopedDialogScript() {
    FreeDialogDrv();
    ::unsetenv("OESQX_DIALOG_LOG");
    ::unsetenv("OESQX_DIALOG_PINS");
    ::unsetenv("OESQX_DIALOG_PIN_FLAG");
  }

  ScopedDialogScript(const ScopedDialogScript&) = delete;
  ScopedDialogScript& operator=(const ScopedDialogScript&) = delete;

  // Queues answers for the next PIN requests: "cancel" cancels, anything
  // else is confirmed as the PIN. Once they run out, requests are cancelled.
  void AnswerPins(const std::vector<std::string>& answers) const {
    std::ofstream out(pins_, std::ios::binary | std::ios::app);
    for (const std::string& a : answers) out << a << '\n';
  }

  // The message boxes shown so far, in order.
  std::vector<ShownMessage> Messages() const {
    std::vector<ShownMessage> out;
    for (const std::string& line : Lines()) {
      if (line.rfind("msg ", 0) != 0) continue;
      const size_t space = line.find(' ', 4);
      if (space == std::string::npos) continue;
      out.push_back({std::stoi(line.substr(4, space - 4)), line.substr(space + 1)});
    }
    return out;
  }

  // The PIN requests so far: the PIN given, or "cancel".
  std::vector<std::string> PinRequests() const {
    std::vector<std::string> out;
    for (const std::string& line : PinLines()) {
      out.push_back(line.substr(6) == "cancel" ? "cancel" : line.substr(9));
    }
    return out;
  }

  // For each PIN request, what g_inShowPinMode read while it was open.
  std::string PinModeFlags() const {
    std::string out;
    for (const std::string& line : PinLines()) out += line[4];
    return out;
  }

  // Forgets what was shown so far.
  void Clear() const { WriteFile(log_, std::string()); }

 private:
  static std::string Library(Offers offers) {
    switch (offers) {
      case Offers::kPinOnly: return OESQX_DIALOG_SCRIPT_PIN_LIB;
      case Offers::kNone: return OESQX_DIALOG_SCRIPT_NONE_LIB;
      default: return OESQX_DIALOG_SCRIPT_LIB;
    }
  }

  // "pin <f> cancel" and "pin <f> ok <pin>" lines.
  std::vector<std::string> PinLines() const {
    std::vector<std::string> out;
    for (const std::string& line : Lines()) {
      if (line.rfind("pin ", 0) == 0 && line.size() >= 9 &&
          (line.compare(6, std::string::npos, "cancel") == 0 || line.compare(6, 3, "ok ") == 0))
        out.push_back(line);
    }
    return out;
  }

  // The log's lines with the escapes undone.
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::ifstream in(log_, std::ios::binary);
    std::string raw;
    while (std::getline(in, raw)) {
      std::string line;
      for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
          line += raw[i];
          continue;
        }
        const char c = raw[++i];
        line += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
      }
      lines.push_back(line);
    }
    return lines;
  }

  std::string log_;
  std::string pins_;
};

// Runs the tests matching `filter` of this test binary in a child process
// with `env` as env(1) options and assignments (e.g. "-u DISPLAY", "A='x'")
// and OESQX_DIALOG_PROBE=1, for what only a fresh process shows (the
// loader path, a missing display). Returns the child's output; `*passed`
// tells whether it ran one test and passed.
inline std::string RunTestChild(const std::string& env, const std::string& filter, bool* passed) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe");
  const CommandRun run = RunShell("env " + env + " OESQX_DIALOG_PROBE=1 '" + self +
                                  "' --gtest_filter='" + filter + "'");
  *passed = run.exit_code == 0 && run.out.find("[  PASSED  ] 1 test") != std::string::npos;
  return run.out;
}

// True in a child started by RunTestChild.
inline bool InTestChild() { return std::getenv("OESQX_DIALOG_PROBE") != nullptr; }

}  // namespace oesqx::test

#endif
