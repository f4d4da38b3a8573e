// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/render_arguments.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <cmath>
#include <limits>

#include "analysis/periodic_orbits.h"
#include "maps/formula_error.h"
#include "render/grid_arguments.h"
#include "storage/text_format.h"
#include "storage/user_map_file.h"

namespace orbitra {

namespace {

// Reading stops at the first wrong value; its message is the one the user sees.
class ValueReader {
 public:
  explicit ValueReader(const QCommandLineParser& parser) : parser_(parser) {}

  bool Failed() const { return !error_.empty(); }
  const std::string& Error() const { return error_; }
  // The first failure was a file that cannot be read (exit status 1, not 2).
  bool FileUnreadable() const { return fileUnreadable_; }

  std::optional<std::string> Text(const QString& name) const {
    if (!parser_.isSet(name)) return std::nullopt;
    return parser_.value(name).toStdString();
  }

  std::optional<double> Number(const QString& name) { return Parsed<double>(name, "a number", ParseDouble); }

  std::optional<std::int32_t> WholeNumber(const QString& name, std::int32_t lo, std::int32_t hi) {
    const std::string what = "a whole number from " + std::to_string(lo) + " to " + std::to_string(hi);
    std::optional<std::int32_t> v = Parsed<std::int32_t>(name, what.c_str(), ParseInt32);
    if (v && (*v < lo || *v > hi)) return Fail<std::int32_t>(name, what, parser_.value(name).toStdString());
    return v;
  }

  // Numbers separated by commas, exactly `count` of them.
  std::optional<std::vector<double>> Numbers(const std::string& name, const std::string& text, std::size_t count,
                                             const char* what) {
    std::vector<double> values;
    std::size_t start = 0;
    for (;;) {
      const std::size_t comma = text.find(',', start);
      double v = 0.0;
      if (!ParseDouble(std::string_view(text).substr(start, comma - start), v)) break;
      values.push_back(v);
      if (comma == std::string::npos) {
        if (values.size() == count) return values;
        break;
      }
      start = comma + 1;
    }
    return Fail<std::vector<double>>(QString::fromStdString(name), what, text);
  }

  template <typename T>
  std::optional<T> Fail(const QString& name, const std::string& what, const std::string& given) {
    if (error_.empty()) error_ = "--" + name.toStdString() + " takes " + what + ", not \"" + CutForMessage(given) + "\"";
    return std::nullopt;
  }
  void Fail(const std::string& message) {
    if (error_.empty()) error_ = message;
  }
  void FailFile(const std::string& message) {
    if (error_.empty()) fileUnreadable_ = true;
    Fail(message);
  }

 private:
  template <typename T, typename Parse>
  std::optional<T> Parsed(const QString& name, const std::string& what, Parse parse) {
    if (!parser_.isSet(name)) return std::nullopt;
    const std::string given = parser_.value(name).toStdString();
    T v{};
    if (!parse(given, v)) return Fail<T>(name, what, given);
    return v;
  }

