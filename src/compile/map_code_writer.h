// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "maps/native_code_format.h"
#include "maps/user_map_program.h"

namespace orbitra {

struct GccJitLibrary;

// GCC's JIT library, loaded from `file`; null with `failure` set when it cannot be.
std::shared_ptr<const GccJitLibrary> LoadGccJit(const std::string& file, std::string& failure);

// "libgccjit MAJOR.MINOR.PATCH", or what the library can tell of itself.
std::string GccJitVersion(const GccJitLibrary& jit);

// Writes the program as a shared object to `output` (see maps/native_code_format.h): the
// functions of runs, or the orbit diagram's lanes; with
// `key` as its orbitra_key. The code is strict IEEE: optimised (-O2) but without
// contraction into fused multiply-adds or any fast-math licence, library functions called
// through the loader's tables (never replaced by built-in expansions), operations in the
// formula's own order. Empty on success, otherwise why not.
std::string WriteMapCode(const GccJitLibrary& jit, const UserMapProgram& program, const std::string& key,
                         const std::vector<std::string>& extraOptions, const std::string& output,
                         NativeCodePart part = NativeCodePart::Run);

}  // namespace orbitra
