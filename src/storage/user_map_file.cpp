// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/user_map_file.h"

#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <system_error>

#include "maps/formula_text.h"
#include "maps/system_catalogue.h"
#include "storage/replacement_file.h"
#include "storage/text_format.h"

namespace orbitra {

namespace {

// Far more than 21 maps need; a larger file is not read into memory.
constexpr std::uintmax_t kMaxFileSize = 4u << 20;

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

bool ParseFinite(std::string_view token, double& v) noexcept { return ParseDouble(token, v) && std::isfinite(v); }

// The blank-separated words of a text.
std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

// One "map" block being read.
struct Block {
  int mapLine = 0;
  UserMapDefinition definition;
  int xLine = 0;
  int yLine = 0;
  std::vector<int> helperLines;
  std::array<bool, 4> parameterSeen{};
  bool rangeSeen = false;
  bool broken = false;
};

class Reader {
 public:
  UserMapFileContents Read(std::string_view text) {
    int number = 0;
    while (!text.empty()) {
      const std::size_t end = text.find('\n');
      std::string_view line = text.substr(0, end);
      text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      ReadLine(++number, line);
    }
    if (block_) Problem(block_->mapLine, "map " + Quoted(block_->definition.name) + " has no \"end\"");
    for (int i = 0; i < table_.Count(); ++i) contents_.maps.push_back(table_.At(i));
    return std::move(contents_);
  }

 private:
  void Problem(int line, std::string what) {
    if (!contents_.problem) contents_.problem = UserMapFileProblem{line, std::move(what)};
  }
  // A fault inside a map: the map is left out.
  void Fault(int line, std::string what) {
    Problem(line, std::move(what));
    if (block_) block_->broken = true;
  }

  void ReadLine(int number, std::string_view line) {
    if (FindControlCharacter(line)) return Fault(number, "unreadable characters");
    const std::string_view text = TrimBlanks(line);
    if (text.empty() || text.front() == '#') return;
    if (text == "map" || text.starts_with("map ") || text.starts_with("map\t")) {
      if (block_) Problem(block_->mapLine, "map " + Quoted(block_->definition.name) + " has no \"end\"");
      block_ = Block{};
      block_->mapLine = number;
      block_->definition.name = std::string(TrimBlanks(text.substr(3)));
      return;
    }
    if (!block_) return Problem(number, "expected \"map NAME\"");
    if (text == "end") return Finish(number);
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return Fault(number, "unexpected text");
    Entry(number, TrimBlanks(text.substr(0, equals)), TrimBlanks(text.substr(equals + 1)), text);
  }

  void Entry(int number, std::string_view key, std::string_view value, std::string_view line) {
    Block& b = *block_;
    UserMapDefinition& d = b.definition;
    if (key == "x'" || key == "y'") {
      int& seenAt = key == "x'" ? b.xLine : b.yLine;
      if (seenAt != 0) return Fault(number, Quoted(key) + " given twice");
      seenAt = number;
      (key == "x'" ? d.xFormula : d.yFormula) = std::string(value);
    } else if (key.size() == 2 && key[0] == 'k' && key[1] >= '1' && key[1] <= '4') {
      const std::size_t i = static_cast<std::size_t>(key[1] - '1');
      if (b.parameterSeen[i]) return Fault(number, Quoted(key) + " given twice");
      b.parameterSeen[i] = true;
      double* parameters[] = {&d.k1, &d.k2, &d.k3, &d.k4};
      if (!ParseFinite(value, *parameters[i])) return Fault(number, "invalid number " + Quoted(value));
    } else if (key == "range") {
      if (b.rangeSeen) return Fault(number, "\"range\" given twice");
      b.rangeSeen = true;
      const std::vector<std::string_view> words = Words(value);
      WorldRange& r = d.range;
      if (words.size() != 4 || !ParseFinite(words[0], r.Xmin) || !ParseFinite(words[1], r.Xmax) ||
          !ParseFinite(words[2], r.Ymin) || !ParseFinite(words[3], r.Ymax) || !(r.Xmin < r.Xmax) ||
          !(r.Ymin < r.Ymax)) {
        return Fault(number, "\"range\" needs XMIN XMAX YMIN YMAX with XMIN < XMAX and YMIN < YMAX");
      }
    } else {
      d.helpers.emplace_back(line);
      b.helperLines.push_back(number);
    }
  }

