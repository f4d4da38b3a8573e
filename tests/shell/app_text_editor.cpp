// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own text editor for the group file and the notebook.

#include <QFontInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "app/qt_editor_port.h"
#include "app/text_editor_window.h"
#include "app_test_support.h"

namespace orbitra {
namespace {

using namespace apptest;

class RecordingPrompter : public Prompter {
 public:
  void ShowMessage(std::string_view text) override { shown.emplace_back(text); }
  void ShowInformation(std::string_view text) override { shown.emplace_back(text); }
  Answer AskYesNo(std::string_view text) override { return Next(text); }
  Answer AskYesNoCancel(std::string_view text) override { return Next(text); }

  std::vector<std::string> shown;
  std::deque<Answer> answers;

 private:
  Answer Next(std::string_view text) {
    shown.emplace_back(text);
    if (answers.empty()) return Answer::Cancel;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
};

TextEditorWindow& AsEditor(QWidget& w) { return dynamic_cast<TextEditorWindow&>(w); }

// Types at the end of the text as a user would; '\n' is the Return key.
void Type(TextEditorWindow& editor, const QString& text) {
  editor.Editor()->moveCursor(QTextCursor::End);
  const QStringList lines = text.split('\n');
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (i > 0) QTest::keyClick(editor.Editor(), Qt::Key_Return);
    QTest::keyClicks(editor.Editor(), lines[i]);
  }
}

class AppTextEditor : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void ShowsTheFileInAFixedFontSavesItAndWaitsUntilClosed() {
    QTemporaryDir dir;
    const auto file = PathOf(dir) / "icgroup.txt";
    WriteFile(file, "0.500000 0.000000 1000 4 0\n");
    RecordingPrompter prompter;
    ModalAnswerer answers;
    bool checked = false;
    answers.Then([&](QWidget& w) {
      TextEditorWindow& editor = AsEditor(w);
      checked = editor.Editor()->toPlainText() == "0.500000 0.000000 1000 4 0\n" &&
                QFontInfo(editor.Editor()->font()).fixedPitch() && editor.windowTitle().contains("icgroup.txt");
      Type(editor, "0.1 0.2 50 1 0\n");
      editor.SaveButton()->click();
      editor.reject();
    });
    QtEditorPort port(prompter, nullptr);
    port.OpenInEditor(file);  // returns only once the window is closed
    QVERIFY(checked);
    QCOMPARE(answers.SeenWindows().size(), std::size_t{1});
    QCOMPARE(ReadFile(file), std::string("0.500000 0.000000 1000 4 0\n0.1 0.2 50 1 0\n"));
    QVERIFY(prompter.shown.empty());  // saved: closing asked nothing
  }

  void UnsavedEditsAreOfferedForSavingOnClose() {
    QTemporaryDir dir;
    const auto file = PathOf(dir) / "usercomments.txt";
    WriteFile(file, "notes\n");
    RecordingPrompter prompter;

    {  // Cancel keeps the window open; No then discards.
      TextEditorWindow editor(file, prompter);
      QVERIFY(editor.Load());
      editor.show();
      Type(editor, "draft");
      prompter.answers = {Answer::Cancel};
      editor.reject();
      QVERIFY(editor.isVisible());
      prompter.answers = {Answer::No};
      editor.reject();
      QVERIFY(!editor.isVisible());
      QCOMPARE(ReadFile(file), std::string("notes\n"));
      QCOMPARE(prompter.shown.size(), std::size_t{2});
      QCOMPARE(prompter.shown[0], std::string("usercomments.txt has been changed.\nDo you want to save the changes?"));
    }
    {  // Yes saves before closing.
      TextEditorWindow editor(file, prompter);
      QVERIFY(editor.Load());
      editor.show();
      Type(editor, "kept");
      prompter.answers = {Answer::Yes};
      editor.reject();
      QVERIFY(!editor.isVisible());
      QCOMPARE(ReadFile(file), std::string("notes\nkept"));
    }
  }

  // A file just opened is not marked changed, whatever its line ends and characters.
  void OpensUnmodified() {
    QTemporaryDir dir;
    for (const std::string& text : {std::string("notes\n"), std::string("a\r\nb\r\n"), std::string("caf\xe9\n"),
                                    std::string("tab\there\n"), std::string()}) {
      const auto file = PathOf(dir) / "usercomments.txt";
      WriteFile(file, text);
      RecordingPrompter prompter;
      TextEditorWindow editor(file, prompter);
      QVERIFY(editor.Load());
      editor.show();
      QVERIFY(QTest::qWaitForWindowExposed(&editor));
      QVERIFY(!editor.IsModified());
      QVERIFY2(!editor.isWindowModified(), text.c_str());
      QCOMPARE(editor.windowHandle()->title(), QString("usercomments.txt - Orbitra"));
      editor.reject();
      QVERIFY(prompter.shown.empty());
    }
  }

  void AFailedSaveIsReportedAndKeepsTheWindowOpen() {
    QTemporaryDir dir;
    // A folder that does not exist: the file can be neither created nor replaced.
    const auto file = PathOf(dir) / "missing" / "usercomments.txt";
    RecordingPrompter prompter;
    TextEditorWindow editor(file, prompter);
    QVERIFY(editor.Load());  // a missing file is an empty text
    QCOMPARE(editor.Editor()->toPlainText(), QString());
    editor.show();
    Type(editor, "lost?");
    QVERIFY(!editor.Save());
    QCOMPARE(prompter.shown.size(), std::size_t{1});
    QVERIFY(prompter.shown[0].starts_with("Cannot save usercomments.txt:\n"));
    QVERIFY(prompter.shown[0].ends_with("\nThe file on disk is unchanged."));
    QVERIFY(editor.IsModified());

    // Yes to saving on close fails again: the window stays, with the text.
    prompter.answers = {Answer::Yes};
    editor.reject();
    QVERIFY(editor.isVisible());
    QCOMPARE(editor.Editor()->toPlainText(), QString("lost?"));
    QVERIFY(!std::filesystem::exists(file));
  }

  void AnUnreadableFileIsReportedAndNotOpened() {
    QTemporaryDir dir;
    const auto file = PathOf(dir) / "icgroup.txt";
    std::filesystem::create_directory(file);  // exists, but cannot be read as a file
    RecordingPrompter prompter;
    ModalAnswerer answers;
    QtEditorPort port(prompter, nullptr);
    port.OpenInEditor(file);
    QCOMPARE(answers.SeenWindows().size(), std::size_t{0});
    QCOMPARE(prompter.shown.size(), std::size_t{1});
    QVERIFY(prompter.shown[0].starts_with("Cannot open icgroup.txt for editing:\n"));
  }

  void TextThatIsNotUtf8IsSavedBackByteForByte() {
    QTemporaryDir dir;
    const auto file = PathOf(dir) / "usercomments.txt";
    WriteFile(file, "caf\xe9 \xb5m\n");
    RecordingPrompter prompter;
    TextEditorWindow editor(file, prompter);
    QVERIFY(editor.Load());
    QCOMPARE(editor.Editor()->toPlainText(), QString::fromLatin1("caf\xe9 \xb5m\n"));
    Type(editor, "ok");
    QVERIFY(editor.Save());
    QCOMPARE(ReadFile(file), std::string("caf\xe9 \xb5m\nok"));
  }
};

}  // namespace
}  // namespace orbitra

QTEST_MAIN(orbitra::AppTextEditor)
#include "app_text_editor.moc"