  const QCommandLineParser& parser_;
  std::string error_;
  bool fileUnreadable_ = false;
};

std::filesystem::path Absolute(const std::string& file) { return std::filesystem::absolute(file); }

void AddOptions(QCommandLineParser& parser) {
  parser.setApplicationDescription(QStringLiteral(
      "Runs a map of Orbitra (built in, one of yours, or typed with --x and --y) without a window\n"
      "and writes the picture (PNG), the stored points as the ASCII export of \"Export Data\", and/or\n"
      "the orbit inspector's report. The map runs as in the program: each --from is a new run of\n"
      "--iterations iterations, storing every iterate; the picture is the mapping window's at\n"
      "--size. Messages of the runs (an escape, a full buffer) go to the error stream and the\n"
      "picture is still made. --session starts from a saved session, --save-session writes one.\n"
      "Exit status: 0 done, 1 a file could not be read or written, 2 wrong arguments."));
  parser.addHelpOption();
  parser.addOptions({
      {QStringLiteral("map"),
       QStringLiteral("The map, by name (\"Henon D-C Map\") or number 1 to 10, or one of your maps by its name in "
                      "usermaps.txt of the current folder. Default: Standard Map."),
       QStringLiteral("name")},
      {QStringLiteral("map-file"), QStringLiteral("Your maps from this file instead of usermaps.txt (same format)."),
       QStringLiteral("file")},
      {QStringLiteral("x"), QStringLiteral("A map of its own: the formula of x' (with --y), e.g. \"1 - k1*x*x + y\"."),
       QStringLiteral("formula")},
      {QStringLiteral("y"), QStringLiteral("The formula of y' of that map, e.g. \"k2*x\"."), QStringLiteral("formula")},
      {QStringLiteral("helper"),
       QStringLiteral("A helper line of that map, \"t = x + y\", computed before x' and y'; repeat for more."),
       QStringLiteral("line")},
      {QStringLiteral("k1"), QStringLiteral("Parameter k1 (default: the map's)."), QStringLiteral("value")},
      {QStringLiteral("k2"), QStringLiteral("Parameter k2."), QStringLiteral("value")},
      {QStringLiteral("k3"), QStringLiteral("Parameter k3."), QStringLiteral("value")},
      {QStringLiteral("k4"), QStringLiteral("Parameter k4."), QStringLiteral("value")},
      {QStringLiteral("from"), QStringLiteral("A starting point; repeat for several runs."), QStringLiteral("x,y")},
      {QStringLiteral("group"),
       QStringLiteral("A group file (lines \"X0 Y0 iterations colour restricted\") run as \"Run Trajectory Group\"."),
       QStringLiteral("file")},
      {QStringLiteral("iterations"), QStringLiteral("Iterations of each run (default 1000)."), QStringLiteral("n")},
      {QStringLiteral("colour"), QStringLiteral("Colour of the runs, by name (\"Blue\") or list position 0 to 12."),
       QStringLiteral("name")},
      {QStringLiteral("display"), QStringLiteral("0: the X-Y box alone (default); 1: with the X(n) and Y(n) boxes."),
       QStringLiteral("mode")},
      {QStringLiteral("range"),
       QStringLiteral("Range of the X-Y box (default: the map's), rounded as the box settings round it."),
       QStringLiteral("xmin,xmax,ymin,ymax")},
      {QStringLiteral("size"), QStringLiteral("Picture size in pixels (default 800x600)."), QStringLiteral("WxH")},
      {QStringLiteral("scale"),
       QStringLiteral("Text and marks this many times larger, as \"Save Picture...\" draws a larger size (default 1)."),
       QStringLiteral("factor")},
      {QStringLiteral("window"),
       QStringLiteral("Draw what \"Save Picture...\" saves from a mapping window of this size: with --size as "
                      "\"Width by height\" (texts scaled by the smaller ratio of the sides), with --times as "
                      "\"2x\", \"3x\" or \"4x\", alone as \"1x as shown\"."),
       QStringLiteral("WxH")},
      {QStringLiteral("times"), QStringLiteral("With --window: the picture 2, 3 or 4 times the window's size."),
       QStringLiteral("n")},
      {QStringLiteral("plot-only"),
       QStringLiteral("The boxes alone, as \"Plot only\" of \"Save Picture...\" saves them: no status or mouse "
                      "lines, the picture cut to the boxes.")},
      {QStringLiteral("buffer"),
       QStringLiteral("Buffer capacity in points (default: room for every iteration, at least 1000000)."),
       QStringLiteral("points")},
      {QStringLiteral("png"), QStringLiteral("Write the picture to this PNG file."), QStringLiteral("file")},
      {QStringLiteral("export"), QStringLiteral("Write the stored points inside the X-Y box to this text file."),
       QStringLiteral("file")},
      {QStringLiteral("high-accuracy"), QStringLiteral("Export with 12 decimals instead of 6.")},
      {QStringLiteral("orbit-diagram"),
       QStringLiteral("Draw the orbit diagram over a parameter's range instead of runs, e.g. k1=1.0:1.06; --from "
                      "gives the initial point."),
       QStringLiteral("kN=min:max")},
      {QStringLiteral("coordinate"), QStringLiteral("The diagram's coordinate, x (default) or y."),
       QStringLiteral("x|y")},
      {QStringLiteral("coordinate-range"),
       QStringLiteral("The diagram's range of the coordinate (default: the X-Y box's)."), QStringLiteral("min,max")},
      {QStringLiteral("points"), QStringLiteral("Points counted per column (default 1000)."), QStringLiteral("n")},
      {QStringLiteral("no-carry"),
       QStringLiteral("Each column starts from the initial point, not from the previous column's last point.")},
      {QStringLiteral("black"), QStringLiteral("Any hit black instead of a logarithmic grey scale.")},
      {QStringLiteral("threads"), QStringLiteral("Worker threads of a sweep (default: one per core)."),
       QStringLiteral("n")},
      {QStringLiteral("session"),
       QStringLiteral("Start from this session (.orbitra.h5, as \"Save Session...\" writes it); the other options "
                      "apply on top of it and the runs add to its points."),
       QStringLiteral("file")},
      {QStringLiteral("save-session"),
       QStringLiteral("After the runs, write everything as a session that \"Open Session...\" opens."),
       QStringLiteral("file")},
      {QStringLiteral("view"),
       QStringLiteral("With --session: draw the session's sweep window N (0 for the first opened: an orbit "
                      "diagram, a parameter plane or basins) to --png as it was saved; nothing is computed."),
       QStringLiteral("N")},
      {QStringLiteral("periodic-orbits"),
       QStringLiteral("Print the prime periodic orbits of periods 1 to P (at most 20), one a line: period, first "
                      "point, the two eigenvalues of the Jacobian of F^P along it, class."),
       QStringLiteral("P")},
      {QStringLiteral("region"),
       QStringLiteral("Where --periodic-orbits and --manifolds look for orbits (default: the X-Y box's range)."),
       QStringLiteral("xmin,xmax,ymin,ymax")},
      {QStringLiteral("manifolds"),
       QStringLiteral("Grow the unstable and stable manifolds of the saddle of period P found nearest to (x, y): "
                      "drawn into --png; --export then writes their points (\"branch x y\")."),
       QStringLiteral("P:x,y")},
      {QStringLiteral("periodic-orbit-type"),
       QStringLiteral("Print the orbits that advance p wraps of x in q iterations (a map whose x wraps), with a "
                      "point in --region: period, first point, eigenvalues, class, residue."),
       QStringLiteral("p/q")},
      {QStringLiteral("rotation-profile"),
       QStringLiteral("Print the rotation number along a segment: --points initial points (default 100) from "
                      "(x0, y0) to (x1, y1), each run for --transient and then --iterations iterations; a line "
                      "\"s x y rotation\" each, s the distance along the segment."),
       QStringLiteral("x0,y0:x1,y1")},
      {QStringLiteral("critical-circle"),
       QStringLiteral("Print where the invariant circle of rotation number --omega breaks as k1 grows, by Greene's "
                      "residue criterion: per convergent p/q of omega, the k1 at which the residue of the elliptic "
                      "p/q orbit is 1/4, then the estimate and its last two differences.")},
      {QStringLiteral("omega"),
       QStringLiteral("The circle's rotation number for --critical-circle (default the golden mean's "
                      "(sqrt 5 - 1)/2)."),
       QStringLiteral("w")},
      {QStringLiteral("largest-period"),
       QStringLiteral("The largest q of the convergents --critical-circle uses (default 987)."), QStringLiteral("q")},
      {QStringLiteral("arc-length"), QStringLiteral("Length of each manifold branch (default 10)."),
       QStringLiteral("L")},
      {QStringLiteral("interpreted"),
       QStringLiteral("Run a typed map by the formula interpreter, without compiling it to machine code (same "
                      "results, slower; for comparisons and bug reports).")},
      {QStringLiteral("lyapunov"),
       QStringLiteral("After the runs, print the orbit inspector's report of the last trajectory (Lyapunov "
                      "exponents, period).")},
  });
  AddGridOptions(parser);
}

// The picture's size from "WxH".
std::optional<PictureSize> ReadSize(ValueReader& reader, const QString& option, const std::string& text) {
  const std::size_t x = text.find_first_of("xX");
  std::int32_t width = 0, height = 0;
  if (x == std::string::npos || !ParseInt32(text.substr(0, x), width) || !ParseInt32(text.substr(x + 1), height) ||
      !PictureSizeAllowed(PictureSize{width, height, 1.0})) {
    return reader.Fail<PictureSize>(option,
                                    "a width and a height such as 1600x1200, each from 1 to " +
                                        std::to_string(kLargestPictureSide) + ", at most " +
                                        std::to_string(kLargestPicturePixels) + " pixels in all",
                                    text);
  }
  return PictureSize{width, height, 1.0};
}

// A rectangle "xmin,xmax,ymin,ymax" (--range, --region).
std::optional<WorldRange> ReadRange(ValueReader& reader, const char* name) {
  const auto text = reader.Text(QString::fromLatin1(name));
  if (!text) return std::nullopt;
  const auto r = reader.Numbers(name, *text, 4, "four numbers xmin,xmax,ymin,ymax");
  if (!r) return std::nullopt;
  if ((*r)[0] < (*r)[1] && (*r)[2] < (*r)[3]) return WorldRange{(*r)[0], (*r)[1], (*r)[2], (*r)[3]};
  return reader.Fail<WorldRange>(QString::fromLatin1(name),
                                 "xmin,xmax,ymin,ymax with xmin below xmax and ymin below ymax", *text);
}

bool ReadableFile(const std::string& name) {
  const QFileInfo file(QString::fromStdString(name));
  return !name.empty() && file.isFile() && file.isReadable();
}

// Why a file given to be read cannot be: the system's words, or what it is instead of a
// file; empty when it can be read. Nothing is opened that could block (a FIFO).
std::string UnreadableReason(const std::string& name) {
  struct stat st {};
  if (name.empty()) return "no file named";
  if (::stat(name.c_str(), &st) != 0) return std::strerror(errno);
  if (S_ISDIR(st.st_mode)) return "it is a folder";
  if (!S_ISREG(st.st_mode)) return "it is not a regular file";
  if (::access(name.c_str(), R_OK) != 0) return std::strerror(errno);
  return {};
}

// Fails with the file's reason when it cannot be read; true when it can.
bool CheckReadable(ValueReader& reader, const std::string& what, const std::string& name) {
  const std::string reason = UnreadableReason(name);
  if (reason.empty()) return true;
  reader.FailFile("cannot read the " + what + " \"" + CutForMessage(name) + "\": " + reason);
  return false;
}

// A map typed on the command line, as one user map of the job.
void ReadInlineMap(const QCommandLineParser& parser, ValueReader& reader, RenderJob& job) {
  const auto x = reader.Text(QStringLiteral("x"));
  const auto y = reader.Text(QStringLiteral("y"));
  if (!x || !y) return reader.Fail("--x and --y go together: give the formulas of both x' and y'");
  if (parser.isSet(QStringLiteral("map")) || parser.isSet(QStringLiteral("map-file"))) {
    return reader.Fail("--x and --y cannot be used with --map or --map-file");
  }
  UserMapDefinition definition;
  definition.name = kInlineMapName;
  for (const QString& line : parser.values(QStringLiteral("helper"))) definition.helpers.push_back(line.toStdString());
  definition.xFormula = *x;
  definition.yFormula = *y;
  UserMapMaking made = MakeUserMap(definition);
  if (!made.map) return reader.Fail(DescribeFormulaError(*made.error));
  job.userMaps.push_back(std::move(*made.map));
  job.system = kFirstUserSystem;
  job.mapGiven = true;
}

// --map: a built-in map first; otherwise one of the user's maps, read from --map-file or
// from "usermaps.txt" of the current folder. A damaged file lends the maps it could read.
void ReadMap(const QCommandLineParser& parser, ValueReader& reader, RenderJob& job, std::vector<std::string>& notes) {
  if (parser.isSet(QStringLiteral("x")) || parser.isSet(QStringLiteral("y")) ||
      parser.isSet(QStringLiteral("helper"))) {
    return ReadInlineMap(parser, reader, job);
  }
  const auto map = reader.Text(QStringLiteral("map"));
  const auto mapFile = reader.Text(QStringLiteral("map-file"));
  if (mapFile && !CheckReadable(reader, "map file", *mapFile)) return;
  if (mapFile && !map) return reader.Fail("--map-file needs --map NAME");
  if (!map) return;
  job.mapGiven = true;
  if (const auto system = FindSystem(*map)) {
    job.system = *system;
    return;
  }
  const std::string file = mapFile.value_or(kUserMapFileName);
  UserMapFileRead read = ReadUserMapFile(Absolute(file));
  if (read.failure) return reader.Fail(*read.failure);
  if (read.contents.problem) notes.push_back(DescribeUserMapFileProblem(file, *read.contents.problem));
  job.userMaps = std::move(read.contents.maps);
  if (const auto system = FindSystem(*map, job.userMaps)) {
    job.system = *system;
  } else if (mapFile || ReadableFile(file)) {
    reader.Fail<int>(QStringLiteral("map"),
                     "the name of a built-in map or of one in \"" + file + "\", or a number from 1 to 10", *map);
  } else {
    reader.Fail<int>(QStringLiteral("map"), "a map's name or a number from 1 to 10", *map);
  }
}

void ReadJob(const QCommandLineParser& parser, ValueReader& reader, RenderJob& job, std::vector<std::string>& notes) {
  ReadMap(parser, reader, job, notes);
  const QString parameters[] = {QStringLiteral("k1"), QStringLiteral("k2"), QStringLiteral("k3"),
                                QStringLiteral("k4")};
  for (std::size_t i = 0; i < job.k.size(); ++i) job.k[i] = reader.Number(parameters[i]);
  for (const QString& from : parser.values(QStringLiteral("from"))) {
    if (const auto xy = reader.Numbers("from", from.toStdString(), 2, "a point x,y")) {
      job.starts.push_back(WorldPoint{(*xy)[0], (*xy)[1]});
    }
  }
  if (const auto group = reader.Text(QStringLiteral("group"))) {
    if (CheckReadable(reader, "group file", *group)) {
      job.group = Absolute(*group);
    }
  }
  if (!job.starts.empty() && job.group) reader.Fail("--from and --group cannot be used together");
  job.iterations = reader.WholeNumber(QStringLiteral("iterations"), 0, std::numeric_limits<std::int32_t>::max());
  if (const auto colour = reader.Text(QStringLiteral("colour"))) {
    job.colour = FindColour(*colour);
    if (!job.colour) reader.Fail<int>(QStringLiteral("colour"), "a colour's name or a number from 0 to 12", *colour);
  }
  job.displayMode = reader.WholeNumber(QStringLiteral("display"), 0, 1);
  job.range = ReadRange(reader, "range");
  job.bufferCapacity = reader.WholeNumber(QStringLiteral("buffer"), 0, std::numeric_limits<std::int32_t>::max());
  job.inspect = parser.isSet(QStringLiteral("lyapunov"));
  if (const auto session = reader.Text(QStringLiteral("session"))) {
    if (CheckReadable(reader, "session", *session)) {
      job.session = Absolute(*session);
    }
  }
}

// --orbit-diagram kN=min:max and the options that go with it.
void ReadDiagram(const QCommandLineParser& parser, ValueReader& reader, RenderRequest& request) {
  const auto text = reader.Text(QStringLiteral("orbit-diagram"));
  for (const char* option : {"coordinate", "coordinate-range", "points", "no-carry", "black"}) {
    if (!text && parser.isSet(QString::fromLatin1(option)) &&
        !(std::string(option) == "points" && parser.isSet(QStringLiteral("rotation-profile")))) {
      return reader.Fail("--" + std::string(option) + " goes with --orbit-diagram");
    }
  }
  if (!text) return;
  DiagramRequest diagram;
  const std::size_t equals = text->find('=');
  const std::size_t colon = text->find(':', equals == std::string::npos ? 0 : equals);
  const std::string name = text->substr(0, equals);
  double lo = 0.0, hi = 0.0;
  if (equals == std::string::npos || colon == std::string::npos || name.size() != 2 || (name[0] != 'k' && name[0] != 'K') ||
      name[1] < '1' || name[1] > '4' || !ParseDouble(text->substr(equals + 1, colon - equals - 1), lo) ||
      !ParseDouble(text->substr(colon + 1), hi) || !(lo < hi) || !std::isfinite(lo) || !std::isfinite(hi)) {
    reader.Fail<int>(QStringLiteral("orbit-diagram"), "a parameter and its range such as k1=1.0:1.06", *text);
    return;
  }
  diagram.view.parameter = name[1] - '1';
  diagram.view.parameterMin = lo;
  diagram.view.parameterMax = hi;
  if (const auto coordinate = reader.Text(QStringLiteral("coordinate"))) {
    if (*coordinate == "x" || *coordinate == "y") {
      diagram.view.coordinate = *coordinate == "y" ? 1 : 0;
    } else {
      reader.Fail<int>(QStringLiteral("coordinate"), "x or y", *coordinate);
    }
  }
  if (const auto range = reader.Text(QStringLiteral("coordinate-range"))) {
    if (const auto r = reader.Numbers("coordinate-range", *range, 2, "two numbers min,max")) {
      if ((*r)[0] < (*r)[1] && std::isfinite((*r)[0]) && std::isfinite((*r)[1])) {
        diagram.view.coordinateMin = (*r)[0];
        diagram.view.coordinateMax = (*r)[1];
        diagram.coordinateRangeGiven = true;
      } else {
        reader.Fail<int>(QStringLiteral("coordinate-range"), "min,max with min below max", *range);
      }
    }
  }
  constexpr std::int32_t kMost = std::numeric_limits<std::int32_t>::max();
  diagram.view.transient = reader.WholeNumber(QStringLiteral("transient"), 0, kMost).value_or(1000);
  diagram.view.points = reader.WholeNumber(QStringLiteral("points"), 1, kMost).value_or(1000);
  diagram.carry = !parser.isSet(QStringLiteral("no-carry"));
  diagram.shading = parser.isSet(QStringLiteral("black")) ? 1 : 0;
  if (parser.isSet(QStringLiteral("lyapunov")) || parser.isSet(QStringLiteral("group"))) {
    reader.Fail("--orbit-diagram cannot be used with --lyapunov or --group");
  }
  request.diagram = diagram;
}

// --periodic-orbits, --region, --manifolds and --arc-length.
void ReadStructure(ValueReader& reader, RenderRequest& request) {
  request.periodicOrbits = reader.WholeNumber(QStringLiteral("periodic-orbits"), 1, kLargestOrbitPeriod);
  request.region = ReadRange(reader, "region");
  if (const auto text = reader.Text(QStringLiteral("manifolds"))) {
    const std::size_t colon = text->find(':');
    std::int32_t period = 0;
    const char* what = "P:x,y, a period from 1 to 20 and a point";
    if (colon == std::string::npos || !ParseInt32(text->substr(0, colon), period) || period < 1 ||
        period > kLargestOrbitPeriod) {
      reader.Fail<int>(QStringLiteral("manifolds"), what, *text);
    } else if (const auto xy = reader.Numbers("manifolds", text->substr(colon + 1), 2, what)) {
      request.manifolds = RenderRequest::Manifolds{period, WorldPoint{(*xy)[0], (*xy)[1]}};
    }
    if (!reader.Failed() && !request.png && !request.exportFile) {
      reader.Fail("--manifolds needs --png FILE and/or --export FILE");
    }
  }
  if (const auto text = reader.Text(QStringLiteral("periodic-orbit-type"))) {
    const std::size_t slash = text->find('/');
    std::int32_t p = 0, q = 0;
    if (slash == std::string::npos || !ParseInt32(text->substr(0, slash), p) ||
        !ParseInt32(text->substr(slash + 1), q) || p < 0 || q < 1 || q > 100000) {
      reader.Fail<int>(QStringLiteral("periodic-orbit-type"), "p/q, whole numbers with 0 <= p and 1 <= q <= 100000",
                       *text);
    } else {
      request.orbitType = RenderRequest::OrbitType{p, q};
    }
  }
  const std::optional<double> omega = reader.Number(QStringLiteral("omega"));
  if (omega && !(*omega > 0.0 && *omega < 1.0)) {
    reader.Fail<double>(QStringLiteral("omega"), "a number between 0 and 1", reader.Text(QStringLiteral("omega")).value_or(""));
  }
  request.criticalCircle = omega;  // taken for the circle once --critical-circle is seen
  if (const auto largest = reader.WholeNumber(QStringLiteral("largest-period"), 1, 100000)) {
    request.criticalLargestPeriod = *largest;
  }
  if (const auto text = reader.Text(QStringLiteral("rotation-profile"))) {
    const std::size_t colon = text->find(':');
    const char* what = "x0,y0:x1,y1, two points";
    if (colon == std::string::npos) {
      reader.Fail<int>(QStringLiteral("rotation-profile"), what, *text);
    } else {
      const auto a = reader.Numbers("rotation-profile", text->substr(0, colon), 2, what);
      const auto b = a ? reader.Numbers("rotation-profile", text->substr(colon + 1), 2, what) : std::nullopt;
      if (a && b) {
        RenderRequest::Profile profile;
        profile.a = {(*a)[0], (*a)[1]};
        profile.b = {(*b)[0], (*b)[1]};
        profile.points = reader.WholeNumber(QStringLiteral("points"), 1, 1'000'000).value_or(100);
        profile.transient = reader.WholeNumber(QStringLiteral("transient"), 0, 2'000'000'000).value_or(0);
        request.rotationProfile = profile;
        if (const auto centre = reader.Text(QStringLiteral("centre"))) {
          if (const auto xy = reader.Numbers("centre", *centre, 2, "a point x,y")) request.centre = WorldPoint{(*xy)[0], (*xy)[1]};
        }
      }
    }
  }
  if (const auto arc = reader.Number(QStringLiteral("arc-length"))) {
    if (*arc > 0.0 && *arc <= 1e6) {
      request.arcLength = *arc;
    } else {
      reader.Fail<double>(QStringLiteral("arc-length"), "a number above 0 and at most 1000000",
                          reader.Text(QStringLiteral("arc-length")).value_or(""));
    }
  }
}

// Whether two names lead to one file: the same path once links are followed, or (both
// existing) the same file under two names.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  if (std::filesystem::equivalent(a, b, ec) && !ec) return true;
  const std::filesystem::path ra = std::filesystem::weakly_canonical(a, ec);
  if (ec) return a == b;
  const std::filesystem::path rb = std::filesystem::weakly_canonical(b, ec);
  return ec ? a == b : ra == rb;
}

// --size and --scale, or the choices of "Save Picture..." from a window of --window's size.
void ReadPictureSize(const QCommandLineParser& parser, ValueReader& reader, PictureSize& picture) {
  std::optional<PictureSize> size;
  if (const auto text = reader.Text(QStringLiteral("size"))) size = ReadSize(reader, QStringLiteral("size"), *text);
  const std::optional<std::int32_t> times = reader.WholeNumber(QStringLiteral("times"), 2, 4);
  if (const auto window = reader.Text(QStringLiteral("window"))) {
    const std::optional<PictureSize> shown = ReadSize(reader, QStringLiteral("window"), *window);
    if (parser.isSet(QStringLiteral("scale"))) return reader.Fail("--scale cannot be used with --window");
    if (times && size) return reader.Fail("--times and --size cannot be used together");
    if (!shown) return;
    const PictureScale choice = times ? static_cast<PictureScale>(*times - 1)
                                : size ? PictureScale::WidthByHeight
                                       : PictureScale::AsShown;
    picture = ChoosePictureSize(choice, shown->width, shown->height, size ? size->width : 0,
                                size ? size->height : 0);
    if (!PictureSizeAllowed(picture)) {
      reader.Fail(FormatCounts(kPictureTooLarge, {picture.width, picture.height}));
    }
    return;
  }
  if (times) return reader.Fail("--times needs --window WxH");
  if (size) picture = *size;
  if (const auto scale = reader.Number(QStringLiteral("scale"))) {
    if (*scale > 0.0 && *scale <= 16.0) {
      picture.textScale = *scale;
    } else {
      reader.Fail<double>(QStringLiteral("scale"), "a number above 0 and at most 16",
                          parser.value(QStringLiteral("scale")).toStdString());
    }
  }
}

}  // namespace

RenderArguments ParseRenderArguments(const QStringList& arguments) {
  QCommandLineParser parser;
  AddOptions(parser);
  RenderArguments result;
  if (!parser.parse(arguments)) {
    result.error = parser.errorText().toStdString();
    return result;
  }
  if (parser.isSet(QStringLiteral("help"))) {
    result.helpText = parser.helpText().toStdString();
    return result;
  }
  if (!parser.positionalArguments().isEmpty() && !parser.isSet(QStringLiteral("merge-tiles"))) {
    result.error = "unexpected argument \"" + parser.positionalArguments().first().toStdString() + "\"";
    return result;
  }

  RenderRequest request;
  ValueReader reader(parser);
  ReadJob(parser, reader, request.job, result.notes);
  ReadPictureSize(parser, reader, request.picture);
  if (const auto png = reader.Text(QStringLiteral("png"))) {
    if (png->empty()) reader.Fail("--png takes a file name");
    request.png = Absolute(*png);
  }
  if (const auto file = reader.Text(QStringLiteral("export"))) {
    if (file->empty()) reader.Fail("--export takes a file name");
    request.exportFile = Absolute(*file);
  }
  if (request.png && request.exportFile && SameFile(*request.png, *request.exportFile)) {
    reader.Fail("--png and --export name the same file");
  }
  request.highAccuracy = parser.isSet(QStringLiteral("high-accuracy"));
  request.interpreted = parser.isSet(QStringLiteral("interpreted"));
  request.plotOnly = parser.isSet(QStringLiteral("plot-only"));
  if (request.plotOnly && !request.png) reader.Fail("--plot-only needs --png FILE");
  ReadDiagram(parser, reader, request);
  request.threads = reader.WholeNumber(QStringLiteral("threads"), 1, kMostThreads);
  if (!reader.Failed()) reader.Fail(ReadGridRequest(parser, request));
  if (request.plotOnly && (request.diagram || request.grid)) {
    reader.Fail("--plot-only is for pictures of runs: an orbit diagram, a parameter plane or basins have no status "
                "lines to leave out");
  }
  if (const auto file = reader.Text(QStringLiteral("save-session"))) {
    if (file->empty()) reader.Fail("--save-session takes a file name");
    request.saveSession = Absolute(*file);
  }
  ReadStructure(reader, request);
  request.view = reader.WholeNumber(QStringLiteral("view"), 0, 999);
  if (request.view && (!request.job.session || !request.png)) reader.Fail("--view needs --session FILE and --png FILE");
  if (request.view && (request.diagram || request.grid)) {
    reader.Fail("--view draws a saved window: leave out --orbit-diagram, --parameter-plane and --basins");
  }
  if (request.saveSession && request.grid &&
      (request.grid->tileIndex || !request.grid->mergeFiles.empty() || request.picture.textScale != 1.0)) {
    reader.Fail("--save-session keeps a whole plane as its window shows it: leave out --tile, --merge-tiles and --scale");
  }
  if (parser.isSet(QStringLiteral("critical-circle"))) {
    if (!request.criticalCircle) request.criticalCircle = 0.6180339887498949;  // (sqrt 5 - 1) / 2
  } else if (request.criticalCircle) {
    reader.Fail("--omega needs --critical-circle");
  }
  if (!request.png && !request.exportFile && !request.job.inspect && !request.saveSession && !request.periodicOrbits &&
      !request.orbitType && !request.criticalCircle && !request.rotationProfile) {
    reader.Fail("nothing to write: give --png FILE, --export FILE, --save-session FILE and/or --lyapunov");
  }

  if (reader.Failed()) {
    result.error = reader.Error();
    result.unreadableFile = reader.FileUnreadable();
  } else {
    result.request = std::move(request);
  }
  return result;
}

}  // namespace orbitra
