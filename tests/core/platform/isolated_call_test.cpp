// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <signal.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/isolated_call.h"

namespace orbitra {
namespace {

TEST(IsolatedCall, TheChildsResultComesBackAndItsChangesStayThere) {
  int touched = 0;
  const IsolatedOutcome outcome = RunIsolated([&](const IsolationMark& mark) {
    mark("first");
    touched = 1;
    return std::string("result\nwith a second line and \0 a NUL", 38);
  });
  EXPECT_TRUE(outcome.started);
  EXPECT_TRUE(outcome.finished);
  EXPECT_EQ(outcome.result, std::string("result\nwith a second line and \0 a NUL", 38));
  EXPECT_EQ(outcome.lastMark, "first");
  EXPECT_EQ(touched, 0);
}

TEST(IsolatedCall, AChildThatCrashesOrEatsMemorySaysWhereItWas) {
  const IsolatedOutcome crashed = RunIsolated([](const IsolationMark& mark) {
    mark("reading the header");
    mark("reading \"store/buffer\"");
    raise(SIGSEGV);
    return std::string("never");
  });
  EXPECT_FALSE(crashed.finished);
  EXPECT_EQ(crashed.lastMark, "reading \"store/buffer\"");
  EXPECT_EQ(crashed.ending.rfind("signal 11", 0), 0u) << crashed.ending;
  EXPECT_TRUE(crashed.result.empty());

  // Memory beyond the child's limit is refused to it, not taken from the machine.
  IsolationLimits limits;
  limits.extraMemory = std::uint64_t{256} << 20;
  const IsolatedOutcome greedy = RunIsolated(
      [](const IsolationMark&) {
        std::vector<char> huge(std::size_t{1} << 30, 1);
        return std::to_string(huge.back());
      },
      limits);
  EXPECT_FALSE(greedy.finished);
  EXPECT_EQ(greedy.ending, "exit status 3");
}

}  // namespace
}  // namespace orbitra
