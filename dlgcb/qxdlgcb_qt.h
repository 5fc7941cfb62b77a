// The Qt helpers libqxdlgcb exports beside the two interface functions of
// dialogs/qxdlgcb.h, for hosts that build on them.
#ifndef OESQX_DLGCB_QXDLGCB_QT_H
#define OESQX_DLGCB_QXDLGCB_QT_H

#include <QMessageBox>
#include <QString>

class QApplication;
class QDialog;
class QTranslator;
class QWidget;

#if defined(QXDLGCB_BUILD) && defined(__GNUC__)
#define QXDLGCB_QT_API __attribute__((visibility("default")))
#else
#define QXDLGCB_QT_API
#endif

// Keeps `dialog` above other windows and centres it on the default screen's
// available area (measured from the screen origin), keeping its size.
QXDLGCB_QT_API void SetDialogTop(QDialog* dialog);

// Shows a self-deleting message box and returns its exec() result; an empty
// text shows nothing and returns 0.
QXDLGCB_QT_API int ShowMsg(QWidget* parent, const QString& title, const QString& text,
                           QMessageBox::StandardButtons buttons,
                           QMessageBox::StandardButton defaultButton, QMessageBox::Icon icon);

// Loads the dialog translation and installs it; returns the translator,
// owned by the caller.
QXDLGCB_QT_API QTranslator* IntsallTranslator(QApplication* app);

// Kept for hosts that call it; the dialog library writes no log.
QXDLGCB_QT_API void WriteLog(const QString& text);

#endif
