// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/data_exchange.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <limits>

#include "dialogs/field_parsing.h"

namespace orbitra {
namespace {

std::string FieldText(const QLineEdit* field) { return field->text().toStdString(); }

// A read-only field still shows its member unchanged, so there is nothing to read back.
// Skipping it matters when the member is no number the field can hold (a last point
// that escaped to infinity): the user could never mend that entry, nor confirm.
bool ShowsItsMember(const QLineEdit* field) { return field->isReadOnly(); }

void SetFieldText(QLineEdit* field, const std::string& text) {
  field->setText(QString::fromStdString(text));
  field->setCursorPosition(0);
}

}  // namespace

void DataExchange::BindInt(QLineEdit* field, std::int32_t* member) {
  bindings_.push_back(
      {member, field, [=] { SetFieldText(field, std::to_string(*member)); },
       [=](bool store) -> std::optional<std::string> {
         if (ShowsItsMember(field)) return std::nullopt;
         const std::optional<std::int32_t> value = ParseIntField(FieldText(field));
         if (!value) return std::string(kEnterInteger);
         if (store) *member = *value;
         return std::nullopt;
       }});
}

void DataExchange::BindUnsigned(QLineEdit* field, std::int32_t* member) {
  constexpr std::int32_t kLargest = std::numeric_limits<std::int32_t>::max();
  bindings_.push_back(
      {member, field, [=] { SetFieldText(field, std::to_string(*member)); },
       [=](bool store) -> std::optional<std::string> {
         if (ShowsItsMember(field)) return std::nullopt;
         const UnsignedFieldValue value = ParseUnsignedField(FieldText(field));
         if (!value.wholeNumber) return std::string(kEnterPositiveInteger);
         if (value.value > static_cast<std::uint64_t>(kLargest)) return IntegerRangeMessage(0, kLargest);
         if (store) *member = static_cast<std::int32_t>(value.value);
         return std::nullopt;
       }});
}

void DataExchange::BindIntRange(QLineEdit* field, std::int32_t* member, std::int32_t lo, std::int32_t hi) {
  bindings_.push_back(
      {member, field, [=] { SetFieldText(field, std::to_string(*member)); },
       [=](bool store) -> std::optional<std::string> {
         if (ShowsItsMember(field)) return std::nullopt;
         const std::optional<std::int32_t> value = ParseIntField(FieldText(field));
         if (!value) return std::string(kEnterInteger);
         if (*value < lo || *value > hi) return IntegerRangeMessage(lo, hi);
         if (store) *member = *value;
         return std::nullopt;
       }});
}

void DataExchange::BindDouble(QLineEdit* field, double* member) {
  bindings_.push_back(
      {member, field, [=] { SetFieldText(field, FormatDoubleField(*member)); },
       [=](bool store) -> std::optional<std::string> {
         if (ShowsItsMember(field)) return std::nullopt;
         const std::optional<double> value = ParseDoubleField(FieldText(field));
         if (!value) return std::string(kEnterNumber);
         if (store) *member = *value;
         return std::nullopt;
       }});
}

void DataExchange::BindText(QLineEdit* field, std::string* member, int maxLength) {
  if (maxLength > 0) field->setMaxLength(maxLength);
  bindings_.push_back(
      {member, field, [=] { SetFieldText(field, *member); },
       [=](bool store) -> std::optional<std::string> {
         if (ShowsItsMember(field)) return std::nullopt;
         const QString text = field->text();
         if (maxLength > 0 && text.size() > maxLength) return MaxCharactersMessage(maxLength);
         if (store) *member = text.toStdString();
         return std::nullopt;
       }});
}

void DataExchange::BindCheck(QCheckBox* box, int* member) {
  bindings_.push_back({member, box, [=] { box->setChecked(*member != 0); },
                       [=](bool store) -> std::optional<std::string> {
                         if (store) *member = box->isChecked() ? 1 : 0;
                         return std::nullopt;
                       }});
}

void DataExchange::BindCheck(QCheckBox* box, bool* member) {
  bindings_.push_back({member, box, [=] { box->setChecked(*member); },
                       [=](bool store) -> std::optional<std::string> {
                         if (store) *member = box->isChecked();
                         return std::nullopt;
                       }});
}

void DataExchange::BindRadioGroup(std::vector<QRadioButton*> buttons, std::int32_t* member) {
  QWidget* const first = buttons.empty() ? nullptr : buttons.front();
  bindings_.push_back({member, first,
                       [=] {
                         if (*member >= 0 && static_cast<std::size_t>(*member) < buttons.size())
                           buttons[static_cast<std::size_t>(*member)]->setChecked(true);
                       },
                       [=](bool store) -> std::optional<std::string> {
                         for (std::size_t i = 0; i < buttons.size(); ++i) {
                           if (store && buttons[i]->isChecked()) *member = static_cast<std::int32_t>(i);
                         }
                         return std::nullopt;
                       }});
}

void DataExchange::BindComboIndex(QComboBox* list, int* member) {
  bindings_.push_back({member, list, [=] { list->setCurrentIndex(*member); },
                       [=](bool store) -> std::optional<std::string> {
                         if (store) *member = list->currentIndex();
                         return std::nullopt;
                       }});
}

void DataExchange::WriteAll() const {
  for (const Binding& b : bindings_) b.write();
}

void DataExchange::Write(std::initializer_list<const void*> members) const {
  for (const Binding& b : bindings_) {
    for (const void* m : members) {
      if (b.member == m) b.write();
    }
  }
}

bool DataExchange::ReadAll(Prompter& prompter) {
  for (const Binding& b : bindings_) {
    if (const std::optional<std::string> message = b.read(false)) {
      prompter.ShowMessage(*message);
      b.control->setFocus(Qt::OtherFocusReason);
      if (auto* field = qobject_cast<QLineEdit*>(b.control)) field->selectAll();
      return false;
    }
  }
  for (const Binding& b : bindings_) b.read(true);
  return true;
}

}  // namespace orbitra
