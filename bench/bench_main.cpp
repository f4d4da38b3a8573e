// Runs every benchmark, then prints the ratios that compare full code paths with the
// bare iteration loop measured in the same process, one line each: "ratio NAME VALUE".
#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/bench_ratios.h"

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  orbitra::bench::CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  orbitra::bench::PrintRatios(reporter);
  return 0;
}
