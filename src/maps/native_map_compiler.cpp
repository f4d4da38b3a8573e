#include "maps/native_map_compiler.h"

#if defined(ORBITRA_HAVE_GCCJIT)

#include <dlfcn.h>
#include <libgccjit.h>
#include <math.h>

#include <array>
#include <string>
#include <vector>

#endif

namespace orbitra {

#if !defined(ORBITRA_HAVE_GCCJIT)

struct GccJitLibrary {};

bool NativeCompilerBuilt() noexcept { return false; }

NativeMapCompiler::NativeMapCompiler(NativeCompilerSettings settings)
    : settings_(std::move(settings)), unavailable_("this build has no JIT compiler") {}

NativeMapCompiler::~NativeMapCompiler() = default;

NativeCompilation NativeMapCompiler::Compile(const UserMapProgram&) const { return {nullptr, unavailable_}; }

#else

bool NativeCompilerBuilt() noexcept { return true; }

// The functions of the JIT library that the compiler calls.
#define ORBITRA_GCCJIT_FUNCTIONS(X)                                                                                \
  X(gcc_jit_context_acquire) X(gcc_jit_context_release) X(gcc_jit_context_set_int_option)                         \
  X(gcc_jit_context_add_command_line_option) X(gcc_jit_context_add_driver_option) X(gcc_jit_context_compile) X(gcc_jit_context_get_first_error)         \
  X(gcc_jit_result_get_code) X(gcc_jit_result_release) X(gcc_jit_context_get_type) X(gcc_jit_type_get_pointer)    \
  X(gcc_jit_type_get_const) X(gcc_jit_context_new_field) X(gcc_jit_context_new_struct_type)                        \
  X(gcc_jit_struct_as_type) X(gcc_jit_context_new_function_ptr_type) X(gcc_jit_context_new_param)                  \
  X(gcc_jit_param_as_rvalue) X(gcc_jit_context_new_function) X(gcc_jit_function_new_block)                         \
  X(gcc_jit_function_new_local) X(gcc_jit_lvalue_as_rvalue) X(gcc_jit_context_new_rvalue_from_int)                \
  X(gcc_jit_context_new_rvalue_from_double) X(gcc_jit_context_new_rvalue_from_ptr)                                \
  X(gcc_jit_context_new_unary_op) X(gcc_jit_context_new_binary_op) X(gcc_jit_context_new_comparison)               \
  X(gcc_jit_context_new_call_through_ptr) X(gcc_jit_context_new_cast) X(gcc_jit_context_new_array_access)          \
  X(gcc_jit_lvalue_access_field) X(gcc_jit_block_add_assignment) X(gcc_jit_block_end_with_conditional)             \
  X(gcc_jit_block_end_with_jump) X(gcc_jit_block_end_with_return)

// The library as loaded at run time: its handle and the addresses of its functions.
struct GccJitLibrary {
#define ORBITRA_GCCJIT_MEMBER(name) decltype(&::name) name = nullptr;
  ORBITRA_GCCJIT_FUNCTIONS(ORBITRA_GCCJIT_MEMBER)
#undef ORBITRA_GCCJIT_MEMBER
  // Newer than the rest; used where the library has it.
  decltype(&::gcc_jit_context_set_bool_print_errors_to_stderr) printErrors = nullptr;
  void* handle = nullptr;

