#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <QStringList>

#include "explorer/picture.h"
#include "explorer/render_job.h"

namespace orbitra {

// Everything orbitra-render was asked to do. Files are absolute, resolved against the
// folder the program was started in.
struct RenderRequest {
  RenderJob job;
  PictureSize picture{800, 600, 1.0};
  std::optional<std::filesystem::path> png;
  std::optional<std::filesystem::path> exportFile;
  bool highAccuracy = false;
  bool interpreted = false;  // typed maps run by the expression library, never compiled
};

// The command line read: a request, or help (text to print, success), or an error (a
// message naming the bad argument; the program exits with status 2).
struct RenderArguments {
  std::optional<RenderRequest> request;
  std::string helpText;  // set when --help was given
  std::string error;     // set when an argument is wrong
  std::vector<std::string> notes;  // worth saying but no reason to stop (a damaged map file)
};

// The name a map given by --x and --y goes by (on the X-Y box and in the orbit report).
inline constexpr const char* kInlineMapName = "Formula";

RenderArguments ParseRenderArguments(const QStringList& arguments);

}  // namespace orbitra
