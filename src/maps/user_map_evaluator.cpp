// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/user_map_evaluator.h"

#include <muParser.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "maps/formula_language.h"
#include "maps/formula_text.h"
#include "maps/user_map_jacobian.h"

namespace orbitra {

struct UserMapEvaluator::Impl {
  explicit Impl(std::size_t helperCount) : helpers(helperCount, 0.0) {}

  // The library keeps pointers to these; the Impl never moves once made.
  double x = 0.0;
  double y = 0.0;
  double k1 = 0.0;
  double k2 = 0.0;
  double k3 = 0.0;
  double k4 = 0.0;
  std::vector<double> helpers;
  mu::Parser parser;
  // The formulas on dual numbers, read from the parser's bytecode once it is made.
  std::optional<UserMapJacobian> jacobian;

  // The machine code of these formulas: asked for once, taken when ready.
  mutable std::mutex nativeMutex;
  NativeCodeFuture nativeFuture;  // valid from the request until the code is taken
  bool nativeTaken = false;
  std::shared_ptr<const NativeUserMap> native;  // once taken; null after a failure
};

namespace {

// The longest expression of all formulas joined that the library is given: below its own
// limit of 20000 characters, which kMaxMapTextLength keeps the formulas as typed within.
constexpr std::size_t kMaxJoinedLength = 19900;

// Where a formula sits in the text the user typed it in.
struct FormulaPlace {
  FormulaPart part;
  int helperLine;
  std::size_t offset;  // position of the formula's first character in its field or line
};

FormulaError ErrorAt(const FormulaPlace& place, std::size_t position, std::size_t length, std::string what) {
  return FormulaError{place.part, place.helperLine, static_cast<int>(place.offset + position + 1),
                      static_cast<int>(length), std::move(what)};
}

FormulaError WholeTextError(const FormulaPlace& place, std::string what) {
  return FormulaError{place.part, place.helperLine, 0, 0, std::move(what)};
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// The first character of UTF-8 text, all of its bytes.
std::string_view FirstCharacter(std::string_view text) noexcept {
  if (text.empty()) return text;
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t size = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  size = std::min(size, text.size());
  for (std::size_t i = 1; i < size; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return text.substr(0, i);
  }
  return text.substr(0, size);
}

// Where the lines of a map together pass kMaxMapTextLength: a failure at the line that
// passes it, in the order the lines are read.
class MapTextLength {
 public:
  std::optional<FormulaError> Add(std::string_view text, FormulaPart part, int helperLine) {
    total_ += text.size();
    if (total_ <= kMaxMapTextLength) return std::nullopt;
    return FormulaError{part, helperLine, 0, 0,
                        "the map's lines are longer than " + std::to_string(kMaxMapTextLength) +
                            " characters together"};
  }

 private:
  std::size_t total_ = 0;
};

// The library's report in the program's words, placed at the library's position.
FormulaError LibraryError(const mu::ParserError& e, std::string_view formula, const FormulaPlace& place) {
  const std::string fullToken = e.GetToken();
  const std::string_view token = TrimBlanks(fullToken);
  std::string what;
  std::optional<std::size_t> characterLength;  // an unexpected character: all of its bytes
  switch (e.GetCode()) {
    case mu::ecUNEXPECTED_OPERATOR:
      what = "unexpected operator " + Quoted(token);
      break;
    case mu::ecUNASSIGNABLE_TOKEN:
      if (!token.empty() && ((token[0] >= '0' && token[0] <= '9') || token[0] == '.')) {
        what = "invalid number " + Quoted(token);
      } else if (IsFormulaName(token)) {
        what = "unknown name " + Quoted(token);
      } else {
        what = "unexpected character " + Quoted(FirstCharacter(token));
        characterLength = FirstCharacter(token).size();
      }
      break;
    case mu::ecUNEXPECTED_EOF:
      what = "the formula ends too early";
      break;
    case mu::ecUNEXPECTED_ARG_SEP:
    case mu::ecUNEXPECTED_ARG:
      what = "unexpected \",\"";
      break;
    case mu::ecUNEXPECTED_VAL:
    case mu::ecUNEXPECTED_VAR:
    case mu::ecUNEXPECTED_FUN:
      what = "missing operator before " + Quoted(token);
      break;
    case mu::ecUNEXPECTED_PARENS:
      what = "unexpected parenthesis " + Quoted(token);
      break;
    case mu::ecMISSING_PARENS:
      what = "missing closing parenthesis";
      break;
    case mu::ecTOO_MANY_PARAMS:
      what = "too many arguments for " + Quoted(token);
      break;
    case mu::ecTOO_FEW_PARAMS:
      what = "too few arguments for " + Quoted(token);
      break;
    case mu::ecUNEXPECTED_CONDITIONAL:
    case mu::ecMISSING_ELSE_CLAUSE:
    case mu::ecMISPLACED_COLON:
      what = "incomplete condition \"? :\"";
      break;
    default:
      what = e.GetMsg();
      break;
  }
  // The library may point just past the end (a missing parenthesis) or nowhere.
  const int reported = e.GetPos();
  const std::size_t position =
      reported < 0 ? formula.size() : std::min(static_cast<std::size_t>(reported), formula.size());
  std::size_t length = 0;
  if (characterLength && formula.substr(position, *characterLength) == token.substr(0, *characterLength)) {
    length = *characterLength;
  } else if (!token.empty() && formula.substr(position, token.size()) == token) {
    length = token.size();
  } else if (position < formula.size()) {
    length = 1;
  }
  return ErrorAt(place, position, length, std::move(what));
}

// Compiles one formula on its own; the parser knows the names the formula may use.
std::optional<FormulaError> CheckFormula(mu::Parser& parser, std::string_view formula, const FormulaPlace& place) {
  if (TrimBlanks(formula).empty()) return WholeTextError(place, "the formula is empty");
  if (const auto at = FindControlCharacter(formula)) return ErrorAt(place, *at, 1, "unexpected control character");
  if (const auto at = FindAssignment(formula)) return ErrorAt(place, *at, 1, "unexpected \"=\"");
  if (const auto at = FindStrayComma(formula)) return ErrorAt(place, *at, 1, "unexpected \",\"");
  try {
    parser.SetExpr(std::string(formula));
    parser.Eval();
  } catch (const mu::ParserError& e) {
    return LibraryError(e, formula, place);
  }
  return std::nullopt;
}

std::optional<FormulaError> TooLong(std::string_view text, const FormulaPlace& place) {
  if (text.size() <= kMaxFormulaLength) return std::nullopt;
  return FormulaError{place.part, place.helperLine, static_cast<int>(kMaxFormulaLength + 1),
                      static_cast<int>(text.size() - kMaxFormulaLength),
                      "longer than " + std::to_string(kMaxFormulaLength) + " characters"};
}

void BindVariables(mu::Parser& parser, double* x, double* y, double* k1, double* k2, double* k3, double* k4) {
  parser.DefineVar("x", x);
  parser.DefineVar("y", y);
  parser.DefineVar("k1", k1);
  parser.DefineVar("k2", k2);
  parser.DefineVar("k3", k3);
  parser.DefineVar("k4", k4);
}

struct Helper {
  std::string name;
  std::string formula;
};

// Checks every text of the definition in order; collects the helpers that are not blank.
std::optional<FormulaError> CheckDefinition(const UserMapDefinition& d, std::vector<Helper>& helpers) {
  mu::Parser parser;
  SetUpFormulaLanguage(parser);
  double scratch[6] = {};
  BindVariables(parser, &scratch[0], &scratch[1], &scratch[2], &scratch[3], &scratch[4], &scratch[5]);
  std::vector<double> helperScratch(d.helpers.size(), 0.0);
  MapTextLength length;

  for (std::size_t i = 0; i < d.helpers.size(); ++i) {
    const std::string_view line = d.helpers[i];
    const FormulaPlace whole{FormulaPart::Helper, static_cast<int>(i), 0};
    if (auto error = TooLong(line, whole)) return error;
    if (TrimBlanks(line).empty()) continue;
    if (auto error = length.Add(line, FormulaPart::Helper, static_cast<int>(i))) return error;
    if (helpers.size() == kMaxHelperLines) {
      return WholeTextError(whole, "more than " + std::to_string(kMaxHelperLines) + " helper lines");
    }
    const std::optional<HelperLineParts> parts = SplitHelperLine(line);
    if (!parts) return WholeTextError(whole, "a helper line reads name = formula");
    if (parts->name.empty()) return ErrorAt(whole, parts->formulaPosition - 1, 1, "missing name before \"=\"");
    const std::string name(parts->name);
    if (!IsFormulaName(name)) return ErrorAt(whole, parts->namePosition, name.size(), "invalid name " + Quoted(name));
    if (name.size() > kMaxHelperNameLength) {
      return ErrorAt(whole, parts->namePosition, name.size(),
                     "a name may have at most " + std::to_string(kMaxHelperNameLength) + " characters");
    }
    if (IsReservedFormulaName(name)) {
      return ErrorAt(whole, parts->namePosition, name.size(), Quoted(name) + " cannot be a helper name");
    }
    for (const Helper& earlier : helpers) {
      if (earlier.name == name) return ErrorAt(whole, parts->namePosition, name.size(), Quoted(name) + " is defined twice");
    }
    const FormulaPlace place{FormulaPart::Helper, static_cast<int>(i), parts->formulaPosition};
    if (auto error = CheckFormula(parser, parts->formula, place)) return error;
    parser.DefineVar(name, &helperScratch[i]);
    helpers.push_back(Helper{name, std::string(parts->formula)});
  }

  const FormulaPlace x{FormulaPart::XFormula, 0, 0};
  if (auto error = TooLong(d.xFormula, x)) return error;
  if (auto error = length.Add(d.xFormula, FormulaPart::XFormula, 0)) return error;
  if (auto error = CheckFormula(parser, d.xFormula, x)) return error;
  const FormulaPlace y{FormulaPart::YFormula, 0, 0};
  if (auto error = TooLong(d.yFormula, y)) return error;
  if (auto error = length.Add(d.yFormula, FormulaPart::YFormula, 0)) return error;
  if (auto error = CheckFormula(parser, d.yFormula, y)) return error;
  return std::nullopt;
}

// The value of a part made of numbers and pi, as a number that the library reads back as
// exactly that value; nothing when there is none (not finite, or not read back exactly).
class ConstantValues {
 public:
  ConstantValues() { SetUpFormulaLanguage(parser_); }

  std::optional<std::string> operator()(std::string_view segment) {
    try {
      parser_.SetExpr(std::string(segment));
      const double value = parser_.Eval();
      if (!std::isfinite(value)) return std::nullopt;
      char digits[32];
      const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, value);
      std::string text(digits, r.ptr);
      parser_.SetExpr("(" + text + ")");
      if (std::bit_cast<std::uint64_t>(parser_.Eval()) != std::bit_cast<std::uint64_t>(value)) return std::nullopt;
      return text;
    } catch (const mu::ParserError&) {
      return std::nullopt;
    }
  }

 private:
  mu::Parser parser_;
};

}  // namespace

UserMapCompilation CompileUserMap(const UserMapDefinition& definition, ConstantFolding folding) {
  std::vector<Helper> helpers;
  try {
    if (auto error = CheckDefinition(definition, helpers)) return {nullptr, std::move(error)};

    // Everything in one expression: "t=(...),u=(...),(x'),(y')". The helpers are assigned
    // in order, and the last two results are the image.
    auto impl = std::make_unique<UserMapEvaluator::Impl>(helpers.size());
    mu::Parser& parser = impl->parser;
    SetUpFormulaLanguage(parser);
    BindVariables(parser, &impl->x, &impl->y, &impl->k1, &impl->k2, &impl->k3, &impl->k4);
    ConstantValues constants;
    const auto joined = [&](bool fold) {
      const auto prepared = [&](std::string_view formula) {
        return fold ? FoldConstantSegments(formula, std::ref(constants)) : std::string(formula);
      };
      std::string expression;
      for (const Helper& helper : helpers) expression += helper.name + "=(" + prepared(helper.formula) + "),";
      return expression + "(" + prepared(definition.xFormula) + "),(" + prepared(definition.yFormula) + ")";
    };
    for (std::size_t i = 0; i < helpers.size(); ++i) parser.DefineVar(helpers[i].name, &impl->helpers[i]);
    std::string expression = joined(folding == ConstantFolding::Fold);
    // Folded constants are written out in full and may make the expression longer than
    // the library takes; folding changes no bit, so the formulas go as typed then.
    if (expression.size() > kMaxJoinedLength) expression = joined(false);
    parser.SetExpr(expression);
    int results = 0;
    parser.Eval(results);
    if (results != static_cast<int>(helpers.size()) + 2) {
      return {nullptr, FormulaError{FormulaPart::XFormula, 0, 0, 0, "the formulas do not give one image"}};
    }
    std::shared_ptr<const UserMapEvaluator> evaluator(new UserMapEvaluator(std::move(impl)));
    if (const std::optional<UserMapProgram> program = evaluator->Program()) {
      evaluator->impl_->jacobian = UserMapJacobian::Of(*program);
    }
    return {std::move(evaluator), std::nullopt};
  } catch (const mu::ParserError&) {
    // Each part compiled on its own and the whole kept within the library's length; a
    // fault of the whole is not expected.
    return {nullptr, FormulaError{FormulaPart::XFormula, 0, 0, 0, "the formulas cannot be read together"}};
  }
}

UserMapEvaluator::UserMapEvaluator(std::unique_ptr<Impl> impl) noexcept : impl_(std::move(impl)) {}

UserMapEvaluator::~UserMapEvaluator() = default;

MapImage UserMapEvaluator::Evaluate(double x, double y, double k1, double k2, double k3, double k4) const noexcept {
  Impl& s = *impl_;
  // The library's program, run on our side (the same bits); the library itself only for
  // formulas that could not be read as a program (not expected).
  if (s.jacobian) return s.jacobian->Image(x, y, k1, k2, k3, k4);
  return EvaluateByLibrary(x, y, k1, k2, k3, k4);
}

MapImage UserMapEvaluator::EvaluateByLibrary(double x, double y, double k1, double k2, double k3,
                                             double k4) const noexcept {
  Impl& s = *impl_;
  s.x = x;
  s.y = y;
  s.k1 = k1;
  s.k2 = k2;
  s.k3 = k3;
  s.k4 = k4;
  try {
    int count = 0;
    const double* results = s.parser.Eval(count);
    return {results[count - 2], results[count - 1]};
  } catch (...) {
    // The compiled bytecode does not throw; should the library ever do, the point is lost
    // as after a division by zero rather than the program.
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    return {kNaN, kNaN};
  }
}

bool UserMapEvaluator::HasExactJacobian() const noexcept { return impl_->jacobian.has_value(); }

MapJacobian UserMapEvaluator::Jacobian(double x, double y, double k1, double k2, double k3, double k4) const noexcept {
  if (!impl_->jacobian) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    return {kNaN, kNaN, kNaN, kNaN};
  }
  return impl_->jacobian->At(x, y, k1, k2, k3, k4);
}

