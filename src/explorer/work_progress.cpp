// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/work_progress.h"

#include <algorithm>
#include <cstdio>

namespace orbitra {

namespace {

int Percent(std::int64_t done, std::int64_t total) noexcept {
  if (total <= 0) return 0;
  return static_cast<int>(static_cast<double>(done) * 100.0 / static_cast<double>(total));
}

std::string Speed(std::int64_t units, double seconds) {
  if (!(seconds > 0.0)) return {};
  const double perSecond = static_cast<double>(units) / seconds;
  char text[32];
  if (perSecond >= 1e7) {
    std::snprintf(text, sizeof text, ", %.0f M/s", perSecond / 1e6);
  } else if (perSecond >= 1e6) {
    std::snprintf(text, sizeof text, ", %.1f M/s", perSecond / 1e6);
  } else {
    std::snprintf(text, sizeof text, ", %.0f k/s", perSecond / 1e3);
  }
  return text;
}

}  // namespace

std::string ProgressText(const WorkProgress& p, double seconds) {
  char text[128];
  switch (p.kind) {
    case WorkProgress::Kind::Run:
      if (p.trajectories > 0) {
        std::snprintf(text, sizeof text, "Running trajectory %d of %d: %d%% of %lld iterations", p.trajectory,
                      p.trajectories, Percent(p.done, p.total), static_cast<long long>(p.total));
      } else {
        std::snprintf(text, sizeof text, "Running: %d%% of %lld iterations", Percent(p.done, p.total),
                      static_cast<long long>(p.total));
      }
      return text + Speed(p.unitsDone, seconds);
    case WorkProgress::Kind::Replay:
      std::snprintf(text, sizeof text, "Replaying stored points: %d%% of %lld", Percent(p.done, p.total),
                    static_cast<long long>(p.total));
      return text;
    case WorkProgress::Kind::None:
      break;
  }
  return {};
}

int ProgressPermille(const WorkProgress& p) noexcept {
  const double part = p.total > 0 ? std::clamp(static_cast<double>(p.done) / static_cast<double>(p.total), 0.0, 1.0) : 0.0;
  double whole = part;
  if (p.trajectories > 0) {
    const int finished = std::clamp(p.trajectory - 1, 0, p.trajectories);
    whole = std::min((finished + part) / p.trajectories, 1.0);
  }
  return static_cast<int>(whole * 1000.0);
}

}  // namespace orbitra
