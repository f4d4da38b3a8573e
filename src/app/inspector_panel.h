// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include <QDockWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orbitra {

struct OrbitraState;
class Prompter;

// The orbit inspector's panel: the report of the trajectory the inspector follows, one
// line per value, the centre the rotation number winds about (empty: chosen by itself),
// and "Copy", which puts the report on the clipboard as text.
class InspectorPanel : public QDockWidget {
  Q_OBJECT

 public:
  InspectorPanel(OrbitraState& state, Prompter& prompter, QWidget* parent = nullptr);

  // Shows the report as it is now; nothing while the panel is hidden.
  void Refresh();

  QPushButton* CopyButton() const { return copyButton_; }
  QLineEdit* CentreField() const { return centreField_; }
  // The shown value of each line, in report order.
  const std::vector<QLabel*>& Values() const { return values_; }

 private:
  void CopyReport() const;
  void TakeCentre();

  OrbitraState& state_;
  Prompter& prompter_;
  QLineEdit* centreField_ = nullptr;
  std::vector<QLabel*> values_;  // owned by the panel through Qt's parent-child ownership
  QPushButton* copyButton_ = nullptr;
};

}  // namespace orbitra
