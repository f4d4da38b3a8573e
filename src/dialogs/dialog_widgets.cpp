#include "dialogs/dialog_widgets.h"

#include <QBoxLayout>
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

}  // namespace orbitra
