// SPDX-License-Identifier: GPL-3.0-or-later
#include "sessions/session_commands.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <system_error>

#include "explorer/user_map_commands.h"
#include "maps/formula_error.h"
#include "maps/mapping_catalogue.h"
#include "maps/system_catalogue.h"
#include "sessions/session_state.h"
#include "storage/file_io.h"
#include "storage/group_file.h"
#include "storage/point_buffer.h"
#include "storage/replacement_file.h"
#include "storage/text_format.h"

namespace orbitra {

namespace {

constexpr const char* kOpenAction = "open the session";
constexpr const char* kStreamCopySuffix = ".session-part";

std::vector<std::string> ReadLines(const std::filesystem::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// Removes the copy of the session's stream unless it took the stream's place.
class StreamCopy {
 public:
  explicit StreamCopy(std::filesystem::path path) : path_(std::move(path)) {}
  ~StreamCopy() {
    std::error_code ignored;
    if (!placed_) std::filesystem::remove(path_, ignored);
  }
  StreamCopy(const StreamCopy&) = delete;
  StreamCopy& operator=(const StreamCopy&) = delete;
  const std::filesystem::path& Path() const noexcept { return path_; }
  void Placed() noexcept { placed_ = true; }

 private:
  std::filesystem::path path_;
  bool placed_ = false;
};

// A name for the session's map beside the user's: "<name> (2)", "(3)" ... as short as the
// names allow.
std::string FreeName(const UserMapTable& users, const std::string& name) {
  for (int n = 2;; ++n) {
    const std::string suffix = " (" + std::to_string(n) + ")";
    const std::string candidate = name.substr(0, kMaxMapNameLength - suffix.size()) + suffix;
    if (!CheckMapName(users, candidate)) return candidate;
  }
}

struct MapResolution {
  int system = 0;
  bool usersChanged = false;
  std::string refusal;  // why the session cannot be opened; empty when it can
  bool cancelled = false;

  static MapResolution Use(int system, bool usersChanged = false) { return {system, usersChanged, {}, false}; }
  static MapResolution Refuse(std::string why) { return {0, false, std::move(why), false}; }
  static MapResolution Cancel() { return {0, false, {}, true}; }
};

// Finds or makes the place of the session's typed map among the user's (in `users`).
MapResolution ResolveUserMap(UserMapTable& users, UserMapDefinition definition, Prompter& prompter) {
  UserMapMaking made = MakeUserMap(definition);
  if (!made.map) {
    return MapResolution::Refuse("its map \"" + CutForMessage(definition.name) + "\" has a faulty formula: " +
                                  DescribeFormulaError(*made.error));
  }
  std::optional<int> same;
  for (int i = 0; i < users.Count(); ++i) {
    if (SameName(users.At(i).definition.name, definition.name)) same = i;
  }
  if (same) {
    UserMapDefinition renamed = definition;
    renamed.name = users.At(*same).definition.name;
    if (users.At(*same).definition == renamed) return MapResolution::Use(kFirstUserSystem + *same);
  }
  if (same) {
    const Answer answer = prompter.AskYesNoCancel(
        "The session's map \"" + CutForMessage(definition.name) + "\" differs from your map of that name.\n\n"
        "Yes: replace your map with the session's.\n"
        "No: keep yours and add the session's as \"" + FreeName(users, definition.name) + "\".\n"
        "Cancel: do not open the session.");
    if (answer == Answer::Cancel) return MapResolution::Cancel();
    if (answer == Answer::Yes) {
      made.map->definition.name = users.At(*same).definition.name;
      users.Replace(*same, std::move(*made.map));
      return MapResolution::Use(kFirstUserSystem + *same, true);
    }
    made.map->definition.name = FreeName(users, definition.name);
  } else if (const auto problem = CheckMapName(users, definition.name); problem) {
    return MapResolution::Refuse("its map's name \"" + CutForMessage(definition.name) + "\" cannot be a name of your maps");
  }
  if (!users.Add(std::move(*made.map))) {
    return MapResolution::Refuse("your maps leave no room for its map \"" + definition.name + "\"");
  }
  return MapResolution::Use(kFirstUserSystem + users.Count() - 1, true);
}

// The decoded records take the state's place; the files are in place already.
void Commit(OrbitraState& state, SessionRecords& r, UserMapTable users, int system, PointStore store) {
  state.UserMaps = std::move(users);
  const SystemDefaults defaults = LoadSystemDefaults(state.UserMaps, system);
  std::string label;
  CommitSelection(state.Model, label, state.UserMaps, system, r.Model.k1, r.Model.k2, r.Model.k3, r.Model.k4,
                  PendingSelection{defaults.routine, r.Model.DefaultRange, defaults.userMap});
  state.CompiledMaps.StartCompiling(state.Model, SystemName(state.UserMaps, system));

  const ColourTable colours = state.Run.Colours;
  state.Run = r.Run;
  state.Run.Colours = colours;
  // The first repaint carries the session's trajectory on, so its counters stay as saved.
  state.Run.Requests = RunRequests{};
  state.Run.Requests.ContinueRun = 1;
  state.Run.Mouse = MouseState{};
  state.Run.Mouse.ZoomCorner1 = r.Run.Mouse.ZoomCorner1;
  state.Run.Mouse.ZoomCorner2 = r.Run.Mouse.ZoomCorner2;
  state.Run.RunCount = 0;
  state.Run.UnkeptPointsShown = 0;
  state.Boxes = r.Boxes;
  // Places in the window go through the boxes' own check, as the box dialog's do.
  for (PlotBox* box : {&state.Boxes.XYBox, &state.Boxes.XBox, &state.Boxes.YBox, &state.Boxes.GBox}) {
    box->SetScreenPercent(box->LeftPct, box->TopPct, box->RightPct, box->BottomPct);
  }
  state.Store = std::move(store);
  state.Group = r.Group;
  state.Export = r.Export;
  state.UseDefaultRange = r.UseDefaultRange;
  // The inspector's trajectory belongs to the runs before: it starts afresh.
  const bool shown = state.Inspector.Shown();
  state.Inspector = OrbitInspector();
  state.Inspector.SetShown(shown);
}

}  // namespace

std::filesystem::path SessionFileName(const std::filesystem::path& chosen) {
  const std::string name = chosen.filename().string();
  const std::string extension = kSessionExtension;
  if (name.size() >= extension.size() && name.compare(name.size() - extension.size(), extension.size(), extension) == 0) {
    return chosen;
  }
  std::filesystem::path full = chosen;
  full += extension;
  return full;
}

bool SaveSession(const OrbitraState& state, Prompter& prompter, const std::filesystem::path& file) {
  return SaveSession(state, prompter, file, {});
}

bool SaveSession(const OrbitraState& state, Prompter& prompter, const std::filesystem::path& file,
                 std::span<const SweepView* const> views) {
  SessionContent content = GatherSession(state, ReadLines(state.FilePath(kGroupFileName)));
  content.views = GatherViews(state, views);
  const PointStore& store = state.Store;
  const SessionPoints points{std::span<const StoredPoint>(store.Slots.get(), static_cast<std::size_t>(store.Buf)),
                             state.FilePath(kStreamFileName), store.Dsk};
  if (const FileFailure failure = WriteSessionFile(file, content, points)) {
    prompter.ShowMessage(*failure);
    return false;
  }
  return true;
}

Invalidation OpenSession(OrbitraState& state, Prompter& prompter, const std::filesystem::path& file,
                         std::vector<SavedSweepView>* sweeps) {
  StreamCopy streamCopy(state.FilePath(std::string(kStreamFileName) + kStreamCopySuffix));
  const SessionReading reading = ReadSessionFile(file, streamCopy.Path());
  if (reading.failure) {
    prompter.ShowMessage(*reading.failure);
    return Invalidation::None;
  }
  SessionDecoding decoding = DecodeSession(state, reading.content, reading.streamPoints);
  if (!decoding.records) {
    prompter.ShowMessage(FileFailureText(kOpenAction, file, "it is damaged (" + decoding.problem + ")"));
    return Invalidation::None;
  }
  SessionRecords& r = *decoding.records;
  ViewsDecoding views = DecodeViews(reading.content.views);
  if (!views.views) {
    prompter.ShowMessage(FileFailureText(kOpenAction, file, "it is damaged (" + views.problem + ")"));
    return Invalidation::None;
  }

  UserMapTable users = state.UserMaps;
  MapResolution map = MapResolution::Use(r.Model.system);
  if (r.userMap) map = ResolveUserMap(users, *r.userMap, prompter);
  if (map.cancelled) return Invalidation::None;
  if (!map.refusal.empty()) {
    prompter.ShowMessage(FileFailureText(kOpenAction, file, map.refusal));
    return Invalidation::None;
  }

  PointStore store;
  store.BufferCapacity = r.Store.BufferCapacity;
  if (!AllocateBuffer(store)) {
    prompter.ShowMessage(FileFailureText(kOpenAction, file, "there is not enough memory for its buffer"));
    return Invalidation::None;
  }
  std::copy(reading.content.buffer.begin(), reading.content.buffer.end(), store.Slots.get());
  store.Buf = r.Store.Buf;
  store.Dsk = r.Store.Dsk;
  store.RTN = r.Store.RTN;
  store.DTN = r.Store.DTN;

  // The files first, each replaced in one step: a failure leaves the state as it was.
  if (map.usersChanged && !WriteUserMapTable(state, prompter, users)) return Invalidation::None;
  if (const FileFailure failure = ReplaceFile(state.FilePath(kGroupFileName), JoinLines(r.groupLines))) {
    prompter.ShowMessage(*failure);
    return Invalidation::None;
  }
  std::error_code ec;
  std::filesystem::rename(streamCopy.Path(), state.FilePath(kStreamFileName), ec);
  if (ec) {
    prompter.ShowMessage(FileFailureText("replace", state.FilePath(kStreamFileName), ec.value()));
    return Invalidation::None;
  }
  streamCopy.Placed();
  Commit(state, r, std::move(users), map.system, std::move(store));
  state.Structure = std::move(views.views->structure);
  if (sweeps != nullptr) *sweeps = std::move(views.views->sweeps);
  return Invalidation::WithErase;
}

std::vector<std::filesystem::path> RecentSessions(const OrbitraState& state) {
  std::vector<std::filesystem::path> files;
  for (const std::string& line : ReadLines(state.FilePath(kRecentSessionsFileName))) {
    if (!line.empty() && files.size() < kRecentSessionsKept) files.emplace_back(line);
  }
  return files;
}

void RememberSession(const OrbitraState& state, const std::filesystem::path& file) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(file, ec);
  std::vector<std::filesystem::path> files = RecentSessions(state);
  std::erase(files, ec ? file : absolute);
  files.insert(files.begin(), ec ? file : absolute);
  if (files.size() > kRecentSessionsKept) files.resize(kRecentSessionsKept);
  std::string text;
  for (const std::filesystem::path& f : files) text += f.string() + "\n";
  // A list that cannot be written costs only the convenience; nothing to report.
  (void)ReplaceFile(state.FilePath(kRecentSessionsFileName), text);
}

}  // namespace orbitra
