// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialogs/data_exchange.h"
#include "explorer/selection_dialog_logic.h"

#include <QDialog>

class QComboBox;

namespace orbitra {

// "Mapping System Selection": the system list, its two formula lines, k1 to k4 and
// "Use default graphics range ". Picking a system loads its defaults into the dialog
// only; what "OK" applies is ApplySelectionDialog over Values().
class MappingSelectionDialog : public QDialog {
 public:
  MappingSelectionDialog(const SelectionDialogValues& values, Prompter& prompter, QWidget* parent = nullptr);

  const SelectionDialogValues& Values() const { return values_; }

  void accept() override;

 private:
  void OnSystemPicked(int position);

  SelectionDialogValues values_;
  Prompter& prompter_;
  DataExchange exchange_;
  QComboBox* systemList_ = nullptr;
};

}  // namespace orbitra
