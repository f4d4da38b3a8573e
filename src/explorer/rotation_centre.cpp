// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/rotation_centre.h"

#include <charconv>
#include <cmath>

#include "explorer/orbitra_state.h"

namespace orbitra {

namespace {

bool Blank(char c) noexcept { return c == ' ' || c == '\t'; }

// A finite number at the start of `text` (blanks before it skipped); the rest after it.
std::optional<double> TakeNumber(std::string_view& text) {
  while (!text.empty() && Blank(text.front())) text.remove_prefix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double v = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (error != std::errc() || !std::isfinite(v)) return std::nullopt;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return v;
}

}  // namespace

std::optional<std::optional<WorldPoint>> ParseRotationCentre(std::string_view text) {
  while (!text.empty() && Blank(text.back())) text.remove_suffix(1);
  while (!text.empty() && Blank(text.front())) text.remove_prefix(1);
  if (text.empty()) return std::optional<WorldPoint>{};
  const std::optional<double> x = TakeNumber(text);
  if (!x) return std::nullopt;
  while (!text.empty() && Blank(text.front())) text.remove_prefix(1);
  if (!text.empty() && text.front() == ',') text.remove_prefix(1);
  const std::optional<double> y = TakeNumber(text);
  if (!y || !text.empty()) return std::nullopt;
  return std::optional<WorldPoint>{WorldPoint{*x, *y}};
}

std::string RotationCentreText(const std::optional<WorldPoint>& centre) {
  if (!centre) return {};
  // The shortest digits that read back as the same numbers.
  char x[32], y[32];
  const auto xEnd = std::to_chars(x, x + sizeof x, centre->x).ptr;
  const auto yEnd = std::to_chars(y, y + sizeof y, centre->y).ptr;
  return std::string(x, xEnd) + ", " + std::string(y, yEnd);
}

bool ChooseRotationCentre(OrbitraState& state, Prompter& prompter, std::string_view text) {
  const std::optional<std::optional<WorldPoint>> centre = ParseRotationCentre(text);
  if (!centre) {
    prompter.ShowMessage("The rotation centre must be two numbers, x and y, or empty for the nearest elliptic fixed point.");
    return false;
  }
  state.Inspector.ChooseCentre(*centre);
  return true;
}

}  // namespace orbitra
