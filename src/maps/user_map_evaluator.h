// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <future>
#include <memory>
#include <optional>

#include "maps/formula_error.h"
#include "maps/map_jacobian.h"
#include "maps/mapping_model.h"
#include "maps/user_map_definition.h"
#include "maps/user_map_program.h"

namespace orbitra {

class NativeUserMap;
class UserMapEvaluator;

// Machine code on its way: null when the compile failed.
using NativeCodeFuture = std::shared_future<std::shared_ptr<const NativeUserMap>>;

// A definition compiled, or what keeps it from compiling.
struct UserMapCompilation {
  std::shared_ptr<const UserMapEvaluator> evaluator;  // set when the definition compiled
  std::optional<FormulaError> error;                  // set otherwise: the first fault
};

// Whether parts of a formula made only of numbers and pi are computed once when the map
// is compiled (see FoldConstantSegments). Either way every result is the same, to the bit:
// a part is computed by the same operations, and replaced only by a number that reads back
// as exactly its value. Keep serves tests that check this.
enum class ConstantFolding { Fold, Keep };

// Checks every helper line and both formulas, each on its own so that a fault is placed
// in its own text, then compiles the whole map into one expression evaluated by one call.
UserMapCompilation CompileUserMap(const UserMapDefinition& definition,
                                  ConstantFolding folding = ConstantFolding::Fold);

// A user map ready to iterate: helpers and both formulas compiled once, evaluated per
// point in one call of the expression library. The library reads its variables from
// storage inside the evaluator, so one evaluator serves one run at a time.
class UserMapEvaluator {
 public:
  ~UserMapEvaluator();
  UserMapEvaluator(const UserMapEvaluator&) = delete;
  UserMapEvaluator& operator=(const UserMapEvaluator&) = delete;

  // The image of (x, y) with these parameters. Division by zero and the like give
  // infinities or not-a-number, as in the built-in maps.
  MapImage Evaluate(double x, double y, double k1, double k2, double k3, double k4) const noexcept;
  // The same image by the library's own evaluation of its bytecode (Evaluate runs that
  // bytecode itself, faster, to the same bits).
  MapImage EvaluateByLibrary(double x, double y, double k1, double k2, double k3, double k4) const noexcept;

  // The exact partial derivatives of the image at (x, y), by dual numbers through the
  // formulas (see UserMapJacobian); safe from any thread. False from HasExactJacobian when
  // the formulas could not be read that way (not expected): Jacobian then gives NaNs.
  bool HasExactJacobian() const noexcept;
  MapJacobian Jacobian(double x, double y, double k1, double k2, double k3, double k4) const noexcept;

  // The formulas as the library compiled them; nothing should they hold anything else
  // than the language's operations (not expected). Not while another thread evaluates.
  std::optional<UserMapProgram> Program() const;

  // The same formulas as machine code, once a compile has delivered it; null before, and
  // when it failed. Safe from any thread; cheap enough for every slice of a run.
  std::shared_ptr<const NativeUserMap> Native() const;
  // Whether machine code was asked for. The first `code` given is the one kept.
  bool NativeRequested() const;
  void ExpectNative(NativeCodeFuture code) const;

 private:
  struct Impl;
  explicit UserMapEvaluator(std::unique_ptr<Impl> impl) noexcept;
  friend UserMapCompilation CompileUserMap(const UserMapDefinition& definition, ConstantFolding folding);

  std::unique_ptr<Impl> impl_;
};

// The iteration routine of a user map: the model's evaluator with the model's k1 to k4.
// A model without an evaluator keeps the point, as for a point without an image.
MapImage UserMapRoutine(const MappingModel& model, double x, double y);

}  // namespace orbitra