  void Finish(int endLine) {
    Block b = std::move(*block_);
    block_.reset();
    if (b.broken) return;
    const UserMapDefinition& d = b.definition;
    if (b.xLine == 0) return Problem(endLine, "map " + Quoted(d.name) + " has no x' formula");
    if (b.yLine == 0) return Problem(endLine, "map " + Quoted(d.name) + " has no y' formula");
    if (const std::optional<MapNameProblem> problem = CheckMapName(table_, d.name)) {
      return Problem(b.mapLine, NameProblemText(*problem, d.name));
    }
    if (table_.Full()) return Problem(b.mapLine, "more than " + std::to_string(kMaxUserMaps) + " maps");
    UserMapMaking made = MakeUserMap(d);
    if (!made.map) {
      const FormulaError& e = *made.error;
      const int line = e.part == FormulaPart::Helper ? b.helperLines.at(static_cast<std::size_t>(e.helperLine))
                       : e.part == FormulaPart::XFormula ? b.xLine
                                                         : b.yLine;
      return Problem(line, DescribeFormulaError(e));
    }
    table_.Add(std::move(*made.map));
  }

  static std::string NameProblemText(MapNameProblem problem, std::string_view name) {
    switch (problem) {
      case MapNameProblem::Empty:
        return "a map needs a name";
      case MapNameProblem::TooLong:
        return "a name longer than " + std::to_string(kMaxMapNameLength) + " characters";
      case MapNameProblem::ControlCharacter:
        return "unreadable characters";
      case MapNameProblem::BuiltIn:
        return Quoted(name) + " is the name of a built-in map";
      case MapNameProblem::Taken:
        return "a second map named " + Quoted(name);
    }
    return {};
  }

  std::optional<Block> block_;
  UserMapTable table_;
  UserMapFileContents contents_;
};

}  // namespace

UserMapFileContents ParseUserMapText(std::string_view text) {
  // A byte-order mark, which some editors put at the start of UTF-8 text, is no character.
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  return Reader().Read(text);
}

std::string FormatUserMapText(const std::vector<UserMapDefinition>& maps) {
  std::string text =
      "# Orbitra's user maps. Each runs from \"map NAME\" to \"end\"; lines \"name = formula\"\n"
      "# are helpers, evaluated in order before x' and y'. See README.md.\n";
  for (const UserMapDefinition& d : maps) {
    text += "\nmap " + d.name + "\n";
    for (const std::string& helper : d.helpers) {
      const std::string_view line = TrimBlanks(helper);
      if (!line.empty()) text += std::string(line) + "\n";
    }
    text += "x' = " + std::string(TrimBlanks(d.xFormula)) + "\n";
    text += "y' = " + std::string(TrimBlanks(d.yFormula)) + "\n";
    const double parameters[] = {d.k1, d.k2, d.k3, d.k4};
    for (int i = 0; i < 4; ++i) {
      text += "k" + std::to_string(i + 1) + " = ";
      AppendShortest(text, parameters[i]);
      text += "\n";
    }
    text += "range =";
    for (double v : {d.range.Xmin, d.range.Xmax, d.range.Ymin, d.range.Ymax}) {
      text += " ";
      AppendShortest(text, v);
    }
    text += "\nend\n";
  }
  return text;
}

UserMapFileRead ReadUserMapFile(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::exists(file, ec) && !ec) return {};
  const std::uintmax_t size = std::filesystem::file_size(file, ec);
  if (ec) return {{}, FileFailureText("read", file, ec.value())};
  if (size > kMaxFileSize) return {{{}, UserMapFileProblem{1, "the file is too large"}}, std::nullopt};
  std::ifstream in(file, std::ios::binary);
  if (!in) return {{}, FileFailureText("read", file, EIO)};
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return {{}, FileFailureText("read", file, EIO)};
  return {ParseUserMapText(text), std::nullopt};
}

FileFailure WriteUserMapFile(const std::filesystem::path& file, const std::vector<UserMapDefinition>& maps,
                             const std::optional<std::filesystem::path>& keepOldAs) {
  if (keepOldAs) {
    std::error_code ec;
    std::filesystem::copy_file(file, *keepOldAs, std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) return FileFailureText("copy", file, ec.value());
  }
  return ReplaceFile(file, FormatUserMapText(maps));
}

std::string DescribeUserMapFileProblem(std::string_view fileName, const UserMapFileProblem& problem) {
  return "\"" + std::string(fileName) + "\", line " + std::to_string(problem.line) + ": " + problem.what;
}

}  // namespace orbitra
