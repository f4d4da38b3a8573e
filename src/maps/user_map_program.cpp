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

}  // namespace orbitra
