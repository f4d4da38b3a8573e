// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/prompter.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace orbitra {

// The data exchange every dialog uses: members of a plain values struct are bound to
// controls, in the dialog's member order. Writing puts the members into the controls;
// reading checks every control in that order and, at the first invalid entry, shows its
// message once, puts the focus on that control with its text selected and changes no
// member at all. A read-only field is not read back: it still shows its member. The
// members must outlive the exchange.
class DataExchange {
 public:
  // Signed 32-bit whole number.
  void BindInt(QLineEdit* field, std::int32_t* member);
  // Whole number without sign, 0 to 2147483647 (the range the program's counts can hold).
  void BindUnsigned(QLineEdit* field, std::int32_t* member);
  // Whole number within lo..hi, bounds included.
  void BindIntRange(QLineEdit* field, std::int32_t* member, std::int32_t lo, std::int32_t hi);
  // Double, shown with up to 15 significant digits.
  void BindDouble(QLineEdit* field, double* member);
  // Text; with a limit above 0 the field also takes no more characters than that.
  void BindText(QLineEdit* field, std::string* member, int maxLength = 0);
  // Check box, member 0 or 1.
  void BindCheck(QCheckBox* box, int* member);
  void BindCheck(QCheckBox* box, bool* member);
  // Radio buttons of one group; the member is the position of the checked one.
  void BindRadioGroup(std::vector<QRadioButton*> buttons, std::int32_t* member);
  // Position of the selected list item (-1: none).
  void BindComboIndex(QComboBox* list, int* member);

  void WriteAll() const;
  // Rewrites only the controls of the given members, leaving the others as the user left them.
  void Write(std::initializer_list<const void*> members) const;
  // True when every control was valid; then, and only then, all members take their values.
  bool ReadAll(Prompter& prompter);

 private:
  struct Binding {
    const void* member;
    QWidget* control;
    std::function<void()> write;
    // Checks the control; stores into the member when store is set. Returns the message
    // of an invalid entry.
    std::function<std::optional<std::string>(bool store)> read;
  };

  std::vector<Binding> bindings_;
};

}  // namespace orbitra
