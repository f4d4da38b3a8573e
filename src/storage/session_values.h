// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <variant>

namespace orbitra {

// The values a session's groups hold as attributes: whole numbers, real numbers, texts.
using SessionValue = std::variant<std::int64_t, double, std::string>;
using SessionAttributes = std::map<std::string, SessionValue, std::less<>>;

}  // namespace orbitra
