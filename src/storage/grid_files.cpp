// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/grid_files.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "analysis/attractor_labels.h"
#include "storage/replacement_file.h"
#include "storage/text_format.h"
#include "storage/tile_text.h"

namespace orbitra {

namespace {

constexpr const char* kTileMagic = "Orbitra grid tile 1";
// Text written per call of the file: the file grows in large pieces.
constexpr std::size_t kWriteChunk = 1 << 20;

void AppendDouble(std::string& out, double v) {
  if (std::isnan(v)) {
    out += "nan";
    return;
  }
  char buffer[40];
  const int n = std::snprintf(buffer, sizeof buffer, "%.17g", v);
  out.append(buffer, static_cast<std::size_t>(n > 0 ? n : 0));
}

bool ReadDouble(const std::string& token, double& v) {
  if (token == "nan") return v = std::nan(""), true;
  if (token == "inf") return v = HUGE_VAL, true;
  if (token == "-inf") return v = -HUGE_VAL, true;
  return ParseDouble(token, v);
}

const char* ColouringName(GridColouring c) {
  switch (c) {
    case GridColouring::Period: return "period";
    case GridColouring::Lyapunov: return "lyapunov";
    case GridColouring::Escape: return "escape";
    case GridColouring::Attractor: return "attractor";
  }
  return "period";
}

// Writes text in chunks through a file that replaces its target only when complete.
class ChunkedWriter {
 public:
  explicit ChunkedWriter(const std::filesystem::path& file) : out_(file) { failure_ = out_.Create(); }
  std::string& Text() { return text_; }
  void Flush(bool force = false) {
    if (failure_ || (!force && text_.size() < kWriteChunk)) return;
    failure_ = out_.Write(text_);
    text_.clear();
  }
  FileFailure Finish() {
    Flush(true);
    if (!failure_) failure_ = out_.Commit();
    return failure_;
  }

