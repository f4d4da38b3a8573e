// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "maps/world_geometry.h"
#include "platform/prompter.h"

namespace orbitra {

struct OrbitraState;

// The text of a rotation centre: "x, y" (or "x y"); empty for the automatic choice.
// Nothing when the text is neither.
std::optional<std::optional<WorldPoint>> ParseRotationCentre(std::string_view text);
std::string RotationCentreText(const std::optional<WorldPoint>& centre);

// The inspector's rotation centre from what the user typed; a text that is not a centre
// is refused with a message and changes nothing. Returns whether it was taken.
bool ChooseRotationCentre(OrbitraState& state, Prompter& prompter, std::string_view text);

}  // namespace orbitra
