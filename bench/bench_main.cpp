// SPDX-License-Identifier: GPL-3.0-or-later
// Prints the processor's name and whether it has AVX2 and FMA, runs every benchmark, then
// prints the ratios that compare full code paths with the bare iteration loop measured in
// the same process, one line each: "ratio NAME VALUE", each time the median of several
// measurements.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_ratios.h"

namespace {

// The processor's name as the system gives it (Linux), so that figures from different
// machines can be told apart.
std::string ProcessorName() {
  std::ifstream info("/proc/cpuinfo");
  std::string line;
  while (std::getline(info, line)) {
    if (line.rfind("model name", 0) != 0) continue;
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) break;
    const std::size_t start = line.find_first_not_of(" \t", colon + 1);
    return start == std::string::npos ? std::string() : line.substr(start);
  }
  return "unknown";
}

const char* YesNo(bool b) { return b ? "yes" : "no"; }

void PrintProcessor() {
  std::printf("processor: %s\n", ProcessorName().c_str());
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  std::printf("avx2: %s  fma: %s\n", YesNo(__builtin_cpu_supports("avx2")), YesNo(__builtin_cpu_supports("fma")));
#else
  std::printf("avx2: %s  fma: %s\n", YesNo(false), YesNo(false));
#endif
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  PrintProcessor();
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
