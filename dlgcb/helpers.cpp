#include "dlgcb/qxdlgcb_qt.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QTranslator>

#include "common/paths.h"

void SetDialogTop(QDialog* dialog) {
  if (dialog == nullptr) return;
  dialog->setWindowFlags(dialog->windowFlags() | Qt::WindowStaysOnTopHint);
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect available = screen->availableGeometry();
  const QSize size = dialog->size();
  dialog->move(available.width() / 2 - size.width() / 2,
               available.height() / 2 - size.height() / 2);
}

int ShowMsg(QWidget* parent, const QString& title, const QString& text,
            QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton,
            QMessageBox::Icon icon) {
  if (text.isEmpty()) return 0;
  auto* box = new QMessageBox(parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setIcon(icon);
  box->setWindowTitle(title);
  box->setText(text);
  box->setStandardButtons(buttons);
  box->setDefaultButton(defaultButton);
  SetDialogTop(box);
  return box->exec();
}

QTranslator* IntsallTranslator(QApplication* app) {
  auto* translator = new QTranslator();
  translator->load(QString::fromUtf8(oesqx::paths::kDialogTranslation));
  if (app != nullptr) app->installTranslator(translator);
  return translator;
}

void WriteLog(const QString&) {}