  GccJitLibrary() = default;
  GccJitLibrary(const GccJitLibrary&) = delete;
  GccJitLibrary& operator=(const GccJitLibrary&) = delete;
  ~GccJitLibrary() {
    if (handle != nullptr) dlclose(handle);
  }
};

namespace {

std::shared_ptr<const GccJitLibrary> LoadGccJit(const std::string& file, std::string& failure) {
  auto jit = std::make_shared<GccJitLibrary>();
  // Kept loaded for the life of the program once loaded: unloading it is not worth a risk.
  jit->handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
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
  jit->printErrors = reinterpret_cast<decltype(jit->printErrors)>(
      dlsym(jit->handle, "gcc_jit_context_set_bool_print_errors_to_stderr"));
  if (!complete) {
    failure = file + " lacks functions the program calls";
    return nullptr;
  }
  return jit;
}

// The types every function uses.
struct JitTypes {
  gcc_jit_type* real;
  gcc_jit_type* integer;
  gcc_jit_type* boolean;
  gcc_jit_type* unary;   // double (*)(double)
  gcc_jit_type* binary;  // double (*)(double, double)
  gcc_jit_type* image;   // MapImage
  gcc_jit_field* imageX;
  gcc_jit_field* imageY;
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
  return t;
}

// Writes one function's body. Every value the formulas compute goes into a local of its
// own, in the formulas' order, so that each operation and call happens exactly once and
// where the formulas have it; the optimiser keeps the locals in registers.
class FormulaEmitter {
 public:
  FormulaEmitter(const GccJitLibrary& jit, gcc_jit_context* context, const JitTypes& types,
                 gcc_jit_function* function, gcc_jit_block* block)
      : jit_(jit), c_(context), t_(types), f_(function), block_(block) {}

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
  gcc_jit_rvalue* Unary(gcc_jit_unary_op op, gcc_jit_rvalue* a) {
    return Keep(jit_.gcc_jit_context_new_unary_op(c_, nullptr, op, t_.real, a));
  }
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
  // A call through the function's address: the very function the library calls, never
  // a built-in that the compiler might expand or fold its own way.
  gcc_jit_rvalue* Call(UnaryFunction f, gcc_jit_rvalue* a) {
    gcc_jit_rvalue* address = jit_.gcc_jit_context_new_rvalue_from_ptr(c_, t_.unary, reinterpret_cast<void*>(f));
    return Keep(jit_.gcc_jit_context_new_call_through_ptr(c_, nullptr, address, 1, &a));
  }
  gcc_jit_rvalue* Call(BinaryFunction f, gcc_jit_rvalue* a, gcc_jit_rvalue* b) {
    gcc_jit_rvalue* address = jit_.gcc_jit_context_new_rvalue_from_ptr(c_, t_.binary, reinterpret_cast<void*>(f));
    std::array<gcc_jit_rvalue*, 2> arguments = {a, b};
    return Keep(jit_.gcc_jit_context_new_call_through_ptr(c_, nullptr, address, 2, arguments.data()));
  }

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
    gcc_jit_rvalue* negative = Unary(GCC_JIT_UNARY_OP_MINUS, period);
    gcc_jit_rvalue* twice = Arithmetic(GCC_JIT_BINARY_OP_MULT, Number(2.0), period);
    gcc_jit_rvalue* near = jit_.gcc_jit_context_new_binary_op(c_, nullptr, GCC_JIT_BINARY_OP_LOGICAL_AND, t_.boolean,
                                                              Compare(GCC_JIT_COMPARISON_GT, v, negative),
                                                              Compare(GCC_JIT_COMPARISON_LT, v, twice));
    gcc_jit_rvalue* r = Choose(
        near,
        [&] {
          gcc_jit_rvalue* shift = Choose(
              Compare(GCC_JIT_COMPARISON_GE, v, period), [&] { return period; }, [&] { return Number(0.0); });
          return Arithmetic(GCC_JIT_BINARY_OP_MINUS, v, shift);
        },
        [&] { return Call(static_cast<BinaryFunction>(::fmod), v, period); });
    return Choose(
        Compare(GCC_JIT_COMPARISON_LT, r, Number(0.0)),
        [&] { return Arithmetic(GCC_JIT_BINARY_OP_PLUS, r, period); }, [&] { return r; });
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

  gcc_jit_rvalue* Function(FormulaFunction f, gcc_jit_rvalue* a, gcc_jit_rvalue* b) {
    switch (f) {
      case FormulaFunction::Negate:
        return Unary(GCC_JIT_UNARY_OP_MINUS, a);
      case FormulaFunction::Plus:
        return a;
      case FormulaFunction::Abs:
        return Unary(GCC_JIT_UNARY_OP_ABS, a);
      case FormulaFunction::Sign:
        return Sign(a);
      case FormulaFunction::Mod:
        return Modulo(a, b);
      default:
        return TakesTwoArguments(f) ? Call(BinaryFunctionOf(f), a, b) : Call(UnaryFunctionOf(f), a);
    }
  }

