// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "maps/native_code_format.h"
#include "maps/native_user_map.h"
#include "maps/user_map_program.h"

namespace orbitra {

// Whether this build can compile maps to machine code at all (it was built with GCC's JIT
// library at hand, and so with the helper program); without it every user map is
// evaluated by the expression library.
bool NativeCompilerBuilt() noexcept;

// The helper program that compiles, and where compiled code is kept.
struct NativeCompilerSettings {
  std::string library = "libgccjit.so.0";  // the JIT library the helper loads
  std::vector<std::string> extraOptions;    // given to the JIT compiler besides our own
  std::filesystem::path helper;             // empty: found beside the running program
  std::filesystem::path cacheFolder;        // empty: the user's, $XDG_CACHE_HOME/orbitra/maps
  std::filesystem::path temporaryFolder;    // for the helper's private folder; empty: the system's
  bool cache = true;                        // false: every compile runs the helper
  // When given and set, a helper that runs is ended at once (with what it started) and its
  // compile fails: for a program that no longer wants the code.
  const std::atomic<bool>* cancel = nullptr;
};

// The helper program's name.
inline constexpr const char* kCompileHelperName = "orbitra-compile-map";

// Machine code, or why there is none.
struct NativeCompilation {
  std::shared_ptr<const NativeUserMap> code;
  std::shared_ptr<const NativeLanes> lanes;  // instead of `code`, when the lanes were asked for
  std::string failure;     // set when there is no code
  bool fromCache = false;  // loaded from the cache folder, not compiled now
};

// Compiles user map programs to machine code out of process: the helper program
// orbitra-compile-map (see maps/native_code_format.h) writes a shared object, which is
// loaded here. Nothing the JIT library does can touch this process: a helper that fails,
// crashes or hangs (it is ended after a minute) gives a failure with its reason, and the
// private temporary folder it worked in is removed whatever happened. Compiled code is
// kept in the cache folder under the formula program and the compiler's version (and the
// helper's own file), so a map compiled once loads at once the next time. One compiler
// serves one thread at a time.
class NativeMapCompiler {
 public:
  // Finds the helper and asks it for the compiler's version.
  explicit NativeMapCompiler(NativeCompilerSettings settings = {});
  ~NativeMapCompiler();
  NativeMapCompiler(const NativeMapCompiler&) = delete;
  NativeMapCompiler& operator=(const NativeMapCompiler&) = delete;

  // Empty when compiling is possible; otherwise why it is not.
  const std::string& Unavailable() const noexcept { return unavailable_; }

  // The map's code for runs, or the orbit diagram's lanes (their own shared object, made
  // only when a diagram wants it: it doubles the time of a compile).
  NativeCompilation Compile(const UserMapProgram& program, NativeCodePart part = NativeCodePart::Run) const;

  // The helper beside `programFile` (the build folder), or in ../libexec/orbitra/ from it
  // (an installed layout); nothing when neither holds it.
  static std::optional<std::filesystem::path> FindHelper(const std::filesystem::path& programFile);

 private:
  NativeCompilerSettings settings_;
  std::filesystem::path helper_;
  std::filesystem::path cacheFolder_;  // empty: no cache
  std::string keyPrefix_;              // what the code depends on besides the program
  std::string unavailable_;
};

}  // namespace orbitra
