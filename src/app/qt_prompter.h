// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/repaint_hold.h"
#include "platform/prompter.h"

namespace orbitra {

// The message boxes of the program on QMessageBox: caption "Orbitra", the text as given
// (a '\n' breaks the line), modal over the parent window when there is one. While a box
// is open it holds the repaints, when given a hold.
class QtPrompter : public Prompter {
 public:
  explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}

  void SetParent(QWidget* parent) { parent_ = parent; }
  void SetHold(RepaintHold* hold) { hold_ = hold; }

  void ShowMessage(std::string_view text) override;
  void ShowInformation(std::string_view text) override;
  Answer AskYesNo(std::string_view text) override;
  Answer AskYesNoCancel(std::string_view text) override;

 private:
  QPointer<QWidget> parent_;     // not owned; a closed parent leaves boxes without owner
  RepaintHold* hold_ = nullptr;  // not owned; none: the boxes hold nothing
};

}  // namespace orbitra
