// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "explorer/orbitra_state.h"
#include "platform/canvas.h"
#include "platform/prompter.h"

namespace orbitra {

// The picture of the mapping window drawn anew from the kept points, on a canvas of any
// size: the calls of the window's full repaint (status and mouse readout, the boxes laid
// out for the canvas, the stream and the buffer, the initial point's mark, the last run's
// "x= y=" line while the window shows it, the status again) on copies of the boxes. It never runs the map, serves no request and changes
// nothing in the state. What a run drew but the store does not keep is not in it.
void DrawPicture(const OrbitraState& state, Canvas& canvas);

// A run plots single pixels as it goes (its loop stays as fast at any size): on a canvas
// drawn larger than the window (Canvas::PointSize above 1), the picture is drawn anew from
// the kept points, so that every point covers a square of the picture's scale. Nothing
// happens at the window's scale, or when the canvas shows points that are not kept and
// would be lost.
void DrawPointsAtScale(const OrbitraState& state, Canvas& canvas);

// "Plot only": the boxes with their points, labels and marks, as a paper shows them,
// without the texts at fixed places (status lines, mouse readout, "x= y=" line; a canvas
// set not to show them never has them), cut to the rest: every pixel that is not white,
// with a margin of kPlotOnlyMargin window pixels (scaled with the texts) around, white
// beyond the canvas where the drawing reaches its edge; the whole canvas when everything
// is white.
inline constexpr int kPlotOnlyMargin = 8;
struct PictureCut {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};
Canvas PlotOnlyPicture(const Canvas& drawn);
PictureCut PlotOnlyCut(const Canvas& canvas);
// The pixels of the cut as a picture of their own, white where it lies beyond the canvas.
Canvas CutPicture(const Canvas& canvas, const PictureCut& cut);

// The "Size" list of "Save picture", in list order.
enum class PictureScale : int { AsShown = 0, Twice, ThreeTimes, FourTimes, WidthByHeight };
inline constexpr int kPictureScaleCount = 5;
// A side of a picture drawn anew is 1 to this many pixels; at most this many pixels in all
// (4 bytes each), so that a typing slip cannot ask for gigabytes.
inline constexpr std::int32_t kLargestPictureSide = 16000;
inline constexpr std::int64_t kLargestPicturePixels = 100'000'000;

inline constexpr const char* kUnkeptPointsNote =
    "Points of runs that were not stored (storing off, buffer points hidden, or the X(n) and "
    "Y(n) boxes) cannot be drawn again: they will be missing at this size.";
inline constexpr const char* kPictureTooLarge = "A picture of %d by %d pixels is too large to draw.";
inline constexpr const char* kNoPictureName = "No file name is given.";

struct PictureSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
  double textScale = 1.0;  // texts and layout offsets, relative to the window
};

// The size a choice of the list gives, from the picture on screen: n times its sides with
// texts n times larger, or the given width and height with texts scaled by the smaller of
// the two ratios (1 when nothing is shown).
PictureSize ChoosePictureSize(PictureScale scale, std::int32_t shownWidth, std::int32_t shownHeight,
                              std::int32_t width, std::int32_t height) noexcept;

// Whether a picture of that size may be drawn (sides and pixel count within the limits).
bool PictureSizeAllowed(const PictureSize& size) noexcept;

// The values of the "Save picture" dialog.
struct SavePictureValues {
  std::string fileName;
  int scale = 0;  // position in the "Size" list
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool plotOnly = false;      // the boxes alone, cut to them
  bool unkeptPoints = false;  // not a control: the picture on screen holds points not kept
};

// The dialog as it opens: "<selected map>.png" in the working folder, the picture as shown,
// the width and height of the picture on screen.
SavePictureValues PrepareSavePictureDialog(const OrbitraState& state, std::int32_t shownWidth,
                                           std::int32_t shownHeight);

// What "Save picture" remembers from one use to the next (and between runs of the
// program): the folder, the position in the "Size" list, the format's extension and
// whether the picture was plot only.
struct RememberedPictureChoices {
  std::filesystem::path folder;  // empty: nothing remembered
  int scale = 0;
  std::string extension;  // without the dot
  bool plotOnly = false;
};

// The dialog's values with the remembered choices in place: the default name moved to the
// remembered folder and given the remembered extension, the remembered size chosen.
void ApplyRememberedChoices(SavePictureValues& values, const RememberedPictureChoices& remembered);
// The choices a picture saved at `target` with these values leaves to be remembered.
RememberedPictureChoices ChoicesToRemember(const std::filesystem::path& target, const SavePictureValues& values);

// Whether the dialog must say that the chosen size lacks points the screen shows.
bool WarnOfUnkeptPoints(const SavePictureValues& values) noexcept;

// The file a name stands for: taken in the working folder (an absolute name as it is),
// with ".png" added when the name has no extension.
std::filesystem::path PictureTarget(const OrbitraState& state, const std::string& fileName);
// The same in any folder (a sweep window's pictures go to the working folder too).
std::filesystem::path PictureTargetIn(const std::filesystem::path& folder, const std::string& fileName);

// "OK" of the dialog, before anything is drawn: a name is given, no folder stands at the
// target, the size can be drawn, and an existing file is replaced only when the user
// agreed. Failures are shown; false when nothing must be written.
bool ConfirmPictureTarget(const std::filesystem::path& target, const SavePictureValues& values,
                          const PictureSize& size, Prompter& prompter);

}  // namespace orbitra
