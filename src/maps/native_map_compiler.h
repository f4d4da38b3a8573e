#pragma once

#include <memory>
#include <string>
#include <vector>

#include "maps/native_user_map.h"
#include "maps/user_map_program.h"

namespace orbitra {

struct GccJitLibrary;

// Whether this build can compile maps to machine code at all (it was built with GCC's JIT
// library at hand); without it every user map is evaluated by the expression library.
bool NativeCompilerBuilt() noexcept;

// Where the JIT library comes from and what its command line gets besides our own options.
struct NativeCompilerSettings {
  std::string library = "libgccjit.so.0";
  std::vector<std::string> extraOptions;
};

// Machine code, or why there is none.
struct NativeCompilation {
  std::shared_ptr<const NativeUserMap> code;
  std::string failure;  // set when there is no code
};

// Compiles user map programs to machine code with GCC's JIT library, which is loaded when
// the compiler is made, so that a machine without it still runs every map. The code is
// strict IEEE: optimised (-O2) but without contraction into fused multiply-adds or any
// fast-math licence, library functions called through their addresses (never replaced by
// built-in expansions), operations in the formula's own order. One compiler serves one
// thread at a time.
class NativeMapCompiler {
 public:
  explicit NativeMapCompiler(NativeCompilerSettings settings = {});
  ~NativeMapCompiler();
  NativeMapCompiler(const NativeMapCompiler&) = delete;
  NativeMapCompiler& operator=(const NativeMapCompiler&) = delete;

  // Empty when the library is ready; otherwise why it is not.
  const std::string& Unavailable() const noexcept { return unavailable_; }

  NativeCompilation Compile(const UserMapProgram& program) const;

 private:
  NativeCompilerSettings settings_;
  std::shared_ptr<const GccJitLibrary> library_;
  std::string unavailable_;
};

}  // namespace orbitra
