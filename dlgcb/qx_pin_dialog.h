// The Qt PIN dialog: a password field with OK and Cancel, fixed at 356 x 135.
#ifndef OESQX_DLGCB_QX_PIN_DIALOG_H
#define OESQX_DLGCB_QX_PIN_DIALOG_H

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QXPD_LineEdit;

namespace Ui {
// The dialog's fixed widgets, laid out by setupUi.
struct Qx_PinDialog {
  QPushButton* pushButton_OK = nullptr;
  QPushButton* pushButton_Cancel = nullptr;
  QLabel* label = nullptr;

  void setupUi(QDialog* dialog);
  void retranslateUi(QDialog* dialog);
};
}  // namespace Ui

class Qx_PinDialog : public QDialog {
  Q_OBJECT

 public:
  explicit Qx_PinDialog(QWidget* parent = nullptr);
  ~Qx_PinDialog() override;
  Qx_PinDialog(const Qx_PinDialog&) = delete;
  Qx_PinDialog& operator=(const Qx_PinDialog&) = delete;

  // The text typed into the PIN field.
  QString GetPasswd() const;

 private slots:
  void on_pushButton_Cancel_clicked();
  void on_pushButton_OK_clicked();

 private:
  Ui::Qx_PinDialog* ui_;
  QXPD_LineEdit* lineEdit_;
};

#endif
