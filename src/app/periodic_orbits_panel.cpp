// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/periodic_orbits_panel.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
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
#include "platform/prompter.h"
#include "storage/text_format.h"
#include "sweeps/grid_view.h"
#include "sweeps/structure_commands.h"

namespace orbitra {

namespace {

constexpr int kPollMs = 250;
constexpr int kColumns = 7;  // the six of every orbit, then the residue
constexpr int kResidueColumn = 6;

QString RangeText(double v) { return QString::number(v, 'g', 12); }

}  // namespace

PeriodicOrbitsPanel::PeriodicOrbitsPanel(OrbitraState& state, MappingWindow& window, Prompter& prompter,
                                         QWidget* parent)
    : QDockWidget(QStringLiteral("Periodic Orbits"), parent),
      state_(state),
      window_(window),
      prompter_(prompter),
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
  type_ = new QLineEdit(QStringLiteral("1/3"), body);
  type_->setObjectName(QStringLiteral("type"));
  findType_ = new QPushButton(QStringLiteral("Find Type"), body);
  form->addWidget(new QLabel(QStringLiteral("Type p/q"), body), 3, 0);
  form->addWidget(type_, 3, 1);
  form->addWidget(findType_, 3, 2);

  table_ = new QTableWidget(0, kColumns, body);
  table_->setHorizontalHeaderLabels({QStringLiteral("Period"), QStringLiteral("x"), QStringLiteral("y"),
                                     QStringLiteral("Eigenvalue 1"), QStringLiteral("Eigenvalue 2"),
                                     QStringLiteral("Class"), QStringLiteral("Residue")});
  table_->setColumnHidden(kResidueColumn, true);
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
  status_->setWordWrap(true);
  stop_->setEnabled(false);

  circleRotation_ = new QLineEdit(QStringLiteral("0.6180339887498949"), body);
  circleRotation_->setObjectName(QStringLiteral("circleRotation"));
  circleParameter_ = new QComboBox(body);
  for (int k = 0; k < 4; ++k) circleParameter_->addItem(QString::fromStdString(ParameterName(k)));
  circle_ = new QPushButton(QStringLiteral("Critical parameter of a circle"), body);
  circleTable_ = new QPlainTextEdit(body);
  circleTable_->setReadOnly(true);
  circleTable_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  circleTable_->hide();
  auto* circleRow = new QHBoxLayout;
  circleRow->addWidget(new QLabel(QStringLiteral("Rotation number"), body));
  circleRow->addWidget(circleRotation_, 1);
  circleRow->addWidget(new QLabel(QStringLiteral("varying"), body));
  circleRow->addWidget(circleParameter_);
  circleRow->addWidget(circle_);

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
  layout->addLayout(circleRow);
  layout->addWidget(circleTable_, 1);
  layout->addWidget(status_);
  setWidget(body);

