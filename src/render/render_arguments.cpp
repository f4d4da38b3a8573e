#include "render/render_arguments.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <limits>

#include "maps/formula_error.h"
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
    if (error_.empty()) error_ = "--" + name.toStdString() + " takes " + what + ", not \"" + given + "\"";
    return std::nullopt;
  }
  void Fail(const std::string& message) {
    if (error_.empty()) error_ = message;
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
};

std::filesystem::path Absolute(const std::string& file) { return std::filesystem::absolute(file); }

void AddOptions(QCommandLineParser& parser) {
  parser.setApplicationDescription(QStringLiteral(
      "Runs a map of Orbitra (built in, one of yours, or typed with --x and --y) without a window\n"
      "and writes the picture (PNG), the stored points as the ASCII export of \"Export Data\", and/or\n"
      "the orbit inspector's report. The map runs as in the program: each --from is a new run of\n"
      "--iterations iterations, storing every iterate; the picture is the mapping window's at\n"
      "--size. Messages of the runs (an escape, a full buffer) go to the error stream and the\n"
      "picture is still made. Exit status: 0 done, 1 a file could not be written, 2 wrong arguments."));
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
      {QStringLiteral("buffer"),
       QStringLiteral("Buffer capacity in points (default: room for every iteration, at least 1000000)."),
       QStringLiteral("points")},
      {QStringLiteral("png"), QStringLiteral("Write the picture to this PNG file."), QStringLiteral("file")},
      {QStringLiteral("export"), QStringLiteral("Write the stored points inside the X-Y box to this text file."),
       QStringLiteral("file")},
      {QStringLiteral("high-accuracy"), QStringLiteral("Export with 12 decimals instead of 6.")},
      {QStringLiteral("lyapunov"),
       QStringLiteral("After the runs, print the orbit inspector's report of the last trajectory (Lyapunov "
                      "exponents, period).")},
  });
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

bool ReadableFile(const std::string& name) {
  const QFileInfo file(QString::fromStdString(name));
  return !name.empty() && file.isFile() && file.isReadable();
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
  if (mapFile && !ReadableFile(*mapFile)) return reader.Fail("cannot read the map file \"" + *mapFile + "\"");
  if (mapFile && !map) return reader.Fail("--map-file needs --map NAME");
  if (!map) return;
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
    if (!ReadableFile(*group)) {
      reader.Fail("cannot read the group file \"" + *group + "\"");
    } else {
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
  if (const auto range = reader.Text(QStringLiteral("range"))) {
    if (const auto r = reader.Numbers("range", *range, 4, "four numbers xmin,xmax,ymin,ymax")) {
      if ((*r)[0] < (*r)[1] && (*r)[2] < (*r)[3]) {
        job.range = WorldRange{(*r)[0], (*r)[1], (*r)[2], (*r)[3]};
      } else {
        reader.Fail<int>(QStringLiteral("range"), "xmin,xmax,ymin,ymax with xmin below xmax and ymin below ymax",
                         *range);
      }
    }
  }
  job.bufferCapacity = reader.WholeNumber(QStringLiteral("buffer"), 0, std::numeric_limits<std::int32_t>::max());
  job.inspect = parser.isSet(QStringLiteral("lyapunov"));
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
  if (!parser.positionalArguments().isEmpty()) {
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
  if (!request.png && !request.exportFile && !request.job.inspect) {
    reader.Fail("nothing to write: give --png FILE, --export FILE and/or --lyapunov");
  }

  if (reader.Failed()) {
    result.error = reader.Error();
  } else {
    result.request = std::move(request);
  }
  return result;
}

}  // namespace orbitra
