// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include <QString>

#include "platform/prompter.h"

class QBoxLayout;
class QCheckBox;
class QDialog;
class QLayout;
class QLineEdit;
class QPushButton;
class QWidget;

namespace orbitra {

// Small builders shared by the dialogs, so every field and button row looks alike.

// An edit field; objectName lets tests and the focus chain find it.
QLineEdit* MakeField(QWidget* parent, const QString& objectName);
// A field the user cannot change, with the platform's read-only look (the window's
// background instead of the editable white); its value is still read back like the others.
QLineEdit* MakeReadOnlyField(QWidget* parent, const QString& objectName);

// Makes a field at least wide enough to show a double in its longest usual text: a sign,
// "0." and 17 significant digits.
void FitDoubleDigits(QLineEdit* field);

// A check box; objectName as for fields.
QCheckBox* MakeCheckBox(QWidget* parent, const QString& text, const QString& objectName);

struct OkCancelButtons {
  QPushButton* ok = nullptr;
  QPushButton* cancel = nullptr;
};
// "OK" (the default button, accepts through QDialog::accept) and "Cancel" (rejects),
// added to the end of the given layout. Every other push button of a dialog keeps Qt's
// auto-default: Enter on it while it has the focus presses it, not "OK".
OkCancelButtons AddOkCancel(QDialog* dialog, QBoxLayout* row);

// The page of a dialog with a left and a right column above a row with "OK" and
// "Cancel" at its right end; the stretch factors share out extra width.
void LayOutTwoColumnPage(QDialog* dialog, QLayout* left, int leftStretch, QLayout* right, int rightStretch);

// The shortest text that reads back as the same double.
QString ShortestNumberText(double v);
// Every line edit of a dialog shows the start of its text (a long number its first
// digits, not its tail).
void ShowStartOfFields(QWidget& dialog);
// Two widgets side by side on one row of a form.
QWidget* SideBySide(QWidget* parent, QWidget* a, QWidget* b);
// A field's number (or whole number); when it is none, "Please enter a number." ("...
// an integer."), and the field gets the focus with its text selected.
bool ReadNumberField(QLineEdit* field, Prompter& prompter, double& out);
bool ReadWholeField(QLineEdit* field, Prompter& prompter, std::int32_t& out);

}  // namespace orbitra