  poll_ = new QTimer(this);
  poll_->setInterval(kPollMs);
  connect(poll_, &QTimer::timeout, this, &PeriodicOrbitsPanel::Poll);
  connect(find_, &QPushButton::clicked, this, &PeriodicOrbitsPanel::Find);
  connect(findType_, &QPushButton::clicked, this, &PeriodicOrbitsPanel::FindType);
  connect(type_, &QLineEdit::returnPressed, this, &PeriodicOrbitsPanel::FindType);
  connect(circle_, &QPushButton::clicked, this, &PeriodicOrbitsPanel::FindCircle);
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

bool PeriodicOrbitsPanel::Busy() const {
  // A search is over once the window has its results.
  return pool_->Running() || finder_ || typeSearch_ || circleSearch_;
}

void PeriodicOrbitsPanel::StructureReplaced() {
  Stop();
  pool_->Wait();
  poll_->stop();
  stop_->setEnabled(false);
  finder_.reset();
  growth_.reset();
  typeSearch_.reset();
  circleSearch_.reset();
  residues_ = !state_.Structure.Orbits.empty() && ListsResidues(state_, state_.Boxes.XYBox.GetRange());
  ShowOrbits();
  const QSignalBlocker quiet(mark_);
  mark_->setChecked(state_.Structure.MarkersShown);
  status_->clear();
}

std::optional<WorldRange> PeriodicOrbitsPanel::TypedRegion() {
  double v[4] = {};
  for (int i = 0; i < 4; ++i) {
    if (!ParseDouble(region_[i]->text().trimmed().toStdString(), v[i])) {
      status_->setText(QStringLiteral("The region needs four numbers."));
      region_[i]->setFocus();
      return std::nullopt;
    }
  }
  if (!(v[0] < v[1] && v[2] < v[3])) {
    status_->setText(QStringLiteral("The region needs x min below x max and y min below y max."));
    return std::nullopt;
  }
  return WorldRange{v[0], v[1], v[2], v[3]};
}

void PeriodicOrbitsPanel::StartSingle(std::function<bool(std::int64_t, std::stop_token)> unit, const QString& status) {
  pool_->Start(1, std::move(unit));
  stop_->setEnabled(true);
  status_->setText(status);
  poll_->start();
}

void PeriodicOrbitsPanel::Find() {
  const std::optional<WorldRange> region = TypedRegion();
  if (!region) return;
  Stop();
  pool_->Wait();
  growth_.reset();
  typeSearch_.reset();
  circleSearch_.reset();
  residues_ = ListsResidues(state_, *region);
  finder_ = std::make_unique<PeriodicOrbitFinder>(AnalysisMapOf(state_), SearchOf(state_, periods_->value(), *region));
  PeriodicOrbitFinder* finder = finder_.get();
  pool_->Start(finder->UnitCount(),
               [finder](std::int64_t index, std::stop_token stop) { return finder->RunUnit(index, std::move(stop)); });
  stop_->setEnabled(true);
  status_->setText(QStringLiteral("Searching..."));
  poll_->start();
}

void PeriodicOrbitsPanel::FindType() {
  const std::optional<OrbitType> type = ParseOrbitType(type_->text().toStdString());
  if (!type) {
    status_->setText(QString::fromLatin1(kTypeTextWanted));
    type_->setFocus();
    return;
  }
  const std::optional<WorldRange> region = TypedRegion();
  if (!region) return;
  PlaneMap map = AnalysisMapOf(state_);
  if (!(map.Wrap().x > 0.0)) {
    prompter_.ShowMessage(kTypeNeedsWrap);
    return;
  }
  Stop();
  pool_->Wait();
  growth_.reset();
  finder_.reset();
  circleSearch_.reset();
  residues_ = ListsResidues(state_, *region);
  typeShown_ = QStringLiteral("%1/%2").arg(type->p).arg(type->q);
  typeSearch_ = std::make_unique<OrbitTypeSearch>(std::move(map), *type, *region);
  OrbitTypeSearch* search = typeSearch_.get();
  StartSingle([search](std::int64_t index, std::stop_token stop) { return search->RunUnit(index, stop); },
              QStringLiteral("Searching for orbits of type %1...").arg(typeShown_));
}

void PeriodicOrbitsPanel::FindCircle() {
  const std::optional<double> omega = ParseCircleRotation(circleRotation_->text().toStdString());
  if (!omega) {
    status_->setText(QString::fromLatin1(kCircleRotationWanted));
    circleRotation_->setFocus();
    return;
  }
  if (!(AnalysisMapOf(state_).Wrap().x > 0.0)) {
    prompter_.ShowMessage(kTypeNeedsWrap);
    return;
  }
  Stop();
  pool_->Wait();
  finder_.reset();
  typeSearch_.reset();
  CriticalCircleSettings settings;
  settings.omega = *omega;
  settings.parameter = circleParameter_->currentIndex();
  circleSearch_ = std::make_unique<CriticalCircleSearch>(AnalysisModelOf(state_), settings);
  CriticalCircleSearch* search = circleSearch_.get();
  StartSingle([search](std::int64_t index, std::stop_token stop) { return search->RunUnit(index, stop); },
              QStringLiteral("Following the circle's orbits..."));
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
  typeSearch_.reset();
  circleSearch_.reset();
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
  if (typeSearch_) {
    const bool stopped = pool_->DoneCount() == 0;
    if (!stopped) {
      state_.Structure.Orbits = typeSearch_->Orbits();
      ShowOrbits();
      if (mark_->isChecked()) Repaint(true);
    }
    status_->setText(stopped ? QStringLiteral("Stopped.")
                             : QStringLiteral("%1 orbits of type %2").arg(state_.Structure.Orbits.size()).arg(typeShown_));
    typeSearch_.reset();
  }
  if (circleSearch_) {
    const bool stopped = pool_->DoneCount() == 0;
    if (stopped) {
      status_->setText(QStringLiteral("Stopped."));
    } else {
      const CriticalCircle& circle = circleSearch_->Result();
      circleTable_->setPlainText(ToQString(FormatCriticalCircle(circle)));
      circleTable_->show();
      if (circle.rows.empty()) {
        status_->setText(QStringLiteral("No critical parameter."));
        prompter_.ShowMessage("No critical parameter was found: " + circle.failure + ".");
      } else {
        status_->setText(QStringLiteral("Critical parameter: %1 convergents").arg(circle.rows.size()));
      }
    }
    circleSearch_.reset();
  }
}

void PeriodicOrbitsPanel::ShowOrbits() {
  const std::vector<PeriodicOrbit>& orbits = state_.Structure.Orbits;
  table_->setRowCount(static_cast<int>(orbits.size()));
  for (int row = 0; row < table_->rowCount(); ++row) {
    const PeriodicOrbit& orbit = orbits[static_cast<std::size_t>(row)];
    const std::array<std::string, 6> columns = PeriodicOrbitColumns(orbit);
    for (int c = 0; c < 6; ++c) table_->setItem(row, c, new QTableWidgetItem(ToQString(columns[static_cast<std::size_t>(c)])));
    table_->setItem(row, kResidueColumn, new QTableWidgetItem(ToQString(ResidueColumn(orbit))));
  }
  table_->setColumnHidden(kResidueColumn, !residues_);
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
    clipboard->setText(ToQString(FormatPeriodicOrbits(state_.Structure.Orbits, residues_)));
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
