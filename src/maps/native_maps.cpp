// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/native_maps.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <future>
#include <map>
#include <optional>
#include <mutex>
#include <thread>

#include "maps/user_map_evaluator.h"

namespace orbitra {

namespace {

using Code = std::shared_ptr<const NativeUserMap>;

// A reason fit for one line of the status bar: the first line of it, not too long.
std::string OneLine(std::string_view reason) {
  reason = reason.substr(0, reason.find('\n'));
  constexpr std::size_t kLongest = 160;
  return reason.size() <= kLongest ? std::string(reason) : std::string(reason.substr(0, kLongest)) + "...";
}

std::string MapFailure(std::string_view name, std::string_view reason) {
  return "\"" + std::string(name) + "\" runs interpreted (same results, slower): compiling it failed: " +
         OneLine(reason);
}

NativeCodeFuture ReadyWithout() {
  std::promise<Code> none;
  none.set_value(nullptr);
  return none.get_future().share();
}

}  // namespace

struct NativeMaps::Worker {
  explicit Worker(NativeCompilerSettings s) : settings(Cancellable(std::move(s), &cancelled)) {}

  // A compile under way is dropped (its helper ended), not waited for.
  ~Worker() {
    cancelled = true;
    {
      const std::lock_guard lock(mutex);
      stopping = true;
    }
    wake.notify_all();
    if (thread.joinable()) thread.join();
  }

  struct Job {
    UserMapProgram program;
    std::string name;
    std::promise<Code> promise;
  };
  struct LanesJob {
    UserMapProgram program;
    std::promise<std::shared_ptr<const NativeLanes>> promise;
  };

  // The worker thread: compiles one job after the other; touches nothing but the jobs,
  // the messages and its own compiler.
  void Run() {
    for (;;) {
      Job job;
      std::optional<LanesJob> lanesJob;
      {
        std::unique_lock lock(mutex);
        wake.wait(lock, [this] { return stopping || !jobs.empty() || !lanesJobs.empty(); });
        if (stopping) return;
        if (jobs.empty()) {
          lanesJob.emplace(std::move(lanesJobs.front()));
          lanesJobs.pop_front();
        } else {
          job = std::move(jobs.front());
          jobs.pop_front();
        }
      }
      if (lanesJob) {
        CompileLanes(*lanesJob);
        continue;
      }
      NativeCompilation result;
      bool unloadable = false;
      try {
        // Loaded here, on the first job, so that loading never holds up the window.
        if (!compiler) compiler = std::make_unique<NativeMapCompiler>(settings);
        unloadable = !compiler->Unavailable().empty();
        result = compiler->Compile(job.program);
      } catch (const std::exception& e) {
        result = {nullptr, nullptr, e.what()};
      } catch (...) {
        result = {nullptr, nullptr, "an unexpected error"};
      }
      if (!result.code && !cancelled) Report(unloadable ? std::string() : job.name, result.failure);
      job.promise.set_value(std::move(result.code));
    }
  }

  // A diagram's lanes; without them the diagram calls the map's own code, so a failure
  // needs no word.
  void CompileLanes(LanesJob& job) {
    std::shared_ptr<const NativeLanes> lanes;
    try {
      if (!compiler) compiler = std::make_unique<NativeMapCompiler>(settings);
      lanes = compiler->Compile(job.program, NativeCodePart::Lanes).lanes;
    } catch (...) {
      lanes = nullptr;
    }
    job.promise.set_value(std::move(lanes));
  }

  // A failure for the status bar; a compiler that cannot be loaded (no name) is said once.
  void Report(const std::string& name, const std::string& reason) {
    const std::lock_guard lock(mutex);
    if (!name.empty()) {
      messages.push_back(MapFailure(name, reason));
    } else if (!unloadableSaid) {
      unloadableSaid = true;
      messages.push_back("Your maps run interpreted (same results, slower): the compiler could not be loaded: " +
                         OneLine(reason));
    }
  }

  static NativeCompilerSettings Cancellable(NativeCompilerSettings s, const std::atomic<bool>* cancel) {
    s.cancel = cancel;
    return s;
  }

