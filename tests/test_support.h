// Small helpers shared by the tests: a private folder that redirects the
// component's fixed paths, file reading and writing, hex text.
#ifndef OESQX_TESTS_TEST_SUPPORT_H
#define OESQX_TESTS_TEST_SUPPORT_H

#include <cstdint>
#include <string>
#include <vector>

namespace oesqx::test {

using Bytes = std::vector<uint8_t>;

// A fresh folder under /tmp, removed with everything in it on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// A TempDir that is also the root of every fixed path while it lives
// ("/tmp/" becomes "<dir>/tmp/", "/var/quorix/" becomes "<dir>/var/quorix/").
// The folders tmp/ is created; others are created by MakeDir.
class PathRoot : public TempDir {
 public:
  PathRoot();
  ~PathRoot();
  // Creates <root><fixed> (for example "/var/quorix/log/") with parents.
  std::string MakeDir(const std::string& fixed) const;
};

Bytes ReadFile(const std::string& path);
void WriteFile(const std::string& path, const Bytes& data);
void WriteFile(const std::string& path, const std::string& text);
std::vector<std::string> ListDir(const std::string& path);

// A shell command's exit code (-1 when it did not exit normally) and its
// standard output and error together.
struct CommandRun {
  int exit_code = -1;
  std::string out;
};
CommandRun RunShell(const std::string& command);
// The oesqx tool with the given arguments.
CommandRun RunTool(const std::string& args);

std::string Hex(const uint8_t* data, size_t len);
inline std::string Hex(const Bytes& b) { return Hex(b.data(), b.size()); }
Bytes Unhex(const std::string& hex);  // ignores spaces
inline Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

}  // namespace oesqx::test

#endif