 private:
  ReplacementFile out_;
  std::string text_;
  FileFailure failure_;
};

// The header lines of a tile, each "name value...": what tiles that belong together share.
std::vector<std::pair<std::string, std::string>> SharedLines(const GridTile& t) {
  const GridSettings& s = t.values.settings;
  const auto numbers = [](std::initializer_list<double> vs) {
    std::string out;
    for (const double v : vs) {
      if (!out.empty()) out += ' ';
      AppendDouble(out, v);
    }
    return out;
  };
  const auto whole = [](std::initializer_list<std::int64_t> vs) {
    std::string out;
    for (const std::int64_t v : vs) {
      if (!out.empty()) out += ' ';
      out += std::to_string(v);
    }
    return out;
  };
  return {
      {"map", t.identity.mapName},
      {"parameters", numbers({t.identity.k[0], t.identity.k[1], t.identity.k[2], t.identity.k[3]})},
      {"picture", whole({t.identity.pictureWidth, t.identity.pictureHeight}) + " " + numbers({t.identity.textScale})},
      {"colouring", ColouringName(s.colouring)},
      {"axes", whole({s.xParameter, s.yParameter})},
      {"range", numbers({s.range.Xmin, s.range.Xmax, s.range.Ymin, s.range.Ymax})},
      {"grid", whole({s.width, s.height})},
      {"from", numbers({s.from.x, s.from.y})},
      {"transient", whole({s.transient})},
      {"longest-period", whole({s.longestPeriod})},
      {"lyapunov-iterations", whole({s.lyapunovIterations})},
      {"escape-iterations", whole({s.escapeIterations})},
      {"escape", numbers({s.escape})},
      {"chaos-tolerance", numbers({s.chaosTolerance})},
  };
}

// Whether a tile's number fits its kind: a period (0 none, -1 escaped) up to the longest
// looked for, an escape time up to the iterations allowed, -1 or 0 for an exponent.
bool ValueFits(const GridSettings& s, std::int32_t v) {
  switch (s.colouring) {
    case GridColouring::Period:
    case GridColouring::Attractor: return v >= -1 && v <= s.longestPeriod;
    case GridColouring::Lyapunov: return v == -1 || v == 0;
    case GridColouring::Escape: return v >= 0 && v <= s.escapeIterations;
  }
  return false;
}

std::vector<std::string> Tokens(const std::string& line) {
  std::vector<std::string> out;
  std::istringstream in(line);
  for (std::string t; in >> t;) out.push_back(t);
  return out;
}

}  // namespace

FileFailure WriteGridExport(const GridValues& grid, const std::filesystem::path& file) {
  ChunkedWriter out(file);
  const GridSettings& s = grid.settings;
  const std::vector<std::int32_t> labels = s.colouring == GridColouring::Attractor ? LabelAttractors(grid) : std::vector<std::int32_t>{};
  for (std::int32_t r = grid.rows.first; r < grid.rows.first + grid.rows.count; ++r) {
    const double q = CellCentre(s.range.Ymin, s.range.Ymax, s.height, r);
    for (std::int32_t c = 0; c < s.width; ++c) {
      const std::size_t i = grid.Index(c, r);
      std::string& text = out.Text();
      AppendDouble(text, CellCentre(s.range.Xmin, s.range.Xmax, s.width, c));
      text += ' ';
      AppendDouble(text, q);
      text += ' ';
      if (s.colouring == GridColouring::Lyapunov) {
        AppendDouble(text, grid.value[i] < 0 ? std::nan("") : grid.lambda1[i]);
      } else if (s.colouring == GridColouring::Attractor) {
        text += std::to_string(labels[i]);
      } else {
        text += std::to_string(grid.value[i]);
      }
      text += '\n';
      out.Flush();
    }
  }
  return out.Finish();
}

FileFailure WriteGridTile(const GridTile& tile, const std::filesystem::path& file) {
  ChunkedWriter out(file);
  const GridValues& g = tile.values;
  std::string& text = out.Text();
  text += kTileMagic;
  text += "\ntile " + std::to_string(tile.index) + " " + std::to_string(tile.count) + "\n";
  text += "rows " + std::to_string(g.rows.first) + " " + std::to_string(g.rows.count) + "\n";
  for (const auto& [name, value] : SharedLines(tile)) text += name + " " + value + "\n";
  text += "values\n";
  for (std::size_t i = 0; i < g.value.size(); ++i) {
    std::string& t = out.Text();
    t += std::to_string(g.value[i]);
    if (!g.lambda1.empty()) {
      t += ' ';
      AppendDouble(t, g.lambda1[i]);
    }
    if (!g.representative.empty()) {
      t += ' ';
      AppendDouble(t, g.representative[i].x);
      t += ' ';
      AppendDouble(t, g.representative[i].y);
    }
    t += '\n';
    out.Flush();
  }
  out.Text() += "end\n";
  return out.Finish();
}

GridTileRead ReadGridTile(const std::filesystem::path& file) {
  GridTileRead read;
  const std::string cannot = "cannot read the tile \"" + file.string() + "\": ";
  // Only a regular file is opened: a FIFO would block, a device never end.
  if (const std::optional<std::string> problem = TileFileProblem(file)) {
    read.error = cannot + *problem;
    return read;
  }
  errno = 0;
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    read.error = cannot + std::strerror(errno != 0 ? errno : EIO);
    return read;
  }
  const std::string name = "\"" + file.string() + "\"";
  std::string line;
  if (!ReadTileLine(in, line) || line != kTileMagic) {
    read.error = name + " is not a tile written by orbitra-render --tile";
    return read;
  }
  int lineNumber = 1;
  const auto damaged = [&] {
    read.error = name + " is damaged or incomplete (line " + std::to_string(lineNumber) + ")";
    read.tile.reset();
    return read;
  };
  // The header, name by name, in the order it is written.
  std::map<std::string, std::vector<std::string>> header;
  for (;;) {
    if (!ReadTileLine(in, line)) return damaged();
    ++lineNumber;
    if (line == "values") break;
    const std::size_t blank = line.find(' ');
    if (blank == std::string::npos) return damaged();
    header[line.substr(0, blank)] = {line.substr(blank + 1)};
  }
  const auto field = [&](const char* key) -> std::string { return header.count(key) ? header[key][0] : std::string(); };
  const auto ints = [&](const char* key, std::size_t n, std::vector<std::int32_t>& out) {
    out.clear();
    for (const std::string& t : Tokens(field(key))) {
      std::int32_t v = 0;
      if (!ParseInt32(t, v)) return false;
      out.push_back(v);
    }
    return out.size() == n;
  };
  const auto reals = [&](const std::string& text, std::size_t n, std::vector<double>& out) {
    out.clear();
    for (const std::string& t : Tokens(text)) {
      double v = 0.0;
      if (!ReadDouble(t, v)) return false;
      out.push_back(v);
    }
    return out.size() == n;
  };

