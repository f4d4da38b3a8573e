// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/render_program.h"

#include <new>

#include "explorer/export_command.h"
#include "explorer/orbit_report.h"
#include "explorer/picture.h"
#include "render/console_prompter.h"
#include "render/grid_render.h"
#include "render/phase_space_render.h"
#include "render/picture_file.h"
#include "render/progress_line.h"
#include "render/qt_text_painter.h"
#include "render/render_arguments.h"
#include "render/render_canvas.h"
#include "render/render_workspace.h"
#include "render/structure_output.h"
#include "render/thread_note.h"
#include "sessions/session_commands.h"
#include "storage/diagram_counts_file.h"
#include "storage/export_writer.h"
#include "storage/phase_space_files.h"
#include "sweeps/orbit_diagram_view.h"

namespace orbitra {

namespace {

// The export as "Export Data" writes it with the dialog's first choices: the whole buffer,
// inside the X-Y box's range.
bool WriteExport(OrbitraState& state, const RenderRequest& request, Prompter& prompter) {
  ExportDialogValues values = PrepareExportDialog(state);
  values.fileName = request.exportFile->string();
  values.highAccuracy = request.highAccuracy;
  return ExportPoints(state.Store, state.WorkDir, prompter, values) >= 0;
}

// The picture of the runs, or with --plot-only (drawn without its fixed texts) cut to the boxes.
FileFailure WriteRenderedPicture(const RenderRequest& request, const Canvas& canvas) {
  if (!request.plotOnly) return WritePicture(canvas, *request.png);
  try {
    return WritePicture(PlotOnlyPicture(canvas), *request.png);
  } catch (const std::bad_alloc&) {
    return std::string("not enough memory for a picture of that size");
  }
}

}  // namespace

bool SaveSessionWithView(const OrbitraState& state, Prompter& prompter, const std::filesystem::path& file,
                         SweepView& view, int width, int height) {
  QtTextPainter painter;
  view.SetTextPainter(&painter);
  view.Resize(width, height);
  const SweepView* const views[] = {&view};
  return SaveSession(state, prompter, file, views);
}

namespace {

// The orbit diagram of the job's map, as its window computes and draws it for the same
// values at the same size.
int RenderDiagram(OrbitraState& state, const RenderRequest& request, Canvas& canvas, Prompter& prompter) {
  if (!SelectRenderJobMap(state, request.job, prompter)) return kRenderWriteFailed;
  OrbitDiagramValues values = PrepareOrbitDiagramDialog(state);
  const DiagramRequest& asked = *request.diagram;
  values.view = asked.view;
  if (!asked.coordinateRangeGiven) TakeDefaultCoordinateRange(values);
  if (!request.job.starts.empty()) values.initial = request.job.starts.front();
  values.carry = asked.carry ? 1 : 0;
  values.shading = asked.shading;
  if (request.threads) values.threads = *request.threads;
  // Batch work gains more from the lanes than waiting for them costs.
  DiagramMap map = DiagramMapOf(state);
  if (map.lanes.valid()) map.lanes.wait();
  std::unique_ptr<OrbitDiagramJob> owned =
      MakeOrbitDiagramJob(map, MapNameOf(state), values, values.view,
                          state.Run.Settings.InfinityValue, canvas.Width(), canvas.Height(), MapParametersOf(state));
  OrbitDiagramJob& job = *owned;
  job.SetMarker(ExplorerParameter(state, state.Model.system, values.view.parameter));
  SweepRunner runner(values.threads);
  if (runner.Threads() < values.threads) prompter.ShowMessage(FewerThreadsNote(runner.Threads(), values.threads));
  canvas.Clear(kWhite);
  runner.RunToEnd(std::move(owned), canvas);
  job.DrawOverlay(canvas);
  int status = kRenderDone;
  if (request.png) {
    if (const FileFailure failure = WritePicture(canvas, *request.png)) {
      prompter.ShowMessage(*failure);
      status = kRenderWriteFailed;
    }
  }
  if (request.exportFile) {
    if (const FileFailure failure =
            WriteDiagramCounts(*request.exportFile, job.Diagram(), job.ColumnsDone(runner.UnitsDone()))) {
      prompter.ShowMessage(*failure);
      status = kRenderWriteFailed;
    }
  }
  if (request.saveSession) {
    // The session holds the diagram as its window would: a view made from the numbers.
    SavedDiagramWindow saved{values,           {values.view},
                             0,                canvas.Width(),
                             canvas.Height(),  runner.UnitsDone(),
                             job.Diagram().Counts(), job.Diagram().EscapedColumns()};
    OrbitDiagramWindowLogic view(state, prompter, std::move(saved), map, MapNameOf(state), MapParametersOf(state));
    if (!SaveSessionWithView(state, prompter, *request.saveSession, view, canvas.Width(), canvas.Height())) {
      status = kRenderWriteFailed;
    }
  }
  return status;
}

// --session FILE --view N --png OUT: the session's window N drawn as it was saved.
int RenderSavedView(const RenderRequest& request, Prompter& prompter) {
  const std::unique_ptr<RenderWorkspace> work = RenderWorkspace::Open(request.interpreted, prompter);
  if (!work) return kRenderWriteFailed;
  OrbitraState& state = work->State();
  std::vector<SavedSweepView> sweeps;
  if (OpenSession(state, prompter, *request.job.session, &sweeps) == Invalidation::None) return kRenderWriteFailed;
  const auto n = static_cast<std::size_t>(*request.view);
  if (n >= sweeps.size()) {
    prompter.ShowMessage("the session has no window " + std::to_string(n) + " (it keeps " +
                         std::to_string(sweeps.size()) + ", numbered from 0)");
    return kRenderBadArguments;
  }
  std::unique_ptr<SweepView> view = MakeSavedView(state, prompter, sweeps[n]);
  if (!view) {
    prompter.ShowMessage("the map \"" + sweeps[n].map.name + "\" of window " + std::to_string(n) +
                         " is not in the session");
    return kRenderWriteFailed;
  }
  QtTextPainter painter;
  view->SetTextPainter(&painter);
  view->Resize(SavedWidth(sweeps[n]), SavedHeight(sweeps[n]));
  if (const FileFailure failure = WritePicture(view->Shown(), *request.png)) {
    prompter.ShowMessage(*failure);
    return kRenderWriteFailed;
  }
  return kRenderDone;
}

int Render(const RenderRequest& request, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  ProgressLine progress(err, errIsTerminal);
  ConsolePrompter prompter(err, &progress);
  const std::unique_ptr<RenderWorkspace> work = RenderWorkspace::Open(request.interpreted, prompter);
  if (!work) return kRenderWriteFailed;
  OrbitraState& state = work->State();

  RenderCanvas picture(request.picture.width, request.picture.height, request.picture.textScale);
  if (!picture.canvas) {
    prompter.ShowMessage(picture.failure);
    return kRenderWriteFailed;
  }
  Canvas* const canvas = picture.canvas.get();
  canvas->SetFixedTextsShown(!request.plotOnly);
  canvas->SetMarksShown(!request.plotOnly);
  if (request.diagram) return RenderDiagram(state, request, *canvas, prompter);
  const bool performed = PerformRenderJob(state, request.job, *canvas, prompter, &progress);
  progress.End();
  if (!performed) return kRenderWriteFailed;
  DrawPointsAtScale(state, *canvas);
  if (request.job.inspect) out << FormatOrbitReport(MakeOrbitReport(state)) << std::flush;

  int status = kRenderDone;
  if (!PerformStructureRequest(state, request, *canvas, out, prompter)) status = kRenderWriteFailed;
  if (request.png) {
    if (const FileFailure failure = WriteRenderedPicture(request, *canvas)) {
      prompter.ShowMessage(*failure);
      status = kRenderWriteFailed;
    }
  }
  // With --manifolds the export holds their points, written above.
  if (request.exportFile && !request.manifolds && !WriteExport(state, request, prompter)) status = kRenderWriteFailed;
  if (request.saveSession && !SaveSession(state, prompter, *request.saveSession)) status = kRenderWriteFailed;
  return status;
}

}  // namespace

int RunRenderProgram(const QStringList& arguments, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  const RenderArguments parsed = ParseRenderArguments(arguments);
  for (const std::string& note : parsed.notes) err << "orbitra-render: " << note << '\n';
  if (!parsed.helpText.empty()) {
    out << parsed.helpText;
    return kRenderDone;
  }
  if (!parsed.request) {
    if (parsed.unreadableFile) {
      err << "orbitra-render: " << parsed.error << '\n';
      return kRenderWriteFailed;
    }
    err << "orbitra-render: " << parsed.error << "\nTry \"orbitra-render --help\".\n";
    return kRenderBadArguments;
  }
  if (parsed.request->view) {
    ConsolePrompter prompter(err);
    return RenderSavedView(*parsed.request, prompter);
  }
  if (const std::optional<GridRequest>& grid = parsed.request->grid) {
    if (grid->phaseColouring) return RenderPhaseSpace(*parsed.request, err, errIsTerminal);
    if (!grid->mergeFiles.empty() && IsPhaseSpaceTile(grid->mergeFiles.front())) {
      return MergePhaseSpace(*parsed.request, err);
    }
    return RenderGrid(*parsed.request, err, errIsTerminal);
  }
  return Render(*parsed.request, out, err, errIsTerminal);
}

}  // namespace orbitra
