// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

#include "explorer/orbitra_state.h"
#include "maps/user_map_definition.h"
#include "platform/invalidation.h"
#include "platform/prompter.h"

namespace orbitra {

// Start-up: the user's maps are read from "usermaps.txt" in the working directory. From
// a damaged file the maps that can be read are loaded, the first bad line is shown, and
// the file is left alone until the user saves a change.
void LoadUserMaps(OrbitraState& state, Prompter& prompter);

// The control of the map's form that a refusal points at, and the part to select there.
enum class MapField { Name, Helpers, XFormula, YFormula, Range };
struct MapFieldMark {
  MapField field = MapField::Name;
  int helperLine = 0;  // line of the helper text, for MapField::Helpers
  int column = 0;      // from 1; 0 for the whole text
  int length = 0;
};

// "Check": the image of (x0, y0) under the definition with its own parameters, or what
// is wrong in its formulas and where.
struct MapCheck {
  std::string text;                  // "x' = ...   y' = ..." or the fault
  std::optional<MapFieldMark> mark;  // where the fault is
};
MapCheck CheckUserMap(const UserMapDefinition& definition, double x0, double y0);

// Rewrites "usermaps.txt" with the table's maps; a damaged file is kept as a copy first.
// The failure is shown; true when the file now holds the table.
bool WriteUserMapTable(OrbitraState& state, Prompter& prompter, const UserMapTable& table);

// The position of the user map in use; nothing while a built-in map is selected.
std::optional<int> UserMapInUse(const OrbitraState& state) noexcept;

struct MapSaveOutcome {
  bool saved = false;
  std::optional<MapFieldMark> mark;                // what to correct, after a refusal
  Invalidation repaint = Invalidation::None;       // the map in use changed
};

// "Save": the definition (name and texts trimmed, blank helper lines dropped) becomes the
// user map at position `editing`, or a new one after the others. Refused with a message,
// and nothing written, for an empty, taken or built-in name, a faulty formula, an empty
// range or a full table. The file is rewritten; only when that worked does the program
// take the change. When the map in use is edited, whether to delete the points drawn with it
// is asked before anything is written (Cancel calls the saving off); the model then takes
// its new formulas and name.
MapSaveOutcome SaveUserMap(OrbitraState& state, Prompter& prompter, std::optional<int> editing,
                           const UserMapDefinition& definition);

// The user map of exactly this name becomes the map in use with all its defaults, and the
// boxes take its range, as a fresh picture of it needs (the command-line renderer, with
// the state's maps read from any map file). Stored points are left alone. False when no
// map has that name.
bool SelectUserMapByName(OrbitraState& state, std::string_view name);

// Closing "Define Map": a form without changes closes; one with changes asks whether to
// save them (Yes), throw them away (No) or stay (Cancel).
enum class UnsavedMapChoice { Save, Discard, Cancel };
UnsavedMapChoice AskAboutUnsavedMap(Prompter& prompter, bool changed, std::string_view name);

// "Delete" of the user map at position i, after the user agreed; refused for the map in
// use. Later maps move up one system index, the model's index with them. True when done.
bool DeleteUserMap(OrbitraState& state, Prompter& prompter, int i);

}  // namespace orbitra