  // Emits the program with `inputs` for x, y and k1 to k4; the image goes to `image`.
  // False when the program does not read as formulas do (nothing is then usable).
  bool Emit(const UserMapProgram& program, const std::array<gcc_jit_rvalue*, kFirstProgramHelper>& inputs,
            std::array<gcc_jit_rvalue*, 2>& image) {
    using Op = ProgramStep::Op;
    if (program.helperCount < 0 || program.helperCount > 200) return false;
    std::vector<gcc_jit_lvalue*> helpers;
    for (int i = 0; i < program.helperCount; ++i) helpers.push_back(Local(t_.real));
    struct Choice {
      gcc_jit_lvalue* result;
      gcc_jit_block* no;
      gcc_jit_block* join;
      std::size_t depth;
      bool inNo;
    };
    std::vector<Choice> choices;
    std::vector<gcc_jit_rvalue*> stack;
    const auto pop = [&stack] {
      gcc_jit_rvalue* top = stack.back();
      stack.pop_back();
      return top;
    };
    for (const ProgramStep& step : program.steps) {
      const std::size_t needed = step.op == Op::Number || step.op == Op::Variable || step.op == Op::Else ||
                                         step.op == Op::EndIf
                                     ? 0
                                 : step.op == Op::If ? 1
                                 : step.op == Op::Call && !TakesTwoArguments(static_cast<FormulaFunction>(step.index))
                                     ? 1
                                     : 2;
      if (stack.size() < needed) return false;
      switch (step.op) {
        case Op::Number:
          stack.push_back(Number(step.number));
          break;
        case Op::Variable:
        case Op::Assign: {
          if (step.index >= kFirstProgramHelper + helpers.size()) return false;
          if (step.op == Op::Variable) {
            stack.push_back(step.index < kFirstProgramHelper ? inputs[step.index]
                                                             : Read(helpers[step.index - kFirstProgramHelper]));
            break;
          }
          if (step.index < kFirstProgramHelper) return false;
          gcc_jit_rvalue* value = pop();
          pop();  // the variable's own entry
          gcc_jit_lvalue* helper = helpers[step.index - kFirstProgramHelper];
          Set(helper, value);
          stack.push_back(Read(helper));
          break;
        }
        case Op::Add:
        case Op::Subtract:
        case Op::Multiply:
        case Op::Divide:
        case Op::Power: {
          gcc_jit_rvalue* b = pop();
          gcc_jit_rvalue* a = pop();
          stack.push_back(step.op == Op::Power      ? Call(static_cast<BinaryFunction>(::pow), a, b)
                          : step.op == Op::Add      ? Arithmetic(GCC_JIT_BINARY_OP_PLUS, a, b)
                          : step.op == Op::Subtract ? Arithmetic(GCC_JIT_BINARY_OP_MINUS, a, b)
                          : step.op == Op::Multiply ? Arithmetic(GCC_JIT_BINARY_OP_MULT, a, b)
                                                    : Arithmetic(GCC_JIT_BINARY_OP_DIVIDE, a, b));
          break;
        }
        case Op::Less:
        case Op::LessEqual:
        case Op::Greater:
        case Op::GreaterEqual:
        case Op::Equal:
        case Op::NotEqual: {
          gcc_jit_rvalue* b = pop();
          gcc_jit_rvalue* a = pop();
          const gcc_jit_comparison op = step.op == Op::Less           ? GCC_JIT_COMPARISON_LT
                                        : step.op == Op::LessEqual    ? GCC_JIT_COMPARISON_LE
                                        : step.op == Op::Greater      ? GCC_JIT_COMPARISON_GT
                                        : step.op == Op::GreaterEqual ? GCC_JIT_COMPARISON_GE
                                        : step.op == Op::Equal        ? GCC_JIT_COMPARISON_EQ
                                                                      : GCC_JIT_COMPARISON_NE;
          stack.push_back(Truth(Compare(op, a, b)));
          break;
        }
        case Op::And:
        case Op::Or: {
          gcc_jit_rvalue* b = pop();
          gcc_jit_rvalue* a = pop();
          stack.push_back(
              Both(step.op == Op::And ? GCC_JIT_BINARY_OP_LOGICAL_AND : GCC_JIT_BINARY_OP_LOGICAL_OR, a, b));
          break;
        }
        case Op::Call: {
          if (step.index >= kFormulaFunctionCount) return false;
          const auto f = static_cast<FormulaFunction>(step.index);
          gcc_jit_rvalue* b = TakesTwoArguments(f) ? pop() : nullptr;
          gcc_jit_rvalue* a = pop();
          stack.push_back(Function(f, a, b));
          break;
        }
        case Op::If: {
          // The library takes the first branch unless the condition equals 0.
          gcc_jit_rvalue* condition = Compare(GCC_JIT_COMPARISON_NE, pop(), Number(0.0));
          Choice choice{Local(t_.real), NewBlock(), NewBlock(), stack.size(), false};
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
          Set(choice.result, pop());
          JumpTo(choice.join);
          if (step.op == Op::Else) {
            block_ = choice.no;
            choice.inNo = true;
          } else {
            stack.push_back(Read(choice.result));
            choices.pop_back();
          }
          break;
        }
      }
    }
    if (!choices.empty() || stack.size() != static_cast<std::size_t>(program.helperCount) + 2) return false;
    image = {Keep(stack[stack.size() - 2]), Keep(stack[stack.size() - 1])};
    return true;
  }

