// Every fixed file-system location the component uses, in one place.
//
// With no override each path is exactly the installed one. Tests (and only
// tests) set the environment variable OESQX_PATH_ROOT to a private folder;
// every fixed path is then looked up below that folder instead, e.g.
// "/tmp/" becomes "$OESQX_PATH_ROOT/tmp/". The override is read once.
#ifndef OESQX_COMMON_PATHS_H
#define OESQX_COMMON_PATHS_H

#include <string>

namespace oesqx::paths {

// Debug log folders (the second is the fallback).
inline constexpr const char kLogDir[] = "/var/quorix/log/";
inline constexpr const char kTmpDir[] = "/tmp/";

// Configuration files, tried in this order.
inline constexpr const char* const kConfigFiles[] = {
    "/var/quorix/plugin.ini",
    "/usr/lib/plugin.ini",
    "/tmp/plugin.ini",
};

// The dialog library, tried in this order (absolute paths only, so neither
// the current folder nor the loader's search path is ever consulted).
inline constexpr const char* const kDialogLibraries[] = {
    "/usr/lib/libqxdlgcb.so",
    "/usr/lib64/libqxdlgcb.so",
    "/opt/quorix/libqxdlgcb.so",
};

// The translation the dialog library installs on request (read by Qt only,
// never through Resolve).
inline constexpr const char kDialogTranslation[] = "/opt/quorix/qx_zh_CN.qm";

// Local stores of root certificates (DER files ending in ".cer") and CRLs
// (DER files ending in ".crl"); no trailing slash.
inline constexpr const char kRootCertDir[] = "/var/quorix/seal/rootcer";
inline constexpr const char kCrlDir[] = "/var/quorix/seal/crls";

// Returns the fixed path `fixed` as it is to be opened now: unchanged, or
// below the test root when one is set.
std::string Resolve(const char* fixed);

// For in-process tests: replaces the root read from the environment.
// An empty root restores the installed paths.
void SetRootForTest(const std::string& root);

}  // namespace oesqx::paths

#endif
