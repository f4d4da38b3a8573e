// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include "platform/prompter.h"
#include "sweeps/grid_window_logic.h"

class QComboBox;
class QLineEdit;
class QSpinBox;

namespace orbitra {

// "Parameter Plane" (the two parameters and their ranges, the initial point, transient,
// longest period, iterations for λ1, colouring) or "Basins" (the range of x and y,
// colouring, iterations, transient and longest period for the attractors); both with the
// escape threshold and threads. Which one is the values' colouring's. OK checks the values
// (a message names what is wrong).
class GridDialog : public QDialog {
  Q_OBJECT

 public:
  GridDialog(const GridWindowValues& values, const MappingModel& model, Prompter& prompter, QWidget* parent = nullptr);
  const GridWindowValues& Values() const noexcept { return values_; }

  void accept() override;

 private:
  void Show(const GridWindowValues& v);
  bool Read();
  void AxisChanged(int axis, int parameter);

  GridWindowValues values_;
  MappingModel model_;
  Prompter& prompter_;
  bool plane_ = true;
  QComboBox* xParameter_ = nullptr;
  QComboBox* yParameter_ = nullptr;
  QLineEdit* xMin_ = nullptr;
  QLineEdit* xMax_ = nullptr;
  QLineEdit* yMin_ = nullptr;
  QLineEdit* yMax_ = nullptr;
  QLineEdit* x0_ = nullptr;
  QLineEdit* y0_ = nullptr;
  QLineEdit* transient_ = nullptr;
  QLineEdit* longestPeriod_ = nullptr;
  QLineEdit* lyapunovIterations_ = nullptr;
  QLineEdit* iterations_ = nullptr;
  QLineEdit* escape_ = nullptr;
  QComboBox* colouring_ = nullptr;
  QSpinBox* threads_ = nullptr;
};

}  // namespace orbitra