  GridTile tile;
  GridSettings s;
  std::vector<std::int32_t> i2, i1, tileNumbers, rows, axes, grid, picture;
  std::vector<double> k, range, from, escape, chaos, scale;
  const std::vector<std::string> pictureTokens = Tokens(field("picture"));
  const std::string colouring = field("colouring");
  bool known = true;
  if (colouring == "period") s.colouring = GridColouring::Period;
  else if (colouring == "lyapunov") s.colouring = GridColouring::Lyapunov;
  else if (colouring == "escape") s.colouring = GridColouring::Escape;
  else if (colouring == "attractor") s.colouring = GridColouring::Attractor;
  else known = false;
  if (!known || !ints("tile", 2, tileNumbers) || !ints("rows", 2, rows) || !ints("axes", 2, axes) ||
      !ints("grid", 2, grid) || !reals(field("parameters"), 4, k) || !reals(field("range"), 4, range) ||
      !reals(field("from"), 2, from) || !reals(field("escape"), 1, escape) ||
      !reals(field("chaos-tolerance"), 1, chaos) || pictureTokens.size() != 3 || !header.count("map")) {
    return damaged();
  }
  std::int32_t pw = 0, ph = 0;
  double ts = 0.0;
  if (!ParseInt32(pictureTokens[0], pw) || !ParseInt32(pictureTokens[1], ph) || !ReadDouble(pictureTokens[2], ts)) {
    return damaged();
  }
  const auto one = [&](const char* key, std::int32_t& v) {
    if (!ints(key, 1, i1)) return false;
    v = i1[0];
    return true;
  };
  if (!one("transient", s.transient) || !one("longest-period", s.longestPeriod) ||
      !one("lyapunov-iterations", s.lyapunovIterations) || !one("escape-iterations", s.escapeIterations)) {
    return damaged();
  }
  s.xParameter = axes[0];
  s.yParameter = axes[1];
  s.width = grid[0];
  s.height = grid[1];
  s.range = {range[0], range[1], range[2], range[3]};
  s.from = {from[0], from[1]};
  s.escape = escape[0];
  s.chaosTolerance = chaos[0];
  tile.index = tileNumbers[0];
  tile.count = tileNumbers[1];
  const RowBand band{rows[0], rows[1]};
  if (s.width <= 0 || s.height <= 0 || band.first < 0 || band.count < 0 || band.first + band.count > s.height ||
      tile.count <= 0 || tile.index < 0 || tile.index >= tile.count ||
      static_cast<std::int64_t>(s.width) * band.count > kMostTilePixels || pw <= 0 || ph <= 0 ||
      static_cast<std::int64_t>(pw) * ph > kMostTilePixels || !(ts > 0.0 && ts <= 16.0) ||
      s.longestPeriod < 1 || s.longestPeriod > kMostPeriodLookedFor || s.escapeIterations < 0) {
    return damaged();
  }
  tile.identity = {field("map"), {k[0], k[1], k[2], k[3]}, pw, ph, ts};
  tile.values = GridValues(s, band);
  GridValues& g = tile.values;
  const std::size_t fields = 1 + (g.lambda1.empty() ? 0 : 1) + (g.representative.empty() ? 0 : 2);
  std::vector<double> numbers;
  for (std::size_t i = 0; i < g.value.size(); ++i) {
    if (!ReadTileLine(in, line)) return damaged();
    ++lineNumber;
    const std::vector<std::string> tokens = Tokens(line);
    if (tokens.size() != fields || !ParseInt32(tokens[0], g.value[i]) || !ValueFits(s, g.value[i])) return damaged();
    std::size_t next = 1;
    double v = 0.0;
    if (!g.lambda1.empty()) {
      if (!ReadDouble(tokens[next++], v)) return damaged();
      g.lambda1[i] = v;
    }
    if (!g.representative.empty()) {
      double y = 0.0;
      if (!ReadDouble(tokens[next], v) || !ReadDouble(tokens[next + 1], y)) return damaged();
      g.representative[i] = {v, y};
    }
    g.done[i] = 1;
  }
  if (!ReadTileLine(in, line) || line != "end") {
    ++lineNumber;
    return damaged();
  }
  read.tile = std::move(tile);
  return read;
}

