#include "sweeps/phase_space_view.h"

#include "plot/phase_space_picture.h"

namespace orbitra {

std::string PhaseSpaceTitle(const std::string& mapName, const PhaseSpaceSettings& s) {
  switch (s.colouring) {
    case PhaseColouring::Fli: return mapName + ": phase space by FLI";
    case PhaseColouring::Megno: return mapName + ": phase space by MEGNO";
    case PhaseColouring::Lyapunov: return mapName + ": phase space by \xCE\xBB" "1";
    case PhaseColouring::Rotation: return mapName + ": phase space by rotation number";
  }
  return mapName;
}

PhaseSpaceSettings PhaseSpaceSettingsFor(const GridViewMap& map, PhaseColouring colouring, WorkerPool& pool) {
  PhaseSpaceSettings s;
  s.colouring = colouring;
  s.range = map.xyRange;
  TakeMapGeometry(map.model, s, pool);
  return s;
}

void DrawPhaseSpaceView(Canvas& canvas, const PhaseSpaceValues& values, const std::string& mapName) {
  canvas.Clear(kWhite);
  DrawPhaseSpacePicture(canvas, values, PhaseSpaceTitle(mapName, values.settings));
}

}  // namespace orbitra
