// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/define_map_dialog.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QVBoxLayout>

#include <algorithm>

#include "dialogs/dialog_widgets.h"
#include "maps/system_catalogue.h"

namespace orbitra {

namespace {

QString ToQString(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QPushButton* MakeButton(QWidget* parent, const QString& text, const QString& objectName) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(objectName);
  button->setAutoDefault(false);
  return button;
}

// The position in the widget's text of a column counted in the UTF-8 bytes of the text.
int TextPosition(const QString& text, int column) {
  const QByteArray bytes = text.toUtf8();
  const qsizetype byte = std::clamp<qsizetype>(column - 1, 0, bytes.size());
  return static_cast<int>(QString::fromUtf8(bytes.left(byte)).size());
}

// Selects `length` bytes' worth of text from the column; the whole text for column 0.
void SelectIn(QLineEdit* field, int column, int length) {
  field->setFocus();
  if (column <= 0) {
    field->selectAll();
    return;
  }
  const int from = TextPosition(field->text(), column);
  const int to = TextPosition(field->text(), column + length);
  field->setSelection(from, to - from);
}

}  // namespace

DefineMapDialog::DefineMapDialog(OrbitraState& state, Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      state_(state),
      prompter_(prompter),
      checkX0_(state.Run.InitialPoint.x),
      checkY0_(state.Run.InitialPoint.y) {
  setWindowTitle(QStringLiteral("Define Map"));

  // Left: the user's maps.
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("mapList"));
  list_->setFixedWidth(list_->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 14);
  QPushButton* newMap = MakeButton(this, QStringLiteral("New"), QStringLiteral("newMap"));
  auto* left = new QVBoxLayout;
  left->addWidget(new QLabel(QStringLiteral("Your maps"), this));
  left->addWidget(list_, 1);
  left->addWidget(newMap);

  // Right: the form of the map shown.
  name_ = MakeField(this, QStringLiteral("name"));
  helpers_ = new QPlainTextEdit(this);
  helpers_->setObjectName(QStringLiteral("helpers"));
  helpers_->setPlaceholderText(QStringLiteral("t = x + y"));
  helpers_->setFixedHeight(helpers_->fontMetrics().lineSpacing() * 4 + 12);
  xFormula_ = MakeField(this, QStringLiteral("xFormula"));
  yFormula_ = MakeField(this, QStringLiteral("yFormula"));
  xFormula_->setMinimumWidth(xFormula_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Name"), name_);
  form->addRow(QStringLiteral("Helpers"), helpers_);
  form->addRow(QStringLiteral("x' ="), xFormula_);
  form->addRow(QStringLiteral("y' ="), yFormula_);

  auto* defaults = new QGroupBox(QStringLiteral("Defaults"), this);
  auto* grid = new QGridLayout(defaults);
  QLineEdit* k[4];
  for (int i = 0; i < 4; ++i) {
    k[i] = MakeField(defaults, QStringLiteral("k%1").arg(i + 1));
    grid->addWidget(new QLabel(QStringLiteral("k%1 =").arg(i + 1), defaults), i / 2, (i % 2) * 2);
    grid->addWidget(k[i], i / 2, (i % 2) * 2 + 1);
  }
  xMin_ = MakeField(defaults, QStringLiteral("xMin"));
  QLineEdit* xMax = MakeField(defaults, QStringLiteral("xMax"));
  QLineEdit* yMin = MakeField(defaults, QStringLiteral("yMin"));
  QLineEdit* yMax = MakeField(defaults, QStringLiteral("yMax"));
  const std::pair<const char*, QLineEdit*> range[] = {{"Xmin", xMin_}, {"Xmax", xMax}, {"Ymin", yMin}, {"Ymax", yMax}};
  for (int i = 0; i < 4; ++i) {
    grid->addWidget(new QLabel(QString::fromLatin1(range[i].first), defaults), 2 + i / 2, (i % 2) * 2);
    grid->addWidget(range[i].second, 2 + i / 2, (i % 2) * 2 + 1);
  }

  auto* checkBox = new QGroupBox(QStringLiteral("Check"), this);
  auto* checkRow = new QHBoxLayout;
  QLineEdit* checkX0 = MakeField(checkBox, QStringLiteral("checkX0"));
  QLineEdit* checkY0 = MakeField(checkBox, QStringLiteral("checkY0"));
  QPushButton* check = MakeButton(checkBox, QStringLiteral("Check"), QStringLiteral("check"));
  checkRow->addWidget(new QLabel(QStringLiteral("X0 ="), checkBox));
  checkRow->addWidget(checkX0);
  checkRow->addWidget(new QLabel(QStringLiteral("Y0 ="), checkBox));
  checkRow->addWidget(checkY0);
  checkRow->addWidget(check);
  checkResult_ = MakeReadOnlyField(checkBox, QStringLiteral("checkResult"));
  auto* checkColumn = new QVBoxLayout(checkBox);
  checkColumn->addLayout(checkRow);
  checkColumn->addWidget(checkResult_);

  auto* right = new QVBoxLayout;
  right->addLayout(form);
  right->addWidget(defaults);
  right->addWidget(checkBox);

  QPushButton* save = MakeButton(this, QStringLiteral("Save"), QStringLiteral("save"));
  QPushButton* remove = MakeButton(this, QStringLiteral("Delete"), QStringLiteral("delete"));
  QPushButton* close = MakeButton(this, QStringLiteral("Close"), QStringLiteral("close"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(save);
  buttons->addWidget(remove);
  buttons->addStretch();
  buttons->addWidget(close);

  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right, 1);
  auto* page = new QVBoxLayout(this);
  page->addLayout(columns);
  page->addLayout(buttons);

  // Member order decides which invalid entry is reported first.
  exchange_.BindText(name_, &definition_.name, static_cast<int>(kMaxMapNameLength));
  exchange_.BindText(xFormula_, &definition_.xFormula);
  exchange_.BindText(yFormula_, &definition_.yFormula);
  double* parameters[] = {&definition_.k1, &definition_.k2, &definition_.k3, &definition_.k4};
  for (int i = 0; i < 4; ++i) exchange_.BindDouble(k[i], parameters[i]);
  exchange_.BindDouble(xMin_, &definition_.range.Xmin);
  exchange_.BindDouble(xMax, &definition_.range.Xmax);
  exchange_.BindDouble(yMin, &definition_.range.Ymin);
  exchange_.BindDouble(yMax, &definition_.range.Ymax);
  exchange_.BindDouble(checkX0, &checkX0_);
  exchange_.BindDouble(checkY0, &checkY0_);
  exchange_.WriteAll();

  FillList();
  const std::optional<int> inUse = UserMapInUse(state_);
  Show(inUse ? inUse : state_.UserMaps.Count() > 0 ? std::optional<int>(0) : std::nullopt);

  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) Show(row);
  });
  connect(newMap, &QPushButton::clicked, this, [this] { Show(std::nullopt); });
  connect(save, &QPushButton::clicked, this, [this] { OnSave(); });
  // What the user types into the map's fields (not the check point) is a change to save.
  const auto edited = [this] { changed_ = true; };
  for (QLineEdit* field : {name_, xFormula_, yFormula_, k[0], k[1], k[2], k[3], xMin_, xMax, yMin, yMax}) {
    connect(field, &QLineEdit::textEdited, this, edited);
  }
  connect(helpers_, &QPlainTextEdit::textChanged, this, edited);
  connect(remove, &QPushButton::clicked, this, &DefineMapDialog::OnDelete);
  connect(check, &QPushButton::clicked, this, &DefineMapDialog::OnCheck);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

void DefineMapDialog::FillList() {
  const QSignalBlocker quiet(list_);
  list_->clear();
  for (int i = 0; i < state_.UserMaps.Count(); ++i) list_->addItem(ToQString(state_.UserMaps.At(i).definition.name));
}

void DefineMapDialog::Show(std::optional<int> position) {
  shown_ = position;
  definition_ = position ? state_.UserMaps.At(*position).definition : UserMapDefinition{};
  // The check point stays as the user typed it.
  exchange_.Write({&definition_.name, &definition_.xFormula, &definition_.yFormula, &definition_.k1,
                   &definition_.k2, &definition_.k3, &definition_.k4, &definition_.range.Xmin,
                   &definition_.range.Xmax, &definition_.range.Ymin, &definition_.range.Ymax});
  QStringList lines;
  for (const std::string& line : definition_.helpers) lines.append(ToQString(line));
  helpers_->setPlainText(lines.join(QLatin1Char('\n')));
  checkResult_->clear();
  changed_ = false;
  const QSignalBlocker quiet(list_);
  list_->setCurrentRow(position ? *position : -1);
}

bool DefineMapDialog::ReadForm() {
  if (!exchange_.ReadAll(prompter_)) return false;
  // Every line, blank ones included, so that a fault's line number is the one shown.
  definition_.helpers.clear();
  for (const QString& line : helpers_->toPlainText().split(QLatin1Char('\n'))) {
    definition_.helpers.push_back(line.toStdString());
  }
  return true;
}

void DefineMapDialog::Mark(const MapFieldMark& mark) {
  switch (mark.field) {
    case MapField::Name:
      SelectIn(name_, 0, 0);
      break;
    case MapField::Range:
      SelectIn(xMin_, 0, 0);
      break;
    case MapField::XFormula:
      SelectIn(xFormula_, mark.column, mark.length);
      break;
    case MapField::YFormula:
      SelectIn(yFormula_, mark.column, mark.length);
      break;
    case MapField::Helpers: {
      helpers_->setFocus();
      const QTextBlock line = helpers_->document()->findBlockByNumber(mark.helperLine);
      QTextCursor cursor(line);
      if (mark.column <= 0) {
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
      } else {
        cursor.setPosition(line.position() + TextPosition(line.text(), mark.column));
        cursor.setPosition(line.position() + TextPosition(line.text(), mark.column + mark.length),
                           QTextCursor::KeepAnchor);
      }
      helpers_->setTextCursor(cursor);
      break;
    }
  }
}

void DefineMapDialog::done(int result) {
  switch (AskAboutUnsavedMap(prompter_, changed_, name_->text().toStdString())) {
    case UnsavedMapChoice::Save:
      if (!OnSave()) return;
      break;
    case UnsavedMapChoice::Discard:
      break;
    case UnsavedMapChoice::Cancel:
      return;
  }
  QDialog::done(result);
}

bool DefineMapDialog::OnSave() {
  if (!ReadForm()) return false;
  const MapSaveOutcome outcome = SaveUserMap(state_, prompter_, shown_, definition_);
  if (!outcome.saved) {
    if (outcome.mark) Mark(*outcome.mark);
    return false;
  }
  if (outcome.repaint == Invalidation::WithErase) repaint_ = Invalidation::WithErase;
  const int position = shown_.value_or(state_.UserMaps.Count() - 1);
  FillList();
  Show(position);
  return true;
}

void DefineMapDialog::OnDelete() {
  if (!shown_ || !DeleteUserMap(state_, prompter_, *shown_)) return;
  FillList();
  const int count = state_.UserMaps.Count();
  Show(count > 0 ? std::optional<int>(std::min(*shown_, count - 1)) : std::nullopt);
}

void DefineMapDialog::OnCheck() {
  if (!ReadForm()) return;
  const MapCheck result = CheckUserMap(definition_, checkX0_, checkY0_);
  checkResult_->setText(ToQString(result.text));
  if (result.mark) Mark(*result.mark);
}

}  // namespace orbitra
