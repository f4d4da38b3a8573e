// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include "platform/prompter.h"
#include "sweeps/orbit_diagram_view.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace orbitra {

// "Orbit Diagram": the parameter and its range, the coordinate and its range, transient,
// points per column, the initial point, carry-over, threads and shading. OK checks the
// values (a message names what is wrong, the field gets the focus).
class OrbitDiagramDialog : public QDialog {
  Q_OBJECT

 public:
  OrbitDiagramDialog(const OrbitDiagramValues& values, const MappingModel& model, Prompter& prompter,
                     QWidget* parent = nullptr);
  const OrbitDiagramValues& Values() const noexcept { return values_; }

  void accept() override;

 private:
  void Show(const OrbitDiagramValues& v);
  bool Read();

  OrbitDiagramValues values_;
  MappingModel model_;
  Prompter& prompter_;
  QComboBox* parameter_ = nullptr;
  QLineEdit* parameterMin_ = nullptr;
  QLineEdit* parameterMax_ = nullptr;
  QComboBox* coordinate_ = nullptr;
  QLineEdit* coordinateMin_ = nullptr;
  QLineEdit* coordinateMax_ = nullptr;
  QLineEdit* transient_ = nullptr;
  QLineEdit* points_ = nullptr;
  QLineEdit* x0_ = nullptr;
  QLineEdit* y0_ = nullptr;
  QCheckBox* carry_ = nullptr;
  QSpinBox* threads_ = nullptr;
  QComboBox* shading_ = nullptr;
};

}  // namespace orbitra
