// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include <QCommandLineParser>

#include "render/render_arguments.h"

namespace orbitra {

// The options of whole-plane pictures: --parameter-plane, --basins, --colour-by, their
// settings, --tile and --merge-tiles.
void AddGridOptions(QCommandLineParser& parser);

// Reads them into request.grid when a grid is asked for; the first fault's message, or
// nothing. Runs after the rest of the request is read (the picture, --from, --range,
// --iterations, --png and --export).
std::string ReadGridRequest(const QCommandLineParser& parser, RenderRequest& request);

}  // namespace orbitra