namespace {

std::optional<ProgramStep::Op> OperatorOf(mu::ECmdCode code) noexcept {
  using Op = ProgramStep::Op;
  switch (code) {
    case mu::cmADD: return Op::Add;
    case mu::cmSUB: return Op::Subtract;
    case mu::cmMUL: return Op::Multiply;
    case mu::cmDIV: return Op::Divide;
    case mu::cmPOW: return Op::Power;
    case mu::cmLT: return Op::Less;
    case mu::cmLE: return Op::LessEqual;
    case mu::cmGT: return Op::Greater;
    case mu::cmGE: return Op::GreaterEqual;
    case mu::cmEQ: return Op::Equal;
    case mu::cmNEQ: return Op::NotEqual;
    case mu::cmLAND: return Op::And;
    case mu::cmLOR: return Op::Or;
    case mu::cmIF: return Op::If;
    case mu::cmELSE: return Op::Else;
    case mu::cmENDIF: return Op::EndIf;
    default: return std::nullopt;
  }
}

}  // namespace

std::optional<UserMapProgram> UserMapEvaluator::Program() const {
  const Impl& s = *impl_;
  const double* const variables[kFirstProgramHelper] = {&s.x, &s.y, &s.k1, &s.k2, &s.k3, &s.k4};
  const auto indexOf = [&](const double* p) -> std::optional<std::uint8_t> {
    for (int i = 0; i < kFirstProgramHelper; ++i) {
      if (variables[i] == p) return static_cast<std::uint8_t>(i);
    }
    for (std::size_t i = 0; i < s.helpers.size(); ++i) {
      if (&s.helpers[i] == p) return static_cast<std::uint8_t>(kFirstProgramHelper + i);
    }
    return std::nullopt;
  };
  UserMapProgram program;
  program.helperCount = static_cast<int>(s.helpers.size());
  try {
    const mu::ParserByteCode& code = s.parser.GetByteCode();
    const mu::SToken* token = code.GetBase();
    for (std::size_t i = 0; i < code.GetSize() && token[i].Cmd != mu::cmEND; ++i) {
      const mu::SToken& t = token[i];
      ProgramStep step;
      if (t.Cmd == mu::cmVAL) {
        step = {ProgramStep::Op::Number, 0, t.Val.data2};
      } else if (t.Cmd == mu::cmVAR || t.Cmd == mu::cmASSIGN) {
        const auto index = indexOf(t.Cmd == mu::cmVAR ? t.Val.ptr : t.Oprt.ptr);
        if (!index) return std::nullopt;
        step = {t.Cmd == mu::cmVAR ? ProgramStep::Op::Variable : ProgramStep::Op::Assign, *index, 0.0};
      } else if (t.Cmd == mu::cmFUNC) {
        const auto f = FormulaFunctionAt(reinterpret_cast<const void*>(t.Fun.cb._pRawFun));
        if (!f || t.Fun.cb._pUserData != nullptr || t.Fun.argc != (TakesTwoArguments(*f) ? 2 : 1)) return std::nullopt;
        step = {ProgramStep::Op::Call, static_cast<std::uint8_t>(*f), 0.0};
      } else if (const auto op = OperatorOf(t.Cmd)) {
        step = {*op, 0, 0.0};
      } else {
        return std::nullopt;
      }
      program.steps.push_back(step);
    }
  } catch (const mu::ParserError&) {
    return std::nullopt;
  }
  return program;
}

std::shared_ptr<const NativeUserMap> UserMapEvaluator::Native() const {
  Impl& s = *impl_;
  const std::lock_guard lock(s.nativeMutex);
  if (s.nativeFuture.valid() && s.nativeFuture.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
    try {
      s.native = s.nativeFuture.get();
    } catch (...) {
      // A compile that was dropped unfinished (the program is closing) delivers nothing.
    }
    s.nativeFuture = {};
    s.nativeTaken = true;
  }
  return s.native;
}

bool UserMapEvaluator::NativeRequested() const {
  const std::lock_guard lock(impl_->nativeMutex);
  return impl_->nativeTaken || impl_->nativeFuture.valid();
}

void UserMapEvaluator::ExpectNative(NativeCodeFuture code) const {
  const std::lock_guard lock(impl_->nativeMutex);
  if (!impl_->nativeTaken && !impl_->nativeFuture.valid()) impl_->nativeFuture = std::move(code);
}

MapImage UserMapRoutine(const MappingModel& model, double x, double y) {
  if (!model.userMap) return {x, y};
  return model.userMap->Evaluate(x, y, model.k1, model.k2, model.k3, model.k4);
}

}  // namespace orbitra
