#include "common/debuglog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "common/paths.h"

namespace {

constexpr std::time_t kFileLifetime = 43200;  // a log file serves 12 hours
constexpr std::time_t kPreviousGrace = 30;    // old file deleted 30 s later

FILE* g_pDbgFile = nullptr;
char g_cDbgFile[64] = {0};
std::time_t dbgfile_time = 0;
FILE* g_pPreDbgFile = nullptr;
char g_cPreDbgFile[64] = {0};
std::time_t predbgfile_time = 0;
std::time_t dbg_time = 0;
struct tm dbgtoday = {};

oesqx::dbg::ClockFn g_clock = nullptr;

std::time_t Now() { return g_clock != nullptr ? g_clock() : std::time(nullptr); }

// Creates a new log file below `folder`. The file is created exclusively,
// without following links and readable by its owner only: the fallback folder
// is shared, and an existing file or a planted link must never be opened.
FILE* CreateLogFile(const char* folder, char* name_out) {
  const int r = std::rand() % 10000;
  std::snprintf(name_out, sizeof(g_cDbgFile), "%soes%04d%02d%02d%02d%02d%02d%04d.txt",
                folder, dbgtoday.tm_year + 1900, dbgtoday.tm_mon + 1, dbgtoday.tm_mday,
                dbgtoday.tm_hour, dbgtoday.tm_min, dbgtoday.tm_sec, r);
  const std::string path = oesqx::paths::Resolve(name_out);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  FILE* f = ::fdopen(fd, "wb");
  if (f == nullptr) ::close(fd);
  return f;
}

void WriteTimePrefix() {
  std::fprintf(g_pDbgFile, "%02d%02d%02d  ", dbgtoday.tm_hour, dbgtoday.tm_min, dbgtoday.tm_sec);
}

}  // namespace

extern "C" void createdbgfile() {
  const std::time_t now = Now();
  dbg_time = now;
  localtime_r(&dbg_time, &dbgtoday);

  if (predbgfile_time != 0) {
    if (predbgfile_time + kPreviousGrace >= now) return;
    predbgfile_time = 0;
    if (g_pPreDbgFile != nullptr) std::fclose(g_pPreDbgFile);
    g_pPreDbgFile = nullptr;
    ::unlink(oesqx::paths::Resolve(g_cPreDbgFile).c_str());
    return;
  }

  if (g_pDbgFile != nullptr && dbgfile_time + kFileLifetime < now) {
    g_pPreDbgFile = g_pDbgFile;
    std::memcpy(g_cPreDbgFile, g_cDbgFile, sizeof(g_cPreDbgFile));
    predbgfile_time = now;
    dbgfile_time = 0;
    g_pDbgFile = nullptr;
    g_cDbgFile[0] = '\0';
  } else if (g_pDbgFile == nullptr && dbgfile_time != 0 && dbgfile_time + kFileLifetime < now) {
    dbgfile_time = 0;  // no folder was writable: try again once 12 hours have passed
  }

  if (dbgfile_time != 0) return;
  dbgfile_time = now;
  g_pDbgFile = CreateLogFile(oesqx::paths::kLogDir, g_cDbgFile);
  if (g_pDbgFile == nullptr) g_pDbgFile = CreateLogFile(oesqx::paths::kTmpDir, g_cDbgFile);
  if (g_pDbgFile == nullptr) g_cDbgFile[0] = '\0';
}

namespace oesqx::dbg {

void Str(const char* text) {
  createdbgfile();
  if (g_pDbgFile == nullptr) return;
  if (text != nullptr) {
    WriteTimePrefix();
    std::fprintf(g_pDbgFile, "str=%s\r\n", text);
  }
  std::fflush(g_pDbgFile);
}

void Int(long long value) {
  createdbgfile();
  if (g_pDbgFile == nullptr) return;
  std::fprintf(g_pDbgFile, "%lld\r\n", value);
  std::fflush(g_pDbgFile);
}

void Ptr(const void* pointer) {
  Int(static_cast<long long>(reinterpret_cast<std::uintptr_t>(pointer)));
}

void LabelInt(const char* label, long long value) {
  createdbgfile();
  if (g_pDbgFile == nullptr) return;
  WriteTimePrefix();
  std::fprintf(g_pDbgFile, "%s%lld\r\n", label != nullptr ? label : "", value);
  std::fflush(g_pDbgFile);
}

void Data(const void* data, int len) {
  createdbgfile();
  if (g_pDbgFile == nullptr) return;
  if (len < 0 || (data == nullptr && len > 0)) len = 0;
  WriteTimePrefix();
  std::fprintf(g_pDbgFile, "data=%d", len);
  if (len > 0) std::fwrite(data, 1, static_cast<size_t>(len), g_pDbgFile);
  std::fflush(g_pDbgFile);
}

void SetClockForTest(ClockFn clock) { g_clock = clock; }

std::string CurrentFileForTest() { return g_cDbgFile; }
std::string PreviousFileForTest() { return g_cPreDbgFile; }

void ResetForTest() {
  if (g_pDbgFile != nullptr) std::fclose(g_pDbgFile);
  if (g_pPreDbgFile != nullptr) std::fclose(g_pPreDbgFile);
  g_pDbgFile = g_pPreDbgFile = nullptr;
  g_cDbgFile[0] = g_cPreDbgFile[0] = '\0';
  dbgfile_time = predbgfile_time = dbg_time = 0;
}

}  // namespace oesqx::dbg