  std::atomic<bool> cancelled{false};
  const NativeCompilerSettings settings;
  // Main thread only: every compile ever asked for, by what the program computes, and
  // the diagrams' lanes likewise.
  std::map<std::string, NativeCodeFuture> cache;
  std::map<std::string, NativeLanesFuture> lanes;

  // Shared with the worker thread.
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<Job> jobs;
  std::deque<LanesJob> lanesJobs;  // after every map's own code
  std::deque<std::string> messages;
  bool stopping = false;
  bool unloadableSaid = false;
  std::thread thread;  // started with the first job

  // The worker thread's own.
  std::unique_ptr<NativeMapCompiler> compiler;
};

NativeMaps::NativeMaps(NativeCompilerSettings settings) : worker_(std::make_unique<Worker>(std::move(settings))) {}

NativeMaps::~NativeMaps() = default;
NativeMaps::NativeMaps(NativeMaps&&) noexcept = default;
NativeMaps& NativeMaps::operator=(NativeMaps&&) noexcept = default;

void NativeMaps::StartCompiling(const MappingModel& model, std::string_view name) noexcept {
  if (!worker_ || !NativeCompilerBuilt() || worker_->settings.library.empty() || !model.userMap) return;
  const UserMapEvaluator& evaluator = *model.userMap;
  Worker& w = *worker_;
  try {
    if (evaluator.NativeRequested()) return;
    const std::optional<UserMapProgram> program = evaluator.Program();
    if (!program) {
      evaluator.ExpectNative(ReadyWithout());
      const std::lock_guard lock(w.mutex);
      w.messages.push_back(MapFailure(name, "its formulas hold an operation the compiler does not know"));
      return;
    }
    const std::string key = program->Key();
    if (const auto known = w.cache.find(key); known != w.cache.end()) {
      evaluator.ExpectNative(known->second);
      return;
    }
    std::promise<Code> promise;
    const NativeCodeFuture code = promise.get_future().share();
    {
      const std::lock_guard lock(w.mutex);
      w.jobs.push_back(Worker::Job{*program, std::string(name), std::move(promise)});
      if (!w.thread.joinable()) w.thread = std::thread(&Worker::Run, &w);
    }
    w.wake.notify_one();
    w.cache.emplace(key, code);
    evaluator.ExpectNative(code);
  } catch (...) {
    // No thread, no memory: the map stays with the expression library, which is correct.
  }
}

void NativeMaps::WaitFor(const MappingModel& model) {
  if (!worker_ || !model.userMap) return;
  const std::optional<UserMapProgram> program = model.userMap->Program();
  if (!program) return;
  const auto known = worker_->cache.find(program->Key());
  if (known != worker_->cache.end()) known->second.wait();
}

NativeLanesFuture NativeMaps::Lanes(const MappingModel& model) {
  const NativeLanesFuture without = LanesAtHand(nullptr);
  if (!worker_ || !NativeCompilerBuilt() || worker_->settings.library.empty() || !model.userMap ||
      !model.userMap->Native()) {
    return without;
  }
  Worker& w = *worker_;
  try {
    const std::optional<UserMapProgram> program = model.userMap->Program();
    if (!program) return without;
    const std::string key = program->Key();
    if (const auto known = w.lanes.find(key); known != w.lanes.end()) return known->second;
    std::promise<std::shared_ptr<const NativeLanes>> promise;
    const NativeLanesFuture lanes = promise.get_future().share();
    {
      const std::lock_guard lock(w.mutex);
      w.lanesJobs.push_back(Worker::LanesJob{*program, std::move(promise)});
      if (!w.thread.joinable()) w.thread = std::thread(&Worker::Run, &w);
    }
    w.wake.notify_one();
    w.lanes.emplace(key, lanes);
    return lanes;
  } catch (...) {
    return without;  // the diagram calls the map's own code
  }
}

std::optional<std::string> NativeMaps::NextMessage() {
  if (!worker_) return std::nullopt;
  const std::lock_guard lock(worker_->mutex);
  if (worker_->messages.empty()) return std::nullopt;
  std::string message = std::move(worker_->messages.front());
  worker_->messages.pop_front();
  return message;
}

}  // namespace orbitra
