// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/lock_keys.h"

#include <fstream>
#include <string>
#include <system_error>

namespace orbitra {

namespace {

void Merge(std::optional<bool>& state, bool lit) { state = state.value_or(false) || lit; }

}  // namespace

LockKeyStates ReadLockKeyStates(const std::filesystem::path& ledsDir) {
  LockKeyStates states;
  std::error_code error;
  std::filesystem::directory_iterator entries(ledsDir, error);
  if (error) return states;
  for (const auto& entry : entries) {
    const std::string name = entry.path().filename().string();
    const auto colons = name.rfind("::");
    if (colons == std::string::npos) continue;
    const std::string light = name.substr(colons + 2);
    std::optional<bool>* state = light == "capslock"     ? &states.caps
                                 : light == "numlock"    ? &states.num
                                 : light == "scrolllock" ? &states.scroll
                                                         : nullptr;
    if (state == nullptr) continue;
    std::ifstream brightness(entry.path() / "brightness");
    int level = 0;
    if (brightness >> level) Merge(*state, level > 0);
  }
  return states;
}

}  // namespace orbitra
