#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace orbitra::bench {

// Console output as usual, plus the time per iteration of every benchmark run.
class CollectingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;
  // Processor nanoseconds per benchmark iteration (unlike wall time, not inflated when
  // other processes take the processor), by benchmark name; absent when not run.
  const std::map<std::string, double>& NanosPerIteration() const { return nanos_; }

 private:
  std::map<std::string, double> nanos_;
};

// Registers "ratio NAME = numerator time / denominator time" for the closing lines.
// Returns a value so it can initialise a namespace-scope constant.
int RegisterRatio(const std::string& name, const std::string& numerator, const std::string& denominator);

void PrintRatios(const CollectingReporter& reporter);

}  // namespace orbitra::bench
