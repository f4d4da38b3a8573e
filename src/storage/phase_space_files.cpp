// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/phase_space_files.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "storage/replacement_file.h"
#include "storage/tile_text.h"

namespace orbitra {

namespace {

constexpr const char* kFirstLine = "Orbitra phase-space tile 1";

std::string Exact(double v) {
  if (std::isnan(v)) return "nan";
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

// The header lines that every tile of one picture shares.
std::string SharedHeader(const PhaseSpaceIdentity& id, const PhaseSpaceSettings& s) {
  std::string h;
  h += "map " + id.mapName + "\n";
  h += "k " + Exact(id.k[0]) + " " + Exact(id.k[1]) + " " + Exact(id.k[2]) + " " + Exact(id.k[3]) + "\n";
  h += "picture " + std::to_string(id.pictureWidth) + " " + std::to_string(id.pictureHeight) + " " +
       Exact(id.textScale) + "\n";
  h += "colouring " + std::string(PhaseColouringName(s.colouring)) + "\n";
  h += "range " + Exact(s.range.Xmin) + " " + Exact(s.range.Xmax) + " " + Exact(s.range.Ymin) + " " +
       Exact(s.range.Ymax) + "\n";
  h += "grid " + std::to_string(s.width) + " " + std::to_string(s.height) + "\n";
  h += "iterations " + std::to_string(s.iterations) + " transient " + std::to_string(s.transient) + " escape " +
       Exact(s.escape) + "\n";
  h += "centre " + Exact(s.centre.x) + " " + Exact(s.centre.y) + "\n";
  h += "wrap " + Exact(s.wrap.x) + " " + Exact(s.wrap.y) + "\n";
  return h;
}

double Parse(const std::string& word) {
  if (word == "nan") return NAN;
  return std::strtod(word.c_str(), nullptr);
}

struct ReadTile {
  std::string shared;
  PhaseSpaceTile tile;
};

std::optional<ReadTile> Read(const std::filesystem::path& file, std::string& error) {
  const std::string name = "\"" + file.string() + "\"";
  // Only a regular file is opened, and lines are read to a bound: a FIFO would block, a
  // device never end.
  if (const std::optional<std::string> problem = TileFileProblem(file)) {
    error = "cannot read the tile " + name + ": " + *problem;
    return std::nullopt;
  }
  std::ifstream in(file, std::ios::binary);
  std::string line;
  if (!in || !ReadTileLine(in, line) || line != kFirstLine) {
    error = name + " is no phase-space tile";
    return std::nullopt;
  }
  ReadTile r;
  PhaseSpaceSettings& s = r.tile.values.settings;
  PhaseSpaceIdentity& id = r.tile.identity;
  RowBand rows;
  bool sawValues = false;
  while (ReadTileLine(in, line)) {
    if (line == "values") {
      sawValues = true;
      break;
    }
    std::istringstream words(line);
    std::string key, a, b, c, d, e, f;
    words >> key;
    if (key == "map") {
      id.mapName = line.size() > 4 ? line.substr(4) : "";
    } else if (key == "k") {
      words >> a >> b >> c >> d;
      id.k[0] = Parse(a), id.k[1] = Parse(b), id.k[2] = Parse(c), id.k[3] = Parse(d);
    } else if (key == "picture") {
      words >> id.pictureWidth >> id.pictureHeight >> a;
      id.textScale = Parse(a);
    } else if (key == "colouring") {
      words >> a;
      const std::optional<PhaseColouring> colouring = PhaseColouringNamed(a);
      if (!colouring) break;
      s.colouring = *colouring;
    } else if (key == "range") {
      words >> a >> b >> c >> d;
      s.range = {Parse(a), Parse(b), Parse(c), Parse(d)};
    } else if (key == "grid") {
      words >> s.width >> s.height;
    } else if (key == "iterations") {
      words >> s.iterations >> a >> s.transient >> b >> c;
      s.escape = Parse(c);
    } else if (key == "centre") {
      words >> a >> b;
      s.centre = {Parse(a), Parse(b)};
    } else if (key == "wrap") {
      words >> a >> b;
      s.wrap = {Parse(a), Parse(b)};
    } else if (key == "tile") {
      words >> r.tile.index >> r.tile.count;
      continue;
    } else if (key == "rows") {
      words >> rows.first >> rows.count;
      continue;
    }
    r.shared += line + "\n";
  }
  // The header's sizes are checked before the values are allocated from them.
  if (!sawValues || s.width < 1 || s.height < 1 || r.tile.count < 1 || r.tile.index < 0 ||
      r.tile.index >= r.tile.count || r.tile.count > s.height || rows.count < 0 || rows.first < 0 ||
      rows.first > s.height - rows.count ||
      static_cast<std::int64_t>(s.width) * s.height > kMostTilePixels || id.pictureWidth < 1 ||
      id.pictureHeight < 1 || static_cast<std::int64_t>(id.pictureWidth) * id.pictureHeight > kMostTilePixels ||
      !(id.textScale > 0.0 && id.textScale <= 16.0)) {
    error = name + " is a damaged phase-space tile (its header)";
    return std::nullopt;
  }
  r.tile.values = PhaseSpaceValues(s, rows);
  for (std::size_t i = 0; i < r.tile.values.value.size(); ++i) {
    if (!ReadTileLine(in, line)) {
      error = name + " is a damaged phase-space tile (it ends early)";
      return std::nullopt;
    }
    r.tile.values.value[i] = Parse(line);
    r.tile.values.done[i] = 1;
  }
  return r;
}

}  // namespace

FileFailure WritePhaseSpaceTile(const PhaseSpaceTile& tile, const std::filesystem::path& file) {
  const PhaseSpaceValues& v = tile.values;
  std::string text = std::string(kFirstLine) + "\n" + SharedHeader(tile.identity, v.settings);
  text += "tile " + std::to_string(tile.index) + " " + std::to_string(tile.count) + "\n";
  text += "rows " + std::to_string(v.rows.first) + " " + std::to_string(v.rows.count) + "\nvalues\n";
  for (const double value : v.value) text += Exact(value) + "\n";
  return ReplaceFile(file, text);
}

FileFailure WritePhaseSpaceExport(const PhaseSpaceValues& values, const std::filesystem::path& file) {
  const PhaseSpaceSettings& s = values.settings;
  std::string text;
  for (std::int32_t r = values.rows.first; r < values.rows.first + values.rows.count; ++r) {
    const std::string y = Exact(CellCentre(s.range.Ymin, s.range.Ymax, s.height, r));
    for (std::int32_t c = 0; c < s.width; ++c) {
      text += Exact(CellCentre(s.range.Xmin, s.range.Xmax, s.width, c)) + " " + y + " " +
              Exact(values.value[values.Index(c, r)]) + "\n";
    }
  }
  return ReplaceFile(file, text);
}

bool IsPhaseSpaceTile(const std::filesystem::path& file) {
  if (TileFileProblem(file)) return false;
  std::ifstream in(file, std::ios::binary);
  std::string line;
  return in && ReadTileLine(in, line) && line == kFirstLine;
}

PhaseSpaceMerge MergePhaseSpaceTiles(const std::vector<std::filesystem::path>& files) {
  PhaseSpaceMerge merge;
  std::vector<ReadTile> tiles;
  for (const std::filesystem::path& file : files) {
    std::optional<ReadTile> t = Read(file, merge.error);
    if (!t) {
      merge.unreadable = true;
      return merge;
    }
    tiles.push_back(std::move(*t));
  }
  if (tiles.empty()) {
    merge.error = "no tiles to merge";
    return merge;
  }
  const ReadTile& first = tiles.front();
  const std::int32_t count = first.tile.count;
  std::vector<int> seen(static_cast<std::size_t>(count), 0);
  for (std::size_t i = 0; i < tiles.size(); ++i) {
    const ReadTile& t = tiles[i];
    if (t.shared != first.shared || t.tile.count != count) {
      merge.error = "\"" + files[i].string() + "\" is a tile of another picture than \"" + files[0].string() + "\"";
      return merge;
    }
    const RowBand expected = TileRows(t.tile.values.settings.height, t.tile.index, count);
    if (t.tile.values.rows.first != expected.first || t.tile.values.rows.count != expected.count) {
      merge.error = "\"" + files[i].string() + "\" is a damaged phase-space tile (its rows)";
      return merge;
    }
    if (seen[static_cast<std::size_t>(t.tile.index)]++) {
      merge.error = "tile " + std::to_string(t.tile.index) + " of " + std::to_string(count) + " is given twice";
      return merge;
    }
  }
  for (std::int32_t i = 0; i < count; ++i) {
    if (!seen[static_cast<std::size_t>(i)]) {
      merge.error = "tile " + std::to_string(i) + " of " + std::to_string(count) + " is missing";
      return merge;
    }
  }
  PhaseSpaceTile whole;
  whole.identity = first.tile.identity;
  whole.values = PhaseSpaceValues(first.tile.values.settings, RowBand{0, first.tile.values.settings.height});
  for (const ReadTile& t : tiles) {
    const PhaseSpaceValues& v = t.tile.values;
    for (std::int32_t r = v.rows.first; r < v.rows.first + v.rows.count; ++r) {
      for (std::int32_t c = 0; c < v.settings.width; ++c) {
        whole.values.value[whole.values.Index(c, r)] = v.value[v.Index(c, r)];
        whole.values.done[whole.values.Index(c, r)] = 1;
      }
    }
  }
  merge.whole = std::move(whole);
  return merge;
}

}  // namespace orbitra
