// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/inspector_panel.h"

#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt_string.h"
#include "explorer/orbit_report.h"
#include "explorer/orbitra_state.h"
#include "explorer/rotation_centre.h"

namespace orbitra {

InspectorPanel::InspectorPanel(OrbitraState& state, Prompter& prompter, QWidget* parent)
    : QDockWidget(QStringLiteral("Orbit Inspector"), parent), state_(state), prompter_(prompter) {
  setObjectName(QStringLiteral("OrbitInspector"));
  setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetFloatable);

  auto* body = new QWidget(this);
  auto* grid = new QGridLayout;
  const std::vector<ReportLine> lines = OrbitReportLines(OrbitReport{});
  for (const ReportLine& line : lines) {
    const int row = static_cast<int>(values_.size());
    grid->addWidget(new QLabel(ToQString(line.label), body), row, 0, Qt::AlignLeft | Qt::AlignTop);
    auto* value = new QLabel(ToQString(line.value), body);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value->setWordWrap(true);  // the four parameters break between them
    grid->addWidget(value, row, 1, Qt::AlignTop);  // the whole column's width
    values_.push_back(value);
  }
  const int centreRow = static_cast<int>(values_.size());
  grid->addWidget(new QLabel(QStringLiteral("Rotation centre"), body), centreRow, 0, Qt::AlignLeft | Qt::AlignVCenter);
  centreField_ = new QLineEdit(body);
  centreField_->setPlaceholderText(QStringLiteral("nearest elliptic fixed point"));
  centreField_->setToolTip(QStringLiteral("x, y of the point the rotation number winds about; empty to let it be found"));
  connect(centreField_, &QLineEdit::editingFinished, this, &InspectorPanel::TakeCentre);
  grid->addWidget(centreField_, centreRow, 1);
  grid->setColumnStretch(1, 1);
  // Wide enough for a point with ten digits of each coordinate on one line.
  grid->setColumnMinimumWidth(1, fontMetrics().horizontalAdvance(QStringLiteral("x=-0.1234567891  y=-0.1234567891")));

  copyButton_ = new QPushButton(QStringLiteral("Copy"), body);
  connect(copyButton_, &QPushButton::clicked, this, &InspectorPanel::CopyReport);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(copyButton_);

  auto* layout = new QVBoxLayout(body);
  layout->addLayout(grid);
  layout->addLayout(buttons);
  layout->addStretch(1);
  setWidget(body);
}

void InspectorPanel::Refresh() {
  if (isHidden()) return;
  const std::vector<ReportLine> lines = OrbitReportLines(MakeOrbitReport(state_));
  for (std::size_t i = 0; i < lines.size() && i < values_.size(); ++i) values_[i]->setText(ToQString(lines[i].value));
}

void InspectorPanel::TakeCentre() {
  const std::string typed = centreField_->text().toStdString();
  if (typed == RotationCentreText(state_.Inspector.ChosenCentre())) return;  // focus left, nothing changed
  if (!ChooseRotationCentre(state_, prompter_, typed)) {
    centreField_->setFocus();
    return;
  }
  centreField_->setText(ToQString(RotationCentreText(state_.Inspector.ChosenCentre())));
  centreField_->setCursorPosition(0);  // the start of the numbers, not their last digits
  Refresh();
}

void InspectorPanel::CopyReport() const {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) {
    clipboard->setText(ToQString(FormatOrbitReport(MakeOrbitReport(state_))));
  }
}

}  // namespace orbitra
