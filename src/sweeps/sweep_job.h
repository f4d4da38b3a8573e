// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

#include "platform/canvas.h"

namespace orbitra {

// A computation over fixed units that fills a grid, and how to draw it: what a window of
// a sweep (an orbit diagram, a parameter plane, a basin picture) computes for one view at
// one picture size. ComputeUnit runs on worker threads, several distinct units at once;
// everything else runs on the thread that owns the job, and only ever reads units that
// have finished.
class SweepJob {
 public:
  virtual ~SweepJob() = default;

  virtual std::int64_t Units() const = 0;
  // False when `stop` ended the unit first; it is then computed whole when asked again.
  virtual bool ComputeUnit(std::int64_t unit, std::stop_token stop) = 0;
  // Iterations of the map a unit performs, for the speed shown (or whatever RateName
  // counts: a sweep whose units differ in iterations per item shows items per second).
  virtual std::int64_t UnitIterations(std::int64_t unit) const = 0;
  virtual std::string RateName() const { return "iterations"; }
  // The grid's items (columns, rows, pixels) a unit fills, and all of them.
  virtual std::int64_t UnitItems(std::int64_t unit) const = 0;
  virtual std::int64_t Items() const = 0;
  // The part of the whole job done so far, within units not finished too (read while
  // workers run), so that progress moves before the first unit ends; below 0 when the job
  // counts only whole units. A rerun of a stopped unit may count twice: it is a display.
  virtual double WorkDone() const { return -1.0; }
  // What RateName counts, performed so far within units not finished too (read while
  // workers run, from a counter the units add to every few thousand iterations), so that
  // the speed shown moves before the first unit ends; below 0 when the job counts only
  // whole units. It may start above 0 for a job that took saved units.
  virtual std::int64_t RateCountSoFar() const { return -1; }

  // "Orbit diagram" and "columns", for "Orbit diagram: 42% of 1200 columns, ...".
  virtual std::string WorkName() const = 0;
  virtual std::string ItemName() const = 0;
  // What the finished units have to say beyond their progress ("12 columns escaped"),
  // or nothing; `done` tells which units finished.
  virtual std::string Remarks(const std::vector<std::uint8_t>& done) const = 0;

  // The picture before any unit: axes, ticks, labels, title.
  virtual void DrawFrame(Canvas& canvas) = 0;
  // A finished unit's pixels.
  virtual void DrawUnit(Canvas& canvas, std::int64_t unit) const = 0;
  // What is drawn over the units on the picture shown and saved (a marker line).
  virtual void DrawOverlay(Canvas& canvas) const = 0;
  // The picture with its overlay on a cleared canvas of another size (a picture saved
  // larger): the frame laid out for that canvas at its text scale, every pixel of its grid
  // showing the cell under it, of the units marked in `done` only.
  virtual void DrawAtSize(Canvas& canvas, const std::vector<std::uint8_t>& done) const = 0;
};

}  // namespace orbitra
