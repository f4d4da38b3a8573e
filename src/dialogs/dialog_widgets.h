#pragma once

#include <QString>

class QBoxLayout;
class QDialog;
class QLineEdit;
class QPushButton;
class QWidget;

namespace orbitra {

// Small builders shared by the dialogs, so every field and button row looks alike.

// An edit field; objectName lets tests and the focus chain find it.
QLineEdit* MakeField(QWidget* parent, const QString& objectName);
// A field the user cannot change; its value is still read back like the others.
QLineEdit* MakeReadOnlyField(QWidget* parent, const QString& objectName);

struct OkCancelButtons {
  QPushButton* ok = nullptr;
  QPushButton* cancel = nullptr;
};
// "OK" (the default button, accepts through QDialog::accept) and "Cancel" (rejects),
// added to the end of the given layout.
OkCancelButtons AddOkCancel(QDialog* dialog, QBoxLayout* row);

}  // namespace orbitra
