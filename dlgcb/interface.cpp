// The two functions liboesqx looks up: a Qt message box and a Qt PIN dialog.
#include <QApplication>
#include <QByteArray>
#include <QMessageBox>
#include <QString>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "dialogs/qxdlgcb.h"
#include "dlgcb/qx_pin_dialog.h"
#include "dlgcb/qxdlgcb_qt.h"

namespace {

// The longest PIN handed back, leaving room for its NUL.
constexpr int kMaxPinBytes = QXDLGCB_PIN_BUFFER_SIZE - 1;

bool HasEnv(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && v[0] != '\0';
}

// Makes sure a GUI application object exists, creating one (left in place
// for the rest of the process) when the host runs none. Without any display
// to connect to, Qt would abort the host; then no dialog is shown.
bool EnsureApplication() {
  if (QCoreApplication::instance() != nullptr) return true;
  if (!HasEnv("DISPLAY") && !HasEnv("WAYLAND_DISPLAY") && !HasEnv("QT_QPA_PLATFORM")) return false;
  // Qt keeps a reference to the count for the application's lifetime.
  static int argc = 1;
  new QApplication(argc, nullptr);
  return true;
}

}  // namespace

extern "C" QXDLGCB_API int MessageBoxCB(int /*kind*/, const char* text) {
  if (!EnsureApplication()) return 0;
  ShowMsg(nullptr, QString::fromLocal8Bit("Quorix"), QString::fromUtf8(text), QMessageBox::Ok,
          QMessageBox::Ok, QMessageBox::Information);
  return 0;
}

extern "C" QXDLGCB_API int ShowPinDialogCB(char* buffer) {
  if (buffer == nullptr) return 1;
  if (!EnsureApplication()) return 1;
  auto dialog = std::make_unique<Qx_PinDialog>(nullptr);
  SetDialogTop(dialog.get());
  if (dialog->exec() != QDialog::Accepted) return 1;
  const QByteArray pin = dialog->GetPasswd().toLatin1();
  const int n = pin.size() < kMaxPinBytes ? pin.size() : kMaxPinBytes;
  std::memcpy(buffer, pin.constData(), static_cast<size_t>(n));
  buffer[n] = '\0';
  return 0;
}
