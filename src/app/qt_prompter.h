#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/prompter.h"

namespace orbitra {

// The message boxes of the program on QMessageBox: caption "Orbitra", the text as given
// (a '\n' breaks the line), modal over the parent window when there is one.
class QtPrompter : public Prompter {
 public:
  explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}

  void SetParent(QWidget* parent) { parent_ = parent; }

  void ShowMessage(std::string_view text) override;
  void ShowInformation(std::string_view text) override;
  Answer AskYesNo(std::string_view text) override;
  Answer AskYesNoCancel(std::string_view text) override;

 private:
  QPointer<QWidget> parent_;  // not owned; a closed parent leaves boxes without owner
};

}  // namespace orbitra
