// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/orbitra_app.h"

#include <QCoreApplication>

#include "app/main_frame.h"
#include "app/mapping_window.h"
#include "explorer/orbitra_state.h"
#include "explorer/startup.h"

namespace orbitra {

OrbitraApp::OrbitraApp(std::filesystem::path workDir)
    : state_(std::make_unique<OrbitraState>(std::move(workDir))) {}

OrbitraApp::~OrbitraApp() = default;

void OrbitraApp::Start(const std::optional<std::filesystem::path>& session) {
  // The settings key is set, but the program reads and writes no setting under it.
  QCoreApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
  QCoreApplication::setApplicationName(QStringLiteral("Orbitra"));

  frame_ = std::make_unique<CMainFrame>(*state_);
  // The picture may be drawn only once the model and the storage exist; a message box of
  // the start-up would otherwise let the event loop repaint too early.
  const RepaintHold::Scope starting = frame_->View().Hold().Hold();
  frame_->show();
  StartUp(*state_, frame_->Prompts());
  if (session) frame_->OpenSessionNow(*session);
}

}  // namespace orbitra
