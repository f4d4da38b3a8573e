// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <memory>
#include <optional>

namespace orbitra {

class CMainFrame;
struct OrbitraState;

// The application object: owns the program's one state object and the main frame, and
// runs the start-up sequence. Shutdown asks nothing and saves nothing.
class OrbitraApp {
 public:
  // The program's files are opened inside workDir (the current directory in the program).
  explicit OrbitraApp(std::filesystem::path workDir);
  ~OrbitraApp();
  OrbitraApp(const OrbitraApp&) = delete;
  OrbitraApp& operator=(const OrbitraApp&) = delete;

  // The settings key, the main frame created and shown, then the model and the storage.
  // The mapping window's first repaint follows from the event loop.
  // A session named on the command line is opened after that.
  void Start(const std::optional<std::filesystem::path>& session = std::nullopt);

  OrbitraState& State() { return *state_; }
  CMainFrame& Frame() { return *frame_; }

 private:
  std::unique_ptr<OrbitraState> state_;  // declared first: the frame refers to it until it is destroyed
  std::unique_ptr<CMainFrame> frame_;
};

}  // namespace orbitra
