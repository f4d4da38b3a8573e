// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "app/command_host.h"
#include "app/command_ids.h"
#include "platform/invalidation.h"

namespace orbitra {

// A handler does the command's work and says how the mapping window must repaint.
using CommandHandler = Invalidation (*)(CommandHost& host);

// Which bar or panel's visibility an item's check mark follows.
enum class CheckFollows { Nothing, Toolbar, StatusBar, OrbitInspector };

// One command of the menu or the toolbar. The frame builds every menu item and every
// toolbar button from these entries, in table order.
struct CommandEntry {
  CommandId id;
  std::string_view menu;     // top-level menu title; empty for a toolbar button
  std::string_view submenu;  // submenu title; empty when the item stands in the menu itself
  std::string_view text;     // menu item text with its mnemonic; empty for a toolbar button
  std::string_view prompt;   // status-bar prompt; empty for none
  bool separatorAfter;       // a separator (a gap on the toolbar) follows the entry
  std::string_view icon;     // resource path of a toolbar button's image
  CheckFollows check;
  CommandHandler handler;    // nullptr: the command is not available (shown disabled)
};

inline bool IsToolbarButton(const CommandEntry& entry) noexcept { return entry.menu.empty(); }

// Every command, the menu items first in menu order, then the toolbar buttons left to right.
std::span<const CommandEntry> CommandTable() noexcept;

// Whether a command stays available while the mapping window's work goes on, and whether
// it is available only then.
bool AvailableDuringWork(CommandId id) noexcept;
bool OnlyDuringWork(CommandId id) noexcept;

// The entry of a menu item or toolbar button with this id.
const CommandEntry* FindCommand(CommandId id) noexcept;

}  // namespace orbitra
