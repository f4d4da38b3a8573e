// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

#include <QDockWidget>

#include "maps/world_geometry.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;

namespace orbitra {

struct OrbitraState;
class CriticalCircleSearch;
class MappingWindow;
class OrbitTypeSearch;
class PeriodicOrbitFinder;
class Prompter;
class SaddleManifolds;
class WorkerPool;

// "Find Periodic Orbits...": periods and region, the list of orbits found (period, first
// point, eigenvalues, class, and Greene's residue when the map preserves area), markers on
// the picture, Copy, the selected orbit as initial point, and the manifolds of a selected
// saddle, grown live with Stop. For a map whose x wraps, the orbits of one rotation type
// p/q take the list's place, and the critical parameter of a circle of a given rotation
// number is tabled below it. The searches and the growth run on a worker pool; a timer
// brings their results to the window.
class PeriodicOrbitsPanel : public QDockWidget {
  Q_OBJECT

 public:
  PeriodicOrbitsPanel(OrbitraState& state, MappingWindow& window, Prompter& prompter, QWidget* parent = nullptr);
  ~PeriodicOrbitsPanel() override;

  // Shows the panel with the region set to the X-Y box's range.
  void Open();

  QSpinBox* Periods() const { return periods_; }
  QTableWidget* Table() const { return table_; }
  QPushButton* FindButton() const { return find_; }
  QPushButton* ManifoldsButton() const { return manifolds_; }
  QPushButton* StopButton() const { return stop_; }
  QPushButton* CopyButton() const { return copy_; }
  QPushButton* UseAsInitialButton() const { return useInitial_; }
  QPushButton* ClearButton() const { return clear_; }
  QLineEdit* Region(int i) const { return region_[i]; }  // x min, x max, y min, y max
  QCheckBox* MarkBox() const { return mark_; }
  QLabel* StatusLabel() const { return status_; }
  QLineEdit* TypeField() const { return type_; }
  QPushButton* FindTypeButton() const { return findType_; }
  QLineEdit* CircleRotationField() const { return circleRotation_; }
  QComboBox* CircleParameterBox() const { return circleParameter_; }
  QPushButton* CircleButton() const { return circle_; }
  // The critical parameter's table, hidden until there is one.
  QPlainTextEdit* CircleTable() const { return circleTable_; }
  // Whether the list shows the residue column.
  bool ShowsResidues() const { return residues_; }
  // Whether a search or a growth is under way (a search until its results are shown).
  bool Busy() const;
  // The explorer's orbits and manifolds were replaced (a session was opened): the work
  // under way ends unkept, and the list and the markers' box show the new ones.
  void StructureReplaced();

 private:
  void FitColumns();
  void Find();
  void FindType();
  void FindCircle();
  // The region typed, or nothing after saying what is wrong with it.
  std::optional<WorldRange> TypedRegion();
  void StartSingle(std::function<bool(std::int64_t, std::stop_token)> unit, const QString& status);
  void GrowManifolds();
  void Stop();
  void ClearManifolds();
  void Poll();
  void ShowOrbits();
  void CopyList() const;
  void UseAsInitial();
  void MarkChanged();
  void Repaint(bool erase);
  const struct PeriodicOrbit* Selected() const;

  OrbitraState& state_;
  MappingWindow& window_;
  Prompter& prompter_;
  std::unique_ptr<WorkerPool> pool_;
  std::unique_ptr<PeriodicOrbitFinder> finder_;
  std::unique_ptr<OrbitTypeSearch> typeSearch_;
  std::unique_ptr<CriticalCircleSearch> circleSearch_;
  QString typeShown_;  // "1/3" while its search runs
  bool residues_ = false;
  std::unique_ptr<SaddleManifolds> growth_;
  QSpinBox* periods_ = nullptr;
  QLineEdit* region_[4] = {};
  QLineEdit* arcLength_ = nullptr;
  QTableWidget* table_ = nullptr;
  QCheckBox* mark_ = nullptr;
  QPushButton* find_ = nullptr;
  QPushButton* stop_ = nullptr;
  QPushButton* copy_ = nullptr;
  QPushButton* useInitial_ = nullptr;
  QPushButton* manifolds_ = nullptr;
  QPushButton* clear_ = nullptr;
  QLabel* status_ = nullptr;
  QLineEdit* type_ = nullptr;
  QPushButton* findType_ = nullptr;
  QLineEdit* circleRotation_ = nullptr;
  QComboBox* circleParameter_ = nullptr;
  QPushButton* circle_ = nullptr;
  QPlainTextEdit* circleTable_ = nullptr;
  QTimer* poll_ = nullptr;
};

}  // namespace orbitra