 private:
  const GccJitLibrary& jit_;
  gcc_jit_context* c_;
  const JitTypes& t_;
  gcc_jit_function* f_;
  gcc_jit_block* block_;
  int locals_ = 0;
};

}  // namespace

NativeMapCompiler::NativeMapCompiler(NativeCompilerSettings settings) : settings_(std::move(settings)) {
  library_ = LoadGccJit(settings_.library, unavailable_);
}

NativeMapCompiler::~NativeMapCompiler() = default;

NativeCompilation NativeMapCompiler::Compile(const UserMapProgram& program) const {
  if (!library_) return {nullptr, unavailable_};
  const GccJitLibrary& jit = *library_;
  gcc_jit_context* c = jit.gcc_jit_context_acquire();
  if (c == nullptr) return {nullptr, "the JIT compiler could not start"};
  // The context goes, whatever happens; the machine code stays with its result.
  const std::unique_ptr<gcc_jit_context, decltype(jit.gcc_jit_context_release)> context(
      c, jit.gcc_jit_context_release);
  if (jit.printErrors != nullptr) jit.printErrors(c, 0);
  jit.gcc_jit_context_set_int_option(c, GCC_JIT_INT_OPTION_OPTIMIZATION_LEVEL, 2);
  for (const char* option : {"-ffp-contract=off", "-fno-fast-math", "-fno-tree-slp-vectorize"}) {
    jit.gcc_jit_context_add_command_line_option(c, option);
  }
  // The code calls nothing by name, so the link needs no library: much the faster.
  jit.gcc_jit_context_add_driver_option(c, "-nostdlib");
  for (const std::string& option : settings_.extraOptions) {
    jit.gcc_jit_context_add_command_line_option(c, option.c_str());
  }

  const JitTypes t = MakeTypes(jit, c);
  bool readable = true;

  {
    // MapImage step(double x, double y, double k1, double k2, double k3, double k4)
    std::array<gcc_jit_param*, kFirstProgramHelper> params{};
    const char* const names[kFirstProgramHelper] = {"x", "y", "k1", "k2", "k3", "k4"};
    for (int i = 0; i < kFirstProgramHelper; ++i) params[i] = jit.gcc_jit_context_new_param(c, nullptr, t.real, names[i]);
    gcc_jit_function* f = jit.gcc_jit_context_new_function(c, nullptr, GCC_JIT_FUNCTION_EXPORTED, t.image,
                                                           "orbitra_step", kFirstProgramHelper, params.data(), 0);
    FormulaEmitter e(jit, c, t, f, jit.gcc_jit_function_new_block(f, nullptr));
    std::array<gcc_jit_rvalue*, kFirstProgramHelper> inputs{};
    for (int i = 0; i < kFirstProgramHelper; ++i) inputs[i] = jit.gcc_jit_param_as_rvalue(params[i]);
    std::array<gcc_jit_rvalue*, 2> image{};
    readable = e.Emit(program, inputs, image);
    gcc_jit_lvalue* result = e.Local(t.image);
    e.Set(jit.gcc_jit_lvalue_access_field(result, nullptr, t.imageX), image[0]);
    e.Set(jit.gcc_jit_lvalue_access_field(result, nullptr, t.imageY), image[1]);
    jit.gcc_jit_block_end_with_return(e.Block(), nullptr, e.Read(result));
  }
  if (readable) {
    // int block(double x, double y, const double* k, double infinity, int count, MapImage* images)
    gcc_jit_type* constReal = jit.gcc_jit_type_get_pointer(jit.gcc_jit_type_get_const(t.real));
    std::array<gcc_jit_param*, 6> params = {
        jit.gcc_jit_context_new_param(c, nullptr, t.real, "x0"),
        jit.gcc_jit_context_new_param(c, nullptr, t.real, "y0"),
        jit.gcc_jit_context_new_param(c, nullptr, constReal, "k"),
        jit.gcc_jit_context_new_param(c, nullptr, t.real, "infinity"),
        jit.gcc_jit_context_new_param(c, nullptr, t.integer, "count"),
        jit.gcc_jit_context_new_param(c, nullptr, jit.gcc_jit_type_get_pointer(t.image), "images")};
    gcc_jit_function* f = jit.gcc_jit_context_new_function(c, nullptr, GCC_JIT_FUNCTION_EXPORTED, t.integer,
                                                           "orbitra_block", 6, params.data(), 0);
    const auto param = [&](int i) { return jit.gcc_jit_param_as_rvalue(params[i]); };
    FormulaEmitter e(jit, c, t, f, jit.gcc_jit_function_new_block(f, nullptr));
    // Everything the loop reads lives in locals, which calls cannot change.
    gcc_jit_lvalue* x = e.Local(t.real);
    gcc_jit_lvalue* y = e.Local(t.real);
    gcc_jit_lvalue* i = e.Local(t.integer);
    e.Set(x, param(0));
    e.Set(y, param(1));
    e.Set(i, e.Integer(0));
    std::array<gcc_jit_rvalue*, kFirstProgramHelper> inputs{e.Read(x), e.Read(y)};
    for (int n = 0; n < 4; ++n) {
      inputs[kProgramK1 + n] = e.Keep(
          jit.gcc_jit_lvalue_as_rvalue(jit.gcc_jit_context_new_array_access(c, nullptr, param(2), e.Integer(n))));
    }
    gcc_jit_block* test = e.NewBlock();
    gcc_jit_block* body = e.NewBlock();
    gcc_jit_block* store = e.NewBlock();
    gcc_jit_block* done = e.NewBlock();
    e.JumpTo(test);
    e.Branch(e.Compare(GCC_JIT_COMPARISON_LT, e.Read(i), param(4)), body, done);
    e.SetBlock(body);
    std::array<gcc_jit_rvalue*, 2> image{};
    readable = e.Emit(program, inputs, image);
    // The run loop's escape test, as it computes it.
    gcc_jit_rvalue* square = e.Arithmetic(GCC_JIT_BINARY_OP_PLUS, e.Arithmetic(GCC_JIT_BINARY_OP_MULT, image[0], image[0]),
                                          e.Arithmetic(GCC_JIT_BINARY_OP_MULT, image[1], image[1]));
    e.Branch(e.Compare(GCC_JIT_COMPARISON_GT, square, param(3)), done, store);
    e.SetBlock(store);
    gcc_jit_lvalue* slot = jit.gcc_jit_context_new_array_access(c, nullptr, param(5), e.Read(i));
    e.Set(jit.gcc_jit_lvalue_access_field(slot, nullptr, t.imageX), image[0]);
    e.Set(jit.gcc_jit_lvalue_access_field(slot, nullptr, t.imageY), image[1]);
    e.Set(x, image[0]);
    e.Set(y, image[1]);
    e.Set(i, jit.gcc_jit_context_new_binary_op(c, nullptr, GCC_JIT_BINARY_OP_PLUS, t.integer, e.Read(i), e.Integer(1)));
    jit.gcc_jit_block_end_with_jump(e.Block(), nullptr, test);
    jit.gcc_jit_block_end_with_return(done, nullptr, e.Read(i));
  }
  if (!readable) return {nullptr, "the formulas hold an operation the compiler does not know"};

  gcc_jit_result* result = jit.gcc_jit_context_compile(c);
  if (result == nullptr) {
    const char* error = jit.gcc_jit_context_get_first_error(c);
    return {nullptr, error != nullptr && *error != '\0' ? error : "the JIT compiler failed"};
  }
  // The machine code stays loaded while anything holds it, and the library with it.
  std::shared_ptr<const void> code(result, [library = library_](gcc_jit_result* r) { library->gcc_jit_result_release(r); });
  const auto step = reinterpret_cast<NativeUserMap::StepFunction>(jit.gcc_jit_result_get_code(result, "orbitra_step"));
  const auto block = reinterpret_cast<NativeUserMap::BlockFunction>(jit.gcc_jit_result_get_code(result, "orbitra_block"));
  if (step == nullptr || block == nullptr) return {nullptr, "the compiled code lacks its functions"};
  return {std::make_shared<const NativeUserMap>(step, block, std::move(code)), {}};
}

#endif

}  // namespace orbitra
