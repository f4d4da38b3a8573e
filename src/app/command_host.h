// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <vector>

#include "maps/world_geometry.h"

class QWidget;

namespace orbitra {

class Canvas;
class SweepView;
class SweepWindow;
struct OrbitraState;
struct SweepDialogMemory;
class EditorPort;
class Prompter;

// What a command handler may use: the state, the ports, and the few things only the
// main frame can do. The frame is the one host of the program; tests supply their own.
class CommandHost {
 public:
  virtual ~CommandHost() = default;

  virtual OrbitraState& State() = 0;
  virtual Prompter& Prompts() = 0;
  virtual EditorPort& Editor() = 0;
  // The window that owns the dialogs a command opens.
  virtual QWidget* DialogParent() = 0;
  // The picture as the mapping window shows it.
  virtual const Canvas& ShownPicture() = 0;

  virtual void ToggleToolbar() = 0;
  virtual void ToggleStatusBar() = 0;
  virtual void ToggleOrbitInspector() = 0;
  virtual void CloseMainWindow() = 0;
  // Ends the run, group run or replay that goes on, after its current iteration.
  virtual void StopWork() = 0;
  virtual void ShowAboutBox() = 0;
  // Shows the user guide (nothing where there is none).
  virtual void ShowUserGuide() {}
  // A window of a sweep (an orbit diagram) opened by a command: the host links its clicks
  // to the mapping window and its overlay to the explorer's changes.
  virtual void AdoptSweepWindow(SweepWindow& /*window*/) {}
  // Lets the user draw a segment in the X-Y box of the mapping window; `drawn` gets its
  // ends once it is drawn (never when it is cancelled). Nothing where there is no window.
  virtual void PickSegment(std::function<void(WorldPoint a, WorldPoint b)> /*drawn*/) {}
  // Opens the periodic orbits panel (nothing where there is none).
  virtual void ShowPeriodicOrbits() {}
  // The views of the sweep windows open now, oldest first (what a session keeps).
  virtual std::vector<const SweepView*> OpenSweepViews() { return {}; }
  // A session was opened: the sweep windows of before close, and what shows the
  // explorer's periodic orbits and manifolds follows the session's.
  virtual void CloseSweepWindows() {}
  virtual void StructureReplaced() {}
  // What the sweep dialogs were last accepted with, per map; none keeps nothing.
  virtual SweepDialogMemory* SweepDialogs() { return nullptr; }
};

}  // namespace orbitra
