// Driving real dialogs under X (Xvfb in CI) for the dialog tests: waiting
// for a window by its title, typing and pressing keys with xdotool, and
// optional screenshots. Every wait is bounded; a Watchdog ends the process
// if a dialog is ever left open, so a run never hangs.
#ifndef OESQX_TESTS_DIALOG_X11_H
#define OESQX_TESTS_DIALOG_X11_H

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <thread>

namespace oesqx::test::x11 {

// Empty when the tests can drive dialogs, else the reason they cannot.
inline std::string WhyNoX() {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || display[0] == '\0') return "DISPLAY is not set (run under xvfb-run)";
  if (std::system("command -v xdotool >/dev/null 2>&1") != 0) return "xdotool is not installed";
  return std::string();
}

inline int Run(const std::string& command) { return std::system(command.c_str()); }

inline std::string Capture(const std::string& command) {
  std::string out;
  FILE* p = ::popen(command.c_str(), "r");
  if (p == nullptr) return out;
  char buf[256];
  while (std::fgets(buf, sizeof(buf), p) != nullptr) out += buf;
  ::pclose(p);
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

inline void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The id of a visible window whose title is `title`, waiting at most
// `seconds`; empty when none appeared. `title` holds no quote or regex
// special characters.
inline std::string WaitForWindow(const std::string& title, int seconds = 10) {
  const std::string id =
      Capture("timeout " + std::to_string(seconds) + " xdotool search --sync --onlyvisible --name '^" +
              title + "$' 2>/dev/null | head -n 1");
  return id;
}

// Like WaitForWindow, but skips the windows in `old` (say, a dialog of the
// same title that is still being torn down) and adds the one found to it.
inline std::string WaitForNewWindow(const std::string& title, std::set<std::string>* old,
                                    int seconds = 10) {
  for (int tries = seconds * 10; tries > 0; --tries) {
    std::istringstream ids(
        Capture("xdotool search --onlyvisible --name '^" + title + "$' 2>/dev/null"));
    std::string id;
    while (ids >> id) {
      if (old->insert(id).second) return id;
    }
    Pause(100);
  }
  return std::string();
}

// Gives `window` the keyboard focus (there is no window manager under Xvfb).
inline void Focus(const std::string& window) {
  Run("xdotool windowfocus --sync " + window + " >/dev/null 2>&1");
  Pause(150);
}

// Types `text` (no single quotes) as real key presses.
inline void Type(const std::string& text) { Run("xdotool type --delay 15 -- '" + text + "'"); }

inline void Key(const std::string& key) { Run("xdotool key " + key); }

inline void Click(int x, int y) {
  Run("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
}

// Saves the screen as <OESQX_SCREENSHOT_DIR>/<name>.png when that
// variable is set; does nothing otherwise.
inline void Screenshot(const std::string& name) {
  const char* dir = std::getenv("OESQX_SCREENSHOT_DIR");
  if (dir == nullptr || dir[0] == '\0') return;
  Run("import -window root '" + std::string(dir) + "/" + name + ".png' >/dev/null 2>&1");
}

// Holds the display for one test. Keys typed with xdotool go to whichever
// window has the focus, so tests that drive windows on the same display
// (ctest runs tests in parallel) take turns.
class DisplayLock {
 public:
  DisplayLock() {
    std::string name = "/tmp/.oesqx-x11-lock-";
    const char* display = std::getenv("DISPLAY");
    for (const char* c = display != nullptr ? display : ""; *c != '\0'; ++c)
      name += (*c == '/' ? '_' : *c);
    fd_ = ::open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd_ >= 0) ::flock(fd_, LOCK_EX);
  }
  ~DisplayLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  DisplayLock(const DisplayLock&) = delete;
  DisplayLock& operator=(const DisplayLock&) = delete;

 private:
  int fd_ = -1;
};

// Ends the process (SIGALRM) if the scope is not left within `seconds`.
class Watchdog {
 public:
  explicit Watchdog(unsigned seconds) { ::alarm(seconds); }
  ~Watchdog() { ::alarm(0); }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;
};

}  // namespace oesqx::test::x11

#endif
