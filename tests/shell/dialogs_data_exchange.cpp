// SPDX-License-Identifier: GPL-3.0-or-later
// The data exchange every dialog relies on: what the fields accept, how values are shown,
// and what an invalid entry does (one message, focus and selection, no member changed).

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

#include "dialogs/data_exchange.h"
#include "dialogs/field_parsing.h"
#include "dialogs_test_support.h"

namespace orbitra {
namespace {

using dialogtest::RecordingPrompter;

struct Members {
  std::int32_t whole = 3;
  std::int32_t count = 10;
  std::int32_t percent = 50;
  double value = 0.1;
  std::string text = "abc";
  int flag = 1;
};

// A dialog with one control of each kind, bound in the order of Members.
class Form : public QDialog {
 public:
  Form() {
    auto* page = new QVBoxLayout(this);
    for (QWidget* w : std::initializer_list<QWidget*>{whole, count, percent, value, text, flag}) page->addWidget(w);
    exchange.BindInt(whole, &m.whole);
    exchange.BindUnsigned(count, &m.count);
    exchange.BindIntRange(percent, &m.percent, 1, 100);
    exchange.BindDouble(value, &m.value);
    exchange.BindText(text, &m.text, 5);
    exchange.BindCheck(flag, &m.flag);
  }

  Members m;
  DataExchange exchange;
  QLineEdit* whole = new QLineEdit(this);
  QLineEdit* count = new QLineEdit(this);
  QLineEdit* percent = new QLineEdit(this);
  QLineEdit* value = new QLineEdit(this);
  QLineEdit* text = new QLineEdit(this);
  QCheckBox* flag = new QCheckBox(this);
};

}  // namespace

class DataExchangeTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void doubleFieldsAcceptBlanksAroundANumberAndNothingElse() {
    QCOMPARE(ParseDoubleField(" 1.5 "), std::optional<double>(1.5));
    QCOMPARE(ParseDoubleField("\t-2e3\t"), std::optional<double>(-2000.0));
    QCOMPARE(ParseDoubleField("+.5"), std::optional<double>(0.5));
    QCOMPARE(ParseDoubleField("7."), std::optional<double>(7.0));
    for (const char* bad : {"", "   ", "1.5x", "1 5", "x1", "--1", "+-1", "0x10", "1e400", "inf", "-inf", "nan",
                            "1,5", "."}) {
      QVERIFY2(!ParseDoubleField(bad).has_value(), bad);
    }
  }

  void wholeNumberFields() {
    QCOMPARE(ParseIntField(" -42 "), std::optional<std::int32_t>(-42));
    QCOMPARE(ParseIntField("+7"), std::optional<std::int32_t>(7));
    QCOMPARE(ParseIntField("-2147483648"), std::optional<std::int32_t>(std::numeric_limits<std::int32_t>::min()));
    for (const char* bad : {"", "3.0", "2147483648", "1e3", "12a", "- 4"}) {
      QVERIFY2(!ParseIntField(bad).has_value(), bad);
    }
    QVERIFY(ParseUnsignedField(" 0 ").wholeNumber);
    QCOMPARE(ParseUnsignedField("4294967296").value, std::uint64_t{4294967296});
    QCOMPARE(ParseUnsignedField("99999999999999999999999").value, std::numeric_limits<std::uint64_t>::max());
    // A plus sign is taken as in the other fields; a minus sign is not.
    QVERIFY(ParseUnsignedField(" +5 ").wholeNumber);
    QCOMPARE(ParseUnsignedField("+5").value, std::uint64_t{5});
    for (const char* bad : {"", "-5", "+", "++5", "+-5", "+ 5", "5.0", "five"}) {
      QVERIFY2(!ParseUnsignedField(bad).wholeNumber, bad);
    }
  }

  void doublesAreShownInTheShortestTextThatReadsBack() {
    // Fifteen significant digits at most, when they give the number back.
    QCOMPARE(FormatDoubleField(0.7), std::string("0.7"));
    QCOMPARE(FormatDoubleField(10000.0), std::string("10000"));
    QCOMPARE(FormatDoubleField(-1e-20), std::string("-1e-20"));
    QCOMPARE(FormatDoubleField(0.631354477089505), std::string("0.631354477089505"));
    // More only where fewer would turn it into another number.
    QCOMPARE(FormatDoubleField(0.6313544770895048), std::string("0.6313544770895048"));
    QCOMPARE(FormatDoubleField(0.1 + 0.2), std::string("0.30000000000000004"));
    QCOMPARE(FormatDoubleField(2 * M_PI), std::string("6.283185307179586"));
    QCOMPARE(FormatDoubleField(123456789012345678.0), std::string("1.2345678901234568e+17"));

    // Over many doubles of every magnitude: the text reads back to the same bits, and is
    // the fifteen-digit text whenever that one does.
    std::mt19937_64 bits(11);
    for (int i = 0; i < 200000; ++i) {
      const std::uint64_t pattern = bits();
      double v = 0.0;
      std::memcpy(&v, &pattern, sizeof v);
      if (!std::isfinite(v)) continue;
      const std::string text = FormatDoubleField(v);
      const std::optional<double> back = ParseDoubleField(text);
      QVERIFY2(back && std::memcmp(&*back, &v, sizeof v) == 0, text.c_str());
      char fifteen[40];
      std::snprintf(fifteen, sizeof fifteen, "%.15g", v);
      if (ParseDoubleField(fifteen) == v) QCOMPARE(text, std::string(fifteen));
    }
  }

