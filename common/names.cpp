// Unique names: temporary file paths, object names and identifiers. All
// draw from the process's rand() without seeding it.
#include "common/names.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "common/encoding.h"
#include "common/paths.h"
#include "common/settings.h"

namespace oesqx {
namespace {

// Draws before TempFileName gives up. There are 524288 numbers; with half of
// them taken a free one comes after two draws on average, so this bound is
// only reached in a directory that is practically full.
constexpr int kMaxNameDraws = 1 << 20;
// Attempts of the exclusive create when another process takes the name
// between the check and the create.
constexpr int kMaxCreateAttempts = 64;

std::string TempDirectory() {
  const size_t n = strnlen(g_cTempPath, sizeof g_cTempPath);
  if (n > 0) return std::string(g_cTempPath, n);
  return paths::Resolve(paths::kTmpDir);
}

std::string NameFor(const std::string& dir, int number, const char* suffix) {
  std::string name = dir + std::to_string(number);
  if (suffix == nullptr || suffix[0] == '\0') {
    name += ".tmp";
  } else if (suffix[0] == '.') {
    name += suffix;
  } else {
    name += '.';
    name += suffix;
  }
  return name;
}

}  // namespace

std::string TempFileName(const char* suffix) {
  const std::string dir = TempDirectory();
  for (int i = 0; i < kMaxNameDraws; ++i) {
    const std::string name = NameFor(dir, std::rand() & 0x7FFFF, suffix);
    // Free means nothing is there, not even a dangling link.
    struct stat st;
    if (lstat(name.c_str(), &st) != 0) return name;
  }
  return std::string();
}

int CreateTempFdExclusive(const char* suffix, std::string* path) {
  for (int i = 0; i < kMaxCreateAttempts; ++i) {
    const std::string name = TempFileName(suffix);
    if (name.empty()) {
      errno = EEXIST;
      return -1;
    }
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      if (path != nullptr) *path = name;
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  errno = EEXIST;
  return -1;
}

std::FILE* CreateTempFileExclusive(const char* suffix, std::string* path) {
  std::string name;
  const int fd = CreateTempFdExclusive(suffix, &name);
  if (fd < 0) return nullptr;
  std::FILE* f = fdopen(fd, "wb");
  if (f == nullptr) {
    const int saved = errno;
    close(fd);
    unlink(name.c_str());
    errno = saved;
    return nullptr;
  }
  if (path != nullptr) *path = name;
  return f;
}

}  // namespace oesqx

extern "C" {

void G_GetTempFileName(char* out, const char* suffix) {
  if (out == nullptr) return;
  const std::string name = oesqx::TempFileName(suffix);
  std::memcpy(out, name.c_str(), name.size() + 1);
}

void G_GenerateName(char* out17) {
  if (out17 == nullptr) return;
  const unsigned int now = static_cast<unsigned int>(static_cast<unsigned long long>(std::time(nullptr)));
  const unsigned int r = static_cast<unsigned int>(std::rand()) & 0xFFFF;
  const unsigned int index = static_cast<unsigned int>(g_nCurrNameIndex) & 0xFFFF;
  std::snprintf(out17, 17, "%08X%04X%04X", now, r, index);
  g_nCurrNameIndex = index >= 0xFFFF ? 0 : static_cast<int>(index + 1);
}

void G_GenerateGUID(char* out33) {
  if (out33 == nullptr) return;
  unsigned int r[6];
  for (unsigned int& v : r) v = static_cast<unsigned int>(std::rand()) & 0xFFFF;
  const unsigned int now = static_cast<unsigned int>(static_cast<unsigned long long>(std::time(nullptr)));
  std::snprintf(out33, 33, "%08X%04X%04x%04X%04X%04X%04X", now, r[5], r[4], r[3], r[2], r[1], r[0]);
}

}  // extern "C"
