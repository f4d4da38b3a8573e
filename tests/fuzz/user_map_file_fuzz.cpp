// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the reader of "usermaps.txt" (run by scripts/fuzz-usermaps.sh; not
// part of the test suite). Any input must be read without a crash, and whatever maps it
// yields must be written and read back as exactly the same maps, with no fault.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "storage/user_map_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orbitra;
  const UserMapFileContents read = ParseUserMapText(std::string_view(reinterpret_cast<const char*>(data), size));
  std::vector<UserMapDefinition> definitions;
  for (const UserMap& map : read.maps) definitions.push_back(map.definition);
  const UserMapFileContents again = ParseUserMapText(FormatUserMapText(definitions));
  if (again.problem || again.maps.size() != definitions.size()) __builtin_trap();
  for (std::size_t i = 0; i < definitions.size(); ++i) {
    if (!(again.maps[i].definition == definitions[i])) __builtin_trap();
  }
  return 0;
}
