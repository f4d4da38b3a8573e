// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include <QDockWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;

namespace orbitra {

struct OrbitraState;
class MappingWindow;
class PeriodicOrbitFinder;
class SaddleManifolds;
class WorkerPool;

// "Find Periodic Orbits...": periods and region, the list of orbits found (period, first
// point, eigenvalues, class), markers on the picture, Copy, the selected orbit as initial
// point, and the manifolds of a selected saddle, grown live with Stop. The search and the
// growth run on a worker pool; a timer brings their results to the window.
class PeriodicOrbitsPanel : public QDockWidget {
  Q_OBJECT

 public:
  PeriodicOrbitsPanel(OrbitraState& state, MappingWindow& window, QWidget* parent = nullptr);
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
  // Whether a search or a growth is under way.
  bool Busy() const;
  // The explorer's orbits and manifolds were replaced (a session was opened): the work
  // under way ends unkept, and the list and the markers' box show the new ones.
  void StructureReplaced();

 private:
  void FitColumns();
  void Find();
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
  std::unique_ptr<WorkerPool> pool_;
  std::unique_ptr<PeriodicOrbitFinder> finder_;
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
  QTimer* poll_ = nullptr;
};

}  // namespace orbitra
