// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/periodic_orbits_panel.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include "analysis/invariant_manifold.h"
#include "analysis/periodic_orbits.h"
#include "app/mapping_window.h"
#include "app/qt_string.h"
#include "explorer/orbitra_state.h"
#include "storage/text_format.h"
#include "sweeps/structure_commands.h"

namespace orbitra {

namespace {

constexpr int kPollMs = 250;

QString RangeText(double v) { return QString::number(v, 'g', 12); }

}  // namespace

PeriodicOrbitsPanel::PeriodicOrbitsPanel(OrbitraState& state, MappingWindow& window, QWidget* parent)
    : QDockWidget(QStringLiteral("Periodic Orbits"), parent),
      state_(state),
      window_(window),
      pool_(std::make_unique<WorkerPool>()) {
  setObjectName(QStringLiteral("PeriodicOrbits"));
  setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetFloatable);
  auto* body = new QWidget(this);

  auto* form = new QGridLayout;
  periods_ = new QSpinBox(body);
  periods_->setRange(1, kLargestOrbitPeriod);
  periods_->setValue(8);
  form->addWidget(new QLabel(QStringLiteral("Periods 1 to"), body), 0, 0);
  form->addWidget(periods_, 0, 1);
  const char* names[4] = {"x min", "x max", "y min", "y max"};
  for (int i = 0; i < 4; ++i) {
    region_[i] = new QLineEdit(body);
    form->addWidget(new QLabel(QString::fromLatin1(names[i]), body), 1 + i / 2, (i % 2) * 2);
    form->addWidget(region_[i], 1 + i / 2, (i % 2) * 2 + 1);
  }
  arcLength_ = new QLineEdit(QStringLiteral("10"), body);
  form->addWidget(new QLabel(QStringLiteral("Arc length"), body), 0, 2);
  form->addWidget(arcLength_, 0, 3);

  table_ = new QTableWidget(0, 6, body);
  table_->setHorizontalHeaderLabels({QStringLiteral("Period"), QStringLiteral("x"), QStringLiteral("y"),
                                     QStringLiteral("Eigenvalue 1"), QStringLiteral("Eigenvalue 2"),
                                     QStringLiteral("Class")});
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  FitColumns();

  mark_ = new QCheckBox(QStringLiteral("Mark on picture"), body);
  find_ = new QPushButton(QStringLiteral("Find"), body);
  stop_ = new QPushButton(QStringLiteral("Stop"), body);
  copy_ = new QPushButton(QStringLiteral("Copy"), body);
  useInitial_ = new QPushButton(QStringLiteral("Use as initial point"), body);
  manifolds_ = new QPushButton(QStringLiteral("Manifolds"), body);
  clear_ = new QPushButton(QStringLiteral("Clear Manifolds"), body);
  status_ = new QLabel(body);
  stop_->setEnabled(false);

  auto* row1 = new QHBoxLayout;
  row1->addWidget(find_);
  row1->addWidget(stop_);
  row1->addWidget(mark_);
  row1->addStretch(1);
  auto* row2 = new QHBoxLayout;
  row2->addWidget(copy_);
  row2->addWidget(useInitial_);
  row2->addWidget(manifolds_);
  row2->addWidget(clear_);
  row2->addStretch(1);

  auto* layout = new QVBoxLayout(body);
  layout->addLayout(form);
  layout->addLayout(row1);
  layout->addWidget(table_, 1);
  layout->addLayout(row2);
  layout->addWidget(status_);
  setWidget(body);

  poll_ = new QTimer(this);
  poll_->setInterval(kPollMs);
  connect(poll_, &QTimer::timeout, this, &PeriodicOrbitsPanel::Poll);
  connect(find_, &QPushButton::clicked, this, &PeriodicOrbitsPanel::Find);
  connect(stop_, &QPushButton::clicked, this, &PeriodicOrbitsPanel::Stop);
  connect(copy_, &QPushButton::clicked, this, &PeriodicOrbitsPanel::CopyList);
  connect(useInitial_, &QPushButton::clicked, this, &PeriodicOrbitsPanel::UseAsInitial);
  connect(manifolds_, &QPushButton::clicked, this, &PeriodicOrbitsPanel::GrowManifolds);
  connect(clear_, &QPushButton::clicked, this, &PeriodicOrbitsPanel::ClearManifolds);
  connect(mark_, &QCheckBox::toggled, this, &PeriodicOrbitsPanel::MarkChanged);
}

PeriodicOrbitsPanel::~PeriodicOrbitsPanel() {
  // The pool's units use the finder and the growth: end them first.
  pool_->Stop();
  pool_->Wait();
}

void PeriodicOrbitsPanel::Open() {
  const WorldRange r = state_.Boxes.XYBox.GetRange();
  const double values[4] = {r.Xmin, r.Xmax, r.Ymin, r.Ymax};
  for (int i = 0; i < 4; ++i) region_[i]->setText(RangeText(values[i]));
  show();
  raise();
}

bool PeriodicOrbitsPanel::Busy() const { return pool_->Running(); }

void PeriodicOrbitsPanel::StructureReplaced() {
  Stop();
  pool_->Wait();
  poll_->stop();
  stop_->setEnabled(false);
  finder_.reset();
  growth_.reset();
  ShowOrbits();
  const QSignalBlocker quiet(mark_);
  mark_->setChecked(state_.Structure.MarkersShown);
  status_->clear();
}

