// SPDX-License-Identifier: GPL-3.0-or-later
#include "sessions/session_state.h"

#include <cmath>
#include <limits>
#include <type_traits>

#include "maps/mapping_catalogue.h"
#include "maps/system_catalogue.h"

namespace orbitra {

namespace {

constexpr const char* kUserMapGroup = "map/user";
constexpr const char* kHelpersDataset = "map/user/helpers";
constexpr const char* kGroupLinesDataset = "group/lines";

// Puts each named field into the session's attributes.
class Gatherer {
 public:
  explicit Gatherer(SessionContent& content) : content_(content) {}
  void Group(const std::string& path) { group_ = &content_.groups[path]; }
  template <typename T, typename... Bounds>
  void Int(const std::string& name, const T& v, Bounds... /*checked on reading*/) {
    (*group_)[name] = static_cast<std::int64_t>(v);
  }
  template <typename T>
  void Flag(const std::string& name, const T& v) {
    Int(name, v);
  }
  void Double(const std::string& name, const double& v) { (*group_)[name] = v; }
  void Text(const std::string& name, const std::string& v) { (*group_)[name] = v; }

 private:
  SessionContent& content_;
  SessionAttributes* group_ = nullptr;
};

// Takes each named field from the session's attributes; the first missing, wrongly typed
// or out-of-range value is the problem, and the fields after it are left alone.
class Decoder {
 public:
  explicit Decoder(const SessionContent& content) : content_(content) {}
  const std::string& Problem() const { return problem_; }
  void Fail(std::string problem) {
    if (problem_.empty()) problem_ = std::move(problem);
  }

  void Group(const std::string& path) {
    path_ = path;
    const auto it = content_.groups.find(path);
    group_ = it == content_.groups.end() ? nullptr : &it->second;
    if (group_ == nullptr) Fail("the group \"" + path + "\" is missing");
  }
  template <typename T>
  void Int(const std::string& name, T& v, std::int64_t lo = std::numeric_limits<T>::min(),
           std::int64_t hi = std::numeric_limits<T>::max()) {
    const SessionValue* value = Find(name);
    if (value == nullptr) return;
    const auto* i = std::get_if<std::int64_t>(value);
    if (i == nullptr || *i < lo || *i > hi) return Fail(Where(name) + " is not a whole number from " +
                                                        std::to_string(lo) + " to " + std::to_string(hi));
    v = static_cast<T>(*i);
  }
  template <typename T>
  void Flag(const std::string& name, T& v) {
    Int(name, v, 0, 1);
  }
  void Double(const std::string& name, double& v) {
    const SessionValue* value = Find(name);
    if (value == nullptr) return;
    const auto* d = std::get_if<double>(value);
    if (d == nullptr) return Fail(Where(name) + " is not a number");
    v = *d;
  }
  void Text(const std::string& name, std::string& v) {
    const SessionValue* value = Find(name);
    if (value == nullptr) return;
    const auto* s = std::get_if<std::string>(value);
    if (s == nullptr) return Fail(Where(name) + " is not a text");
    v = *s;
  }

 private:
  std::string Where(const std::string& name) const { return "\"" + path_ + "/" + name + "\""; }
  const SessionValue* Find(const std::string& name) {
    if (!problem_.empty() || group_ == nullptr) return nullptr;
    const auto it = group_->find(name);
    if (it == group_->end()) {
      Fail(Where(name) + " is missing");
      return nullptr;
    }
    return &it->second;
  }

