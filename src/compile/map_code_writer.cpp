// SPDX-License-Identifier: GPL-3.0-or-later
#include "compile/map_code_writer.h"

#include <dlfcn.h>
#include <libgccjit.h>

#include <array>
#include <string>
#include <vector>

#include "maps/native_code_format.h"

namespace orbitra {

// The functions of the JIT library that the writer calls.
#define ORBITRA_GCCJIT_FUNCTIONS(X)                                                                                \
  X(gcc_jit_context_acquire) X(gcc_jit_context_release) X(gcc_jit_context_set_int_option)                         \
  X(gcc_jit_context_add_command_line_option) X(gcc_jit_context_add_driver_option)                                 \
  X(gcc_jit_context_compile_to_file) X(gcc_jit_context_get_first_error) X(gcc_jit_context_get_type)               \
  X(gcc_jit_type_get_pointer) X(gcc_jit_type_get_const) X(gcc_jit_context_new_field)                              \
  X(gcc_jit_context_new_struct_type) X(gcc_jit_struct_as_type) X(gcc_jit_context_new_function_ptr_type)           \
  X(gcc_jit_context_new_param) X(gcc_jit_param_as_rvalue) X(gcc_jit_context_new_function)                         \
  X(gcc_jit_function_new_block) X(gcc_jit_function_new_local) X(gcc_jit_lvalue_as_rvalue)                         \
  X(gcc_jit_context_new_rvalue_from_int) X(gcc_jit_context_new_rvalue_from_double)                                \
  X(gcc_jit_context_new_unary_op) X(gcc_jit_context_new_binary_op) X(gcc_jit_context_new_comparison)               \
  X(gcc_jit_context_new_call_through_ptr) X(gcc_jit_context_new_cast) X(gcc_jit_context_new_array_access)          \
  X(gcc_jit_lvalue_access_field) X(gcc_jit_block_add_assignment) X(gcc_jit_block_end_with_conditional)             \
  X(gcc_jit_block_end_with_jump) X(gcc_jit_block_end_with_return) X(gcc_jit_context_new_global)                   \
  X(gcc_jit_context_new_array_type) X(gcc_jit_context_new_string_literal) X(gcc_jit_block_end_with_void_return)

// The library as loaded at run time: its handle and the addresses of its functions.
struct GccJitLibrary {
#define ORBITRA_GCCJIT_MEMBER(name) decltype(&::name) name = nullptr;
  ORBITRA_GCCJIT_FUNCTIONS(ORBITRA_GCCJIT_MEMBER)
#undef ORBITRA_GCCJIT_MEMBER
  // Newer than the rest; used where the library has them.
  decltype(&::gcc_jit_context_set_bool_print_errors_to_stderr) printErrors = nullptr;
  decltype(&::gcc_jit_version_major) versionMajor = nullptr;
  decltype(&::gcc_jit_version_minor) versionMinor = nullptr;
  decltype(&::gcc_jit_version_patchlevel) versionPatch = nullptr;
  void* handle = nullptr;

