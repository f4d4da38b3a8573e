// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/repaint_work.h"

#include <algorithm>
#include <limits>

#include "explorer/mapping_window_logic.h"
#include "explorer/trajectory_engine.h"
#include "platform/vector_state.h"
#include "plot/box_layout.h"
#include "storage/file_io.h"
#include "storage/point_buffer.h"

namespace orbitra {

namespace {

constexpr Colour kPickedPointColour = Colour::FromRgb(160, 0, 0);
constexpr std::int64_t kLargestCount = std::numeric_limits<std::int32_t>::max();

}  // namespace

RepaintWork::RepaintWork(OrbitraState& state, Canvas& canvas, Prompter& prompter)
    : state_(state), canvas_(canvas), prompter_(prompter) {
  RunState& run = state.Run;
  MouseState& mouse = run.Mouse;
  const PlotBox& xyBox = state.Boxes.XYBox;

  DrawStatus(state, canvas);
  DrawMouseReadout(state, canvas);

  if (mouse.LeftClickPending != 0) {
    if (run.Settings.BoldPoints != 0) {
      xyBox.PlotBoldPoint(canvas, run.MousePoint.x, run.MousePoint.y, MarkHalfSize(canvas), kPickedPointColour,
                          false);
    }
    mouse.LeftClickPending = 0;
    mouse.RightReleasePending = 0;
    mouse.RightPressPending = 0;
    return;
  }
  if (mouse.RightPressPending != 0) {
    xyBox.PlotBoldPoint(canvas, mouse.ZoomCorner1.x, mouse.ZoomCorner1.y, MarkHalfSize(canvas), kBlack, false);
    mouse.RightPressPending = 0;
    return;
  }
  if (run.Requests.GroupPending != 0) {
    RunGroup();
  } else if (run.Settings.DisplayMode == 0 || run.Settings.DisplayMode == 1) {
    RedrawAndRun();
  } else {
    Complete();
  }
}

void RepaintWork::RedrawAndRun() {
  RunState& run = state_.Run;
  const RunSettings& settings = run.Settings;
  PlotBoxes& boxes = state_.Boxes;
  MouseState& mouse = run.Mouse;

  run.RunCount = settings.ContinueIterations;
  run.UnkeptPointsShown = 0;
  run.FinalPointShown = 0;
  DrawBoxes(boxes, settings.DisplayMode, canvas_, 0, 0, canvas_.Width(), canvas_.Height());

  boxes.ZoomRectDefined = 0;
  if (mouse.RightReleasePending != 0) {
    canvas_.Rectangle(mouse.PressPixel.x, mouse.PressPixel.y, mouse.ReleasePixel.x, mouse.ReleasePixel.y);
    mouse.RightReleasePending = 0;
    mouse.RightPressPending = 0;
    boxes.ZoomRectDefined = 1;
  }
  // The replays take the box transforms the layout has just made.
  if (settings.ShowStreamPoints != 0) stream_.emplace(state_.WorkDir, boxes.XYBox, run, canvas_);
  if (settings.ShowBufferPoints != 0) buffer_.emplace(state_.Store, boxes.XYBox, run, canvas_);
  phase_ = stream_ ? Phase::ReplayStream : buffer_ ? Phase::ReplayBuffer : Phase::StartRun;
}

void RepaintWork::StartRequestedRun() {
  RunState& run = state_.Run;
  const RunSettings& settings = run.Settings;
  if (run.Requests.ContinueRun == 0) {
    state_.Store.DTN = 0;
    state_.Store.RTN = 0;
    run.RunCount = settings.Iterations;
  }
  DrawStructure(state_.Structure, state_.Boxes.XYBox, canvas_);
  MarkInitialPoint(run, state_.Boxes.XYBox, canvas_);
  if (run.Requests.RunPending != 0 && !stopping_) {
    run_.emplace(state_, canvas_);
    phase_ = Phase::Run;
  } else {
    phase_ = Phase::Close;
  }
}

void RepaintWork::RunGroup() {
  RunSettings& settings = state_.Run.Settings;
  settings.DisplayMode = 0;
  state_.Run.UnkeptPointsShown = 0;
  state_.Run.FinalPointShown = 0;
  DrawBoxes(state_.Boxes, settings.DisplayMode, canvas_, 0, 0, canvas_.Width(), canvas_.Height());
  state_.Boxes.ZoomRectDefined = 0;
  settings.ShowBufferPoints = 1;

  group_.emplace(state_.FilePath(kGroupFileName));
  if (!group_->IsOpen()) {
    state_.Group.GroupEmpty = true;
    prompter_.ShowMessage(kGroupFileNotFound);
    Complete();
    return;
  }
  groupEntries_ = static_cast<int>(std::min<std::size_t>(group_->EntriesLeft(), kLargestCount));
  // The counters add up over the entries, so that afterwards they hold the group's
  // totals and "Delete last trajectory" removes exactly the group's points; they start
  // from zero here rather than carrying the trajectory that was current before.
  state_.Store.RTN = 0;
  state_.Store.DTN = 0;
  phase_ = Phase::RunGroupNextLine;
}

void RepaintWork::RunGroupNextLine() {
  RunState& run = state_.Run;
  GroupLine line{};
  const GroupFileReader::Result result = stopping_ ? GroupFileReader::Result::End : group_->Next(line);
  if (result == GroupFileReader::Result::End || IsBufferFull(state_.Store)) {
    phase_ = Phase::Close;
    return;
  }
  if (result == GroupFileReader::Result::FormatError) {
    prompter_.ShowMessage(kGroupFormatError);
    phase_ = Phase::Close;
    return;
  }
  const auto colour = static_cast<std::uint8_t>(line.colour & 0xFF);
  run.InitialPoint.x = line.X0;
  run.InitialPoint.y = line.Y0;
  run.InitialPoint.colour = colour;
  run.RunColour = colour;
  run.RunCount = line.iterations;
  run.Settings.RestrictToBox = line.restricted != 0 ? 1 : 0;
  run.CurrentPoint = run.InitialPoint;
  ++groupEntry_;
  run_.emplace(state_, canvas_);
  phase_ = Phase::RunGroupLine;
}

void RepaintWork::CountStreamRecords() {
  PointStore& store = state_.Store;
  if (const int error = stream_->Error()) {
    // A stream that exists but cannot be read keeps its Dsk (its points are still there,
    // and "Delete All" must still offer to delete them); said once, until it reads again.
    if (store.streamFailureShown) return;
    store.streamFailureShown = true;
    prompter_.ShowMessage(FileFailureText("read", state_.FilePath(kStreamFileName), error) +
                          "\nIts points cannot be shown; Dsk keeps counting them.");
    return;
  }
  store.streamFailureShown = false;
  // A stopped replay still counts every record the stream holds.
  const std::int64_t count = stopping_ ? std::max(stream_->Replayed(), stream_->Total()) : stream_->Replayed();
  store.Dsk = static_cast<std::int32_t>(std::min(count, kLargestCount));
}

void RepaintWork::FinishRun() {
  run_->Finish(prompter_);
  run_.reset();
}

void RepaintWork::Close() {
  DrawStatus(state_, canvas_);
  Complete();
}

void RepaintWork::Complete() {
  RunRequests& requests = state_.Run.Requests;
  requests.RunPending = 0;
  requests.ContinueRun = 0;
  state_.Run.Mouse.LeftClickPending = 0;
  requests.GroupPending = 0;
  phase_ = Phase::Done;
}

void RepaintWork::Advance(std::int64_t budget) {
  ClearUpperVectorState();
  const std::int64_t asked = budget;
  AdvanceBy(budget);
  if (asked > 0) unitsDone_ += asked - std::max<std::int64_t>(budget, 0);
}

void RepaintWork::AdvanceBy(std::int64_t& budget) {
  while (phase_ != Phase::Done && (budget > 0 || stopping_)) {
    switch (phase_) {
      case Phase::ReplayStream: {
        const std::int64_t before = stream_->Replayed();
        const bool more = !stopping_ && stream_->Advance(budget);
        budget -= stream_->Replayed() - before;
        if (!more) {
          if (stopping_ && stream_->Replayed() < stream_->Total()) pictureIncomplete_ = true;
          CountStreamRecords();
          streamReplayed_ = stream_->Replayed();
          stream_.reset();
          phase_ = buffer_ ? Phase::ReplayBuffer : Phase::StartRun;
        }
        break;
      }
      case Phase::ReplayBuffer: {
        const std::int64_t before = buffer_->Replayed();
        const bool more = !stopping_ && buffer_->Advance(budget);
        budget -= buffer_->Replayed() - before;
        if (!more) {
          if (buffer_->Replayed() < buffer_->Total()) pictureIncomplete_ = true;
          buffer_.reset();
          phase_ = Phase::StartRun;
        }
        break;
      }
      case Phase::StartRun:
        StartRequestedRun();
        break;
      case Phase::Run:
      case Phase::RunGroupLine: {
        if (!stopping_) {
          const std::int64_t before = run_->IterationsDone();
          run_->Advance(budget);
          budget -= std::max<std::int64_t>(run_->IterationsDone() - before, 1);
        }
        if (stopping_ || run_->Ended()) {
          FinishRun();
          phase_ = phase_ == Phase::Run ? Phase::Close : Phase::RunGroupNextLine;
        }
        break;
      }
      case Phase::RunGroupNextLine:
        RunGroupNextLine();
        --budget;
        break;
      case Phase::Close:
        Close();
        break;
      case Phase::Done:
        break;
    }
  }
}

void RepaintWork::Stop() {
  stopping_ = true;
  std::int64_t none = 0;
  AdvanceBy(none);
}

void RepaintWork::RunToEnd() {
  while (!Done()) Advance(std::numeric_limits<std::int64_t>::max());
}

WorkProgress RepaintWork::Progress() const {
  WorkProgress p;
  p.unitsDone = unitsDone_;
  if (run_) {
    p.kind = WorkProgress::Kind::Run;
    p.done = run_->IterationsDone();
    p.total = run_->IterationsAsked();
  } else if (stream_) {
    p.kind = WorkProgress::Kind::Replay;
    p.done = stream_->Replayed();
    p.total = stream_->Total() + (buffer_ ? buffer_->Total() : 0);
  } else if (buffer_) {
    p.kind = WorkProgress::Kind::Replay;
    p.done = streamReplayed_ + buffer_->Replayed();
    p.total = streamReplayed_ + buffer_->Total();
  }
  if (group_) {
    p.trajectory = groupEntry_;
    p.trajectories = std::max(groupEntries_, groupEntry_);
  }
  return p;
}

}  // namespace orbitra
