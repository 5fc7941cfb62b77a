// Internal helpers around the temporary-file names of G_GetTempFileName.
#ifndef OESQX_COMMON_NAMES_H
#define OESQX_COMMON_NAMES_H

#include <cstdio>
#include <string>

namespace oesqx {

// The path G_GetTempFileName would give for `suffix` (null or empty: ".tmp"):
// a name in the temporary directory that no file or link occupies now, or
// an empty string when no free name turned up within a bounded number of
// draws (an almost full or unusable directory).
std::string TempFileName(const char* suffix);

// Creates a new temporary file exclusively (O_CREAT|O_EXCL, mode 0600, never
// through an existing file or link) and opens it for binary writing. Returns
// the stream and stores its path in *path, or returns null (errno set) when
// no file could be created. Use this, not fopen(name, "wb"), on a name from
// G_GetTempFileName: another process may take the name in between.
std::FILE* CreateTempFileExclusive(const char* suffix, std::string* path);

// The same as a file descriptor (opened O_WRONLY|O_CLOEXEC); -1 on failure.
int CreateTempFdExclusive(const char* suffix, std::string* path);

}  // namespace oesqx

#endif
