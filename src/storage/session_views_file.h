// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <hdf5.h>

#include <string>

#include "storage/session_view_records.h"

namespace orbitra {

// Writes `/views` into an open session file; false when the library failed.
bool WriteSessionViews(hid_t file, const SessionViews& views);

// Reads `/views` of an open session file (of format 2 or later): only the groups and
// datasets of session_view_records.h, each checked for its element type and shape, and its size
// against the bytes the file really stores before anything is allocated. A file without
// `/views` holds none. On failure, `problem` says what is wrong ("\"views/0/counts\" is
// not ..."); `views` is then partly filled and must not be used.
bool ReadSessionViews(hid_t file, SessionViews& views, std::string& problem);

}  // namespace orbitra
