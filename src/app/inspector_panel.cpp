// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/inspector_panel.h"

#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt_string.h"
#include "explorer/orbit_report.h"

namespace orbitra {

InspectorPanel::InspectorPanel(const OrbitraState& state, QWidget* parent)
    : QDockWidget(QStringLiteral("Orbit Inspector"), parent), state_(state) {
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

void InspectorPanel::CopyReport() const {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) {
    clipboard->setText(ToQString(FormatOrbitReport(MakeOrbitReport(state_))));
  }
}

}  // namespace orbitra
