// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/mapping_catalogue.h"

#include "maps/map_routines.h"
#include "maps/system_catalogue.h"

namespace orbitra {

const std::array<CatalogueEntry, 11> MappingCatalogue = {{
    {"No mapping", " - ", " - ", nullptr, 0, 0, 0, 0, {0, 0, 0, 0}},
    {"Standard Map", "x'=x+y (mod 2pi)", "y'=y+k1 sin(x') (mod 2pi)", &StandardMapRoutine, 0.7, 0, 0, 0,
     {0, kTwoPi, 0, kTwoPi}},
    {"Henon D-C Map", "x'=1-k1 x^2 +k3 y", "y'=k2 x ", &HenonDcMapRoutine, 0.95, 1, -1, 0, {-1, 1, -1, 1}},
    {"Hyperbolic <C>", "x'=k1 cos(r)x+k1 sin(r)y,  r=(x^2+y^2+k3)^k2", "y'=-l sin(r)x+l cos(r)y,  l=1/k1",
     &HyperbolicCRoutine, 1.2, 1.5, 0, 0, {-2, 2, -2, 2}},
    {"Henon rotation", "x'=c x-s y + s x^2,  c=cos(k1)", "y'=s x+ c y - c x^2,  s=sin(k1)",
     &HenonRotationRoutine, 1.57, 0, 0, 0, {-1, 1, -1, 1}},
    {"2-Dimerized Chains", "x'=x+y'-k2 y'^2 (mod 2pi)", "y'=y-k1 sin(x)", &DimerizedChainsRoutine, 0.3, 0.8, 0,
     0, {0, kTwoPi, -2, 3}},
    {"Vortex Flow", "x'=x+k2-y'^2+k1 cos(x) (mod 2pi)", "y'=y/(1-k1 sin(x))", &VortexFlowRoutine, 0.3, 0.5, 0,
     0, {0, kTwoPi, -2, 2}},
    {"Fermi Map - Sine", "x'=x+k1/y' (mod 1)", "y'=|y+sin(2pi x)|", &FermiSineRoutine, 10, 0, 0, 0,
     {0, 1, 0, 20}},
    {"Fermi Map - Sawtooth", "x'=x+k1/y' (mod 1)", "y'=|y+x-1/2|", &FermiSawtoothRoutine, 10, 0, 0, 0,
     {0, 1, 0, 20}},
    {"Doubly Kicked Rotator", "x'=x+y' (mod 2pi)", "y'=y+k1 sin(x)+k2 sin(k3x+k4) (mod 2pi), k3:int",
     &DoublyKickedRotatorRoutine, 0.3, 0.01, 1.5, 0, {0, kTwoPi, 0, kTwoPi}},
    {"Wedge map", "xxx (complex form)", "yyy (complex form)", &WedgeMapRoutine, 30, 0, 0, 0, {-1.5, 1.5, 0, 2.5}},
}};

const CatalogueEntry& CatalogueAt(int t) noexcept {
  if (t < 0 || t >= static_cast<int>(MappingCatalogue.size())) return MappingCatalogue[kNoMapping];
  return MappingCatalogue[static_cast<std::size_t>(t)];
}

SystemDefaults LoadSystemDefaults(int t) noexcept {
  const CatalogueEntry& e = CatalogueAt(t);
  return SystemDefaults{e.routine, e.k1, e.k2, e.k3, e.k4, e.range, nullptr};
}

void CommitSelection(MappingModel& model, std::string& xyBoxLabel, int t, double k1, double k2, double k3,
                     double k4, const std::optional<PendingSelection>& pending) {
  const UserMapTable noUserMaps;
  CommitSelection(model, xyBoxLabel, noUserMaps, t, k1, k2, k3, k4, pending);
}

void SelectSystemWithDefaults(MappingModel& model, int t) {
  const SystemDefaults d = LoadSystemDefaults(t);
  model = MappingModel{};
  model.system = t;
  model.routine = d.routine;
  model.k1 = d.k1;
  model.k2 = d.k2;
  model.k3 = d.k3;
  model.k4 = d.k4;
  model.DefaultRange = d.DefaultRange;
}

void InitialiseMappingModel(MappingModel& model) { SelectSystemWithDefaults(model, kStandardMap); }

}  // namespace orbitra
