// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/orbit_report.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "explorer/orbitra_state.h"
#include "maps/system_catalogue.h"

namespace orbitra {

namespace {

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char text[160];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

std::string PointText(WorldPoint p) { return Format("x=%.10g  y=%.10g", p.x, p.y); }

// Why a value is missing, in words.
std::string GapText(ExponentGap gap) {
  switch (gap) {
    case ExponentGap::None:
    case ExponentGap::NoIterates: return "-";
    case ExponentGap::JacobianNotFinite: return "not known: a Jacobian was not finite";
    case ExponentGap::VectorVanished: return "not finite: the map took the tangent vector to 0";
    case ExponentGap::DeterminantZero: return "not finite: det J = 0 at an iterate";
    case ExponentGap::DeterminantLost: return "not known: det J was lost to rounding at an iterate";
  }
  return "-";
}

std::string ExponentText(double value, ExponentGap gap) {
  return gap == ExponentGap::None && std::isfinite(value) ? Format("%.6f", value) : GapText(gap);
}

// The sum beside the mean of log|det J|, each a number or why not.
std::string SumText(const LyapunovEstimate& e) {
  const std::string sum = e.gap2 == ExponentGap::None ? ExponentText(e.Sum(), e.gap2) : "not known";
  const std::string det = e.gapDet == ExponentGap::None ? "= " + ExponentText(e.meanLogDet, e.gapDet)
                                                        : GapText(e.gapDet);
  return sum + "  (mean log|det J| " + det + ")";
}

std::string RotationText(const OrbitReport& report) {
  const RotationNumber& r = report.rotation;
  if (report.escaped) return "-";
  if (r.iterations == 0 && r.kind == RotationKind::Winding) return "not known: no elliptic fixed point near the orbit";
  if (!std::isfinite(r.value)) return "-";
  if (r.kind == RotationKind::Lifted) {
    return Format("%.10f  (lifted x, %" PRId64 " iterations)", r.value, r.iterations);
  }
  return Format("%.10f  (about x=%.10g  y=%.10g, %" PRId64 " iterations)", r.value, r.centre.x, r.centre.y,
                r.iterations);
}

std::string PeriodText(const OrbitReport& report) {
  if (report.escaped) return "escaped";
  if (report.period.period > 0) return Format("period %d", report.period.period);
  if (report.period.notSettled) return "not settled";
  return Format("no period up to %d", report.period.searchedUpTo);
}

}  // namespace

OrbitReport MakeOrbitReport(const OrbitraState& state) {
  const OrbitInspector& inspector = state.Inspector;
  OrbitReport report;
  report.following = inspector.Following();
  if (!report.following) return report;
  report.mapName = SystemName(state.UserMaps, inspector.System());
  report.k = inspector.Parameters();
  report.initialPoint = inspector.InitialPoint();
  report.iterations = inspector.Iterations();
  report.currentPoint = inspector.CurrentPoint();
  report.exponents = inspector.Exponents();
  report.escaped = inspector.Escaped();
  report.rotation = inspector.Rotation();
  report.period = inspector.Period();
  return report;
}

std::vector<ReportLine> OrbitReportLines(const OrbitReport& r) {
  std::vector<ReportLine> lines = {{"Map", "-"},     {"Parameters", "-"}, {"Initial point", "-"},
                                   {"Iterations", "-"}, {"Current point", "-"}, {"\u03bb1", "-"},
                                   {"\u03bb2", "-"},   {"\u03bb1 + \u03bb2", "-"}, {"Rotation number", "-"},
                                   {"Period", "-"}};
  if (!r.following) return lines;
  const LyapunovEstimate& e = r.exponents;
  lines[0].value = std::string(r.mapName);
  lines[1].value = Format("k1=%.10g  k2=%.10g  k3=%.10g  k4=%.10g", r.k[0], r.k[1], r.k[2], r.k[3]);
  lines[2].value = PointText(r.initialPoint);
  lines[3].value = Format("%" PRId64, r.iterations);
  lines[4].value = PointText(r.currentPoint);
  lines[5].value = ExponentText(e.lambda1, e.gap1);
  lines[6].value = ExponentText(e.lambda2, e.gap2);
  if (e.steps > 0) lines[7].value = SumText(e);
  if (e.steps > 0) lines[8].value = RotationText(r);
  lines[9].value = PeriodText(r);
  return lines;
}

std::string FormatOrbitReport(const OrbitReport& report) {
  std::string text;
  for (const ReportLine& line : OrbitReportLines(report)) text += line.label + ": " + line.value + "\n";
  return text;
}

}  // namespace orbitra
