#pragma once

#include <memory>
#include <optional>

#include "maps/formula_error.h"
#include "maps/mapping_model.h"
#include "maps/user_map_definition.h"

namespace orbitra {

class UserMapEvaluator;

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
