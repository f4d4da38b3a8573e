// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <optional>

namespace orbitra {

// Whether the Caps, Num and Scroll locks are on; empty where the system cannot tell.
struct LockKeyStates {
  std::optional<bool> caps;
  std::optional<bool> num;
  std::optional<bool> scroll;
};

// Reads the keyboard lock lights the kernel exposes under ledsDir (one folder per light,
// named "<device>::capslock" and so on, with a "brightness" file). A lock counts as on
// when any keyboard's light is on. Without a readable light the state stays unknown.
LockKeyStates ReadLockKeyStates(const std::filesystem::path& ledsDir = "/sys/class/leds");

}  // namespace orbitra
