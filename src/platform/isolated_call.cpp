// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/isolated_call.h"

#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace orbitra {

namespace {

constexpr char kMarkRecord = 'M';
constexpr char kResultRecord = 'R';
// The child says little; more than this is not read.
constexpr std::size_t kMostReport = std::size_t{1} << 20;

// Writes the whole record or nothing more (the parent then sees a cut record).
void SendRecord(int fd, char kind, std::string_view text) {
  std::string record(1, kind);
  const auto length = static_cast<std::uint32_t>(std::min<std::size_t>(text.size(), kMostReport / 2));
  record.append(reinterpret_cast<const char*>(&length), sizeof length);
  record.append(text.substr(0, length));
  std::size_t done = 0;
  while (done < record.size()) {
    const ssize_t n = ::write(fd, record.data() + done, record.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

// Address space in use now, in bytes; 0 when it cannot be told.
std::uint64_t AddressSpaceInUse() {
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return 0;
  unsigned long long pages = 0;
  const int read = std::fscanf(statm, "%llu", &pages);
  std::fclose(statm);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  return read == 1 && pageSize > 0 ? pages * static_cast<std::uint64_t>(pageSize) : 0;
}

void LimitChild(const IsolationLimits& limits) {
  const rlimit noCore{0, 0};
  ::setrlimit(RLIMIT_CORE, &noCore);
  const rlim_t seconds = static_cast<rlim_t>(std::max(limits.cpuSeconds, 1));
  const rlimit cpu{seconds, seconds + 5};
  ::setrlimit(RLIMIT_CPU, &cpu);
  if (const std::uint64_t inUse = AddressSpaceInUse(); inUse > 0) {
    rlimit memory{};
    if (::getrlimit(RLIMIT_AS, &memory) == 0) {
      const rlim_t wanted = static_cast<rlim_t>(inUse + limits.extraMemory);
      if (memory.rlim_cur == RLIM_INFINITY || wanted < memory.rlim_cur) {
        memory.rlim_cur = wanted;
        ::setrlimit(RLIMIT_AS, &memory);
      }
    }
  }
}

std::string EndingOf(int status) {
  if (WIFSIGNALED(status)) {
    const char* name = sigdescr_np(WTERMSIG(status));
    return "signal " + std::to_string(WTERMSIG(status)) + (name != nullptr ? " (" + std::string(name) + ")" : "");
  }
  if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
  return "an unknown end";
}

}  // namespace

IsolatedOutcome RunIsolated(const std::function<std::string(const IsolationMark& mark)>& work,
                            const IsolationLimits& limits) {
  IsolatedOutcome outcome;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    outcome.ending = std::string("no pipe to a child: ") + std::strerror(errno);
    return outcome;
  }
  const pid_t child = ::fork();
  if (child < 0) {
    outcome.ending = std::string("no child process: ") + std::strerror(errno);
    ::close(fds[0]);
    ::close(fds[1]);
    return outcome;
  }
  if (child == 0) {
    // The child: nothing of the parent's (atexit handlers, buffered output) runs here.
    ::close(fds[0]);
    ::signal(SIGPIPE, SIG_IGN);
    LimitChild(limits);
    const int out = fds[1];
    std::string result;
    try {
      result = work([out](std::string_view mark) { SendRecord(out, kMarkRecord, mark); });
    } catch (...) {
      ::_exit(3);
    }
    SendRecord(out, kResultRecord, result);
    ::_exit(0);
  }
  outcome.started = true;
  ::close(fds[1]);
  std::string report;
  char block[4096];
  for (;;) {
    const ssize_t n = ::read(fds[0], block, sizeof block);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (report.size() < kMostReport) report.append(block, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  bool resultSeen = false;
  for (std::size_t at = 0; at + 1 + sizeof(std::uint32_t) <= report.size();) {
    std::uint32_t length = 0;
    std::memcpy(&length, report.data() + at + 1, sizeof length);
    const std::size_t start = at + 1 + sizeof length;
    if (start + length > report.size()) break;
    std::string text = report.substr(start, length);
    if (report[at] == kMarkRecord) outcome.lastMark = std::move(text);
    if (report[at] == kResultRecord) {
      outcome.result = std::move(text);
      resultSeen = true;
    }
    at = start + length;
  }
  outcome.finished = resultSeen && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!outcome.finished) outcome.ending = EndingOf(status);
  return outcome;
}

}  // namespace orbitra
