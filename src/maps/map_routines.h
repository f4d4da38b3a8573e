// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "maps/mapping_model.h"

namespace orbitra {

// The ten iteration routines, in catalogue order. Each computes its quantities in the
// order of its formula, so results are bit-identical to a plain evaluation.
MapImage StandardMapRoutine(const MappingModel& m, double x, double y);
MapImage HenonDcMapRoutine(const MappingModel& m, double x, double y);
MapImage HyperbolicCRoutine(const MappingModel& m, double x, double y);
MapImage HenonRotationRoutine(const MappingModel& m, double x, double y);
MapImage DimerizedChainsRoutine(const MappingModel& m, double x, double y);
MapImage VortexFlowRoutine(const MappingModel& m, double x, double y);
MapImage FermiSineRoutine(const MappingModel& m, double x, double y);
MapImage FermiSawtoothRoutine(const MappingModel& m, double x, double y);
MapImage DoublyKickedRotatorRoutine(const MappingModel& m, double x, double y);
MapImage WedgeMapRoutine(const MappingModel& m, double x, double y);

// Whether the wedge map has an image at (x, y) with the model's angle k1.
bool WedgeHasImage(const MappingModel& m, double x, double y);

}  // namespace orbitra
