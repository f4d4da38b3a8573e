// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

#include "dialogs/data_exchange.h"
#include "explorer/user_map_commands.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace orbitra {

// "Define Map": the user's maps in a list beside the form of the one shown. "Save" keeps
// the form as that map (or a new one after "New"), "Delete" removes it, "Check" shows the
// image of the check point or what is wrong, with that part of its field selected. Every
// action is a core call on the state while the dialog stays open.
class DefineMapDialog : public QDialog {
 public:
  DefineMapDialog(OrbitraState& state, Prompter& prompter, QWidget* parent = nullptr);

  // How the mapping window must repaint: the map in use may have changed.
  Invalidation Repaint() const { return repaint_; }

  // Every way of closing (Close, Escape, the title bar) first settles unsaved changes.
  void done(int result) override;

 private:
  void FillList();
  void Show(std::optional<int> position);
  bool ReadForm();
  void Mark(const MapFieldMark& mark);
  bool OnSave();
  void OnDelete();
  void OnCheck();

  OrbitraState& state_;
  Prompter& prompter_;
  DataExchange exchange_;
  UserMapDefinition definition_;
  double checkX0_ = 0.0;
  double checkY0_ = 0.0;
  std::optional<int> shown_;  // the map in the form; nothing for a new one
  bool changed_ = false;      // the form was edited since it was last shown or saved
  Invalidation repaint_ = Invalidation::None;

  QListWidget* list_ = nullptr;
  QPlainTextEdit* helpers_ = nullptr;
  QLineEdit* name_ = nullptr;
  QLineEdit* xFormula_ = nullptr;
  QLineEdit* yFormula_ = nullptr;
  QLineEdit* xMin_ = nullptr;
  QLineEdit* checkResult_ = nullptr;
};

}  // namespace orbitra
