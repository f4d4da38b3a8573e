// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace orbitra {

// The command identifiers of the menu and the toolbar.
enum class CommandId : int {
  SelectMapping = 32771,
  InitialConditions = 32772,
  EditXYBox = 32773,
  EditXBox = 32774,
  EditYBox = 32775,
  EditGBox = 32776,
  StartRun = 32778,
  ContinueRun = 32779,
  WorkDisplay = 32780,
  Controls = 32781,
  DeleteBuffer = 32782,
  DeleteStream = 32783,
  DeleteAll = 32784,
  ShowHideAxis = 32785,
  StoreBufferInStream = 32786,
  ZoomIn = 32787,
  ZoomOut = 32788,
  ZoomOneToOne = 32789,
  SetCurrentAsDefault = 32790,
  DeleteLastTrajectory = 32791,
  Refresh = 32792,
  NotebookEdit = 32797,
  NotebookAddAndEdit = 32798,
  AddTrajectory = 32799,
  EditGroup = 32800,
  RunTrajectoryGroup = 32801,
  ClearGroup = 32802,
  ToolbarZoomIn = 32805,
  ToolbarZoomOut = 32806,
  ToolbarRunNewTrajectory = 32807,
  ToolbarContinueIterations = 32808,
  ToolbarDeleteTrajectoryOrPoints = 32809,
  ExportData = 32810,
  ToolbarEditXYBox = 32811,
  // Commands added after the first release, in the order they came.
  StopRun = 32812,
  SavePicture = 32813,
  CopyPicture = 32814,
  DefineMap = 32815,
  OrbitInspector = 32816,
  ToolbarStopRun = 32817,
  UserGuide = 32818,
  OrbitDiagram = 32819,
  ParameterPlane = 32820,
  Basins = 32821,
  FindPeriodicOrbits = 32822,
  SaveSession = 32823,
  OpenSession = 32824,
  RecentSessions = 32825,  // a submenu; its sessions take ids from kFirstRecentSession on
  PhaseSpace = 32826,
  RotationProfile = 32827,
  AppExit = 57665,
  AppAbout = 57664,
  ViewToolbar = 59392,
  ViewStatusBar = 59393,
};

// The entries of "Recent Sessions", newest first.
inline constexpr int kFirstRecentSession = 32830;

}  // namespace orbitra
