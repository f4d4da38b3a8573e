// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt_prompter.h"

#include <QMessageBox>

#include <optional>

#include "app/qt_string.h"

namespace orbitra {

namespace {

const QString kCaption = QStringLiteral("Orbitra");

// Plain text: the program's texts hold '%' and '<' as they are, never markup.
QMessageBox::StandardButton Ask(QWidget* parent, RepaintHold* hold, QMessageBox::Icon icon, std::string_view text,
                                QMessageBox::StandardButtons buttons, QMessageBox::StandardButton fallback) {
  std::optional<RepaintHold::Scope> held;
  if (hold != nullptr) held.emplace(*hold);
  QMessageBox box(icon, kCaption, ToQString(text), buttons, parent);
  box.setTextFormat(Qt::PlainText);
  box.setEscapeButton(fallback);
  const int result = box.exec();
  return static_cast<QMessageBox::StandardButton>(result);
}

}  // namespace

void QtPrompter::ShowMessage(std::string_view text) {
  Ask(parent_, hold_, QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtPrompter::ShowInformation(std::string_view text) {
  Ask(parent_, hold_, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

Answer QtPrompter::AskYesNo(std::string_view text) {
  // Closing the box without a button counts as No, the answer that changes nothing.
  const auto button =
      Ask(parent_, hold_, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
  return button == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

Answer QtPrompter::AskYesNoCancel(std::string_view text) {
  const auto button = Ask(parent_, hold_, QMessageBox::Question, text,
                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel);
  if (button == QMessageBox::Yes) return Answer::Yes;
  if (button == QMessageBox::No) return Answer::No;
  return Answer::Cancel;
}

}  // namespace orbitra
