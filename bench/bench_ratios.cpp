// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/bench_ratios.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

namespace orbitra::bench {

namespace {

std::vector<std::tuple<std::string, std::string, std::string>>& Ratios() {
  static std::vector<std::tuple<std::string, std::string, std::string>> ratios;
  return ratios;
}

std::vector<std::tuple<std::string, std::string, std::string>>& WallRatios() {
  static std::vector<std::tuple<std::string, std::string, std::string>> ratios;
  return ratios;
}

std::vector<std::pair<std::string, std::string>>& Milliseconds() {
  static std::vector<std::pair<std::string, std::string>> lines;
  return lines;
}

std::vector<std::function<std::string()>>& ClosingLines() {
  static std::vector<std::function<std::string()>> lines;
  return lines;
}

}  // namespace

void CollectingReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& run : runs) {
    if (run.iterations <= 0) continue;
    const double cpu = run.GetAdjustedCPUTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
    const double real = run.GetAdjustedRealTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
    const std::string name = run.run_name.str();
    if (run.run_type == Run::RT_Iteration) {
      nanos_[name].push_back(cpu);
      realNanos_[name].push_back(real);
    } else if (run.aggregate_name == "median") {
      // The library's own median of the repetitions, where the repetitions themselves are
      // not reported: it stands for them.
      nanos_[name] = {cpu};
      realNanos_[name] = {real};
    }
  }
  ConsoleReporter::ReportRuns(runs);
}

std::map<std::string, double> CollectingReporter::Medians(const std::map<std::string, std::vector<double>>& samples) {
  std::map<std::string, double> medians;
  for (auto [name, values] : samples) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    medians[name] = n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
  }
  return medians;
}

int RegisterRatio(const std::string& name, const std::string& numerator, const std::string& denominator) {
  Ratios().emplace_back(name, numerator, denominator);
  return static_cast<int>(Ratios().size());
}

int RegisterWallRatio(const std::string& name, const std::string& numerator, const std::string& denominator) {
  WallRatios().emplace_back(name, numerator, denominator);
  return static_cast<int>(WallRatios().size());
}

int RegisterMilliseconds(const std::string& name, const std::string& benchmark) {
  Milliseconds().emplace_back(name, benchmark);
  return static_cast<int>(Milliseconds().size());
}

int RegisterClosingLine(std::function<std::string()> line) {
  ClosingLines().push_back(std::move(line));
  return static_cast<int>(ClosingLines().size());
}

void PrintRatios(const CollectingReporter& reporter) {
  const std::map<std::string, double> nanos = reporter.NanosPerIteration();
  const std::map<std::string, double> realNanos = reporter.RealNanosPerIteration();
  // The console reporter may leave a colour reset at the start of the current line; the
  // ratio lines start on fresh lines of their own.
  std::printf("\n");
  for (const auto& [name, num, den] : Ratios()) {
    const auto n = nanos.find(num);
    const auto d = nanos.find(den);
    if (n == nanos.end() || d == nanos.end() || d->second <= 0.0) continue;
    std::printf("ratio %s %.3f\n", name.c_str(), n->second / d->second);
  }
  const auto& real = reporter.RealNanosPerIteration();
  for (const auto& [name, num, den] : WallRatios()) {
    const auto n = real.find(num);
    const auto d = real.find(den);
    if (n == real.end() || d == real.end() || d->second <= 0.0) continue;
    std::printf("ratio %s %.3f\n", name.c_str(), n->second / d->second);
  }
  for (const auto& [name, benchmark] : Milliseconds()) {
    const auto real = realNanos.find(benchmark);
    if (real != realNanos.end()) std::printf("%s %.1f\n", name.c_str(), real->second / 1e6);
  }
  for (const auto& line : ClosingLines()) {
    if (const std::string text = line(); !text.empty()) std::printf("%s\n", text.c_str());
  }
}

}  // namespace orbitra::bench
