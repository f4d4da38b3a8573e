#include "dialogs/dialog_widgets.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

namespace orbitra {

QLineEdit* MakeField(QWidget* parent, const QString& objectName) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(objectName);
  return field;
}

QLineEdit* MakeReadOnlyField(QWidget* parent, const QString& objectName) {
  QLineEdit* field = MakeField(parent, objectName);
  field->setReadOnly(true);
  return field;
}

QCheckBox* MakeCheckBox(QWidget* parent, const QString& text, const QString& objectName) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(objectName);
  return box;
}

OkCancelButtons AddOkCancel(QDialog* dialog, QBoxLayout* row) {
  OkCancelButtons buttons;
  buttons.ok = new QPushButton(QStringLiteral("OK"), dialog);
  buttons.ok->setObjectName(QStringLiteral("ok"));
  buttons.ok->setDefault(true);
  buttons.cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
  buttons.cancel->setObjectName(QStringLiteral("cancel"));
  row->addWidget(buttons.ok);
  row->addWidget(buttons.cancel);
  QObject::connect(buttons.ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(buttons.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  return buttons;
}

void LayOutTwoColumnPage(QDialog* dialog, QLayout* left, int leftStretch, QLayout* right, int rightStretch) {
  auto* columns = new QHBoxLayout;
  columns->addLayout(left, leftStretch);
  columns->addLayout(right, rightStretch);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  AddOkCancel(dialog, buttons);
  auto* page = new QVBoxLayout(dialog);
  page->addLayout(columns);
  page->addLayout(buttons);
}

}  // namespace orbitra
