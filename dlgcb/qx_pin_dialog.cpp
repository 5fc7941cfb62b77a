#include "dlgcb/qx_pin_dialog.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <QRect>
#include <QSize>

#include "dlgcb/qxpd_line_edit.h"

namespace {

constexpr int kWidth = 356;
constexpr int kHeight = 135;
const QSize kButtonSize(112, 30);

}  // namespace

void Ui::Qx_PinDialog::setupUi(QDialog* dialog) {
  if (dialog->objectName().isEmpty()) dialog->setObjectName(QStringLiteral("Qx_PinDialog"));
  dialog->resize(kWidth, kHeight);
  dialog->setFixedSize(kWidth, kHeight);

  pushButton_OK = new QPushButton(dialog);
  pushButton_OK->setObjectName(QStringLiteral("pushButton_OK"));
  pushButton_OK->setGeometry(QRect(180, 80, 112, 30));
  pushButton_OK->setMinimumSize(kButtonSize);
  pushButton_OK->setMaximumSize(kButtonSize);
  pushButton_OK->setAutoDefault(false);

  pushButton_Cancel = new QPushButton(dialog);
  pushButton_Cancel->setObjectName(QStringLiteral("pushButton_Cancel"));
  pushButton_Cancel->setGeometry(QRect(40, 80, 112, 30));
  pushButton_Cancel->setMinimumSize(kButtonSize);
  pushButton_Cancel->setMaximumSize(kButtonSize);

  label = new QLabel(dialog);
  label->setObjectName(QStringLiteral("label"));
  label->setGeometry(QRect(30, 30, 100, 24));

  retranslateUi(dialog);
  // Enter anywhere in the dialog presses OK.
  pushButton_OK->setDefault(true);
  QMetaObject::connectSlotsByName(dialog);
}

void Ui::Qx_PinDialog::retranslateUi(QDialog* dialog) {
  dialog->setWindowTitle(QCoreApplication::translate("Qx_PinDialog", "Dialog", nullptr));
  pushButton_OK->setText(QCoreApplication::translate("Qx_PinDialog", "确定", nullptr));
  pushButton_Cancel->setText(QCoreApplication::translate("Qx_PinDialog", "取消", nullptr));
  label->setText(QCoreApplication::translate("Qx_PinDialog", "密码", nullptr));
}

Qx_PinDialog::Qx_PinDialog(QWidget* parent) : QDialog(parent), ui_(new Ui::Qx_PinDialog) {
  ui_->setupUi(this);
  setWindowTitle(QString::fromLocal8Bit("输入密码"));
  setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint);
  // Created after the slots are connected by name, so it takes no part in it.
  lineEdit_ = new QXPD_LineEdit(this);
  lineEdit_->setGeometry(QRect(100, 30, 220, 24));
  lineEdit_->setEchoMode(QLineEdit::Password);
}

Qx_PinDialog::~Qx_PinDialog() { delete ui_; }

QString Qx_PinDialog::GetPasswd() const { return lineEdit_->text(); }

void Qx_PinDialog::on_pushButton_Cancel_clicked() { reject(); }

void Qx_PinDialog::on_pushButton_OK_clicked() { accept(); }
