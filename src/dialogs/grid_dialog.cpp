// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/grid_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>

#include "dialogs/dialog_widgets.h"

namespace orbitra {

namespace {

QComboBox* ParameterBox(QWidget* parent, const QString& name) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  box->addItems({QStringLiteral("k1"), QStringLiteral("k2"), QStringLiteral("k3"), QStringLiteral("k4")});
  return box;
}

// The colourings a dialog offers, in the combo box's order.
constexpr GridColouring kPlaneColourings[] = {GridColouring::Period, GridColouring::Lyapunov};
constexpr GridColouring kBasinColourings[] = {GridColouring::Escape, GridColouring::Attractor};

}  // namespace

GridDialog::GridDialog(const GridWindowValues& values, const MappingModel& model, Prompter& prompter, QWidget* parent)
    : QDialog(parent), values_(values), model_(model), prompter_(prompter), plane_(IsParameterPlane(values.settings.colouring)) {
  setWindowTitle(plane_ ? QStringLiteral("Parameter Plane") : QStringLiteral("Basins"));
  auto* form = new QFormLayout(this);
  xMin_ = MakeField(this, QStringLiteral("xMin"));
  xMax_ = MakeField(this, QStringLiteral("xMax"));
  yMin_ = MakeField(this, QStringLiteral("yMin"));
  yMax_ = MakeField(this, QStringLiteral("yMax"));
  transient_ = MakeField(this, QStringLiteral("transient"));
  longestPeriod_ = MakeField(this, QStringLiteral("longestPeriod"));
  escape_ = MakeField(this, QStringLiteral("escape"));
  colouring_ = new QComboBox(this);
  colouring_->setObjectName(QStringLiteral("colouring"));
  threads_ = new QSpinBox(this);
  threads_->setObjectName(QStringLiteral("threads"));
  threads_->setRange(1, 1024);
  if (plane_) {
    xParameter_ = ParameterBox(this, QStringLiteral("xParameter"));
    yParameter_ = ParameterBox(this, QStringLiteral("yParameter"));
    x0_ = MakeField(this, QStringLiteral("x0"));
    y0_ = MakeField(this, QStringLiteral("y0"));
    lyapunovIterations_ = MakeField(this, QStringLiteral("lyapunovIterations"));
    colouring_->addItems({QStringLiteral("Period"), QStringLiteral("\u03BB1")});
    form->addRow(QStringLiteral("Horizontal parameter"), xParameter_);
    form->addRow(QStringLiteral("from, to"), SideBySide(this, xMin_, xMax_));
    form->addRow(QStringLiteral("Vertical parameter"), yParameter_);
    form->addRow(QStringLiteral("from, to "), SideBySide(this, yMin_, yMax_));
    form->addRow(QStringLiteral("Initial point X0, Y0"), SideBySide(this, x0_, y0_));
    form->addRow(QStringLiteral("Transient"), transient_);
    form->addRow(QStringLiteral("Longest period"), longestPeriod_);
    form->addRow(QStringLiteral("Iterations for \u03BB1"), lyapunovIterations_);
  } else {
    iterations_ = MakeField(this, QStringLiteral("iterations"));
    colouring_->addItems({QStringLiteral("Escape time"), QStringLiteral("Attractor")});
    form->addRow(QStringLiteral("x from, to"), SideBySide(this, xMin_, xMax_));
    form->addRow(QStringLiteral("y from, to"), SideBySide(this, yMin_, yMax_));
    form->addRow(QStringLiteral("Iterations to escape"), iterations_);
    form->addRow(QStringLiteral("Transient (attractors)"), transient_);
    form->addRow(QStringLiteral("Longest period (attractors)"), longestPeriod_);
  }
  form->addRow(QStringLiteral("Escape when x\u00B2 + y\u00B2 passes"), escape_);
  form->addRow(QStringLiteral("Colour by"), colouring_);
  form->addRow(QStringLiteral("Threads"), threads_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &GridDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &GridDialog::reject);
  form->addRow(buttons);
  Show(values_);

  if (plane_) {
    // Another parameter on an axis brings its default range.
    connect(xParameter_, &QComboBox::currentIndexChanged, this, [this](int index) { AxisChanged(0, index); });
    connect(yParameter_, &QComboBox::currentIndexChanged, this, [this](int index) { AxisChanged(1, index); });
  }
}

