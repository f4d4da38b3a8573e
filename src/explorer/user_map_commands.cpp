// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/user_map_commands.h"

#include "explorer/point_store_commands.h"
#include "plot/box_ranges.h"
#include "maps/formula_text.h"
#include "maps/system_catalogue.h"
#include "storage/text_format.h"
#include "storage/user_map_file.h"

namespace orbitra {

namespace {

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string NameRefusal(MapNameProblem problem, std::string_view name) {
  switch (problem) {
    case MapNameProblem::Empty:
      return "Please enter a name for the map.";
    case MapNameProblem::TooLong:
      return "Please enter no more than " + std::to_string(kMaxMapNameLength) + " characters.";
    case MapNameProblem::ControlCharacter:
      return "A map's name cannot hold control characters.";
    case MapNameProblem::BuiltIn:
      return Quoted(name) + " is the name of a built-in map. Please choose another name.";
    case MapNameProblem::Taken:
      return "There is already a map named " + Quoted(name) + ". Please choose another name.";
  }
  return {};
}

MapFieldMark MarkOf(const FormulaError& e) {
  const MapField field = e.part == FormulaPart::Helper     ? MapField::Helpers
                         : e.part == FormulaPart::XFormula ? MapField::XFormula
                                                           : MapField::YFormula;
  return MapFieldMark{field, e.helperLine, e.column, e.length};
}

// The definition as it is kept: trimmed texts and no blank helper lines.
UserMapDefinition Tidied(const UserMapDefinition& d) {
  UserMapDefinition tidy = d;
  tidy.name = std::string(TrimBlanks(d.name));
  tidy.xFormula = std::string(TrimBlanks(d.xFormula));
  tidy.yFormula = std::string(TrimBlanks(d.yFormula));
  tidy.helpers.clear();
  for (const std::string& line : d.helpers) {
    if (!TrimBlanks(line).empty()) tidy.helpers.emplace_back(TrimBlanks(line));
  }
  return tidy;
}

}  // namespace

// Rewrites the file with the table's maps; a damaged file is kept as a copy first. The
// failure is shown; true when the file now holds the table.
bool WriteUserMapTable(OrbitraState& state, Prompter& prompter, const UserMapTable& table) {
  std::optional<std::filesystem::path> keepOldAs;
  if (state.UserMapFileDamaged) keepOldAs = state.FilePath(kUserMapBackupName);
  if (const FileFailure failure = WriteUserMapFile(state.FilePath(kUserMapFileName), table.Definitions(), keepOldAs)) {
    prompter.ShowMessage(*failure);
    return false;
  }
  state.UserMapFileDamaged = false;
  return true;
}

void LoadUserMaps(OrbitraState& state, Prompter& prompter) {
  UserMapFileRead read = ReadUserMapFile(state.FilePath(kUserMapFileName));
  state.UserMaps = UserMapTable{};
  if (read.failure) {
    state.UserMapFileDamaged = true;
    prompter.ShowMessage(*read.failure);
    return;
  }
  for (UserMap& map : read.contents.maps) state.UserMaps.Add(std::move(map));
  state.UserMapFileDamaged = read.contents.problem.has_value();
  if (const auto& problem = read.contents.problem) {
    prompter.ShowMessage(DescribeUserMapFileProblem(kUserMapFileName, *problem) +
                         "\nThe maps that could be read are loaded. The file stays as it is until you save a "
                         "change to your maps; a copy of it is then kept as \"usermaps.bak\".");
  }
}

std::optional<int> UserMapInUse(const OrbitraState& state) noexcept {
  if (state.UserMaps.OfSystem(state.Model.system) == nullptr) return std::nullopt;
  return state.Model.system - kFirstUserSystem;
}

MapCheck CheckUserMap(const UserMapDefinition& definition, double x0, double y0) {
  const UserMapCompilation compiled = CompileUserMap(definition);
  if (!compiled.evaluator) return MapCheck{DescribeFormulaError(*compiled.error), MarkOf(*compiled.error)};
  const MapImage image =
      compiled.evaluator->Evaluate(x0, y0, definition.k1, definition.k2, definition.k3, definition.k4);
  std::string text = "x' = ";
  AppendShortest(text, image.x);
  text += "   y' = ";
  AppendShortest(text, image.y);
  return MapCheck{std::move(text), std::nullopt};
}

MapSaveOutcome SaveUserMap(OrbitraState& state, Prompter& prompter, std::optional<int> editing,
                           const UserMapDefinition& definition) {
  if (editing && (*editing < 0 || *editing >= state.UserMaps.Count())) return MapSaveOutcome{};
  const UserMapDefinition d = Tidied(definition);
  if (const std::optional<MapNameProblem> problem = CheckMapName(state.UserMaps, d.name, editing)) {
    prompter.ShowMessage(NameRefusal(*problem, d.name));
    return MapSaveOutcome{false, MapFieldMark{MapField::Name}};
  }
  // Checked on the texts as typed, so that columns match the fields.
  const UserMapCompilation check = CompileUserMap(definition);
  if (check.error) {
    prompter.ShowMessage(DescribeFormulaError(*check.error));
    return MapSaveOutcome{false, MarkOf(*check.error)};
  }
  if (!(d.range.Xmin < d.range.Xmax) || !(d.range.Ymin < d.range.Ymax)) {
    prompter.ShowMessage("The range needs Xmin < Xmax and Ymin < Ymax.");
    return MapSaveOutcome{false, MapFieldMark{MapField::Range}};
  }
  if (!editing && state.UserMaps.Full()) {
    prompter.ShowMessage("There is room for " + std::to_string(kMaxUserMaps) +
                         " maps of your own. Delete one to make room.");
    return MapSaveOutcome{};
  }

  UserMapMaking made = MakeUserMap(d);
  if (!made.map) {  // the tidy texts compile as the typed ones did; kept for safety
    prompter.ShowMessage(DescribeFormulaError(*made.error));
    return MapSaveOutcome{false, MarkOf(*made.error)};
  }
  // The points drawn with the map in use may no longer belong to it: asked before anything
  // is written, so that Cancel leaves file and program as they were.
  const bool inUse = editing && UserMapInUse(state) == editing;
  bool deletePoints = false;
  if (inUse) {
    deletePoints = state.Store.Buf > 0 || state.Store.Dsk > 0;
    if (PointsWorthAsking(state.Store)) {
      const Answer answer = prompter.AskYesNoCancel(kAskDeletePreviousData);
      if (answer == Answer::Cancel) return MapSaveOutcome{};
      deletePoints = answer == Answer::Yes;
    }
  }

  UserMapTable table = state.UserMaps;
  if (editing) {
    table.Replace(*editing, *made.map);
  } else {
    table.Add(*made.map);
  }
  if (!WriteUserMapTable(state, prompter, table)) return MapSaveOutcome{};
  state.UserMaps = std::move(table);

  MapSaveOutcome outcome{true, std::nullopt, Invalidation::None};
  if (inUse) {
    state.Model.userMap = made.map->evaluator;
    state.CompiledMaps.StartCompiling(state.Model, d.name);
    state.Boxes.XYBox.Label = d.name;
    if (deletePoints) DeleteAll(state, prompter, /*force=*/true);
    outcome.repaint = Invalidation::WithErase;
  }
  return outcome;
}

bool SelectUserMapByName(OrbitraState& state, std::string_view name) {
  const std::optional<int> i = state.UserMaps.Find(name);
  if (!i) return false;
  const int t = kFirstUserSystem + *i;
  const SystemDefaults d = LoadSystemDefaults(state.UserMaps, t);
  CommitSelection(state.Model, state.Boxes.XYBox.Label, state.UserMaps, t, d.k1, d.k2, d.k3, d.k4,
                  PendingSelection{d.routine, d.DefaultRange, d.userMap});
  state.CompiledMaps.StartCompiling(state.Model, name);
  ResetRangesToDefault(state.Boxes, state.Model.DefaultRange, state.Run.Settings.Iterations);
  return true;
}

UnsavedMapChoice AskAboutUnsavedMap(Prompter& prompter, bool changed, std::string_view name) {
  if (!changed) return UnsavedMapChoice::Discard;
  const std::string question = TrimBlanks(name).empty()
                                   ? std::string("Save the new map?")
                                   : "Save the changes to the map " + Quoted(TrimBlanks(name)) + "?";
  switch (prompter.AskYesNoCancel(question)) {
    case Answer::Yes:
      return UnsavedMapChoice::Save;
    case Answer::No:
      return UnsavedMapChoice::Discard;
    default:
      return UnsavedMapChoice::Cancel;
  }
}

bool DeleteUserMap(OrbitraState& state, Prompter& prompter, int i) {
  if (i < 0 || i >= state.UserMaps.Count()) return false;
  const int system = kFirstUserSystem + i;
  const std::string name = state.UserMaps.At(i).definition.name;
  if (UserMapInUse(state) == i) {
    prompter.ShowMessage(Quoted(name) + " is the map in use. Select another map before you delete it.");
    return false;
  }
  if (prompter.AskYesNo("Delete the map " + Quoted(name) + "?") != Answer::Yes) return false;
  UserMapTable table = state.UserMaps;
  table.Remove(i);
  if (!WriteUserMapTable(state, prompter, table)) return false;
  state.UserMaps = std::move(table);
  if (state.Model.system > system) --state.Model.system;
  return true;
}

}  // namespace orbitra
