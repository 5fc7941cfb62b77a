// Parsing of the configuration file "plugin.ini" into the process settings.
#ifndef OESQX_COMMON_CONFIG_H
#define OESQX_COMMON_CONFIG_H

#include <cstddef>
#include <functional>

namespace oesqx::config {

// Applies the keys found in `text` (NUL-terminated) to the settings: the
// flag keys as whole texts, then the value keys in their fixed order. Keys
// are found by substring search, first occurrence only.
void ApplyText(const char* text);

// Finds `key` in `text` and, if "=" follows (spaces allowed around it) and a
// value of 1 to `limit` characters runs up to CR, LF or the end, copies it
// into `dst` and terminates it. Returns true when a value was taken.
bool TakeValue(const char* text, const char* key, char* dst, size_t limit);

// The upload of pending offline verification records, run after the file
// has been processed when a publishing server is set. Empty until the
// offline log registers itself.
void SetPendingUploadHook(std::function<void()> hook);

// Forgets that the file was read, for tests.
void ResetForTest();

}  // namespace oesqx::config

#endif