  void openingWritesEveryMember() {
    Form form;
    form.m.value = 0.1 + 0.2;
    form.exchange.WriteAll();
    QCOMPARE(form.whole->text(), QString("3"));
    QCOMPARE(form.count->text(), QString("10"));
    QCOMPARE(form.percent->text(), QString("50"));
    QCOMPARE(form.value->text(), QString("0.30000000000000004"));  // "0.3" would read back as another number
    QCOMPARE(form.text->text(), QString("abc"));
    QVERIFY(form.flag->isChecked());
  }

  void firstInvalidEntryIsReportedOnceWithFocusAndSelection() {
    Form form;
    form.exchange.WriteAll();
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.whole->setText("7");      // valid, but must not reach its member
    form.count->setText(" -5 ");   // first invalid in member order
    form.percent->setText("0");    // invalid too, reported only after the first is mended
    form.flag->setChecked(false);
    RecordingPrompter prompter;
    QVERIFY(!form.exchange.ReadAll(prompter));
    QCOMPARE(prompter.shown, std::vector<std::string>{"Please enter a positive integer."});
    QCOMPARE(QApplication::focusWidget(), form.count);
    QCOMPARE(form.count->selectedText(), QString(" -5 "));
    QCOMPARE(form.m.whole, 3);
    QCOMPARE(form.m.flag, 1);

    form.count->setText("12");
    prompter.shown.clear();
    QVERIFY(!form.exchange.ReadAll(prompter));
    QCOMPARE(prompter.shown, std::vector<std::string>{"Please enter an integer between 1 and 100."});
    QCOMPARE(QApplication::focusWidget(), form.percent);
    QCOMPARE(form.percent->selectedText(), QString("0"));

    form.percent->setText("100");
    prompter.shown.clear();
    QVERIFY(form.exchange.ReadAll(prompter));
    QVERIFY(prompter.shown.empty());
    QCOMPARE(form.m.whole, 7);
    QCOMPARE(form.m.count, 12);
    QCOMPARE(form.m.percent, 100);
    QCOMPARE(form.m.flag, 0);
  }

  void eachKindHasItsMessage() {
    struct Case {
      QLineEdit* Form::*field;
      const char* text;
      std::string message;
    };
    const std::vector<Case> cases = {
        {&Form::whole, "1.5", "Please enter an integer."},
        {&Form::count, "2147483648", "Please enter an integer between 0 and 2147483647."},
        {&Form::count, "abc", "Please enter a positive integer."},
        {&Form::percent, "101", "Please enter an integer between 1 and 100."},
        {&Form::percent, "x", "Please enter an integer."},
        {&Form::value, "1.2.3", "Please enter a number."},
    };
    for (const Case& c : cases) {
      Form form;
      form.exchange.WriteAll();
      (form.*c.field)->setText(c.text);
      RecordingPrompter prompter;
      QVERIFY2(!form.exchange.ReadAll(prompter), c.text);
      QCOMPARE(prompter.shown, std::vector<std::string>{c.message});
    }
    // Unsigned fields take the largest count the program can hold.
    Form form;
    form.exchange.WriteAll();
    form.count->setText(" 2147483647 ");
    RecordingPrompter prompter;
    QVERIFY(form.exchange.ReadAll(prompter));
    QCOMPARE(form.m.count, 2147483647);
  }

  void textFieldsTakeNoMoreThanTheirLimit() {
    Form form;
    form.exchange.WriteAll();
    form.text->clear();
    QTest::keyClicks(form.text, "abcdefgh");
    QCOMPARE(form.text->text(), QString("abcde"));
    // Text that got past the field's own limit is refused at reading.
    form.text->setMaxLength(100);
    form.text->setText("abcdef");
    RecordingPrompter prompter;
    QVERIFY(!form.exchange.ReadAll(prompter));
    QCOMPARE(prompter.shown, std::vector<std::string>{"Please enter no more than 5 characters."});
    QCOMPARE(form.m.text, std::string("abc"));
  }

  void writingChosenMembersLeavesTheOtherControlsAlone() {
    Form form;
    form.exchange.WriteAll();
    form.whole->setText("typed");
    form.m.value = 2.5;
    form.m.whole = 99;
    form.exchange.Write({&form.m.value});
    QCOMPARE(form.value->text(), QString("2.5"));
    QCOMPARE(form.whole->text(), QString("typed"));
  }
};

}  // namespace orbitra

QTEST_MAIN(orbitra::DataExchangeTest)
#include "dialogs_data_exchange.moc"
