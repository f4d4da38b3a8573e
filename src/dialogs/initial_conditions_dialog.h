// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialogs/data_exchange.h"
#include "explorer/initial_conditions_logic.h"

#include <QDialog>

namespace orbitra {

// "Initial conditions": the initial point, the mouse point and the last point with their
// "^" buttons, the iteration count, the run colour, the storage options and whether "OK"
// starts a run. What "OK" applies is ApplyInitialConditionsDialog over Values().
class InitialConditionsDialog : public QDialog {
 public:
  InitialConditionsDialog(const InitialConditionsValues& values, Prompter& prompter, QWidget* parent = nullptr);

  const InitialConditionsValues& Values() const { return values_; }

  void accept() override;

 private:
  InitialConditionsValues values_;
  Prompter& prompter_;
  DataExchange exchange_;
};

}  // namespace orbitra
