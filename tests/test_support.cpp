#include "test_support.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

#include "common/debuglog.h"
#include "common/paths.h"

namespace fs = std::filesystem;

namespace oesqx::test {

TempDir::TempDir() {
  char tmpl[] = "/tmp/oqxt.XXXXXX";
  if (::mkdtemp(tmpl) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

namespace {

// Every test process gets a private root for the fixed paths, so no test
// writes a log file to the real /tmp or reads this machine's configuration.
// Child processes (the command-line tool) inherit it through the environment.
class DefaultRootEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    dir_ = std::make_unique<TempDir>();
    fs::create_directories(dir_->path() + "/tmp");
    ::setenv("OESQX_PATH_ROOT", dir_->path().c_str(), 1);
    paths::SetRootForTest(dir_->path());
    // Outside a ScopedDialogScript a dialog must never wait for a person:
    // the default root holds the scripted library too, which shows nothing
    // and cancels every PIN request.
    fs::create_directories(dir_->path() + "/usr/lib");
    fs::copy_file(OESQX_DIALOG_SCRIPT_LIB, dir_->path() + "/usr/lib/libqxdlgcb.so");
  }
  void TearDown() override {
    dbg::ResetForTest();
    paths::SetRootForTest("");
    dir_.reset();
  }
  static std::string Root() { return dir_ ? dir_->path() : std::string(); }

 private:
  static std::unique_ptr<TempDir> dir_;
};

std::unique_ptr<TempDir> DefaultRootEnvironment::dir_;
::testing::Environment* const kDefaultRoot =
    ::testing::AddGlobalTestEnvironment(new DefaultRootEnvironment);

}  // namespace

PathRoot::PathRoot() {
  fs::create_directories(path() + "/tmp");
  dbg::ResetForTest();
  paths::SetRootForTest(path());
}

PathRoot::~PathRoot() {
  dbg::ResetForTest();
  paths::SetRootForTest(DefaultRootEnvironment::Root());
}

std::string PathRoot::MakeDir(const std::string& fixed) const {
  const std::string dir = path() + fixed;
  fs::create_directories(dir);
  return dir;
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const Bytes& data) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

void WriteFile(const std::string& path, const std::string& text) { WriteFile(path, ToBytes(text)); }

std::vector<std::string> ListDir(const std::string& path) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(path, ec)) names.push_back(e.path().filename());
  return names;
}

CommandRun RunShell(const std::string& command) {
  CommandRun r;
  FILE* p = ::popen((command + " 2>&1").c_str(), "r");
  if (p == nullptr) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof(buf), p)) > 0) r.out.append(buf, n);
  const int status = ::pclose(p);
  r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

CommandRun RunTool(const std::string& args) {
  return RunShell(std::string(OESQX_TOOL_FILE) + " " + args);
}

std::string Hex(const uint8_t* data, size_t len) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < len; ++i) {
    out += digits[data[i] >> 4];
    out += digits[data[i] & 15];
  }
  return out;
}

Bytes Unhex(const std::string& hex) {
  Bytes out;
  int nibble = -1;
  for (char c : hex) {
    int v;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else continue;
    if (nibble < 0) {
      nibble = v;
    } else {
      out.push_back(static_cast<uint8_t>(nibble << 4 | v));
      nibble = -1;
    }
  }
  return out;
}

}  // namespace oesqx::test
