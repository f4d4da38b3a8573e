// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialogs/data_exchange.h"
#include "explorer/box_commands.h"

#include <QDialog>

namespace orbitra {

// "GBox settings", the same dialog for every box: range, screen percentages, label,
// drawing flags and ticks. What "OK" applies is ApplyBoxSettings over Values().
class BoxSettingsDialog : public QDialog {
 public:
  static constexpr int kLabelLimit = 64;

  BoxSettingsDialog(const BoxSettings& values, Prompter& prompter, QWidget* parent = nullptr);

  const BoxSettings& Values() const { return values_; }

  void accept() override;

 private:
  BoxSettings values_;
  Prompter& prompter_;
  DataExchange exchange_;
};

}  // namespace orbitra
