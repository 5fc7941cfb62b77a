// Finding the dialog library: once per process, at three fixed places.
#include <dlfcn.h>

#include <string>

#include "common/debuglog.h"
#include "common/paths.h"
#include "dialogs/dialogs.h"

namespace {

// The debug log line for a miss at each of the places, in search order.
constexpr const char* kMissLines[] = {
    "no usr/lib/libqxdlgcb",
    "no usr/lib64/libqxdlgcb",
    "no /opt/quorix/libqxdlgcb",
};
static_assert(sizeof(kMissLines) / sizeof(kMissLines[0]) ==
                  sizeof(oesqx::paths::kDialogLibraries) / sizeof(oesqx::paths::kDialogLibraries[0]),
              "one miss line per place");

// Opens the library at the fixed path `fixed`, or returns null. A path
// without a leading slash is never handed to the loader: it would be taken
// relative to the current folder.
void* OpenAt(const char* fixed) {
  const std::string path = oesqx::paths::Resolve(fixed);
  if (path.empty() || path[0] != '/') return nullptr;
  return ::dlopen(path.c_str(), RTLD_LAZY);
}

template <typename Fn>
Fn Lookup(void* handle, const char* name) {
  return reinterpret_cast<Fn>(::dlsym(handle, name));
}

}  // namespace

extern "C" void LoadDialogDrv(void) {
  if (g_blHasLoadDlg) return;
  g_blHasLoadDlg = 1;
  oesqx::dbg::Str("LoadDialogDrv");

  void* handle = nullptr;
  int i = 0;
  for (const char* fixed : oesqx::paths::kDialogLibraries) {
    handle = OpenAt(fixed);
    if (handle != nullptr) break;
    oesqx::dbg::Str(kMissLines[i++]);
  }
  if (handle == nullptr) return;

  g_hDialogCB = handle;
  oesqx::dbg::Str("Find DLGDB SO");
  pfnMessageBoxCB = Lookup<PFN_MessageBoxCB>(handle, QXDLGCB_MESSAGEBOX_NAME);
  pfnShowPinDialogCB = Lookup<PFN_ShowPinDialogCB>(handle, QXDLGCB_SHOWPINDIALOG_NAME);
}

extern "C" void FreeDialogDrv(void) {
  g_blHasLoadDlg = 0;
  if (g_hDialogCB != nullptr) ::dlclose(g_hDialogCB);
  g_hDialogCB = nullptr;
  pfnMessageBoxCB = nullptr;
  pfnShowPinDialogCB = nullptr;
}
