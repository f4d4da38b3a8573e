// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include "platform/prompter.h"
#include "sweeps/rotation_profile_view.h"

class QLineEdit;

namespace orbitra {

// "Rotation Profile", once the segment is drawn: how many points along it, and the
// transient and counted iterations of each orbit. OK checks the values (a message names
// what is wrong).
class RotationProfileDialog : public QDialog {
  Q_OBJECT

 public:
  RotationProfileDialog(const RotationProfileValues& values, Prompter& prompter, QWidget* parent = nullptr);
  const RotationProfileValues& Values() const noexcept { return values_; }

  void accept() override;

 private:
  RotationProfileValues values_;
  Prompter& prompter_;
  QLineEdit* points_ = nullptr;
  QLineEdit* transient_ = nullptr;
  QLineEdit* iterations_ = nullptr;
};

}  // namespace orbitra
