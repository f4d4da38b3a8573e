// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "maps/system_catalogue.h"
#include "platform/invalidation.h"
#include "platform/prompter.h"

namespace orbitra {

struct OrbitraState;

// The values of the "Mapping System Selection" dialog, in its member order.
struct SelectionDialogValues {
  int listPosition = 0;  // position i of the "System" list stands for system i + 1
  double k1 = 0.0;
  double k2 = 0.0;
  double k3 = 0.0;
  std::int32_t systemNumber = 1;
  double k4 = 0.0;
  int useDefaultRange = 1;
  std::string formulaLine1;
  std::string formulaLine2;
  // The routine and default range of the system last picked in the list; none at opening.
  std::optional<PendingSelection> pending;
  // The selected system when the dialog opened: a change of system deletes without asking.
  std::int32_t systemAtOpening = 1;
  // The user's maps as they were at opening; the list shows them after the built-in ones.
  UserMapTable userMaps;
};

// The names the "System" list holds: systems 1 to 10, then the user's maps, in order.
std::vector<std::string> SystemListNames(const SelectionDialogValues& values);

// The dialog as it opens: the model's system and parameters, its formula lines and the
// remembered "Use default graphics range ".
SelectionDialogValues PrepareSelectionDialog(const OrbitraState& state);

// The user picked list position i: the parameters, the number, the formula lines and the
// pending entry become those of system i + 1 (a user map's formulas with it); everything
// else in the dialog stays. The model is not touched. A position outside the list changes
// nothing.
void PickSystemInList(SelectionDialogValues& values, int position);

// "OK": commits the system and parameters, deletes stored points (without a question when
// the system changed), remembers the check box and, when it is ticked, gives the boxes
// the default range. The mapping window then repaints from a cleared picture.
Invalidation ApplySelectionDialog(OrbitraState& state, Prompter& prompter, const SelectionDialogValues& values);

}  // namespace orbitra
