// The PIN field of the Qt PIN dialog: takes the keyboard focus as soon as it
// is shown, so the user can type at once.
#ifndef OESQX_DLGCB_QXPD_LINE_EDIT_H
#define OESQX_DLGCB_QXPD_LINE_EDIT_H

#include <QLineEdit>

class QXPD_LineEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit QXPD_LineEdit(QWidget* parent = nullptr);

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void showEvent(QShowEvent* event) override;
};

#endif