void GridDialog::AxisChanged(int axis, int parameter) {
  GridSettings& s = values_.settings;
  (axis == 0 ? s.xParameter : s.yParameter) = parameter;
  TakeDefaultAxisRange(s, model_, axis);
  (axis == 0 ? xMin_ : yMin_)->setText(ShortestNumberText(axis == 0 ? s.range.Xmin : s.range.Ymin));
  (axis == 0 ? xMax_ : yMax_)->setText(ShortestNumberText(axis == 0 ? s.range.Xmax : s.range.Ymax));
  ShowStartOfFields(*this);
}

void GridDialog::Show(const GridWindowValues& v) {
  const GridSettings& s = v.settings;
  xMin_->setText(ShortestNumberText(s.range.Xmin));
  xMax_->setText(ShortestNumberText(s.range.Xmax));
  yMin_->setText(ShortestNumberText(s.range.Ymin));
  yMax_->setText(ShortestNumberText(s.range.Ymax));
  transient_->setText(QString::number(s.transient));
  longestPeriod_->setText(QString::number(s.longestPeriod));
  escape_->setText(ShortestNumberText(s.escape));
  threads_->setValue(v.threads);
  if (plane_) {
    xParameter_->setCurrentIndex(s.xParameter);
    yParameter_->setCurrentIndex(s.yParameter);
    x0_->setText(ShortestNumberText(s.from.x));
    y0_->setText(ShortestNumberText(s.from.y));
    lyapunovIterations_->setText(QString::number(s.lyapunovIterations));
    colouring_->setCurrentIndex(s.colouring == GridColouring::Lyapunov ? 1 : 0);
  } else {
    iterations_->setText(QString::number(s.escapeIterations));
    colouring_->setCurrentIndex(s.colouring == GridColouring::Attractor ? 1 : 0);
  }
  ShowStartOfFields(*this);
}

bool GridDialog::Read() {
  const auto number = [this](QLineEdit* field, double& out) { return ReadNumberField(field, prompter_, out); };
  const auto whole = [this](QLineEdit* field, std::int32_t& out) { return ReadWholeField(field, prompter_, out); };
  GridSettings& s = values_.settings;
  values_.threads = threads_->value();
  const int colouring = colouring_->currentIndex() == 1 ? 1 : 0;
  s.colouring = plane_ ? kPlaneColourings[colouring] : kBasinColourings[colouring];
  if (!(number(xMin_, s.range.Xmin) && number(xMax_, s.range.Xmax) && number(yMin_, s.range.Ymin) &&
        number(yMax_, s.range.Ymax))) {
    return false;
  }
  if (plane_) {
    s.xParameter = xParameter_->currentIndex();
    s.yParameter = yParameter_->currentIndex();
    if (!(number(x0_, s.from.x) && number(y0_, s.from.y) && whole(transient_, s.transient) &&
          whole(longestPeriod_, s.longestPeriod) && whole(lyapunovIterations_, s.lyapunovIterations))) {
      return false;
    }
  } else if (!(whole(iterations_, s.escapeIterations) && whole(transient_, s.transient) &&
               whole(longestPeriod_, s.longestPeriod))) {
    return false;
  }
  return number(escape_, s.escape);
}

void GridDialog::accept() {
  if (!Read()) return;
  if (const std::optional<std::string> problem = CheckGridWindowValues(values_)) {
    prompter_.ShowMessage(*problem);
    return;
  }
  QDialog::accept();
}

}  // namespace orbitra
