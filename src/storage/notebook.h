// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace orbitra {

inline constexpr const char* kNotebookFileName = "usercomments.txt";

// The two lines a notebook entry adds: the map's name with k1 to k3, then the initial
// point, as "%s  k1=%f k2=%f k3=%f\n" and "x=%13.12lf  y=%13.12lf \n" print them.
std::string NotebookEntry(std::string_view mapName, double k1, double k2, double k3, double x0, double y0);

}  // namespace orbitra
