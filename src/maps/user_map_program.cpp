// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/user_map_program.h"

#include <cstring>

namespace orbitra {

std::string UserMapProgram::Key() const {
  std::string key(sizeof helperCount, '\0');
  std::memcpy(key.data(), &helperCount, sizeof helperCount);
  char bytes[2 + sizeof(double)];
  for (const ProgramStep& step : steps) {
    bytes[0] = static_cast<char>(step.op);
    bytes[1] = static_cast<char>(step.index);
    std::memcpy(bytes + 2, &step.number, sizeof(double));
    key.append(bytes, sizeof bytes);
  }
  return key;
}

std::optional<UserMapProgram> UserMapProgram::FromKey(std::string_view key) {
  constexpr std::size_t kStep = 2 + sizeof(double);
  UserMapProgram program;
  if (key.size() < sizeof program.helperCount || (key.size() - sizeof program.helperCount) % kStep != 0) {
    return std::nullopt;
  }
  std::memcpy(&program.helperCount, key.data(), sizeof program.helperCount);
  for (std::size_t at = sizeof program.helperCount; at < key.size(); at += kStep) {
    ProgramStep step;
    if (static_cast<unsigned char>(key[at]) > static_cast<unsigned char>(ProgramStep::Op::EndIf)) return std::nullopt;
    step.op = static_cast<ProgramStep::Op>(key[at]);
    step.index = static_cast<std::uint8_t>(key[at + 1]);
    std::memcpy(&step.number, key.data() + at + 2, sizeof(double));
    program.steps.push_back(step);
  }
  return program;
}

}  // namespace orbitra
