// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialogs/data_exchange.h"
#include "explorer/display_mode_logic.h"

#include <QDialog>

namespace orbitra {

// "DisplayMode": the two window layouts as a radio group. What "OK" applies is
// ApplyDisplayModeDialog over Values().
class DisplayModeDialog : public QDialog {
 public:
  DisplayModeDialog(const DisplayModeValues& values, Prompter& prompter, QWidget* parent = nullptr);

  const DisplayModeValues& Values() const { return values_; }

  void accept() override;

 private:
  DisplayModeValues values_;
  Prompter& prompter_;
  DataExchange exchange_;
};

}  // namespace orbitra
