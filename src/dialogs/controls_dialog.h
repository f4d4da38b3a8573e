// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "dialogs/data_exchange.h"
#include "explorer/controls_logic.h"

#include <QDialog>

class QLineEdit;

namespace orbitra {

// "Controls": the run settings, and the "Buffer" group whose "reconstruction" button
// rebuilds the point buffer while the dialog stays open. What "OK" applies is
// ApplyControlsDialog over Values().
class ControlsDialog : public QDialog {
 public:
  ControlsDialog(const ControlsDialogValues& values, Prompter& prompter, QWidget* parent = nullptr);

  const ControlsDialogValues& Values() const { return values_; }

  // What "reconstruction" does; the command sets it. Without one the button does nothing.
  void SetReconstructHandler(std::function<void()> handler) { reconstruct_ = std::move(handler); }
  // Reads and checks every control, as "OK" would, without closing: the capacity typed,
  // or nothing when an entry was invalid (its message has then been shown).
  std::optional<std::int32_t> ReadCapacityFromControls();
  // Shows new sizes in "Disk (Kb)" and "Mem (Kb)" and leaves every other control alone.
  void ShowStoreSizes(std::int32_t diskKb, std::int32_t memoryKb);

  void accept() override;

 private:
  ControlsDialogValues values_;
  Prompter& prompter_;
  DataExchange exchange_;
  std::function<void()> reconstruct_;
};

}  // namespace orbitra