  const SessionContent& content_;
  const SessionAttributes* group_ = nullptr;
  std::string path_;
  std::string problem_;
};

template <typename Io, typename Point>
void ExchangePoint(Io& io, const std::string& name, Point& p) {
  io.Double(name + "_x", p.x);
  io.Double(name + "_y", p.y);
}

template <typename Io, typename Range>
void ExchangeRange(Io& io, const std::string& prefix, Range& r) {
  io.Double(prefix + "xmin", r.Xmin);
  io.Double(prefix + "xmax", r.Xmax);
  io.Double(prefix + "ymin", r.Ymin);
  io.Double(prefix + "ymax", r.Ymax);
}

template <typename Io, typename Box>
void ExchangeBox(Io& io, Box& b) {
  ExchangeRange(io, "", b);
  io.Flag("round_scales", b.RoundScales);
  io.Flag("show_ticks", b.ShowTicks);
  io.Flag("show_labels", b.ShowLabels);
  io.Flag("fat_border", b.FatBorder);
  io.Flag("visible", b.Visible);
  io.Text("label", b.Label);
  io.Int("pen_x", b.PenX);
  io.Int("pen_y", b.PenY);
  io.Int("left_pct", b.LeftPct);
  io.Int("top_pct", b.TopPct);
  io.Int("right_pct", b.RightPct);
  io.Int("bottom_pct", b.BottomPct);
  io.Int("ticks_x", b.TicksX);
  io.Int("ticks_y", b.TicksY);
  io.Int("tick_width_x", b.TickWidthX);
  io.Int("tick_width_y", b.TickWidthY);
  io.Int("digits_x", b.DigitsX);
  io.Int("digits_y", b.DigitsY);
}

// Every field but the map's identity and the points, named as docs/session-format.md
// lists them. Records is the state (gathering) or the decoded copies (reading).
template <typename Io, typename Records>
void ExchangeRecords(Io& io, Records& r) {
  io.Group("map");
  io.Double("k1", r.Model.k1);
  io.Double("k2", r.Model.k2);
  io.Double("k3", r.Model.k3);
  io.Double("k4", r.Model.k4);
  ExchangeRange(io, "default_", r.Model.DefaultRange);
  io.Flag("use_default_range", r.UseDefaultRange);

  io.Group("run");
  ExchangePoint(io, "initial", r.Run.InitialPoint);
  io.Int("initial_colour", r.Run.InitialPoint.colour);
  ExchangePoint(io, "current", r.Run.CurrentPoint);
  io.Int("current_colour", r.Run.CurrentPoint.colour);
  ExchangePoint(io, "mouse", r.Run.MousePoint);
  io.Int("mouse_colour", r.Run.MousePoint.colour);
  io.Int("run_colour", r.Run.RunColour, 0, kColourCount - 1);
  ExchangePoint(io, "zoom_corner1", r.Run.Mouse.ZoomCorner1);
  ExchangePoint(io, "zoom_corner2", r.Run.Mouse.ZoomCorner2);

  auto& s = r.Run.Settings;
  io.Group("run/settings");
  io.Int("iterations", s.Iterations, 0);
  io.Int("continue_iterations", s.ContinueIterations, 0);
  io.Int("info_every", s.InfoEvery, 0);
  io.Double("infinity_value", s.InfinityValue);
  io.Flag("store_in_buffer", s.StoreInBuffer);
  io.Flag("restrict_to_box", s.RestrictToBox);
  io.Flag("show_buffer_points", s.ShowBufferPoints);
  io.Flag("show_stream_points", s.ShowStreamPoints);
  io.Flag("buffer_in_black", s.BufferInBlack);
  io.Flag("bold_points", s.BoldPoints);
  io.Flag("display_mode", s.DisplayMode);

  io.Group("boxes");
  io.Flag("show_axes", r.Boxes.ShowAxes);
  io.Flag("zoom_rect_defined", r.Boxes.ZoomRectDefined);
  io.Group("boxes/xy");
  ExchangeBox(io, r.Boxes.XYBox);
  io.Group("boxes/x");
  ExchangeBox(io, r.Boxes.XBox);
  io.Group("boxes/y");
  ExchangeBox(io, r.Boxes.YBox);
  io.Group("boxes/g");
  ExchangeBox(io, r.Boxes.GBox);

  io.Group("store");
  io.Int("buffer_capacity", r.Store.BufferCapacity, 1);
  io.Int("buf", r.Store.Buf, 0);
  io.Int("dsk", r.Store.Dsk, 0);
  io.Int("rtn", r.Store.RTN, 0);
  io.Int("dtn", r.Store.DTN, 0);

  io.Group("group");
  io.Int("group_count", r.Group.GroupCount, 0);

  io.Group("export");
  io.Flag("memory_buffer", r.Export.MemoryBuffer);
  io.Flag("disk_stream", r.Export.DiskStream);
  io.Flag("last_trajectory", r.Export.LastTrajectory);
  io.Flag("high_accuracy", r.Export.HighAccuracy);
  io.Text("file_name", r.Export.FileName);
}

template <typename Io, typename Definition>
void ExchangeUserMap(Io& io, Definition& d) {
  io.Group(kUserMapGroup);
  io.Text("name", d.name);
  io.Text("x_formula", d.xFormula);
  io.Text("y_formula", d.yFormula);
  io.Double("k1", d.k1);
  io.Double("k2", d.k2);
  io.Double("k3", d.k3);
  io.Double("k4", d.k4);
  ExchangeRange(io, "", d.range);
}

// Counts that must agree with the points the session holds.
std::string CheckCounts(const SessionRecords& r, std::size_t bufferPoints, std::int64_t streamPoints) {
  const PointStore& store = r.Store;
  if (static_cast<std::size_t>(store.Buf) != bufferPoints) return "\"store/buf\" differs from the buffer's points";
  if (store.Dsk != streamPoints) return "\"store/dsk\" differs from the stream's points";
  if (store.Buf >= store.BufferCapacity) return "the buffer holds more points than its capacity allows";
  if (store.DTN > store.Buf) return "\"store/dtn\" exceeds \"store/buf\"";
  return {};
}

// Values no window can have: a range that is not a number, infinite or empty, an escape
// threshold that is not a positive number, a trajectory's point that is not a number.
std::string CheckValues(const SessionRecords& r) {
  const auto usable = [](double lo, double hi) { return std::isfinite(lo) && std::isfinite(hi) && lo < hi; };
  const struct {
    const char* name;
    const PlotBox& box;
  } boxes[] = {{"boxes/xy", r.Boxes.XYBox}, {"boxes/x", r.Boxes.XBox}, {"boxes/y", r.Boxes.YBox}, {"boxes/g", r.Boxes.GBox}};
  for (const auto& b : boxes) {
    if (!usable(b.box.Xmin, b.box.Xmax) || !usable(b.box.Ymin, b.box.Ymax)) {
      return "\"" + std::string(b.name) + "\" has no usable range";
    }
  }
  const double infinity = r.Run.Settings.InfinityValue;
  if (!(infinity > 0.0)) return "\"run/settings/infinity_value\" is not a positive number";
  for (const TrajectoryPoint& p : {r.Run.InitialPoint, r.Run.CurrentPoint}) {
    if (std::isnan(p.x) || std::isnan(p.y)) return "a point of \"run\" is not a number";
  }
  return {};
}

}  // namespace

SessionContent GatherSession(const OrbitraState& state, const std::vector<std::string>& groupLines) {
  SessionContent content;
  Gatherer io(content);
  ExchangeRecords(io, state);
  io.Group("map");
  io.Int("system", state.Model.system);
  io.Text("name", std::string(SystemName(state.UserMaps, state.Model.system)));
  if (const UserMap* user = state.UserMaps.OfSystem(state.Model.system)) {
    ExchangeUserMap(io, user->definition);
    content.texts[kHelpersDataset] = user->definition.helpers;
  }
  io.Group("group");
  io.Flag("group_empty", state.Group.GroupEmpty);
  content.texts[kGroupLinesDataset] = groupLines;
  return content;
}

SessionDecoding DecodeSession(const OrbitraState& state, const SessionContent& content, std::int64_t streamPoints) {
  SessionRecords r;
  r.Model = state.Model;
  r.Run = state.Run;
  r.Boxes = state.Boxes;
  r.Store.BufferCapacity = state.Store.BufferCapacity;
  r.Group = state.Group;
  r.Export = state.Export;
  r.UseDefaultRange = state.UseDefaultRange;

  Decoder io(content);
  ExchangeRecords(io, r);
  int system = 0;
  io.Group("map");
  io.Int("system", system);
  io.Group("group");
  io.Flag("group_empty", r.Group.GroupEmpty);
  if (content.groups.contains(kUserMapGroup)) {
    UserMapDefinition definition;
    ExchangeUserMap(io, definition);
    if (const auto helpers = content.texts.find(kHelpersDataset); helpers != content.texts.end()) {
      definition.helpers = helpers->second;
    }
    r.userMap = std::move(definition);
  } else if (system < kFirstSystem || system > kLastSystem) {
    io.Fail("\"map/system\" is no built-in map");
  }
  r.Model.system = system;
  if (const auto lines = content.texts.find(kGroupLinesDataset); lines != content.texts.end()) {
    r.groupLines = lines->second;
  }
  if (io.Problem().empty()) io.Fail(CheckCounts(r, content.buffer.size(), streamPoints));
  if (io.Problem().empty()) io.Fail(CheckValues(r));
  if (!io.Problem().empty()) return SessionDecoding{std::nullopt, io.Problem()};
  return SessionDecoding{std::move(r), {}};
}

}  // namespace orbitra
