// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "maps/mapping_model.h"
#include "maps/native_map_compiler.h"

namespace orbitra {

// Settings under which nothing is compiled: the expression library evaluates every map.
inline NativeCompilerSettings InterpretedOnly() {
  NativeCompilerSettings none;
  none.library.clear();
  return none;
}

// The user maps' machine code, compiled in the background and kept for the life of the
// program. A chosen map's program goes to a worker thread, which sees nothing else and
// hands the code over through a future that the map's evaluator holds (see
// UserMapEvaluator::Native); each slice of a run takes the code from there once it is
// ready. Until then, and for good when it cannot be had, the expression library evaluates
// the map, with the same bits. Maps that compute the same share one compile.
class NativeMaps {
 public:
  // Nothing is ever compiled, and nothing said, in a build without the JIT compiler or
  // with an empty library name (InterpretedOnly).
  explicit NativeMaps(NativeCompilerSettings settings = {});
  ~NativeMaps();  // a compile under way is dropped (its helper ended), as are those not begun
  NativeMaps(NativeMaps&&) noexcept;
  NativeMaps& operator=(NativeMaps&&) noexcept;

  // Starts compiling the model's user map unless its code is there, on its way, or known
  // to fail; `name` names the map in a message. Nothing for a built-in map.
  void StartCompiling(const MappingModel& model, std::string_view name) noexcept;

  // Waits until the model's map, once asked for, has its code or is known to have none
  // (for batch work, which gains more than the wait costs, and for tests).
  void WaitFor(const MappingModel& model);

  // The orbit diagram's lanes of the model's user map in machine code, compiled in the
  // background like the map's own code (once per formulas) when its own code is there.
  // The future gives null for a built-in map, a map without code yet, or lanes that cannot
  // be had; while it is not ready, or gives null, a diagram calls the map's code per lane
  // (slower, the same counts).
  NativeLanesFuture Lanes(const MappingModel& model);

  // The next message for the status bar, if any. Each failure is said once: a map that
  // does not compile, or a compiler that cannot be loaded at all.
  std::optional<std::string> NextMessage();

 private:
  struct Worker;
  std::unique_ptr<Worker> worker_;
};

}  // namespace orbitra
