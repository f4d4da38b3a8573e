// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/session_command_handlers.h"

#include <QFileDialog>

#include "explorer/orbitra_state.h"
#include "app/sweep_command_handlers.h"
#include "sessions/session_commands.h"
#include "storage/file_io.h"

namespace orbitra {

namespace {

const QString kSessionFilter = QStringLiteral("Orbitra sessions (*.orbitra.h5);;All files (*)");

QString StartFolder(const OrbitraState& state) {
  const std::vector<std::filesystem::path> recent = RecentSessions(state);
  const std::filesystem::path folder = recent.empty() ? state.WorkDir : recent.front().parent_path();
  return QString::fromStdString(folder.string());
}

}  // namespace

Invalidation OnSaveSession(CommandHost& host) {
  const OrbitraState& state = host.State();
  const QString chosen = QFileDialog::getSaveFileName(host.DialogParent(), QStringLiteral("Save Session"),
                                                      StartFolder(state), kSessionFilter, nullptr,
                                                      QFileDialog::DontConfirmOverwrite);
  if (chosen.isEmpty()) return Invalidation::None;
  const std::filesystem::path file = SessionFileName(chosen.toStdString());
  if (!AgreeToReplace(file, file.string(), host.Prompts())) return Invalidation::None;
  if (SaveSession(state, host.Prompts(), file, host.OpenSweepViews())) RememberSession(state, file);
  return Invalidation::None;
}

Invalidation OnOpenSession(CommandHost& host) {
  const QString chosen = QFileDialog::getOpenFileName(host.DialogParent(), QStringLiteral("Open Session"),
                                                      StartFolder(host.State()), kSessionFilter);
  if (chosen.isEmpty()) return Invalidation::None;
  return OpenSessionFile(host, chosen.toStdString());
}

Invalidation OnRecentSessions(CommandHost& /*host*/) { return Invalidation::None; }

Invalidation OpenSessionFile(CommandHost& host, const std::filesystem::path& file) {
  std::vector<SavedSweepView> sweeps;
  const Invalidation repaint = OpenSession(host.State(), host.Prompts(), file, &sweeps);
  if (repaint == Invalidation::None) return repaint;
  RememberSession(host.State(), file);
  host.CloseSweepWindows();
  host.StructureReplaced();
  for (const SavedSweepView& saved : sweeps) OpenSavedSweepWindow(host, saved);
  return repaint;
}

}  // namespace orbitra
