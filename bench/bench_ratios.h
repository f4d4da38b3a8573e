// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace orbitra::bench {

// Console output as usual, plus the time per iteration of every benchmark: the median of
// its repetitions (see bench_main.cpp), so that one disturbed measurement moves nothing.
class CollectingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;
  // Processor nanoseconds per benchmark iteration (unlike wall time, not inflated when
  // other processes take the processor), by benchmark name; absent when not run.
  std::map<std::string, double> NanosPerIteration() const { return Medians(nanos_); }
  // Wall-clock nanoseconds per benchmark iteration, for work that waits on other processes.
  std::map<std::string, double> RealNanosPerIteration() const { return Medians(realNanos_); }

 private:
  static std::map<std::string, double> Medians(const std::map<std::string, std::vector<double>>& samples);
  std::map<std::string, std::vector<double>> nanos_;
  std::map<std::string, std::vector<double>> realNanos_;
};

// Registers "ratio NAME = numerator time / denominator time" for the closing lines.
// Returns a value so it can initialise a namespace-scope constant.
int RegisterRatio(const std::string& name, const std::string& numerator, const std::string& denominator);

// The same with wall-clock times, for work spread over several threads (whose processor
// time is not the calling thread's).
int RegisterWallRatio(const std::string& name, const std::string& numerator, const std::string& denominator);

// Registers a closing line "NAME VALUE": the benchmark's wall-clock milliseconds per
// iteration.
int RegisterMilliseconds(const std::string& name, const std::string& benchmark);

// Registers a closing line made when the others are printed (skipped when empty): for
// figures a benchmark measures itself, such as points grown per second.
int RegisterClosingLine(std::function<std::string()> line);

void PrintRatios(const CollectingReporter& reporter);

}  // namespace orbitra::bench