  GccJitLibrary() = default;
  GccJitLibrary(const GccJitLibrary&) = delete;
  GccJitLibrary& operator=(const GccJitLibrary&) = delete;
  ~GccJitLibrary() {
    if (handle != nullptr) dlclose(handle);
  }
};

std::shared_ptr<const GccJitLibrary> LoadGccJit(const std::string& file, std::string& failure) {
  auto jit = std::make_shared<GccJitLibrary>();
  jit->handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (jit->handle == nullptr) {
    const char* reason = dlerror();
    failure = reason != nullptr ? reason : "cannot load " + file;
    return nullptr;
  }
  bool complete = true;
#define ORBITRA_GCCJIT_LOOKUP(name)                                                 \
  jit->name = reinterpret_cast<decltype(jit->name)>(dlsym(jit->handle, #name)); \
  complete = complete && jit->name != nullptr;
  ORBITRA_GCCJIT_FUNCTIONS(ORBITRA_GCCJIT_LOOKUP)
#undef ORBITRA_GCCJIT_LOOKUP
  const auto optional = [&jit](auto& member, const char* name) {
    member = reinterpret_cast<std::remove_reference_t<decltype(member)>>(dlsym(jit->handle, name));
  };
  optional(jit->printErrors, "gcc_jit_context_set_bool_print_errors_to_stderr");
  optional(jit->versionMajor, "gcc_jit_version_major");
  optional(jit->versionMinor, "gcc_jit_version_minor");
  optional(jit->versionPatch, "gcc_jit_version_patchlevel");
  if (!complete) {
    failure = file + " lacks functions the program calls";
    return nullptr;
  }
  return jit;
}

std::string GccJitVersion(const GccJitLibrary& jit) {
  if (jit.versionMajor == nullptr || jit.versionMinor == nullptr || jit.versionPatch == nullptr) {
    return "libgccjit (version unknown)";
  }
  return "libgccjit " + std::to_string(jit.versionMajor()) + "." + std::to_string(jit.versionMinor()) + "." +
         std::to_string(jit.versionPatch());
}

namespace {

// The types every function uses, and the loader's tables of the C library's functions.
struct JitTypes {
  gcc_jit_type* real;
  gcc_jit_type* integer;
  gcc_jit_type* boolean;
  gcc_jit_type* unary;   // double (*)(double)
  gcc_jit_type* binary;  // double (*)(double, double)
  gcc_jit_type* image;   // MapImage
  gcc_jit_field* imageX;
  gcc_jit_field* imageY;
  gcc_jit_type* jacobian;  // MapJacobian
  std::array<gcc_jit_field*, 4> jacobianFields;
  gcc_jit_lvalue* unaryTable;
  gcc_jit_lvalue* binaryTable;
};

JitTypes MakeTypes(const GccJitLibrary& jit, gcc_jit_context* c) {
  JitTypes t{};
  t.real = jit.gcc_jit_context_get_type(c, GCC_JIT_TYPE_DOUBLE);
  t.integer = jit.gcc_jit_context_get_type(c, GCC_JIT_TYPE_INT);
  t.boolean = jit.gcc_jit_context_get_type(c, GCC_JIT_TYPE_BOOL);
  std::array<gcc_jit_type*, 2> two = {t.real, t.real};
  t.unary = jit.gcc_jit_context_new_function_ptr_type(c, nullptr, t.real, 1, two.data(), 0);
  t.binary = jit.gcc_jit_context_new_function_ptr_type(c, nullptr, t.real, 2, two.data(), 0);
  t.imageX = jit.gcc_jit_context_new_field(c, nullptr, t.real, "x");
  t.imageY = jit.gcc_jit_context_new_field(c, nullptr, t.real, "y");
  std::array<gcc_jit_field*, 2> fields = {t.imageX, t.imageY};
  t.image = jit.gcc_jit_struct_as_type(jit.gcc_jit_context_new_struct_type(c, nullptr, "image", 2, fields.data()));
  const char* const names[4] = {"dxdx", "dxdy", "dydx", "dydy"};
  for (int i = 0; i < 4; ++i) t.jacobianFields[i] = jit.gcc_jit_context_new_field(c, nullptr, t.real, names[i]);
  t.jacobian = jit.gcc_jit_struct_as_type(
      jit.gcc_jit_context_new_struct_type(c, nullptr, "jacobian", 4, t.jacobianFields.data()));
  t.unaryTable = jit.gcc_jit_context_new_global(
      c, nullptr, GCC_JIT_GLOBAL_EXPORTED, jit.gcc_jit_context_new_array_type(c, nullptr, t.unary, kUnarySlots),
      kUnaryTableSymbol);
  t.binaryTable = jit.gcc_jit_context_new_global(
      c, nullptr, GCC_JIT_GLOBAL_EXPORTED, jit.gcc_jit_context_new_array_type(c, nullptr, t.binary, kBinarySlots),
      kBinaryTableSymbol);
  return t;
}

// A value of the formulas; with its derivatives by x and y when the function differentiates
// (null otherwise), and whether it is constant by the formulas' structure (see
// UserMapJacobian: its derivatives are 0 and take no part in any product).
struct Value {
  gcc_jit_rvalue* v;
  gcc_jit_rvalue* dx = nullptr;
  gcc_jit_rvalue* dy = nullptr;
  bool constant = true;
};

// Writes one function's body. Every value the formulas compute goes into a local of its
// own, in the formulas' order, so that each operation and call happens exactly once and
// where the formulas have it; the optimiser keeps the locals in registers. A function
// that differentiates computes the derivatives exactly as UserMapJacobian does, operation
// for operation.
class FormulaEmitter {
 public:
  FormulaEmitter(const GccJitLibrary& jit, gcc_jit_context* context, const JitTypes& types,
                 gcc_jit_function* function, gcc_jit_block* block, bool dual)
      : jit_(jit), c_(context), t_(types), f_(function), block_(block), dual_(dual) {}

  gcc_jit_block* Block() const noexcept { return block_; }
  void SetBlock(gcc_jit_block* block) noexcept { block_ = block; }

  gcc_jit_lvalue* Local(gcc_jit_type* type) {
    const std::string name = "v" + std::to_string(locals_++);
    return jit_.gcc_jit_function_new_local(f_, nullptr, type, name.c_str());
  }
  gcc_jit_rvalue* Read(gcc_jit_lvalue* local) { return jit_.gcc_jit_lvalue_as_rvalue(local); }
  void Set(gcc_jit_lvalue* local, gcc_jit_rvalue* value) {
    jit_.gcc_jit_block_add_assignment(block_, nullptr, local, value);
  }
  gcc_jit_rvalue* Keep(gcc_jit_rvalue* value) {
    gcc_jit_lvalue* local = Local(t_.real);
    Set(local, value);
    return Read(local);
  }
  gcc_jit_rvalue* Number(double v) { return jit_.gcc_jit_context_new_rvalue_from_double(c_, t_.real, v); }
  gcc_jit_rvalue* Integer(int v) { return jit_.gcc_jit_context_new_rvalue_from_int(c_, t_.integer, v); }
  gcc_jit_block* NewBlock() { return jit_.gcc_jit_function_new_block(f_, nullptr); }
  void JumpTo(gcc_jit_block* next) {
    jit_.gcc_jit_block_end_with_jump(block_, nullptr, next);
    block_ = next;
  }
  void Branch(gcc_jit_rvalue* condition, gcc_jit_block* yes, gcc_jit_block* no) {
    jit_.gcc_jit_block_end_with_conditional(block_, nullptr, condition, yes, no);
  }
  gcc_jit_rvalue* Compare(gcc_jit_comparison op, gcc_jit_rvalue* a, gcc_jit_rvalue* b) {
    return jit_.gcc_jit_context_new_comparison(c_, nullptr, op, a, b);
  }
  gcc_jit_rvalue* Arithmetic(gcc_jit_binary_op op, gcc_jit_rvalue* a, gcc_jit_rvalue* b) {
    return Keep(jit_.gcc_jit_context_new_binary_op(c_, nullptr, op, t_.real, a, b));
  }
  gcc_jit_rvalue* Plus(gcc_jit_rvalue* a, gcc_jit_rvalue* b) { return Arithmetic(GCC_JIT_BINARY_OP_PLUS, a, b); }
  gcc_jit_rvalue* Minus(gcc_jit_rvalue* a, gcc_jit_rvalue* b) { return Arithmetic(GCC_JIT_BINARY_OP_MINUS, a, b); }
  gcc_jit_rvalue* Times(gcc_jit_rvalue* a, gcc_jit_rvalue* b) { return Arithmetic(GCC_JIT_BINARY_OP_MULT, a, b); }
  gcc_jit_rvalue* Over(gcc_jit_rvalue* a, gcc_jit_rvalue* b) { return Arithmetic(GCC_JIT_BINARY_OP_DIVIDE, a, b); }
  gcc_jit_rvalue* Unary(gcc_jit_unary_op op, gcc_jit_rvalue* a) {
    return Keep(jit_.gcc_jit_context_new_unary_op(c_, nullptr, op, t_.real, a));
  }
  gcc_jit_rvalue* Negative(gcc_jit_rvalue* a) { return Unary(GCC_JIT_UNARY_OP_MINUS, a); }
  // 1 or 0, as the expression library turns a truth into a number.
  gcc_jit_rvalue* Truth(gcc_jit_rvalue* truth) {
    return Keep(jit_.gcc_jit_context_new_cast(c_, nullptr, jit_.gcc_jit_context_new_cast(c_, nullptr, truth, t_.integer),
                                              t_.real));
  }
  gcc_jit_rvalue* Both(gcc_jit_binary_op op, gcc_jit_rvalue* a, gcc_jit_rvalue* b) {
    const gcc_jit_comparison nonZero = GCC_JIT_COMPARISON_NE;
    return Truth(jit_.gcc_jit_context_new_binary_op(c_, nullptr, op, t_.boolean, Compare(nonZero, a, Number(0.0)),
                                                    Compare(nonZero, b, Number(0.0))));
  }
  // A call through the loader's table: the very function the expression library calls,
  // never a built-in that the compiler might expand or fold its own way.
  gcc_jit_rvalue* CallSlot(gcc_jit_lvalue* table, int slot, std::vector<gcc_jit_rvalue*> arguments) {
    gcc_jit_rvalue* address = jit_.gcc_jit_lvalue_as_rvalue(
        jit_.gcc_jit_context_new_array_access(c_, nullptr, jit_.gcc_jit_lvalue_as_rvalue(table), Integer(slot)));
    return Keep(jit_.gcc_jit_context_new_call_through_ptr(c_, nullptr, address, static_cast<int>(arguments.size()),
                                                         arguments.data()));
  }
  gcc_jit_rvalue* Call(int slot, gcc_jit_rvalue* a) { return CallSlot(t_.unaryTable, slot, {a}); }
  gcc_jit_rvalue* Call(int slot, gcc_jit_rvalue* a, gcc_jit_rvalue* b) {
    return CallSlot(t_.binaryTable, slot, {a, b});
  }
  gcc_jit_rvalue* Call(FormulaFunction f, gcc_jit_rvalue* a) { return Call(static_cast<int>(f), a); }

  // condition ? yes() : no(), each side emitted in a block of its own.
  template <class Yes, class No>
  gcc_jit_rvalue* Choose(gcc_jit_rvalue* condition, Yes yes, No no) {
    gcc_jit_lvalue* result = Local(t_.real);
    gcc_jit_block* yesBlock = NewBlock();
    gcc_jit_block* noBlock = NewBlock();
    gcc_jit_block* join = NewBlock();
    Branch(condition, yesBlock, noBlock);
    block_ = yesBlock;
    Set(result, yes());
    JumpTo(join);
    block_ = noBlock;
    Set(result, no());
    JumpTo(join);
    return Read(result);
  }

  // ReduceModulo of map_steps.h, written out: its quick path, else fmod, then the shift.
  gcc_jit_rvalue* Modulo(gcc_jit_rvalue* v, gcc_jit_rvalue* period) {
    gcc_jit_rvalue* negative = Negative(period);
    gcc_jit_rvalue* twice = Times(Number(2.0), period);
    gcc_jit_rvalue* near = jit_.gcc_jit_context_new_binary_op(c_, nullptr, GCC_JIT_BINARY_OP_LOGICAL_AND, t_.boolean,
                                                              Compare(GCC_JIT_COMPARISON_GT, v, negative),
                                                              Compare(GCC_JIT_COMPARISON_LT, v, twice));
    gcc_jit_rvalue* r = Choose(
        near,
        [&] {
          gcc_jit_rvalue* shift = Choose(
              Compare(GCC_JIT_COMPARISON_GE, v, period), [&] { return period; }, [&] { return Number(0.0); });
          return Minus(v, shift);
        },
        [&] { return Call(kFmodSlot, v, period); });
    return Choose(
        Compare(GCC_JIT_COMPARISON_LT, r, Number(0.0)), [&] { return Plus(r, period); }, [&] { return r; });
  }

  // 1 or -1 by the sign; zeros and not-a-number as they are.
  gcc_jit_rvalue* Sign(gcc_jit_rvalue* v) {
    return Choose(
        Compare(GCC_JIT_COMPARISON_GT, v, Number(0.0)), [&] { return Number(1.0); },
        [&] {
          return Choose(
              Compare(GCC_JIT_COMPARISON_LT, v, Number(0.0)), [&] { return Number(-1.0); }, [&] { return v; });
        });
  }

  Value Constant(gcc_jit_rvalue* v) {
    if (!dual_) return {v};
    return {v, Number(0.0), Number(0.0), true};
  }
  Value Varying(gcc_jit_rvalue* v, gcc_jit_rvalue* dx, gcc_jit_rvalue* dy) { return {v, dx, dy, false}; }
  Value Chain(gcc_jit_rvalue* value, const Value& a, gcc_jit_rvalue* slope) {
    return Varying(value, Times(slope, a.dx), Times(slope, a.dy));
  }
  // d(a - b*q), q the whole periods taken off: only where b's derivative is not 0.
  gcc_jit_rvalue* LessMultiple(gcc_jit_rvalue* da, gcc_jit_rvalue* db, const Value& a, const Value& b,
                               gcc_jit_rvalue* value) {
    return Choose(
        Compare(GCC_JIT_COMPARISON_EQ, db, Number(0.0)), [&] { return da; },
        [&] { return Minus(da, Times(Call(kNearbyintSlot, Over(Minus(a.v, value), b.v)), db)); });
  }
  gcc_jit_rvalue* PowerDerivative(const Value& a, const Value& b, gcc_jit_rvalue* value, gcc_jit_rvalue* da,
                                  gcc_jit_rvalue* db) {
    gcc_jit_rvalue* none = Number(0.0);
    gcc_jit_rvalue* first =
        a.constant ? none
                   : Choose(
                         Compare(GCC_JIT_COMPARISON_NE, da, Number(0.0)),
                         [&] { return Plus(none, Times(Times(b.v, Call(kPowSlot, a.v, Minus(b.v, Number(1.0)))), da)); },
                         [&] { return none; });
    if (b.constant) return first;
    return Choose(
        Compare(GCC_JIT_COMPARISON_NE, db, Number(0.0)),
        [&] { return Plus(first, Times(Times(value, Call(FormulaFunction::Log, a.v)), db)); },
        [&] { return first; });
  }

  Value Function(FormulaFunction f, const Value& a, const Value& b) {
    using F = FormulaFunction;
    gcc_jit_rvalue* value = nullptr;
    switch (f) {
      case F::Negate: value = Negative(a.v); break;
      case F::Plus: value = a.v; break;
      case F::Abs: value = Unary(GCC_JIT_UNARY_OP_ABS, a.v); break;
      case F::Sign: value = Sign(a.v); break;
      case F::Mod: value = Modulo(a.v, b.v); break;
      default:
        value = TakesTwoArguments(f) ? Call(static_cast<int>(f), a.v, b.v) : Call(f, a.v);
        break;
    }
    if (!dual_) return {value};
    if (a.constant && (!TakesTwoArguments(f) || b.constant)) return Constant(value);
    switch (f) {
      case F::Atan2: {
        gcc_jit_rvalue* r = Plus(Times(a.v, a.v), Times(b.v, b.v));
        return Varying(value, Over(Minus(Times(b.v, a.dx), Times(a.v, b.dx)), r),
                       Over(Minus(Times(b.v, a.dy), Times(a.v, b.dy)), r));
      }
      case F::Min:
      case F::Max: {
        gcc_jit_rvalue* first = Compare(GCC_JIT_COMPARISON_EQ, value, a.v);
        return Varying(value, Choose(first, [&] { return a.dx; }, [&] { return b.dx; }),
                       Choose(first, [&] { return a.dy; }, [&] { return b.dy; }));
      }
      case F::Mod:
        if (b.constant) return Varying(value, a.dx, a.dy);
        return Varying(value, LessMultiple(a.dx, b.dx, a, b, value), LessMultiple(a.dy, b.dy, a, b, value));
      case F::Sin: return Chain(value, a, Call(F::Cos, a.v));
      case F::Cos: return Chain(value, a, Negative(Call(F::Sin, a.v)));
      case F::Tan: return Chain(value, a, Plus(Number(1.0), Times(value, value)));
      case F::Asin: return Chain(value, a, Over(Number(1.0), Call(F::Sqrt, Minus(Number(1.0), Times(a.v, a.v)))));
      case F::Acos: return Chain(value, a, Over(Number(-1.0), Call(F::Sqrt, Minus(Number(1.0), Times(a.v, a.v)))));
      case F::Atan: return Chain(value, a, Over(Number(1.0), Plus(Number(1.0), Times(a.v, a.v))));
      case F::Sinh: return Chain(value, a, Call(F::Cosh, a.v));
      case F::Cosh: return Chain(value, a, Call(F::Sinh, a.v));
      case F::Tanh: return Chain(value, a, Minus(Number(1.0), Times(value, value)));
      case F::Exp: return Chain(value, a, value);
      case F::Log: return Chain(value, a, Over(Number(1.0), a.v));
      case F::Log10: return Chain(value, a, Over(Number(1.0), Times(a.v, Number(2.302585092994046))));
      case F::Sqrt: return Chain(value, a, Over(Number(0.5), value));
      case F::Abs:
        return Chain(value, a, Choose(
                                   Compare(GCC_JIT_COMPARISON_LT, a.v, Number(0.0)), [&] { return Number(-1.0); },
                                   [&] { return Number(1.0); }));
      case F::Negate: return Varying(value, Negative(a.dx), Negative(a.dy));
      case F::Plus: return Varying(value, a.dx, a.dy);
      default: return Constant(value);  // floor, ceil, sign
    }
  }

  Value Arithmetic(ProgramStep::Op op, const Value& a, const Value& b) {
    using Op = ProgramStep::Op;
    const bool constant = !dual_ || (a.constant && b.constant);
    switch (op) {
      case Op::Add:
        if (constant) return Constant(Plus(a.v, b.v));
        return Varying(Plus(a.v, b.v), Plus(a.dx, b.dx), Plus(a.dy, b.dy));
      case Op::Subtract:
        if (constant) return Constant(Minus(a.v, b.v));
        return Varying(Minus(a.v, b.v), Minus(a.dx, b.dx), Minus(a.dy, b.dy));
      case Op::Multiply: {
        gcc_jit_rvalue* p = Times(a.v, b.v);
        if (constant) return Constant(p);
        if (a.constant) return Varying(p, Times(a.v, b.dx), Times(a.v, b.dy));
        if (b.constant) return Varying(p, Times(b.v, a.dx), Times(b.v, a.dy));
        return Varying(p, Plus(Times(a.v, b.dx), Times(b.v, a.dx)), Plus(Times(a.v, b.dy), Times(b.v, a.dy)));
      }
      case Op::Divide: {
        gcc_jit_rvalue* q = Over(a.v, b.v);
        if (constant) return Constant(q);
        if (b.constant) return Varying(q, Over(a.dx, b.v), Over(a.dy, b.v));
        return Varying(q, Over(Minus(a.dx, Times(q, b.dx)), b.v), Over(Minus(a.dy, Times(q, b.dy)), b.v));
      }
      default: {  // Power
        gcc_jit_rvalue* p = Call(kPowSlot, a.v, b.v);
        if (constant) return Constant(p);
        return Varying(p, PowerDerivative(a, b, p, a.dx, b.dx), PowerDerivative(a, b, p, a.dy, b.dy));
      }
    }
  }

  // Locals for a value (and its derivatives), and their reading and writing.
  struct Slot {
    gcc_jit_lvalue* v;
    gcc_jit_lvalue* dx;
    gcc_jit_lvalue* dy;
    bool constant = true;  // of the value stored last
  };
  Slot NewSlot() {
    if (!dual_) return {Local(t_.real), nullptr, nullptr};
    return {Local(t_.real), Local(t_.real), Local(t_.real)};
  }
  void Store(Slot& slot, const Value& value) {
    slot.constant = value.constant;
    Set(slot.v, value.v);
    if (dual_) {
      Set(slot.dx, value.dx);
      Set(slot.dy, value.dy);
    }
  }
  Value Load(const Slot& slot) {
    if (!dual_) return {Read(slot.v)};
    return {Read(slot.v), Read(slot.dx), Read(slot.dy), slot.constant};
  }

  // Emits the program with `inputs` for x, y and k1 to k4; x' and y' go to `image`.
  // False when the program does not read as formulas do (nothing is then usable).
  bool Emit(const UserMapProgram& program, const std::array<Value, kFirstProgramHelper>& inputs,
            std::array<Value, 2>& image) {
    using Op = ProgramStep::Op;
    if (program.helperCount < 0 || program.helperCount > 200) return false;
    std::vector<Slot> helpers;
    for (int i = 0; i < program.helperCount; ++i) helpers.push_back(NewSlot());
    struct Choice {
      Slot result;
      gcc_jit_block* no;
      gcc_jit_block* join;
      std::size_t depth;
      bool inNo;
      bool yesConstant;  // a choice is constant when both its branches are
    };
    std::vector<Choice> choices;
    std::vector<Value> stack;
    const auto pop = [&stack] {
      Value top = stack.back();
      stack.pop_back();
      return top;
    };
    for (const ProgramStep& step : program.steps) {
      const std::size_t needed = step.op == Op::Number || step.op == Op::Variable || step.op == Op::Else ||
                                         step.op == Op::EndIf
                                     ? 0
                                 : step.op == Op::If ? 1
                                 : step.op == Op::Call && step.index < kFormulaFunctionCount &&
                                         !TakesTwoArguments(static_cast<FormulaFunction>(step.index))
                                     ? 1
                                     : 2;
      if (stack.size() < needed) return false;
      switch (step.op) {
        case Op::Number:
          stack.push_back(Constant(Number(step.number)));
          break;
        case Op::Variable:
        case Op::Assign: {
          if (step.index >= kFirstProgramHelper + helpers.size()) return false;
          if (step.op == Op::Variable) {
            stack.push_back(step.index < kFirstProgramHelper ? inputs[step.index]
                                                             : Load(helpers[step.index - kFirstProgramHelper]));
            break;
          }
          if (step.index < kFirstProgramHelper) return false;
          const Value value = pop();
          pop();  // the variable's own entry
          Slot& helper = helpers[step.index - kFirstProgramHelper];
          Store(helper, value);
          stack.push_back(Load(helper));
          break;
        }
        case Op::Add:
        case Op::Subtract:
        case Op::Multiply:
        case Op::Divide:
        case Op::Power: {
          const Value b = pop();
          const Value a = pop();
          stack.push_back(Arithmetic(step.op, a, b));
          break;
        }
        case Op::Less:
        case Op::LessEqual:
        case Op::Greater:
        case Op::GreaterEqual:
        case Op::Equal:
        case Op::NotEqual: {
          const Value b = pop();
          const Value a = pop();
          const gcc_jit_comparison op = step.op == Op::Less           ? GCC_JIT_COMPARISON_LT
                                        : step.op == Op::LessEqual    ? GCC_JIT_COMPARISON_LE
                                        : step.op == Op::Greater      ? GCC_JIT_COMPARISON_GT
                                        : step.op == Op::GreaterEqual ? GCC_JIT_COMPARISON_GE
                                        : step.op == Op::Equal        ? GCC_JIT_COMPARISON_EQ
                                                                      : GCC_JIT_COMPARISON_NE;
          stack.push_back(Constant(Truth(Compare(op, a.v, b.v))));
          break;
        }
        case Op::And:
        case Op::Or: {
          const Value b = pop();
          const Value a = pop();
          stack.push_back(Constant(
              Both(step.op == Op::And ? GCC_JIT_BINARY_OP_LOGICAL_AND : GCC_JIT_BINARY_OP_LOGICAL_OR, a.v, b.v)));
          break;
        }
        case Op::Call: {
          if (step.index >= kFormulaFunctionCount) return false;
          const auto f = static_cast<FormulaFunction>(step.index);
          const Value b = TakesTwoArguments(f) ? pop() : Value{nullptr};
          const Value a = pop();
          stack.push_back(Function(f, a, b));
          break;
        }
        case Op::If: {
          // The library takes the first branch unless the condition equals 0.
          gcc_jit_rvalue* condition = Compare(GCC_JIT_COMPARISON_NE, pop().v, Number(0.0));
          Choice choice{NewSlot(), NewBlock(), NewBlock(), stack.size(), false, true};
          gcc_jit_block* yes = NewBlock();
          Branch(condition, yes, choice.no);
          block_ = yes;
          choices.push_back(choice);
          break;
        }
        case Op::Else:
        case Op::EndIf: {
          if (choices.empty() || choices.back().inNo != (step.op == Op::EndIf)) return false;
          Choice& choice = choices.back();
          if (stack.size() != choice.depth + 1) return false;
          const Value value = pop();
          Store(choice.result, value);
          JumpTo(choice.join);
          if (step.op == Op::Else) {
            block_ = choice.no;
            choice.inNo = true;
            choice.yesConstant = value.constant;
          } else {
            Value chosen = Load(choice.result);
            chosen.constant = choice.yesConstant && value.constant;
            stack.push_back(chosen);
            choices.pop_back();
          }
          break;
        }
      }
    }
    if (!choices.empty() || stack.size() != static_cast<std::size_t>(program.helperCount) + 2) return false;
    image = {stack[stack.size() - 2], stack[stack.size() - 1]};
    return true;
  }

 private:
  const GccJitLibrary& jit_;
  gcc_jit_context* c_;
  const JitTypes& t_;
  gcc_jit_function* f_;
  gcc_jit_block* block_;
  const bool dual_;
  int locals_ = 0;
};

// MapImage step(x, y, k1, k2, k3, k4), or with `dual` MapJacobian jacobian(the same).
bool WritePointFunction(const GccJitLibrary& jit, gcc_jit_context* c, const JitTypes& t,
                        const UserMapProgram& program, bool dual) {
  std::array<gcc_jit_param*, kFirstProgramHelper> params{};
  const char* const names[kFirstProgramHelper] = {"x", "y", "k1", "k2", "k3", "k4"};
  for (int i = 0; i < kFirstProgramHelper; ++i) params[i] = jit.gcc_jit_context_new_param(c, nullptr, t.real, names[i]);
  gcc_jit_function* f =
      jit.gcc_jit_context_new_function(c, nullptr, GCC_JIT_FUNCTION_EXPORTED, dual ? t.jacobian : t.image,
                                       dual ? kJacobianSymbol : kStepSymbol, kFirstProgramHelper, params.data(), 0);
  FormulaEmitter e(jit, c, t, f, jit.gcc_jit_function_new_block(f, nullptr), dual);
  std::array<Value, kFirstProgramHelper> inputs{};
  for (int i = 0; i < kFirstProgramHelper; ++i) inputs[i] = e.Constant(jit.gcc_jit_param_as_rvalue(params[i]));
  if (dual) {
    inputs[kProgramX].dx = e.Number(1.0);
    inputs[kProgramY].dy = e.Number(1.0);
    inputs[kProgramX].constant = inputs[kProgramY].constant = false;
  }
  std::array<Value, 2> image{};
  if (!e.Emit(program, inputs, image)) return false;
  if (dual) {
    gcc_jit_lvalue* result = e.Local(t.jacobian);
    gcc_jit_rvalue* const entries[4] = {image[0].dx, image[0].dy, image[1].dx, image[1].dy};
    for (int i = 0; i < 4; ++i) e.Set(jit.gcc_jit_lvalue_access_field(result, nullptr, t.jacobianFields[i]), entries[i]);
    jit.gcc_jit_block_end_with_return(e.Block(), nullptr, e.Read(result));
  } else {
    gcc_jit_lvalue* result = e.Local(t.image);
    e.Set(jit.gcc_jit_lvalue_access_field(result, nullptr, t.imageX), e.Keep(image[0].v));
    e.Set(jit.gcc_jit_lvalue_access_field(result, nullptr, t.imageY), e.Keep(image[1].v));
    jit.gcc_jit_block_end_with_return(e.Block(), nullptr, e.Read(result));
  }
  return true;
}

// int block(double x, double y, const double* k, double infinity, int count, MapImage* images)
bool WriteBlockFunction(const GccJitLibrary& jit, gcc_jit_context* c, const JitTypes& t,
                        const UserMapProgram& program) {
  gcc_jit_type* constReal = jit.gcc_jit_type_get_pointer(jit.gcc_jit_type_get_const(t.real));
  std::array<gcc_jit_param*, 6> params = {
      jit.gcc_jit_context_new_param(c, nullptr, t.real, "x0"),
      jit.gcc_jit_context_new_param(c, nullptr, t.real, "y0"),
      jit.gcc_jit_context_new_param(c, nullptr, constReal, "k"),
      jit.gcc_jit_context_new_param(c, nullptr, t.real, "infinity"),
      jit.gcc_jit_context_new_param(c, nullptr, t.integer, "count"),
      jit.gcc_jit_context_new_param(c, nullptr, jit.gcc_jit_type_get_pointer(t.image), "images")};
  gcc_jit_function* f = jit.gcc_jit_context_new_function(c, nullptr, GCC_JIT_FUNCTION_EXPORTED, t.integer,
                                                         kBlockSymbol, 6, params.data(), 0);
  const auto param = [&](int i) { return jit.gcc_jit_param_as_rvalue(params[i]); };
  FormulaEmitter e(jit, c, t, f, jit.gcc_jit_function_new_block(f, nullptr), false);
  // Everything the loop reads lives in locals, which calls cannot change.
  gcc_jit_lvalue* x = e.Local(t.real);
  gcc_jit_lvalue* y = e.Local(t.real);
  gcc_jit_lvalue* i = e.Local(t.integer);
  e.Set(x, param(0));
  e.Set(y, param(1));
  e.Set(i, e.Integer(0));
  std::array<Value, kFirstProgramHelper> inputs{Value{e.Read(x)}, Value{e.Read(y)}};
  for (int n = 0; n < 4; ++n) {
    inputs[kProgramK1 + n] = Value{e.Keep(
        jit.gcc_jit_lvalue_as_rvalue(jit.gcc_jit_context_new_array_access(c, nullptr, param(2), e.Integer(n))))};
  }
  gcc_jit_block* test = e.NewBlock();
  gcc_jit_block* body = e.NewBlock();
  gcc_jit_block* store = e.NewBlock();
  gcc_jit_block* done = e.NewBlock();
  e.JumpTo(test);
  e.Branch(e.Compare(GCC_JIT_COMPARISON_LT, e.Read(i), param(4)), body, done);
  e.SetBlock(body);
  std::array<Value, 2> image{};
  if (!e.Emit(program, inputs, image)) return false;
  gcc_jit_rvalue* ix = e.Keep(image[0].v);
  gcc_jit_rvalue* iy = e.Keep(image[1].v);
  // The run loop's escape test, as it computes it.
  gcc_jit_rvalue* square = e.Plus(e.Times(ix, ix), e.Times(iy, iy));
  e.Branch(e.Compare(GCC_JIT_COMPARISON_GT, square, param(3)), done, store);
  e.SetBlock(store);
  gcc_jit_lvalue* slot = jit.gcc_jit_context_new_array_access(c, nullptr, param(5), e.Read(i));
  e.Set(jit.gcc_jit_lvalue_access_field(slot, nullptr, t.imageX), ix);
  e.Set(jit.gcc_jit_lvalue_access_field(slot, nullptr, t.imageY), iy);
  e.Set(x, ix);
  e.Set(y, iy);
  e.Set(i, jit.gcc_jit_context_new_binary_op(c, nullptr, GCC_JIT_BINARY_OP_PLUS, t.integer, e.Read(i), e.Integer(1)));
  jit.gcc_jit_block_end_with_jump(e.Block(), nullptr, test);
  jit.gcc_jit_block_end_with_return(done, nullptr, e.Read(i));
  return true;
}

// void lanes(double* x, double* y, const double* k, double infinity, int count,
//            double* escaped, double* points): the lanes live in local arrays, which nothing
// else can reach, and an inner loop runs the formulas (written once) across them, so that
// the compiler may put neighbouring lanes in one vector register (the escape mark is a
// choice it turns into a select).
bool WriteLanesFunction(const GccJitLibrary& jit, gcc_jit_context* c, const JitTypes& t,
                        const UserMapProgram& program) {
  gcc_jit_type* realPointer = jit.gcc_jit_type_get_pointer(t.real);
  gcc_jit_type* constReal = jit.gcc_jit_type_get_pointer(jit.gcc_jit_type_get_const(t.real));
  std::array<gcc_jit_param*, 7> params = {jit.gcc_jit_context_new_param(c, nullptr, realPointer, "x"),
                                          jit.gcc_jit_context_new_param(c, nullptr, realPointer, "y"),
                                          jit.gcc_jit_context_new_param(c, nullptr, constReal, "k"),
                                          jit.gcc_jit_context_new_param(c, nullptr, t.real, "infinity"),
                                          jit.gcc_jit_context_new_param(c, nullptr, t.integer, "count"),
                                          jit.gcc_jit_context_new_param(c, nullptr, realPointer, "escaped"),
                                          jit.gcc_jit_context_new_param(c, nullptr, realPointer, "points")};
  gcc_jit_function* f =
      jit.gcc_jit_context_new_function(c, nullptr, GCC_JIT_FUNCTION_EXPORTED,
                                       jit.gcc_jit_context_get_type(c, GCC_JIT_TYPE_VOID), kLanesSymbol, 7,
                                       params.data(), 0);
  const auto param = [&](int i) { return jit.gcc_jit_param_as_rvalue(params[i]); };
  FormulaEmitter e(jit, c, t, f, jit.gcc_jit_function_new_block(f, nullptr), false);
  const auto element = [&](gcc_jit_rvalue* array, gcc_jit_rvalue* index) {
    return jit.gcc_jit_context_new_array_access(c, nullptr, array, index);
  };
  const auto integer = [&](gcc_jit_binary_op op, gcc_jit_rvalue* a, gcc_jit_rvalue* b) {
    return jit.gcc_jit_context_new_binary_op(c, nullptr, op, t.integer, a, b);
  };
  gcc_jit_type* lanesOfReal = jit.gcc_jit_context_new_array_type(c, nullptr, t.real, kNativeLanes);
  gcc_jit_rvalue* const x = e.Read(e.Local(lanesOfReal));
  gcc_jit_rvalue* const y = e.Read(e.Local(lanesOfReal));
  gcc_jit_rvalue* const out = e.Read(e.Local(lanesOfReal));
  std::array<gcc_jit_rvalue*, 4> k{};
  for (gcc_jit_rvalue*& parameter : k) parameter = e.Read(e.Local(lanesOfReal));
  gcc_jit_lvalue* i = e.Local(t.integer);
  gcc_jit_lvalue* l = e.Local(t.integer);
  gcc_jit_lvalue* mark = e.Local(t.real);
  const auto at = [&](gcc_jit_rvalue* array) { return element(array, e.Read(l)); };
  const auto value = [&](gcc_jit_lvalue* place) { return jit.gcc_jit_lvalue_as_rvalue(place); };
  // A loop over the lanes, its body written by `write`.
  const auto overLanes = [&](const auto& write) {
    gcc_jit_block* body = e.NewBlock();
    gcc_jit_block* after = e.NewBlock();
    e.Set(l, e.Integer(0));
    e.JumpTo(body);
    if (!write()) return false;
    e.Set(l, integer(GCC_JIT_BINARY_OP_PLUS, e.Read(l), e.Integer(1)));
    e.Branch(e.Compare(GCC_JIT_COMPARISON_LT, e.Read(l), e.Integer(kNativeLanes)), body, after);
    e.SetBlock(after);
    return true;
  };
  const auto laneOf = [&](int p, int offset) {
    return value(element(param(p), integer(GCC_JIT_BINARY_OP_PLUS, e.Read(l), e.Integer(offset))));
  };
  overLanes([&] {
    e.Set(at(x), laneOf(0, 0));
    e.Set(at(y), laneOf(1, 0));
    e.Set(at(out), laneOf(5, 0));
    for (int n = 0; n < 4; ++n) e.Set(at(k[n]), laneOf(2, n * kNativeLanes));
    return true;
  });
  e.Set(i, e.Integer(0));
  gcc_jit_block* iterate = e.NewBlock();
  gcc_jit_block* lanes = e.NewBlock();
  gcc_jit_block* done = e.NewBlock();
  e.JumpTo(iterate);
  e.Branch(e.Compare(GCC_JIT_COMPARISON_LT, e.Read(i), param(4)), lanes, done);
  e.SetBlock(lanes);
  const bool written = overLanes([&] {
    std::array<Value, kFirstProgramHelper> inputs{Value{e.Keep(value(at(x)))}, Value{e.Keep(value(at(y)))}};
    for (int n = 0; n < 4; ++n) inputs[kProgramK1 + n] = Value{e.Keep(value(at(k[n])))};
    std::array<Value, 2> image{};
    if (!e.Emit(program, inputs, image)) return false;
    gcc_jit_rvalue* ix = e.Keep(image[0].v);
    gcc_jit_rvalue* iy = e.Keep(image[1].v);
    e.Set(at(x), ix);
    e.Set(at(y), iy);
    gcc_jit_rvalue* slot = integer(GCC_JIT_BINARY_OP_PLUS,
                                   integer(GCC_JIT_BINARY_OP_MULT, e.Read(i), e.Integer(2 * kNativeLanes)), e.Read(l));
    e.Set(element(param(6), slot), ix);
    e.Set(element(param(6), integer(GCC_JIT_BINARY_OP_PLUS, slot, e.Integer(kNativeLanes))), iy);
    // The run loop's escape test: marked unless within the bound (not a number included).
    gcc_jit_rvalue* square = e.Plus(e.Times(ix, ix), e.Times(iy, iy));
    gcc_jit_block* outside = e.NewBlock();
    gcc_jit_block* marked = e.NewBlock();
    e.Set(mark, value(at(out)));
    e.Branch(e.Compare(GCC_JIT_COMPARISON_LE, square, param(3)), marked, outside);
    e.SetBlock(outside);
    e.Set(mark, e.Number(1.0));
    e.JumpTo(marked);
    e.Set(at(out), e.Read(mark));
    return true;
  });
  if (!written) return false;
  e.Set(i, integer(GCC_JIT_BINARY_OP_PLUS, e.Read(i), e.Integer(1)));
  jit.gcc_jit_block_end_with_jump(e.Block(), nullptr, iterate);
  e.SetBlock(done);
  overLanes([&] {
    e.Set(element(param(0), e.Read(l)), value(at(x)));
    e.Set(element(param(1), e.Read(l)), value(at(y)));
    e.Set(element(param(5), e.Read(l)), value(at(out)));
    return true;
  });
  jit.gcc_jit_block_end_with_void_return(e.Block(), nullptr);
  return true;
}

// const char* orbitra_key(void)
void WriteKeyFunction(const GccJitLibrary& jit, gcc_jit_context* c, const std::string& key) {
  gcc_jit_type* text = jit.gcc_jit_type_get_pointer(
      jit.gcc_jit_type_get_const(jit.gcc_jit_context_get_type(c, GCC_JIT_TYPE_CHAR)));
  gcc_jit_function* f =
      jit.gcc_jit_context_new_function(c, nullptr, GCC_JIT_FUNCTION_EXPORTED, text, kKeySymbol, 0, nullptr, 0);
  jit.gcc_jit_block_end_with_return(jit.gcc_jit_function_new_block(f, nullptr), nullptr,
                                    jit.gcc_jit_context_new_string_literal(c, key.c_str()));
}

}  // namespace

std::string WriteMapCode(const GccJitLibrary& jit, const UserMapProgram& program, const std::string& key,
                         const std::vector<std::string>& extraOptions, const std::string& output,
                         NativeCodePart part) {
  gcc_jit_context* c = jit.gcc_jit_context_acquire();
  if (c == nullptr) return "the JIT compiler could not start";
  const std::unique_ptr<gcc_jit_context, decltype(jit.gcc_jit_context_release)> context(
      c, jit.gcc_jit_context_release);
  if (jit.printErrors != nullptr) jit.printErrors(c, 0);
  jit.gcc_jit_context_set_int_option(c, GCC_JIT_INT_OPTION_OPTIMIZATION_LEVEL, 2);
  for (const char* option : {"-ffp-contract=off", "-fno-fast-math", "-fno-tree-slp-vectorize", "-fPIC"}) {
    jit.gcc_jit_context_add_command_line_option(c, option);
  }
  // The code calls nothing by name, so the link needs no library: much the faster.
  jit.gcc_jit_context_add_driver_option(c, "-nostdlib");
  for (const std::string& option : extraOptions) jit.gcc_jit_context_add_command_line_option(c, option.c_str());

  const JitTypes t = MakeTypes(jit, c);
  const bool written = part == NativeCodePart::Lanes
                           ? WriteLanesFunction(jit, c, t, program)
                           : WritePointFunction(jit, c, t, program, false) && WriteBlockFunction(jit, c, t, program) &&
                                 WritePointFunction(jit, c, t, program, true);
  if (!written) {
    return "the formulas hold an operation the compiler does not know";
  }
  WriteKeyFunction(jit, c, key);
  jit.gcc_jit_context_compile_to_file(c, GCC_JIT_OUTPUT_KIND_DYNAMIC_LIBRARY, output.c_str());
  const char* error = jit.gcc_jit_context_get_first_error(c);
  if (error != nullptr && *error != '\0') return error;
  return {};
}

}  // namespace orbitra
