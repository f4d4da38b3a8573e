// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/picture.h"

#include <algorithm>

#include "explorer/mapping_window_logic.h"
#include "explorer/orbit_run.h"
#include "explorer/replay.h"
#include "explorer/trajectory_engine.h"
#include "maps/system_catalogue.h"
#include "plot/box_layout.h"
#include "storage/export_writer.h"
#include "storage/file_io.h"
#include "storage/text_format.h"

namespace orbitra {

void DrawPicture(const OrbitraState& state, Canvas& canvas) {
  const RunState& run = state.Run;
  // The layout writes each box's transform for this canvas into the box: copies take it.
  PlotBoxes boxes = state.Boxes;
  canvas.Clear(kWhite);
  DrawStatus(state, canvas);
  DrawMouseReadout(state, canvas);
  DrawBoxes(boxes, run.Settings.DisplayMode, canvas, 0, 0, canvas.Width(), canvas.Height());
  ReplayKeptPoints(state.Store, state.WorkDir, boxes.XYBox, run, canvas);
  DrawStructure(state.Structure, boxes.XYBox, canvas);
  MarkInitialPoint(run, boxes.XYBox, canvas);
  if (run.FinalPointShown != 0) DrawFinalPoint(canvas, run.FinalPoint.x, run.FinalPoint.y);
  DrawStatus(state, canvas);
}

void DrawPointsAtScale(const OrbitraState& state, Canvas& canvas) {
  if (canvas.PointSize() == 1 || state.Run.UnkeptPointsShown != 0) return;
  DrawPicture(state, canvas);
}

Canvas PlotOnlyPicture(const Canvas& drawn) {
  Canvas plot = drawn;
  plot.EraseFixedTexts();
  return CutPicture(plot, PlotOnlyCut(plot));
}

PictureCut PlotOnlyCut(const Canvas& canvas) {
  const std::int32_t width = canvas.Width(), height = canvas.Height();
  const Canvas::Pixel white = Canvas::ToPixel(kWhite);
  std::int32_t left = width, right = -1, top = height, bottom = -1;
  for (std::int32_t y = 0; y < height; ++y) {
    const Canvas::Pixel* row = canvas.Bits() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    std::int32_t first = 0;
    while (first < width && row[first] == white) ++first;
    if (first == width) continue;
    std::int32_t last = width - 1;
    while (row[last] == white) --last;
    left = std::min(left, first);
    right = std::max(right, last);
    top = std::min(top, y);
    bottom = y;
  }
  if (right < 0) return PictureCut{0, 0, width, height};
  const auto margin = static_cast<std::int32_t>(canvas.Scaled(kPlotOnlyMargin));
  // The margin stays whole where the drawing reaches the canvas's edge (a label at the
  // last tick): the cut then reaches beyond it, white there.
  left -= margin;
  top -= margin;
  right += margin;
  bottom += margin;
  return PictureCut{left, top, right - left + 1, bottom - top + 1};
}

Canvas CutPicture(const Canvas& canvas, const PictureCut& cut) {
  Canvas part(cut.width, cut.height);  // white
  part.SetTextScale(canvas.TextScale());
  const std::int32_t first = std::max(0, cut.left), end = std::min(canvas.Width(), cut.left + cut.width);
  for (std::int32_t y = 0; y < cut.height && first < end; ++y) {
    const std::int32_t row = cut.top + y;
    if (row < 0 || row >= canvas.Height()) continue;
    const Canvas::Pixel* from = canvas.Bits() + static_cast<std::size_t>(row) * canvas.Width();
    std::copy(from + first, from + end, part.Bits() + static_cast<std::size_t>(y) * cut.width + (first - cut.left));
  }
  return part;
}

PictureSize ChoosePictureSize(PictureScale scale, std::int32_t shownWidth, std::int32_t shownHeight,
                              std::int32_t width, std::int32_t height) noexcept {
  if (scale == PictureScale::WidthByHeight) {
    double textScale = 1.0;
    if (shownWidth > 0 && shownHeight > 0) {
      textScale = std::min(static_cast<double>(width) / shownWidth, static_cast<double>(height) / shownHeight);
    }
    return PictureSize{width, height, textScale > 0.0 ? textScale : 1.0};
  }
  const int factor = static_cast<int>(scale) + 1;
  const auto times = [factor](std::int32_t side) {
    return static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{side} * factor, kLargestPictureSide + 1));
  };
  return PictureSize{times(shownWidth), times(shownHeight), static_cast<double>(factor)};
}

bool PictureSizeAllowed(const PictureSize& size) noexcept {
  return size.width >= 1 && size.height >= 1 && size.width <= kLargestPictureSide &&
         size.height <= kLargestPictureSide &&
         std::int64_t{size.width} * std::int64_t{size.height} <= kLargestPicturePixels;
}

SavePictureValues PrepareSavePictureDialog(const OrbitraState& state, std::int32_t shownWidth,
                                           std::int32_t shownHeight) {
  SavePictureValues values;
  values.fileName = (state.WorkDir / (std::string(SystemName(state.UserMaps, state.Model.system)) + ".png")).string();
  values.scale = static_cast<int>(PictureScale::AsShown);
  values.width = shownWidth;
  values.height = shownHeight;
  values.unkeptPoints = state.Run.UnkeptPointsShown != 0;
  return values;
}

void ApplyRememberedChoices(SavePictureValues& values, const RememberedPictureChoices& remembered) {
  if (remembered.scale >= 0 && remembered.scale < kPictureScaleCount) values.scale = remembered.scale;
  values.plotOnly = remembered.plotOnly;
  std::filesystem::path name = std::filesystem::path(values.fileName).filename();
  if (!remembered.extension.empty()) name.replace_extension("." + remembered.extension);
  const std::filesystem::path folder =
      remembered.folder.empty() ? std::filesystem::path(values.fileName).parent_path() : remembered.folder;
  values.fileName = (folder / name).string();
}

RememberedPictureChoices ChoicesToRemember(const std::filesystem::path& target, const SavePictureValues& values) {
  std::string extension = target.extension().string();
  if (!extension.empty()) extension.erase(0, 1);
  return RememberedPictureChoices{target.parent_path(), values.scale, extension, values.plotOnly};
}

bool WarnOfUnkeptPoints(const SavePictureValues& values) noexcept {
  return values.unkeptPoints && values.scale != static_cast<int>(PictureScale::AsShown);
}

std::filesystem::path PictureTarget(const OrbitraState& state, const std::string& fileName) {
  return PictureTargetIn(state.WorkDir, fileName);
}

std::filesystem::path PictureTargetIn(const std::filesystem::path& folder, const std::string& fileName) {
  std::string name = fileName;
  if (!name.empty() && SplitExtension(name).extension.empty()) name += ".png";
  return folder / name;
}

bool ConfirmPictureTarget(const std::filesystem::path& target, const SavePictureValues& values,
                          const PictureSize& size, Prompter& prompter) {
  if (values.fileName.empty()) {
    prompter.ShowMessage(kNoPictureName);
    return false;
  }
  if (!PictureSizeAllowed(size)) {
    prompter.ShowMessage(FormatCounts(kPictureTooLarge, {size.width, size.height}));
    return false;
  }
  if (FileFailure failure = CheckReplaceable(target)) {
    prompter.ShowMessage(*failure);
    return false;
  }
  return AgreeToReplace(target, target.filename().string(), prompter);
}

}  // namespace orbitra
