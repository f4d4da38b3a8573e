// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/render_job.h"

#include <algorithm>
#include <limits>
#include <system_error>

#include "explorer/box_commands.h"
#include "explorer/display_mode_logic.h"
#include "explorer/group_commands.h"
#include "explorer/initial_conditions_logic.h"
#include "explorer/point_store_commands.h"
#include "explorer/repaint_work.h"
#include "explorer/selection_dialog_logic.h"
#include "maps/mapping_catalogue.h"
#include "maps/system_catalogue.h"
#include "sessions/session_commands.h"
#include "storage/file_io.h"
#include "storage/group_file.h"
#include "storage/point_buffer.h"
#include "storage/point_store.h"
#include "storage/text_format.h"

namespace orbitra {

namespace {

// The full repaint that a command's invalidation asks for, on a cleared picture. Every run
// of a job happens here, in slices; the picture ends as one unbroken repaint leaves it.
void FullRepaint(OrbitraState& state, Canvas& canvas, Prompter& prompter, RenderWatcher* watcher) {
  canvas.Clear(kWhite);
  RepaintWork work(state, canvas, prompter);
  if (watcher != nullptr) watcher->WorkBegins();
  while (!work.Done()) {
    work.Advance(kRenderSlice);
    if (watcher != nullptr && !work.Done()) watcher->WorkGoesOn(work.Progress());
  }
}

// A buffer of `capacity` slots holding the points the buffer held (a session's): more room
// for the runs to come without losing what was there. False when memory is short.
bool GrowBuffer(OrbitraState& state, std::int32_t capacity, Prompter& prompter) {
  PointStore grown;
  grown.BufferCapacity = capacity;
  if (!AllocateBuffer(grown)) {
    prompter.ShowMessage(kReconstructionFailure);
    return false;
  }
  PointStore& store = state.Store;
  std::copy(store.Slots.get(), store.Slots.get() + store.Buf, grown.Slots.get());
  store.Slots = std::move(grown.Slots);
  store.slotCount = grown.slotCount;
  store.BufferCapacity = capacity;
  return true;
}

// The map and parameters of the job: "Select Mapping" as the user would give it, or, on a
// session with no map given, only the parameters given, which keep the stored points.
void SelectJobMap(OrbitraState& state, const RenderJob& job, Prompter& prompter) {
  if (job.session && !job.mapGiven) {
    double* const parameters[] = {&state.Model.k1, &state.Model.k2, &state.Model.k3, &state.Model.k4};
    for (std::size_t i = 0; i < job.k.size(); ++i) {
      if (job.k[i]) *parameters[i] = *job.k[i];
    }
    return;
  }
  state.UserMaps = UserMapTable{};
  for (const UserMap& map : job.userMaps) state.UserMaps.Add(map);
  SelectionDialogValues selection = PrepareSelectionDialog(state);
  PickSystemInList(selection, job.system - kFirstSystem);
  double* const parameters[] = {&selection.k1, &selection.k2, &selection.k3, &selection.k4};
  for (std::size_t i = 0; i < job.k.size(); ++i) {
    if (job.k[i]) *parameters[i] = *job.k[i];
  }
  selection.useDefaultRange = 1;
  ApplySelectionDialog(state, prompter, selection);
}

std::int64_t GroupIterations(const std::filesystem::path& file) {
  GroupFileReader reader(file);
  std::int64_t total = 0;
  GroupLine line;
  while (reader.IsOpen() && reader.Next(line) == GroupFileReader::Result::Entry) {
    total += std::max<std::int32_t>(line.iterations, 0);
  }
  return total;
}

}  // namespace

std::optional<int> FindSystem(std::string_view nameOrNumber, const std::vector<UserMap>& userMaps) {
  std::int32_t number = 0;
  if (ParseInt32(nameOrNumber, number) && number >= kFirstSystem && number <= kLastSystem) return number;
  for (int t = kFirstSystem; t <= kLastSystem; ++t) {
    if (SameName(CatalogueAt(t).name, nameOrNumber)) return t;
  }
  for (std::size_t i = 0; i < userMaps.size(); ++i) {
    if (SameName(userMaps[i].definition.name, nameOrNumber)) return kFirstUserSystem + static_cast<int>(i);
  }
  return std::nullopt;
}

std::optional<int> FindColour(std::string_view nameOrPosition) {
  const auto& names = SortedColourNames();
  std::int32_t position = 0;
  if (ParseInt32(nameOrPosition, position)) {
    if (position >= 0 && position < static_cast<std::int32_t>(names.size())) return position;
    return std::nullopt;
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (SameName(names[i], nameOrPosition)) return static_cast<int>(i);
  }
  return std::nullopt;
}

// The iterations the job's runs ask for, the group file's lines counted.
std::int64_t AskedIterations(const RenderJob& job) {
  const std::int64_t perRun = std::max<std::int32_t>(job.iterations.value_or(RunSettings{}.Iterations), 0);
  std::int64_t asked = perRun * static_cast<std::int64_t>(job.starts.size());
  if (job.group) asked += GroupIterations(*job.group);
  return asked;
}

std::int32_t RenderBufferCapacity(const RenderJob& job) {
  if (job.bufferCapacity) return *job.bufferCapacity;
  // A run ends once the buffer holds capacity - 1 points: two slots to spare.
  const std::int64_t wanted = std::max<std::int64_t>(AskedIterations(job) + 2, kDefaultBufferCapacity);
  return static_cast<std::int32_t>(std::min<std::int64_t>(wanted, std::numeric_limits<std::int32_t>::max()));
}

bool SelectRenderJobMap(OrbitraState& state, const RenderJob& job, Prompter& prompter, bool awaitCode) {
  if (job.session && OpenSession(state, prompter, *job.session) == Invalidation::None) return false;
  state.Inspector.SetShown(job.inspect);
  SelectJobMap(state, job, prompter);
  // A typed map's machine code takes some milliseconds; the runs that follow are worth it.
  if (awaitCode) state.CompiledMaps.WaitFor(state.Model);
  // A typed map that could not be compiled runs interpreted: said once, before the runs.
  while (const std::optional<std::string> note = state.CompiledMaps.NextMessage()) prompter.ShowMessage(*note);
  if (job.range) {
    BoxSettings box = ReadBoxSettings(state.Boxes.XYBox);
    box.Xmin = job.range->Xmin;
    box.Xmax = job.range->Xmax;
    box.Ymin = job.range->Ymin;
    box.Ymax = job.range->Ymax;
    ApplyBoxSettings(state.Boxes.XYBox, box);
  }
  return true;
}

bool PerformRenderJob(OrbitraState& state, const RenderJob& job, Canvas& canvas, Prompter& prompter,
                      RenderWatcher* watcher) {
  if (!SelectRenderJobMap(state, job, prompter, false)) return false;
  // A compile that failed while the runs went on is said after them.
  struct SayCompileNotes {
    OrbitraState& state;
    Prompter& prompter;
    ~SayCompileNotes() {
      while (const std::optional<std::string> note = state.CompiledMaps.NextMessage()) prompter.ShowMessage(*note);
    }
  } sayNotes{state, prompter};

  const std::int32_t capacity = RenderBufferCapacity(job);
  if (job.session) {
    // The runs add to the session's points: room for them beside those.
    const std::int64_t wanted =
        job.bufferCapacity ? *job.bufferCapacity : std::int64_t{state.Store.Buf} + AskedIterations(job) + 2;
    const auto slots =
        static_cast<std::int32_t>(std::min<std::int64_t>(wanted, std::numeric_limits<std::int32_t>::max()));
    if (slots > state.Store.BufferCapacity && !GrowBuffer(state, slots, prompter)) return false;
  } else if (capacity != state.Store.BufferCapacity &&
             ReconstructBuffer(state, prompter, [capacity] { return capacity; }) == ReconstructResult::AllocationFailed) {
    return false;  // a buffer that cannot be had is a failed job, said above
  }

  if (job.displayMode) ApplyDisplayModeDialog(state, DisplayModeValues{*job.displayMode});

  InitialConditionsValues initial = PrepareInitialConditionsDialog(state);
  if (job.iterations) initial.iterations = *job.iterations;
  if (job.colour) initial.colourIndex = *job.colour;
  initial.runOnOk = 0;
  if (!job.session || job.iterations || job.colour) ApplyInitialConditionsDialog(state, initial);

  if (job.group) {
    std::error_code ec;
    std::filesystem::copy_file(*job.group, state.FilePath(kGroupFileName),
                               std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
      prompter.ShowMessage(FileFailureText("copy", *job.group, ec.message()));
      return false;
    }
    state.Group.GroupEmpty = false;
    RunTrajectoryGroup(state, prompter);
    FullRepaint(state, canvas, prompter, watcher);
    return true;
  }
  for (const WorldPoint& start : job.starts) {
    initial.x0 = start.x;
    initial.y0 = start.y;
    initial.runOnOk = 1;
    ApplyInitialConditionsDialog(state, initial);
    FullRepaint(state, canvas, prompter, watcher);
  }
  if (job.starts.empty()) FullRepaint(state, canvas, prompter, watcher);
  return true;
}

}  // namespace orbitra
