// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>

#include "explorer/orbit_run.h"
#include "explorer/orbitra_state.h"
#include "explorer/replay.h"
#include "explorer/work_progress.h"
#include "platform/canvas.h"
#include "platform/prompter.h"
#include "storage/group_file.h"

namespace orbitra {

// The repaint sequence of the mapping window, which may take long (a run, a group run,
// the replay of a large disk stream), done in slices so that the window stays alive.
// The constructor does the quick part: the status text and the mouse readout, then a
// light branch completely, or the start of a full repaint. Advance does the rest, a
// budget of iterations or points at a time; whatever the slices, the picture and the
// state end as one unbroken repaint leaves them. Message boxes of the run are shown from
// inside Advance (or Stop).
class RepaintWork {
 public:
  RepaintWork(OrbitraState& state, Canvas& canvas, Prompter& prompter);
  RepaintWork(const RepaintWork&) = delete;
  RepaintWork& operator=(const RepaintWork&) = delete;

  bool Done() const noexcept { return phase_ == Phase::Done; }

  // Up to `budget` iterations or replayed points more (an entry of a group counts one).
  void Advance(std::int64_t budget);

  // Ends the work now: a run ends after the iteration it has done, as if that many had
  // been asked for; a group run ends with it; a replay leaves the picture incomplete,
  // skips the requested run and keeps the counters true. The repaint then completes.
  void Stop();

  // The whole repaint in one go.
  void RunToEnd();

  WorkProgress Progress() const;
  // True when a stopped replay left points off the picture.
  bool PictureIncomplete() const noexcept { return pictureIncomplete_; }

 private:
  enum class Phase { ReplayStream, ReplayBuffer, StartRun, Run, RunGroupNextLine, RunGroupLine, Close, Done };

  void AdvanceBy(std::int64_t& budget);
  // The full repaint of the picture: lays out and draws the boxes, the zoom rectangle just
  // released, then (in the phases that follow, slice by slice) replays the stream and the
  // buffer, resets the counters unless the run continues, marks the initial point, runs
  // the requested orbit and draws the status.
  void RedrawAndRun();
  // The group run: draws the boxes of display mode 0, opens the group file and resets the
  // counters; then (phase RunGroupNextLine, then RunGroupLine, once per line) sets the
  // initial point, colour, count and restriction from the next line and runs that orbit,
  // until the file or the buffer ends.
  void RunGroup();
  void StartRequestedRun();
  void RunGroupNextLine();
  void CountStreamRecords();
  void FinishRun();
  void Close();
  void Complete();

  OrbitraState& state_;
  Canvas& canvas_;
  Prompter& prompter_;
  Phase phase_ = Phase::Done;
  bool stopping_ = false;
  bool pictureIncomplete_ = false;

  std::optional<StreamReplay> stream_;
  std::optional<BufferReplay> buffer_;
  std::optional<OrbitRun> run_;
  std::optional<GroupFileReader> group_;
  std::int64_t streamReplayed_ = 0;
  std::int64_t unitsDone_ = 0;
  int groupEntry_ = 0;
  int groupEntries_ = 0;
};

}  // namespace orbitra
