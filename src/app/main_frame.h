// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <vector>

#include <QMainWindow>
#include <QPointer>

#include "app/command_host.h"
#include "app/command_ids.h"
#include "app/command_table.h"
#include "app/qt_editor_port.h"
#include "app/qt_prompter.h"
#include "app/repaint_hold.h"
#include "sweeps/sweep_dialog_memory.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QStatusBar;
class QToolBar;

namespace orbitra {

class InspectorPanel;
class PeriodicOrbitsPanel;
class MappingWindow;
class SweepWindow;

// The main window: menu bar and toolbar built from the command table, the status bar
// with the prompt area and the lock panes, and the mapping window filling the rest.
// Commands reach the core through CommandHost; the mapping window repaints as they ask.
class CMainFrame : public QMainWindow, public CommandHost {
  Q_OBJECT

 public:
  explicit CMainFrame(OrbitraState& state, QWidget* parent = nullptr);

  MappingWindow& View() const { return *mappingWindow_; }
  QToolBar* Toolbar() const { return toolbar_; }
  QStatusBar* StatusBar() const { return statusBar_; }
  QLabel* ReadyText() const { return readyText_; }
  QProgressBar* ProgressBar() const { return progressBar_; }
  InspectorPanel* Inspector() const { return inspectorPanel_; }
  // The menu item or toolbar button of a command.
  QAction* Action(CommandId id) const;

  // Runs a command's handler and lets the mapping window repaint as it asks, once the
  // command (with its boxes and dialogs) has returned.
  void RunCommand(const CommandEntry& entry);
  // Opens a session as "Open Session..." does, with the repaint it asks for.
  void OpenSessionNow(const std::filesystem::path& file);

  // Where the lock panes read the keyboard lights (the system's folder unless told);
  // the panes follow at once.
  void ReadLocksFrom(std::filesystem::path ledsDir);

  // CommandHost
  OrbitraState& State() override { return state_; }
  Prompter& Prompts() override { return prompter_; }
  EditorPort& Editor() override { return editor_; }
  QWidget* DialogParent() override { return this; }
  const Canvas& ShownPicture() override;
  void ToggleToolbar() override;
  void ToggleStatusBar() override;
  void ToggleOrbitInspector() override;
  void CloseMainWindow() override;
  void StopWork() override;
  void ShowAboutBox() override;
  void ShowUserGuide() override;
  void AdoptSweepWindow(SweepWindow& window) override;
  void ShowPeriodicOrbits() override;
  void PickSegment(std::function<void(WorldPoint a, WorldPoint b)> drawn) override;
  std::vector<const SweepView*> OpenSweepViews() override;
  void CloseSweepWindows() override;
  void StructureReplaced() override;
  SweepDialogMemory* SweepDialogs() override { return &sweepDialogs_; }
  PeriodicOrbitsPanel* PeriodicOrbits() const { return periodicOrbitsPanel_; }

 protected:
  bool event(QEvent* event) override;
  // Closing while work goes on stops it first; nothing is asked.
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  SweepDialogMemory sweepDialogs_;
  void BuildCommands();
  void BuildRecentSessionsMenu(QAction* item);
  void FillRecentSessions(QMenu* menu);
  void BuildStatusBar();
  void BuildInspectorPanel();
  void InspectorVisibilityChanged();
  void KeepPictureSize(bool dockShown);
  void UpdateCheckMarks();
  void UpdateLockPanes();
  void ShowCompilerMessages();
  // While the mapping window works, only what cannot change what the work uses is
  // available, and "Stop run" is; the status bar shows the work's progress.
  void OnWorkStarted();
  void OnWorkProgressed();
  void OnWorkEnded(bool pictureIncomplete);
  void EnableCommands(bool working);
  // What the prompt area shows when no menu item is highlighted.
  QString IdleText() const;

  OrbitraState& state_;
  QtPrompter prompter_;
  QtEditorPort editor_;
  // Widgets below are owned by the frame through Qt's parent-child ownership.
  QStatusBar* statusBar_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  MappingWindow* mappingWindow_ = nullptr;
  InspectorPanel* inspectorPanel_ = nullptr;
  PeriodicOrbitsPanel* periodicOrbitsPanel_ = nullptr;  // made when first asked for
  QWidget* guide_ = nullptr;                            // made when first asked for, hidden when closed
  QLabel* readyText_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QLabel* capsPane_ = nullptr;
  QLabel* numPane_ = nullptr;
  QLabel* scrollPane_ = nullptr;
  std::map<CommandId, QAction*> actions_;
  std::vector<QPointer<SweepWindow>> sweepWindows_;  // in the order they opened
  std::optional<RepaintHold::Scope> dockHold_;  // while the frame takes the dock's width
  QString afterWork_;  // said once work has ended, until the next repaint
  std::filesystem::path ledsDir_ = "/sys/class/leds";
};

}  // namespace orbitra
