// oesqx dialog demo: shows each dialog once so a person can look at them.
#include <cstdio>
#include <cstring>

#include "dialogs/dialogs.h"
#include "dialogs/gtk_dialogs.h"
#include "tools/oesqx/commands.h"

namespace oesqx::cli {
namespace {

void ReportPin(const char* which, bool confirmed, const char* pin) {
  // The PIN itself is never printed, only whether one came back.
  if (confirmed && pin[0] != '\0')
    std::printf("%s PIN dialog: confirmed, %zu bytes\n", which, std::strlen(pin));
  else
    std::printf("%s PIN dialog: %s\n", which, confirmed ? "confirmed empty" : "cancelled");
}

}  // namespace

int RunDialog(int argc, char** argv) {
  if (argc != 1 || std::strcmp(argv[0], "demo") != 0) {
    std::fprintf(stderr, "usage: oesqx dialog demo\n");
    return 2;
  }

  dialogs::GtkMessageBox(nullptr, 2, "这是 GTK 错误消息框 (GTK message box)");
  if (!g_blGTKInit) {
    std::fprintf(stderr, "oesqx: no display to show dialogs on\n");
    return 1;
  }
  std::printf("GTK message box: closed\n");

  char pin[OESQX_PIN_BUFFER_SIZE] = "";
  if (!dialogs::GtkPinDialog(pin, sizeof(pin))) {
    std::fprintf(stderr, "oesqx: the GTK PIN dialog could not be created\n");
    return 1;
  }
  ReportPin("GTK", pin[0] != '\0', pin);

  LoadDialogDrv();
  if (g_hDialogCB == nullptr) {
    std::printf("Qt dialog library: not installed (/usr/lib, /usr/lib64, /opt/quorix)\n");
    return 0;
  }
  if (pfnMessageBoxCB != nullptr) {
    pfnMessageBoxCB(2, "这是 Qt 消息框 (Qt message box)");
    std::printf("Qt message box: closed\n");
  }
  if (pfnShowPinDialogCB != nullptr) {
    pin[0] = '\0';
    const int rc = pfnShowPinDialogCB(pin);
    ReportPin("Qt", rc == 0, pin);
  }
  FreeDialogDrv();
  return 0;
}

}  // namespace oesqx::cli
