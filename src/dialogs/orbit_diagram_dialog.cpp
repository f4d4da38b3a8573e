// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/orbit_diagram_dialog.h"

#include <utility>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSpinBox>

#include "dialogs/dialog_widgets.h"

namespace orbitra {

OrbitDiagramDialog::OrbitDiagramDialog(const OrbitDiagramValues& values, const MappingModel& model,
                                       Prompter& prompter, QWidget* parent)
    : QDialog(parent), values_(values), model_(model), prompter_(prompter) {
  setWindowTitle(QStringLiteral("Orbit Diagram"));
  auto* form = new QFormLayout(this);
  parameter_ = new QComboBox(this);
  parameter_->addItems({QStringLiteral("k1"), QStringLiteral("k2"), QStringLiteral("k3"), QStringLiteral("k4")});
  parameterMin_ = new QLineEdit(this);
  parameterMax_ = new QLineEdit(this);
  coordinate_ = new QComboBox(this);
  coordinate_->addItems({QStringLiteral("x"), QStringLiteral("y")});
  coordinateMin_ = new QLineEdit(this);
  coordinateMax_ = new QLineEdit(this);
  transient_ = new QLineEdit(this);
  points_ = new QLineEdit(this);
  x0_ = new QLineEdit(this);
  y0_ = new QLineEdit(this);
  carry_ = new QCheckBox(QStringLiteral("Each column starts from the previous column's last point"), this);
  threads_ = new QSpinBox(this);
  threads_->setRange(1, 1024);
  shading_ = new QComboBox(this);
  shading_->addItems({QStringLiteral("Logarithmic grey"), QStringLiteral("Black for any hit")});

  // Names for tests and accessibility.
  const std::pair<QWidget*, const char*> names[] = {
      {parameter_, "parameter"}, {parameterMin_, "parameterMin"}, {parameterMax_, "parameterMax"},
      {coordinate_, "coordinate"}, {coordinateMin_, "coordinateMin"}, {coordinateMax_, "coordinateMax"},
      {transient_, "transient"}, {points_, "points"}, {x0_, "x0"}, {y0_, "y0"}, {carry_, "carry"},
      {threads_, "threads"}, {shading_, "shading"}};
  for (const auto& [widget, name] : names) widget->setObjectName(QString::fromLatin1(name));
  form->addRow(QStringLiteral("Parameter"), parameter_);
  form->addRow(QStringLiteral("from, to"), SideBySide(this, parameterMin_, parameterMax_));
  form->addRow(QStringLiteral("Coordinate"), coordinate_);
  form->addRow(QStringLiteral("from, to "), SideBySide(this, coordinateMin_, coordinateMax_));
  form->addRow(QStringLiteral("Transient"), transient_);
  form->addRow(QStringLiteral("Points per column"), points_);
  form->addRow(QStringLiteral("Initial point X0, Y0"), SideBySide(this, x0_, y0_));
  form->addRow(carry_);
  form->addRow(QStringLiteral("Threads"), threads_);
  form->addRow(QStringLiteral("Shading"), shading_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &OrbitDiagramDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &OrbitDiagramDialog::reject);
  form->addRow(buttons);
  Show(values_);

  // Another parameter or coordinate brings its default range.
  connect(parameter_, &QComboBox::currentIndexChanged, this, [this](int index) {
    values_.view.parameter = index;
    TakeDefaultParameterRange(values_, model_);
    parameterMin_->setText(ShortestNumberText(values_.view.parameterMin));
    parameterMax_->setText(ShortestNumberText(values_.view.parameterMax));
    ShowStartOfFields(*this);
  });
  connect(coordinate_, &QComboBox::currentIndexChanged, this, [this](int index) {
    values_.view.coordinate = index;
    TakeDefaultCoordinateRange(values_);
    coordinateMin_->setText(ShortestNumberText(values_.view.coordinateMin));
    coordinateMax_->setText(ShortestNumberText(values_.view.coordinateMax));
    ShowStartOfFields(*this);
  });
}

void OrbitDiagramDialog::Show(const OrbitDiagramValues& v) {
  parameter_->setCurrentIndex(v.view.parameter);
  parameterMin_->setText(ShortestNumberText(v.view.parameterMin));
  parameterMax_->setText(ShortestNumberText(v.view.parameterMax));
  coordinate_->setCurrentIndex(v.view.coordinate);
  coordinateMin_->setText(ShortestNumberText(v.view.coordinateMin));
  coordinateMax_->setText(ShortestNumberText(v.view.coordinateMax));
  transient_->setText(QString::number(v.view.transient));
  points_->setText(QString::number(v.view.points));
  x0_->setText(ShortestNumberText(v.initial.x));
  y0_->setText(ShortestNumberText(v.initial.y));
  carry_->setChecked(v.carry != 0);
  threads_->setValue(v.threads);
  shading_->setCurrentIndex(v.shading);
  ShowStartOfFields(*this);
}

bool OrbitDiagramDialog::Read() {
  const auto number = [this](QLineEdit* field, double& out) { return ReadNumberField(field, prompter_, out); };
  const auto whole = [this](QLineEdit* field, std::int32_t& out) { return ReadWholeField(field, prompter_, out); };
  OrbitDiagramValues& v = values_;
  v.view.parameter = parameter_->currentIndex();
  v.view.coordinate = coordinate_->currentIndex();
  v.carry = carry_->isChecked() ? 1 : 0;
  v.threads = threads_->value();
  v.shading = shading_->currentIndex();
  return number(parameterMin_, v.view.parameterMin) && number(parameterMax_, v.view.parameterMax) &&
         number(coordinateMin_, v.view.coordinateMin) && number(coordinateMax_, v.view.coordinateMax) &&
         whole(transient_, v.view.transient) && whole(points_, v.view.points) && number(x0_, v.initial.x) &&
         number(y0_, v.initial.y);
}

void OrbitDiagramDialog::accept() {
  if (!Read()) return;
  if (const std::optional<std::string> problem = CheckOrbitDiagramValues(values_)) {
    prompter_.ShowMessage(*problem);
    return;
  }
  QDialog::accept();
}

}  // namespace orbitra
