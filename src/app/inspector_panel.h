// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include <QDockWidget>

class QLabel;
class QPushButton;

namespace orbitra {

struct OrbitraState;

// The orbit inspector's panel: the report of the trajectory the inspector follows, one
// line per value, and "Copy", which puts the report on the clipboard as text.
class InspectorPanel : public QDockWidget {
  Q_OBJECT

 public:
  explicit InspectorPanel(const OrbitraState& state, QWidget* parent = nullptr);

  // Shows the report as it is now; nothing while the panel is hidden.
  void Refresh();

  QPushButton* CopyButton() const { return copyButton_; }
  // The shown value of each line, in report order.
  const std::vector<QLabel*>& Values() const { return values_; }

 private:
  void CopyReport() const;

  const OrbitraState& state_;
  std::vector<QLabel*> values_;  // owned by the panel through Qt's parent-child ownership
  QPushButton* copyButton_ = nullptr;
};

}  // namespace orbitra
