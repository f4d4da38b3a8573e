#include "render/render_program.h"

#include <memory>
#include <new>

#include <QTemporaryDir>

#include "explorer/export_command.h"
#include "explorer/orbit_report.h"
#include "explorer/startup.h"
#include "platform/refresh_gate.h"
#include "render/console_prompter.h"
#include "render/picture_file.h"
#include "render/progress_line.h"
#include "render/qt_text_painter.h"
#include "render/render_arguments.h"
#include "storage/export_writer.h"

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

int Render(const RenderRequest& request, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  ProgressLine progress(err, errIsTerminal);
  ConsolePrompter prompter(err, &progress);
  const QTemporaryDir folder;
  if (!folder.isValid()) {
    prompter.ShowMessage("cannot create a temporary working folder: " + folder.errorString().toStdString());
    return kRenderWriteFailed;
  }
  OrbitraState state(folder.path().toStdString());
  if (request.interpreted) state.CompiledMaps = NativeMaps(InterpretedOnly());
  StartUp(state, prompter);

  std::unique_ptr<Canvas> canvas;
  try {
    canvas = std::make_unique<Canvas>(request.picture.width, request.picture.height);
  } catch (const std::bad_alloc&) {
    prompter.ShowMessage("not enough memory for a picture of that size");
    return kRenderWriteFailed;
  }
  QtTextPainter painter;
  UnwatchedRefreshGate gate;
  canvas->SetTextPainter(&painter);
  canvas->SetRefreshGate(&gate);
  canvas->SetTextScale(request.picture.textScale);
  const bool performed = PerformRenderJob(state, request.job, *canvas, prompter, &progress);
  progress.End();
  if (!performed) return kRenderWriteFailed;
  if (request.job.inspect) out << FormatOrbitReport(MakeOrbitReport(state)) << std::flush;

  int status = kRenderDone;
  if (request.png) {
    if (const FileFailure failure = WritePicture(*canvas, *request.png)) {
      prompter.ShowMessage(*failure);
      status = kRenderWriteFailed;
    }
  }
  if (request.exportFile && !WriteExport(state, request, prompter)) status = kRenderWriteFailed;
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
    err << "orbitra-render: " << parsed.error << "\nTry \"orbitra-render --help\".\n";
    return kRenderBadArguments;
  }
  return Render(*parsed.request, out, err, errIsTerminal);
}

}  // namespace orbitra
