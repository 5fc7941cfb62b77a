#include "dlgcb/qxpd_line_edit.h"

#include <QFocusEvent>
#include <QShowEvent>

QXPD_LineEdit::QXPD_LineEdit(QWidget* parent) : QLineEdit(parent) {
  setObjectName(QStringLiteral("QXPD_LineEdit"));
}

void QXPD_LineEdit::focusInEvent(QFocusEvent* event) { QLineEdit::focusInEvent(event); }

void QXPD_LineEdit::focusOutEvent(QFocusEvent* event) { QLineEdit::focusOutEvent(event); }

void QXPD_LineEdit::showEvent(QShowEvent* event) {
  setEnabled(true);
  setFocus(Qt::OtherFocusReason);
  QLineEdit::showEvent(event);
}
