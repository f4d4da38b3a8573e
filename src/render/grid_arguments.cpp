// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/grid_arguments.h"

#include <QFileInfo>

#include "storage/text_format.h"

namespace orbitra {

namespace {

QString Name(const char* name) { return QString::fromLatin1(name); }

std::string Value(const QCommandLineParser& parser, const char* name) {
  return parser.value(Name(name)).toStdString();
}

std::string Takes(const char* name, const std::string& what, const std::string& given) {
  return std::string("--") + name + " takes " + what + ", not \"" + given + "\"";
}

// A whole number from lo to hi, when the option is given; the error otherwise.
std::string ReadWhole(const QCommandLineParser& parser, const char* name, std::int32_t lo, std::int32_t hi,
                      std::int32_t& out) {
  if (!parser.isSet(Name(name))) return {};
  std::int32_t v = 0;
  if (!ParseInt32(Value(parser, name), v) || v < lo || v > hi) {
    return Takes(name, "a whole number from " + std::to_string(lo) + " to " + std::to_string(hi), Value(parser, name));
  }
  out = v;
  return {};
}

std::string ReadPositive(const QCommandLineParser& parser, const char* name, bool zeroToo, double& out) {
  if (!parser.isSet(Name(name))) return {};
  double v = 0.0;
  if (!ParseDouble(Value(parser, name), v) || v < 0.0 || (!zeroToo && v == 0.0)) {
    return Takes(name, zeroToo ? "a number of 0 or more" : "a number above 0", Value(parser, name));
  }
  out = v;
  return {};
}

// "k1=a:b,k2=c:d": two different parameters, each with a range from low to high.
std::string ReadPlaneAxes(const std::string& text, GridSettings& s) {
  const std::string what = "two parameters with their ranges, such as k1=0:1.4,k2=0:0.4";
  const std::size_t comma = text.find(',');
  if (comma == std::string::npos) return Takes("parameter-plane", what, text);
  int which[2] = {0, 0};
  double lo[2] = {0, 0}, hi[2] = {0, 0};
  const std::string parts[2] = {text.substr(0, comma), text.substr(comma + 1)};
  for (int a = 0; a < 2; ++a) {
    const std::string& part = parts[a];
    const std::size_t equals = part.find('='), colon = part.find(':');
    if (part.size() < 4 || (part[0] != 'k' && part[0] != 'K') || part[1] < '1' || part[1] > '4' || equals != 2 ||
        colon == std::string::npos || colon < equals || !ParseDouble(part.substr(3, colon - 3), lo[a]) ||
        !ParseDouble(part.substr(colon + 1), hi[a]) || !(lo[a] < hi[a])) {
      return Takes("parameter-plane", what + " (each range low:high)", text);
    }
    which[a] = part[1] - '1';
  }
  if (which[0] == which[1]) return Takes("parameter-plane", what + " (two different parameters)", text);
  s.xParameter = which[0];
  s.yParameter = which[1];
  s.range = {lo[0], hi[0], lo[1], hi[1]};
  return {};
}

std::string ReadTile(const std::string& text, GridRequest& grid) {
  const std::size_t slash = text.find('/');
  std::int32_t i = 0, n = 0;
  if (slash == std::string::npos || !ParseInt32(text.substr(0, slash), i) || !ParseInt32(text.substr(slash + 1), n) ||
      n < 1 || i < 0 || i >= n) {
    return Takes("tile", "i/N, tile i of N counted from 0, such as 0/3", text);
  }
  grid.tileIndex = i;
  grid.tileCount = n;
  return {};
}

std::string ReadMerge(const QCommandLineParser& parser, RenderRequest& request) {
  GridRequest grid;
  grid.mergeFiles.push_back(std::filesystem::absolute(Value(parser, "merge-tiles")));
  for (const QString& file : parser.positionalArguments()) grid.mergeFiles.push_back(std::filesystem::absolute(file.toStdString()));
  for (const char* other : {"parameter-plane", "basins", "phase-space", "tile", "lyapunov", "group"}) {
    if (parser.isSet(Name(other))) return std::string("--merge-tiles cannot be used with --") + other;
  }
  if (!request.png && !request.exportFile) return "--merge-tiles needs --png FILE and/or --export FILE";
  request.grid = std::move(grid);
  return {};
}

}  // namespace

void AddGridOptions(QCommandLineParser& parser) {
  parser.addOptions({
      {Name("parameter-plane"),
       Name("A parameter plane: two of k1 to k4 with their ranges, e.g. k1=0:1.4,k2=0:0.4; each pixel's orbit "
            "starts from --from (default: the map's X0, Y0)."),
       Name("k1=a:b,k2=c:d")},
      {Name("basins"), Name("Basins of attraction over --range (default: the map's range), each pixel an initial point.")},
      {Name("phase-space"),
       Name("The phase plane over --range (default: the map's range), each pixel an initial point, coloured by "
            "--colour-by: fli, megno (default), lyapunov, rotation, escape or attractor. --iterations counts the "
            "iterations of each orbit (default 1000), after --transient (default 0).")},
      {Name("centre"),
       Name("With --phase-space --colour-by rotation: the point the winding is counted about (default: the elliptic "
            "fixed point nearest the middle of the range) for a map whose x does not wrap."),
       Name("x,y")},
      {Name("colour-by"),
       Name("period or lyapunov for a parameter plane (default period); escape or attractor for basins (default "
            "escape)."),
       Name("what")},
      {Name("transient"),
       Name("Iterations before an orbit diagram counts, or before periods and exponents are looked at (default 1000)."),
       Name("n")},
      {Name("longest-period"), Name("The longest period looked for, 1 to 1000 (default 64)."), Name("p")},
      {Name("lyapunov-iterations"), Name("Iterations that estimate the Lyapunov exponent (default 1000)."), Name("n")},
      {Name("escape"), Name("An orbit escapes once x*x + y*y passes this (default 10000)."), Name("value")},
      {Name("chaos-tolerance"), Name("Chaotic when the exponent is above this (default 0.01)."), Name("value")},
      {Name("tile"),
       Name("Compute only tile i of N (bands of rows, i from 0) and write its values with --export FILE, for "
            "--merge-tiles."),
       Name("i/N")},
      {Name("merge-tiles"),
       Name("Assemble the tiles written with --tile (this file and the files after the options) into the picture "
            "(--png) and the export (--export) of the whole plane."),
       Name("file")},
  });
}

std::string ReadGridRequest(const QCommandLineParser& parser, RenderRequest& request) {
  if (parser.isSet(Name("merge-tiles"))) return ReadMerge(parser, request);
  if (!parser.positionalArguments().isEmpty()) {
    return "unexpected argument \"" + parser.positionalArguments().first().toStdString() + "\"";
  }
  const bool plane = parser.isSet(Name("parameter-plane"));
  const bool phase = parser.isSet(Name("phase-space"));
  if (phase && (plane || parser.isSet(Name("basins")))) {
    return std::string("--phase-space cannot be used with --") + (plane ? "parameter-plane" : "basins");
  }
  if (parser.isSet(Name("centre")) && !phase && !parser.isSet(Name("rotation-profile"))) {
    return "--centre needs --phase-space or --rotation-profile";
  }
  const bool basins = parser.isSet(Name("basins")) || phase;
  if (request.diagram) {
    if (plane || basins) return "--orbit-diagram cannot be used with --parameter-plane or --basins";
    for (const char* name : {"colour-by", "longest-period", "lyapunov-iterations", "escape", "chaos-tolerance", "tile"}) {
      if (parser.isSet(Name(name))) return std::string("--") + name + " needs --parameter-plane or --basins";
    }
    return {};
  }
  if (!plane && !basins) {
    if (parser.isSet(Name("transient")) && !parser.isSet(Name("rotation-profile"))) {
      return "--transient goes with --orbit-diagram, --parameter-plane or --basins";
    }
    for (const char* name : {"colour-by", "longest-period", "lyapunov-iterations", "escape",
                             "chaos-tolerance", "tile"}) {
      if (parser.isSet(Name(name))) return std::string("--") + name + " needs --parameter-plane or --basins";
    }
    return {};
  }
  if (plane && basins) return "--parameter-plane and --basins cannot be used together";
  for (const char* other : {"lyapunov", "group"}) {
    if (parser.isSet(Name(other))) return std::string("--") + other + " cannot be used with a whole-plane picture";
  }
  GridRequest grid;
  GridSettings& s = grid.settings;
  if (plane) {
    if (std::string e = ReadPlaneAxes(Value(parser, "parameter-plane"), s); !e.empty()) return e;
    if (request.job.starts.size() > 1) return "a parameter plane takes one --from point";
    if (request.job.range) return "--range is for basins; a parameter plane's ranges go with --parameter-plane";
    grid.fromGiven = !request.job.starts.empty();
    if (grid.fromGiven) s.from = request.job.starts.front();
  } else {
    if (!request.job.starts.empty()) return "--from is for a parameter plane; basins start from every pixel";
    if (request.job.range) s.range = *request.job.range;
  }
  const std::string colouring = parser.isSet(Name("colour-by")) ? Value(parser, "colour-by")
                                : plane                         ? "period"
                                : phase                         ? "megno"
                                                                : "escape";
  if (phase && PhaseColouringNamed(colouring)) {
    grid.phaseColouring = PhaseColouringNamed(colouring);
    s.colouring = GridColouring::Escape;
    s.transient = 0;
    s.escape = 1e8;
    if (parser.isSet(Name("centre"))) {
      const std::string text = Value(parser, "centre");
      const std::size_t comma = text.find(',');
      double x = 0.0, y = 0.0;
      if (comma == std::string::npos || !ParseDouble(text.substr(0, comma), x) || !ParseDouble(text.substr(comma + 1), y)) {
        return Takes("centre", "a point x,y", text);
      }
      grid.centre = WorldPoint{x, y};
    }
  } else if (phase && colouring != "escape" && colouring != "attractor") {
    return Takes("colour-by", "fli, megno, lyapunov, rotation, escape or attractor for the phase space", colouring);
  } else if (plane && colouring == "period") s.colouring = GridColouring::Period;
  else if (plane && colouring == "lyapunov") s.colouring = GridColouring::Lyapunov;
  else if (basins && colouring == "escape") s.colouring = GridColouring::Escape;
  else if (basins && colouring == "attractor") s.colouring = GridColouring::Attractor;
  else return Takes("colour-by", plane ? "period or lyapunov for a parameter plane" : "escape or attractor for basins", colouring);

  constexpr std::int32_t kMost = 2'000'000'000;
  for (const std::string& e :
       {ReadWhole(parser, "transient", 0, kMost, s.transient),
        ReadWhole(parser, "longest-period", 1, kMostPeriodLookedFor, s.longestPeriod),
        ReadWhole(parser, "lyapunov-iterations", 1, kMost, s.lyapunovIterations),
        ReadPositive(parser, "escape", false, s.escape), ReadPositive(parser, "chaos-tolerance", true, s.chaosTolerance)}) {
    if (!e.empty()) return e;
  }
  if (request.job.iterations) {
    if (*request.job.iterations < 1) return Takes("iterations", "a whole number of 1 or more for basins", "0");
    s.escapeIterations = *request.job.iterations;
  }
  if (parser.isSet(Name("tile"))) {
    if (std::string e = ReadTile(Value(parser, "tile"), grid); !e.empty()) return e;
    if (request.png) return "--tile writes no picture: give --export FILE, then --merge-tiles makes the picture";
    if (!request.exportFile) return "--tile needs --export FILE for the tile's values";
  }
  request.grid = std::move(grid);
  return {};
}

}  // namespace orbitra
