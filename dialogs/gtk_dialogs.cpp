#include "dialogs/gtk_dialogs.h"

#include <gtk/gtk.h>
#include <unistd.h>

#include <cstring>

#include "common/debuglog.h"
#include "dialogs/dialogs.h"

extern "C" void InitGTK(void) {
  if (g_blGTKInit) return;
  oesqx::dbg::Str("InitGTK Start");
  // gtk_init would end the host process when no display can be opened; the
  // checking form lets the dialogs give up instead, and a later call retry.
  if (!gtk_init_check(nullptr, nullptr)) {
    oesqx::dbg::Str("InitGTK E");
    return;
  }
  g_blGTKInit = 1;
}

namespace oesqx::dialogs {
namespace {

// Holds the GDK thread lock for one dialog.
class GdkLock {
 public:
  GdkLock() { gdk_threads_enter(); }
  ~GdkLock() { gdk_threads_leave(); }
  GdkLock(const GdkLock&) = delete;
  GdkLock& operator=(const GdkLock&) = delete;
};

// Readies GTK for a fallback dialog; false when there is no display.
bool PrepareGtk() {
  InitGTK();
  ::usleep(1);
  return g_blGTKInit != 0;
}

}  // namespace

int GtkMessageTypeForKind(int kind) {
  switch (kind) {
    case 2: return GTK_MESSAGE_ERROR;
    case 3: return GTK_MESSAGE_QUESTION;
    case 4: return GTK_MESSAGE_WARNING;
    default: return GTK_MESSAGE_INFO;
  }
}

void GtkMessageBox(void* parent, int kind, const char* text) {
  const auto type = static_cast<GtkMessageType>(GtkMessageTypeForKind(kind));
  if (!PrepareGtk()) return;
  GdkLock lock;
  // "%s" keeps the text from being read as a format.
  GtkWidget* dialog = gtk_message_dialog_new(static_cast<GtkWindow*>(parent), GTK_DIALOG_MODAL,
                                             type, GTK_BUTTONS_OK, "%s", text);
  if (dialog == nullptr) return;
  gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
}

bool GtkPinDialog(char* buffer, size_t size) {
  if (!PrepareGtk()) {
    dbg::Str("dialog E");
    return false;
  }
  GdkLock lock;
  const auto flags = static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT |
                                                 GTK_DIALOG_NO_SEPARATOR);
  GtkWidget* dialog = gtk_dialog_new_with_buttons(kPinTitle, nullptr, flags, kPinOk,
                                                  GTK_RESPONSE_ACCEPT, kPinCancel,
                                                  GTK_RESPONSE_REJECT, nullptr);
  if (dialog == nullptr) {
    dbg::Str("dialog E");
    return false;
  }
  GtkWidget* entry = gtk_entry_new();
  gtk_entry_set_max_length(GTK_ENTRY(entry), kPinMaxChars);
  gtk_entry_set_visibility(GTK_ENTRY(entry), FALSE);
  // Enter in the field confirms, as OK does.
  gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), entry);
  gtk_widget_show(entry);

  if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT)
    CopyUtf8Bounded(buffer, size, gtk_entry_get_text(GTK_ENTRY(entry)));
  gtk_widget_destroy(dialog);
  return true;
}

void CopyUtf8Bounded(char* buffer, size_t size, const char* text) {
  if (size == 0) return;
  if (text == nullptr) text = "";
  size_t n = std::strlen(text);
  if (n > size - 1) {
    n = size - 1;
    // Step back over continuation bytes so no character is split.
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  }
  std::memcpy(buffer, text, n);
  buffer[n] = '\0';
}

}  // namespace oesqx::dialogs