GridMerge MergeGridTiles(const std::vector<std::filesystem::path>& files) {
  GridMerge merge;
  std::vector<GridTile> tiles;
  for (const std::filesystem::path& f : files) {
    GridTileRead read = ReadGridTile(f);
    if (!read.tile) {
      merge.error = read.error;
      merge.unreadable = true;
      return merge;
    }
    tiles.push_back(std::move(*read.tile));
  }
  if (tiles.empty()) {
    merge.error = "no tiles to merge";
    return merge;
  }
  const GridTile& first = tiles.front();
  const auto quoted = [&](std::size_t i) { return "\"" + files[i].string() + "\""; };
  const std::vector<std::pair<std::string, std::string>> reference = SharedLines(first);
  // Which file holds each tile: as many entries as files, whatever count a tile claims.
  std::map<std::int32_t, std::int32_t> holder;
  for (std::size_t t = 0; t < tiles.size(); ++t) {
    const std::vector<std::pair<std::string, std::string>> lines = SharedLines(tiles[t]);
    for (std::size_t k = 0; k < lines.size(); ++k) {
      if (lines[k] != reference[k]) {
        merge.error = quoted(0) + " and " + quoted(t) + " belong to different pictures: their \"" + lines[k].first +
                      "\" differs (" + reference[k].second + " and " + lines[k].second + ")";
        return merge;
      }
    }
    if (tiles[t].count != first.count) {
      merge.error = quoted(0) + " and " + quoted(t) + " belong to different tilings: " + std::to_string(first.count) +
                    " and " + std::to_string(tiles[t].count) + " tiles";
      return merge;
    }
    const RowBand expected = TileRows(first.values.settings.height, tiles[t].index, first.count);
    if (tiles[t].values.rows.first != expected.first || tiles[t].values.rows.count != expected.count) {
      merge.error = quoted(t) + " is damaged: its rows are not those of tile " + std::to_string(tiles[t].index) +
                    " of " + std::to_string(first.count);
      return merge;
    }
    const auto [seen, added] = holder.emplace(tiles[t].index, static_cast<std::int32_t>(t));
    if (!added) {
      merge.error = "tile " + std::to_string(tiles[t].index) + " of " + std::to_string(first.count) +
                    " is given twice: " + quoted(static_cast<std::size_t>(seen->second)) + " and " + quoted(t);
      return merge;
    }
  }
  for (std::int32_t i = 0; i < first.count; ++i) {
    if (!holder.contains(i)) {
      merge.error = "tile " + std::to_string(i) + " of " + std::to_string(first.count) + " is missing";
      return merge;
    }
  }
  GridTile whole;
  whole.identity = first.identity;
  whole.values = GridValues(first.values.settings, RowBand{0, first.values.settings.height});
  for (const GridTile& t : tiles) {
    const GridValues& part = t.values;
    const std::size_t at = whole.values.Index(0, part.rows.first);
    std::copy(part.value.begin(), part.value.end(), whole.values.value.begin() + static_cast<std::ptrdiff_t>(at));
    std::copy(part.lambda1.begin(), part.lambda1.end(), whole.values.lambda1.begin() + static_cast<std::ptrdiff_t>(at));
    std::copy(part.representative.begin(), part.representative.end(),
              whole.values.representative.begin() + static_cast<std::ptrdiff_t>(at));
    std::copy(part.done.begin(), part.done.end(), whole.values.done.begin() + static_cast<std::ptrdiff_t>(at));
  }
  merge.whole = std::move(whole);
  return merge;
}

}  // namespace orbitra