void PeriodicOrbitsPanel::Find() {
  double v[4] = {};
  for (int i = 0; i < 4; ++i) {
    if (!ParseDouble(region_[i]->text().trimmed().toStdString(), v[i])) {
      status_->setText(QStringLiteral("The region needs four numbers."));
      region_[i]->setFocus();
      return;
    }
  }
  if (!(v[0] < v[1] && v[2] < v[3])) {
    status_->setText(QStringLiteral("The region needs x min below x max and y min below y max."));
    return;
  }
  Stop();
  pool_->Wait();
  growth_.reset();
  finder_ = std::make_unique<PeriodicOrbitFinder>(
      AnalysisMapOf(state_), SearchOf(state_, periods_->value(), WorldRange{v[0], v[1], v[2], v[3]}));
  PeriodicOrbitFinder* finder = finder_.get();
  pool_->Start(finder->UnitCount(),
               [finder](std::int64_t index, std::stop_token stop) { return finder->RunUnit(index, std::move(stop)); });
  stop_->setEnabled(true);
  status_->setText(QStringLiteral("Searching..."));
  poll_->start();
}

void PeriodicOrbitsPanel::GrowManifolds() {
  const PeriodicOrbit* saddle = Selected();
  if (!saddle || !IsSaddle(saddle->stability.kind)) {
    status_->setText(QStringLiteral("Select a saddle in the list first."));
    return;
  }
  double arc = 0.0;
  if (!ParseDouble(arcLength_->text().trimmed().toStdString(), arc) || !(arc > 0.0) || arc > 1e6) {
    status_->setText(QStringLiteral("The arc length needs a number above 0 and at most 1000000."));
    return;
  }
  Stop();
  pool_->Wait();
  ManifoldSettings settings;
  settings.arcLength = arc;
  const PlaneMap map = AnalysisMapOf(state_);
  state_.Structure.Wrap = map.Wrap();
  growth_ = std::make_unique<SaddleManifolds>(map, *saddle, settings);
  SaddleManifolds* growth = growth_.get();
  pool_->Start(growth->UnitCount(),
               [growth](std::int64_t index, std::stop_token stop) { return growth->RunUnit(index, stop); });
  stop_->setEnabled(true);
  status_->setText(QStringLiteral("Growing manifolds..."));
  poll_->start();
}

void PeriodicOrbitsPanel::Stop() {
  pool_->Stop();
}

void PeriodicOrbitsPanel::ClearManifolds() {
  Stop();
  pool_->Wait();
  growth_.reset();
  state_.Structure.Manifolds.clear();
  status_->clear();  // its count of manifold points is gone with them
  Repaint(true);
}

void PeriodicOrbitsPanel::Poll() {
  const bool running = pool_->Running();
  if (growth_) {
    state_.Structure.Manifolds = growth_->Branches();
    status_->setText(QStringLiteral("%1 manifold points%2")
                         .arg(growth_->PointCount())
                         .arg(running ? QStringLiteral("...") : QString()));
    Repaint(false);
  }
  if (running) return;
  poll_->stop();
  stop_->setEnabled(false);
  if (finder_) {
    const bool stopped = pool_->WasStopped();
    state_.Structure.Orbits = finder_->Orbits();
    finder_.reset();
    ShowOrbits();
    status_->setText(QStringLiteral("%1 orbits%2")
                         .arg(state_.Structure.Orbits.size())
                         .arg(stopped ? QStringLiteral(" (stopped)") : QString()));
    if (mark_->isChecked()) Repaint(true);
  }
}

void PeriodicOrbitsPanel::ShowOrbits() {
  const std::vector<PeriodicOrbit>& orbits = state_.Structure.Orbits;
  table_->setRowCount(static_cast<int>(orbits.size()));
  for (int row = 0; row < table_->rowCount(); ++row) {
    const std::array<std::string, 6> columns = PeriodicOrbitColumns(orbits[static_cast<std::size_t>(row)]);
    for (int c = 0; c < 6; ++c) table_->setItem(row, c, new QTableWidgetItem(ToQString(columns[static_cast<std::size_t>(c)])));
  }
  FitColumns();
}

void PeriodicOrbitsPanel::FitColumns() {
  // Every column in view: the panel is at least as wide as the columns' contents.
  table_->resizeColumnsToContents();
  const int frame = 2 * table_->frameWidth();
  const int scrollBar = table_->verticalScrollBar()->sizeHint().width();
  table_->setMinimumWidth(table_->horizontalHeader()->length() + frame + scrollBar);
}

const PeriodicOrbit* PeriodicOrbitsPanel::Selected() const {
  const int row = table_->currentRow();
  const std::vector<PeriodicOrbit>& orbits = state_.Structure.Orbits;
  if (row < 0 || static_cast<std::size_t>(row) >= orbits.size()) return nullptr;
  return &orbits[static_cast<std::size_t>(row)];
}

void PeriodicOrbitsPanel::CopyList() const {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) {
    clipboard->setText(ToQString(FormatPeriodicOrbits(state_.Structure.Orbits)));
  }
}

void PeriodicOrbitsPanel::UseAsInitial() {
  const PeriodicOrbit* orbit = Selected();
  if (!orbit) {
    status_->setText(QStringLiteral("Select an orbit in the list first."));
    return;
  }
  UseAsInitialPoint(state_, *orbit);
  Repaint(false);
}

void PeriodicOrbitsPanel::MarkChanged() {
  state_.Structure.MarkersShown = mark_->isChecked();
  Repaint(true);
}

void PeriodicOrbitsPanel::Repaint(bool erase) {
  window_.Invalidate(erase ? Invalidation::WithErase : Invalidation::WithoutErase);
}

}  // namespace orbitra
