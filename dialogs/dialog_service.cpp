// MessageBox and ShowPinDialog: the dialog library when it has the function,
// the GTK dialog otherwise.
#include <cstring>

#include "common/debuglog.h"
#include "dialogs/dialogs.h"
#include "dialogs/gtk_dialogs.h"

extern "C" int MessageBox(void* parent, int kind, const char* text) {
  // A null text is shown as an empty one rather than handed on.
  if (text == nullptr) text = "";
  LoadDialogDrv();
  if (pfnMessageBoxCB != nullptr) {
    oesqx::dbg::Str("pfnMessageBoxCB");
    pfnMessageBoxCB(kind, text);
    return 1;
  }
  oesqx::dialogs::GtkMessageBox(parent, kind, text);
  return 1;
}

extern "C" int ShowPinDialog(void* buffer) {
  oesqx::dbg::Str("ShowPinDialog");
  // There is nowhere to put a PIN: no dialog is shown.
  if (buffer == nullptr) return 0;
  char* pin = static_cast<char*>(buffer);
  pin[0] = '\0';
  LoadDialogDrv();

  if (pfnShowPinDialogCB != nullptr) {
    oesqx::dbg::Str("pfnShowPinDialogCB");
    g_inShowPinMode = 1;
    const int rc = pfnShowPinDialogCB(pin);
    g_inShowPinMode = 0;
    return rc == 0 ? 1 : 0;
  }

  g_inShowPinMode = 1;
  if (!oesqx::dialogs::GtkPinDialog(pin, OESQX_PIN_BUFFER_SIZE)) {
    g_inShowPinMode = 0;
    return 0;
  }
  if (pin[0] == '\0') {
    g_inShowPinMode = 0;
    oesqx::dbg::Str("User cancel");
    return 0;
  }
  oesqx::dbg::Str("ShowPinDialog OK");
  g_inShowPinMode = 0;
  return 1;
}
