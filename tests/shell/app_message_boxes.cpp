// SPDX-License-Identifier: GPL-3.0-or-later
// The program's message boxes and the About box.

#include <QLabel>
#include <QTest>

#include "app/about_dialog.h"
#include "app/main_frame.h"
#include "app/mapping_window.h"
#include "app/qt_prompter.h"
#include "app_test_support.h"
#include "explorer/orbitra_state.h"

namespace orbitra {
namespace {

using namespace apptest;

class AppMessageBoxes : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void BoxesCarryTheCaptionTheTextAndTheirButtons() {
    ModalAnswerer answers;
    QtPrompter prompter;
    answers.Press(QMessageBox::Ok);
    prompter.ShowMessage("Current data in buffer will be lost\n - <b>100%</b>");
    answers.Press(QMessageBox::Yes);
    QCOMPARE(prompter.AskYesNo("Do you want to delete previous data?"), Answer::Yes);
    answers.Press(QMessageBox::No);
    QCOMPARE(prompter.AskYesNoCancel("Save?"), Answer::No);
    answers.Press(QMessageBox::Cancel);
    QCOMPARE(prompter.AskYesNoCancel("Save?"), Answer::Cancel);
    // Closed with Escape: the answer that changes nothing.
    answers.Then([](QWidget& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    QCOMPARE(prompter.AskYesNo("Delete?"), Answer::No);
    answers.Then([](QWidget& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    QCOMPARE(prompter.AskYesNoCancel("Save?"), Answer::Cancel);
    answers.Press(QMessageBox::Ok);
    prompter.ShowInformation("Transfer of 3  (72 bytes) Ok");

    const auto& seen = answers.SeenWindows();
    QCOMPARE(seen.size(), std::size_t{7});
    for (const auto& box : seen) QCOMPARE(box.title, QString("Orbitra"));
    QCOMPARE(seen[0].text, QString("Current data in buffer will be lost\n - <b>100%</b>"));
    QCOMPARE(seen[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(seen[1].buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(seen[2].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    // Failures warn, questions ask, reports of success inform.
    QCOMPARE(seen[0].icon, QMessageBox::Warning);
    QCOMPARE(seen[1].icon, QMessageBox::Question);
    QCOMPARE(seen[2].icon, QMessageBox::Question);
    QCOMPARE(seen[6].text, QString("Transfer of 3  (72 bytes) Ok"));
    QCOMPARE(seen[6].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(seen[6].icon, QMessageBox::Information);
    QCOMPARE(answers.Unscripted(), 0);
  }

  void TheAboutCommandShowsNameAndVersion() {
    QTemporaryDir dir;
    OrbitraState state(PathOf(dir));
    CMainFrame frame(state);
    frame.View().HoldRepaints(true);
    ModalAnswerer answers;
    QString name;
    answers.Then([&](QWidget& w) {
      if (auto* label = w.findChild<QLabel*>("programName")) name = label->text();
      dynamic_cast<QDialog&>(w).accept();
    });
    frame.Action(CommandId::AppAbout)->trigger();
    QCOMPARE(answers.SeenWindows().size(), std::size_t{1});
    QCOMPARE(answers.SeenWindows()[0].title, QString("About Orbitra"));
    QCOMPARE(name, QString("Orbitra Version 1.0.0"));
  }
};

}  // namespace
}  // namespace orbitra

QTEST_MAIN(orbitra::AppMessageBoxes)
#include "app_message_boxes.moc"
