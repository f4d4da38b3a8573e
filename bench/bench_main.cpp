// SPDX-License-Identifier: GPL-3.0-or-later
// Runs every benchmark, then prints the ratios that compare full code paths with the
// bare iteration loop measured in the same process, one line each: "ratio NAME VALUE",
// each time the median of several measurements.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "bench/bench_ratios.h"

int main(int argc, char** argv) {
  // Every benchmark measured five times over, unless the command line says otherwise (a
  // later flag wins); the ratios take the medians.
  std::vector<char*> arguments(argv, argv + argc);
  char repetitions[] = "--benchmark_repetitions=5";
  char aggregates[] = "--benchmark_display_aggregates_only=true";
  arguments.insert(arguments.begin() + 1, {repetitions, aggregates});
  argc = static_cast<int>(arguments.size());
  arguments.push_back(nullptr);
  argv = arguments.data();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  orbitra::bench::CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  orbitra::bench::PrintRatios(reporter);
  return 0;
}
