// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "maps/map_steps.h"
#include "maps/mapping_model.h"

namespace orbitra {

struct CatalogueEntry {
  std::string_view name;
  std::string_view formulaLine1;
  std::string_view formulaLine2;
  IterationRoutine routine = nullptr;
  double k1 = 0.0;
  double k2 = 0.0;
  double k3 = 0.0;
  double k4 = 0.0;
  WorldRange range;
};

inline constexpr int kNoMapping = 0;
inline constexpr int kFirstSystem = 1;
inline constexpr int kLastSystem = 10;
inline constexpr int kStandardMap = 1;

// Entry 0 is "No mapping", never offered; entries 1 to 10 are the maps, in list order.
extern const std::array<CatalogueEntry, 11> MappingCatalogue;

// The entry of index t, or entry 0 for an index outside the catalogue.
const CatalogueEntry& CatalogueAt(int t) noexcept;

struct SystemDefaults {
  IterationRoutine routine = nullptr;
  double k1 = 0.0;
  double k2 = 0.0;
  double k3 = 0.0;
  double k4 = 0.0;
  WorldRange DefaultRange;
  std::shared_ptr<const UserMapEvaluator> userMap = nullptr;  // the formulas of a user map
};

// What the selection dialog keeps for the system last picked in its list.
struct PendingSelection {
  IterationRoutine routine = nullptr;
  WorldRange DefaultRange;
  std::shared_ptr<const UserMapEvaluator> userMap = nullptr;
};

// Pure lookup of entry t (1 to 10).
SystemDefaults LoadSystemDefaults(int t) noexcept;

// CommitSelection of system_catalogue.h for a built-in system t.
void CommitSelection(MappingModel& model, std::string& xyBoxLabel, int t, double k1, double k2, double k3,
                     double k4, const std::optional<PendingSelection>& pending);

// The model with system t and all of its catalogue defaults.
void SelectSystemWithDefaults(MappingModel& model, int t);

// The model as every start of the program leaves it: "Standard Map" with its defaults.
void InitialiseMappingModel(MappingModel& model);

}  // namespace orbitra
