// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_table.h"

#include <algorithm>
#include <array>

#include "app/command_handlers.h"
#include "app/dialog_command_handlers.h"
#include "app/picture_command_handlers.h"
#include "app/sweep_command_handlers.h"
#include "app/session_command_handlers.h"

namespace orbitra {

namespace {

using enum CommandId;
constexpr CheckFollows kNoCheck = CheckFollows::Nothing;

constexpr std::array kCommands{
    // &File
    CommandEntry{SelectMapping, "&File", "", "Select Mapping", "Select particular mapping ", false, "", kNoCheck,
                 OnSelectMapping},
    CommandEntry{DefineMap, "&File", "", "Define Map...", "Define, edit or delete your own maps", false, "", kNoCheck,
                 OnDefineMap},
    CommandEntry{WorkDisplay, "&File", "", "Work/Display ...", "", true, "", kNoCheck, OnWorkDisplay},
    CommandEntry{OpenSession, "&File", "", "Open Session...", "Open a session saved before", false, "", kNoCheck,
                 OnOpenSession},
    CommandEntry{SaveSession, "&File", "", "Save Session...", "Save the map, the settings and every point in a file",
                 false, "", kNoCheck, OnSaveSession},
    CommandEntry{RecentSessions, "&File", "", "Recent Sessions", "Open a session used lately", true, "", kNoCheck,
                 OnRecentSessions},
    CommandEntry{ExportData, "&File", "", "Export Data", "Export point data (ASCII)", false, "", kNoCheck,
                 OnExportData},
    CommandEntry{SavePicture, "&File", "", "Save Picture...", "Save the picture as an image file", false, "", kNoCheck,
                 OnSavePicture},
    CommandEntry{CopyPicture, "&File", "", "Copy Picture", "Copy the picture to the clipboard", true, "", kNoCheck,
                 OnCopyPicture},
    CommandEntry{AppExit, "&File", "", "E&xit", "Quit the application; prompts to save documents", false, "",
                 kNoCheck, OnExit},
    // &View
    CommandEntry{Refresh, "&View", "", "Refresh", "Refresh screen", true, "", kNoCheck, OnRefresh},
    CommandEntry{ZoomIn, "&View", "", "Zoom in", "Set rectangle as graphics box", false, "", kNoCheck,
                 OnZoomIn},
    CommandEntry{ZoomOut, "&View", "", "Zoom out", "", false, "", kNoCheck, OnZoomOut},
    CommandEntry{ZoomOneToOne, "&View", "", "Zoom 1:1", "", true, "", kNoCheck, OnZoomOneToOne},
    CommandEntry{ViewToolbar, "&View", "", "&Toolbar", "Show or hide the toolbar", false, "", CheckFollows::Toolbar,
                 OnToggleToolbar},
    CommandEntry{ViewStatusBar, "&View", "", "&Status Bar", "Show or hide the status bar", false, "",
                 CheckFollows::StatusBar, OnToggleStatusBar},
    CommandEntry{OrbitInspector, "&View", "", "Orbit Inspector", "Show or hide the orbit inspector", false, "",
                 CheckFollows::OrbitInspector, OnToggleOrbitInspector},
    CommandEntry{OrbitDiagram, "&View", "", "Orbit Diagram...", "Show how the orbits change with a parameter", false,
                 "", kNoCheck, OnOrbitDiagram},
    CommandEntry{ParameterPlane, "&View", "", "Parameter Plane...", "Show how the orbits change with two parameters",
                 false, "", kNoCheck, OnParameterPlane},
    CommandEntry{Basins, "&View", "", "Basins...", "Show where the orbits from each point of the plane go", false, "",
                 kNoCheck, OnBasins},
    CommandEntry{PhaseSpace, "&View", "", "Phase Space...", "Show chaos indicators over the plane of initial points",
                 false, "", kNoCheck, OnPhaseSpace},
    CommandEntry{RotationProfile, "&View", "", "Rotation Profile...",
                 "Show the rotation number of the orbits along a segment drawn in the X-Y box", false, "", kNoCheck,
                 OnRotationProfile},
    // Trajectory
    CommandEntry{InitialConditions, "Trajectory", "", "Initial Conditions", "Set Initial conditions and options", true,
                 "", kNoCheck, OnInitialConditions},
    CommandEntry{StartRun, "Trajectory", "", "Start run", "Start new run / repeat run starting from the 1st iteration",
                 false, "", kNoCheck, OnStartRun},
    CommandEntry{ContinueRun, "Trajectory", "", "Continue ", "Continue run starting from the last iteration", false,
                 "", kNoCheck, OnContinue},
    CommandEntry{RunTrajectoryGroup, "Trajectory", "", "Run Trajectory Group",
                 "Run all trajectories include in the group", true, "", kNoCheck, OnRunTrajectoryGroup},
    CommandEntry{AddTrajectory, "Trajectory", "Trajectory Group", "Add trajectory", "", false, "", kNoCheck,
                 OnAddTrajectory},
    CommandEntry{EditGroup, "Trajectory", "Trajectory Group", "Edit Group", "", false, "", kNoCheck,
                 OnEditGroup},
    CommandEntry{ClearGroup, "Trajectory", "Trajectory Group", "Clear Group", "Clear group file", false, "", kNoCheck,
                 OnClearGroup},
    CommandEntry{NotebookEdit, "Trajectory", "Notebook", "Edit", "Open notebook for editing", false, "", kNoCheck,
                 OnNotebookEdit},
    CommandEntry{NotebookAddAndEdit, "Trajectory", "Notebook", "Add and Edit",
                 "Add information in notebook and open for editing", false, "", kNoCheck, OnNotebookAddAndEdit},
    CommandEntry{StopRun, "Trajectory", "", "Stop run", "Stop the running trajectory", false, "", kNoCheck,
                 OnStopRun},
    CommandEntry{FindPeriodicOrbits, "Trajectory", "", "Find Periodic Orbits...",
                 "Find the periodic orbits, their stability and the manifolds of saddles", false, "", kNoCheck,
                 OnFindPeriodicOrbits},
    // Graphics
    CommandEntry{EditXYBox, "Graphics", "", "Mapping X-Y box", "X-Y mapping plane", false, "", kNoCheck, OnEditXYBox},
    CommandEntry{EditXBox, "Graphics", "", "X-Box", "X-evolution box window", false, "", kNoCheck, OnEditXBox},
    CommandEntry{EditYBox, "Graphics", "", "Y-Box", "Y-evolution box window", false, "", kNoCheck, OnEditYBox},
    CommandEntry{EditGBox, "Graphics", "", "G-Box", "Box of General use", true, "", kNoCheck, OnEditGBox},
    CommandEntry{ShowHideAxis, "Graphics", "", "Show/Hide axis", "", false, "", kNoCheck, OnShowHideAxis},
    CommandEntry{SetCurrentAsDefault, "Graphics", "", "Set current as default",
                 "Use current graphics configuration as default plot range", false, "", kNoCheck,
                 OnSetCurrentAsDefault},
    // Data
    CommandEntry{Controls, "Data", "", "Controls", "Setup run control parameters and options", true, "", kNoCheck,
                 OnControls},
    CommandEntry{DeleteLastTrajectory, "Data", "", "Delete last trajectory", "Delete data of last run", false, "",
                 kNoCheck, OnDeleteLastTrajectory},
    CommandEntry{DeleteBuffer, "Data", "", "Delete Buffer", "delete data in buffer", false, "", kNoCheck,
                 OnDeleteBuffer},
    CommandEntry{DeleteStream, "Data", "", "Delete Stream", "delete data stored in disk-stream", false, "", kNoCheck,
                 OnDeleteStream},
    CommandEntry{DeleteAll, "Data", "", "Delete All", "delete all data", true, "", kNoCheck, OnDeleteAll},
    CommandEntry{StoreBufferInStream, "Data", "", "Store Buffer in Stream", "", false, "", kNoCheck,
                 OnStoreBufferInStream},
    // &Help
    CommandEntry{UserGuide, "&Help", "", "&User Guide", "Read how to use Orbitra", true, "", kNoCheck, OnUserGuide},
    CommandEntry{AppAbout, "&Help", "", "&About Orbitra...", "Display program information, version number and copyright",
                 false, "", kNoCheck, OnAbout},
    // The toolbar, left to right.
    CommandEntry{ToolbarRunNewTrajectory, "", "", "", "Run new trajectory", false, ":/icons/run_new_trajectory.png",
                 kNoCheck, OnRunNewTrajectory},
    CommandEntry{ToolbarContinueIterations, "", "", "", "Continue iterations", true, ":/icons/continue_iterations.png",
                 kNoCheck, OnContinue},
    CommandEntry{ToolbarDeleteTrajectoryOrPoints, "", "", "", "Delete Trajectory / points", true,
                 ":/icons/delete_trajectory.png", kNoCheck, OnDeleteTrajectoryOrPoints},
    CommandEntry{ToolbarZoomIn, "", "", "", "Zoom in", false, ":/icons/zoom_in.png", kNoCheck, OnZoomIn},
    CommandEntry{ToolbarZoomOut, "", "", "", "Zoom out", false, ":/icons/zoom_out.png", kNoCheck, OnZoomOut},
    CommandEntry{ToolbarEditXYBox, "", "", "", "Mapping graphic window", true, ":/icons/mapping_window.png", kNoCheck,
                 OnEditXYBox},
    CommandEntry{ToolbarStopRun, "", "", "", "Stop the running trajectory", false, ":/icons/stop_run.png", kNoCheck,
                 OnStopRun},
};

// What stays available while a run, a group run or a replay goes on: nothing that would
// change what the work uses.
constexpr std::array kAvailableDuringWork{StopRun,      ToolbarStopRun, ViewToolbar, ViewStatusBar, OrbitInspector,
                                          SavePicture, CopyPicture,    NotebookEdit, AppAbout,     AppExit, UserGuide};

}  // namespace

std::span<const CommandEntry> CommandTable() noexcept { return kCommands; }

bool AvailableDuringWork(CommandId id) noexcept {
  return std::find(kAvailableDuringWork.begin(), kAvailableDuringWork.end(), id) != kAvailableDuringWork.end();
}

bool OnlyDuringWork(CommandId id) noexcept { return id == StopRun || id == ToolbarStopRun; }

const CommandEntry* FindCommand(CommandId id) noexcept {
  for (const CommandEntry& entry : kCommands) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

}  // namespace orbitra
