// The desktop program driven through its public state: the document's bytes, the editor's
// text and undo, the worker's runs, the enabling of commands, the preview's temporary page, the
// store's values and the parse tree.

#include <sys/resource.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <csignal>

#include "engine/html_node.h"
#include "engine/optimize_job.h"
#include "rules/file_io.h"
#include "rules/settings_table.h"
#include "shell/main_window.h"
#include "shell/output_pane.h"
#include "shell/page_document.h"
#include "shell/parse_tree_window.h"
#include "shell/preview_pane.h"
#include "shell/source_editor.h"
#include "shell/window_settings.h"

using namespace trimvale;
using namespace trimvale::shell;

namespace {

std::string ReadBytes(const QString& path) {
  std::string bytes;
  ReadWholeFile(path.toStdString(), bytes);
  return bytes;
}

void WriteBytes(const QString& path, std::string_view bytes) {
  QVERIFY(WriteFileAtomically(path.toStdString(), bytes));
}

// A program folder of its own with the rule files of the build tree.
struct CFixture {
  QTemporaryDir folder;
  CMemorySettingsStore store;
  std::unique_ptr<CShellEnvironment> env;
  std::unique_ptr<MainWindow> window;
  QStringList notes, questions;
  bool answerYes = true;

  CFixture() {
    for (const char* name : {"tageinst.txt", "profile.txt"}) {
      QFile::copy(QStringLiteral(TRIMVALE_BINARY_DIR "/") + name, folder.path() + "/" + name);
    }
    Reopen();
  }
  void Reopen() {
    window.reset();
    env = std::make_unique<CShellEnvironment>(store, folder.path().toStdString());
    window = std::make_unique<MainWindow>(*env);
    window->showNote = [this](const QString& note) { notes << note; };
    window->askYesNo = [this](const QString& question) {
      questions << question;
      return answerYes;
    };
    window->askSaveChanges = [](const QString&) { return 0; };
  }
  QString Path(const char* name) const { return folder.path() + "/" + name; }
  QString Output() {
    window->Output()->Flush();
    return window->Output()->ShownText();
  }
};

const char* kPage =
    "<html><head><title>T</title></head>\r\n<body><p><span>eins</span></p>\r\n"
    "<p><b><font>zwei</font></b>\r\n</p></body></html>\r\n";

}  // namespace

class ShellTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // Opening a page and saving it unchanged gives its bytes back, whatever its line ends.
  void RoundTripKeepsBytes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("crlf, nbsp, 1252 quotes") << QByteArray("<p>a\xA0\x93z\x94</p>\r\n<p>b</p>\r\n");
    QTest::newRow("mixed line ends") << QByteArray("a\r\nb\nc\rd\r\n\r\n\n\r");
    QTest::newRow("lone cr before lf run") << QByteArray("x\r\r\n\n\ny");
    QTest::newRow("nul and form feed") << QByteArray("a\0b\x0c", 4);
    QTest::newRow("utf-8 mark") << QByteArray("\xEF\xBB\xBF<p>\xC3\xA4</p>\n");
    QTest::newRow("utf-16le mark") << QByteArray("\xFF\xFE<\0p\0>\0\xE4\0\r\0\n\0", 12);
    QDir corpus(QStringLiteral(TRIMVALE_CORPUS_DIR));
    for (const QString& name : corpus.entryList({"*.htm", "*.html"}, QDir::Files)) {
      QFile file(corpus.filePath(name));
      QVERIFY(file.open(QIODevice::ReadOnly));
      QTest::newRow(qPrintable(name)) << file.readAll();
    }
  }
  void RoundTripKeepsBytes() {
    QFETCH(QByteArray, bytes);
    CFixture f;
    WriteBytes(f.Path("seite.htm"), bytes.toStdString());
    QVERIFY(f.window->OpenFile(f.Path("seite.htm")));
    QVERIFY(f.window->SaveTo(f.Path("kopie.htm")));
    QCOMPARE(ReadBytes(f.Path("kopie.htm")), bytes.toStdString());
    QVERIFY(f.questions.isEmpty());
  }

  // No byte is dropped without the user's word: bytes invalid in the page's character set,
  // or typed text the character set cannot hold.
  void LossySaveAsksFirst_data() {
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("charset");
    QTest::newRow("invalid utf-8") << QByteArray("<meta charset=\"utf-8\"><p>a\xFF</p>") << QString() << "utf-8";
    QTest::newRow("typed, not in windows-1252")
        << QByteArray("<p>alt</p>") << QStringLiteral("\u4E2D") << "windows-1252";
  }
  void LossySaveAsksFirst() {
    QFETCH(QByteArray, page);
    QFETCH(QString, typed);
    QFETCH(QString, charset);
    CFixture f;
    WriteBytes(f.Path("seite.htm"), page.toStdString());
    QVERIFY(f.window->OpenFile(f.Path("seite.htm")));
    f.window->Editor()->insertPlainText(typed);
    f.answerYes = false;
    QVERIFY(!f.window->SaveTo(f.Path("seite.htm")));
    QCOMPARE(f.questions.value(0), QStringLiteral("Die Seite enthält Zeichen, die im Zeichensatz %1 nicht gültig sind. "
                                                  "Trotzdem speichern?")
                                       .arg(charset));
    QCOMPARE(ReadBytes(f.Path("seite.htm")), page.toStdString());
  }

  // A save that fails half-way leaves the old file and the editor's modified text alone.
  void FailedSaveKeepsOldFile() {
    CFixture f;
    WriteBytes(f.Path("seite.htm"), "<p>alt</p>");
    QVERIFY(f.window->OpenFile(f.Path("seite.htm")));
    f.window->Editor()->insertPlainText(QString(100000, u'x'));
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 1000;
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = f.window->SaveTo(f.Path("seite.htm"));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    QVERIFY(!saved);
    QVERIFY(f.notes.value(0).startsWith(QStringLiteral("Die Datei ") + f.Path("seite.htm") +
                                        QStringLiteral(" kann nicht gespeichert werden: ")));
    QCOMPARE(ReadBytes(f.Path("seite.htm")), std::string("<p>alt</p>"));
    QVERIFY(f.window->Editor()->document()->isModified());
    QCOMPARE(QDir(f.folder.path()).entryList(QDir::Files).size(), 3);  // no temporary file left
  }

  // The whole page and a selection give the engine's own result, as one undo step.
  void OptimizeWholeAndSelection() {
    CFixture f;
    WriteBytes(f.Path("seite.htm"), kPage);
    QVERIFY(f.window->OpenFile(f.Path("seite.htm")));
    SourceEditor* editor = f.window->Editor();
    const QString before = editor->Text();

    QVERIFY(f.window->StartOptimization(true));
    f.window->WaitForRun();
    COptimizeJob job;
    job.text = kPage;
    CStringSink sink;
    std::atomic<bool> cancel{false};
    job.Run(f.env->MakeRunConfig(), sink, cancel);
    QCOMPARE(f.window->Document().Encode(editor->Text()),
             f.window->Document().Encode(f.window->Document().DecodeInserted(job.text)));
    QCOMPARE(editor->textCursor().position(), 0);
    QVERIFY(f.Output().endsWith(QStringLiteral("Optimieren beendet. Anzahl optimierter Dateien: 1\n\n")));
    editor->undo();
    QCOMPARE(editor->Text(), before);

    const int start = static_cast<int>(before.indexOf(QStringLiteral("<p><b>")));
    const int end = static_cast<int>(before.indexOf(QStringLiteral("</p></body>"))) + 4;
    QVERIFY(f.window->StartOptimization(false, start, end));
    f.window->WaitForRun();
    const QString after = editor->Text();
    QVERIFY(after.startsWith(before.left(start)));
    QVERIFY(after.endsWith(before.mid(end)));
    QVERIFY(after != before);
    QCOMPARE(editor->textCursor().selectionStart(), start);
    QCOMPARE(editor->textCursor().selectionEnd() - start,
             static_cast<int>(after.size() - before.size()) + (end - start));
    editor->undo();
    QCOMPARE(editor->Text(), before);
  }

  // A piece of the page is read in the page's charset by the run, though it lacks the
  // declaration: UTF-8 characters become entities, windows-1251 ones stay as they are.
  void SelectionKeepsThePagesCharacters_data() {
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("expected");
    QTest::newRow("utf-8") << QByteArray("<meta charset=\"utf-8\"><body>\r\n<p>\xC3\xA4</p>\r\n</body>")
                           << QStringLiteral("<body>\n<p>&auml;</p>");
    QTest::newRow("windows-1251") << QByteArray("<meta charset=\"windows-1251\"><body>\r\n<p>\xE0</p>\r\n</body>")
                                  << QStringLiteral("<body>\n<p>\u0430</p>");
  }
  void SelectionKeepsThePagesCharacters() {
    QFETCH(QByteArray, page);
    QFETCH(QString, expected);
    CFixture f;
    WriteBytes(f.Path("seite.htm"), page.toStdString());
    QVERIFY(f.window->OpenFile(f.Path("seite.htm")));
    f.env->options = OptimizeOptions::FromVector(0x8000);  // characters as entities
    const QString before = f.window->Editor()->Text();
    const int start = static_cast<int>(before.indexOf(QStringLiteral("<p>")));
    QVERIFY(f.window->StartOptimization(false, start, start + 8));
    f.window->WaitForRun();
    QVERIFY2(f.window->Editor()->Text().contains(expected), qPrintable(f.window->Editor()->Text()));
  }

  // A large page's text arrives while its bytes are optimized already, and takes no typing
  // until then. While a run is busy only "Abbrechen" acts; a cancelled run leaves the text as it
  // was. Each whole result is one undo step back to the text before it, typing and its own undo
  // steps included. A window closed before a text arrives waits for it.
  void LargePageRunsCancelAndUndo() {
    CFixture f;
    std::string big;
    for (int i = 0; i < 40000; ++i) big += "<p><span style=\"mso-x:1\"><b>Zeile</b></span></p>\r\n";
    WriteBytes(f.Path("gross.htm"), big);
    QVERIFY(f.window->OpenFile(f.Path("gross.htm")));
    SourceEditor* editor = f.window->Editor();
    QVERIFY(editor->TextPending() && editor->isReadOnly() && !f.window->Action("optimize")->isEnabled());
    QVERIFY(f.window->StartOptimization(true));
    QVERIFY(f.window->Busy());
    for (const char* name : {"optimize", "viewPreview", "fileNew", "fileOpen", "fileSave", "fileSaveAs", "filePrint",
                             "optimizeFiles", "optimizeDirectory", "wizard", "editPaste"}) {
      QVERIFY2(!f.window->Action(name)->isEnabled(), name);
    }
    QVERIFY(f.window->Action("cancel")->isEnabled());
    QVERIFY(editor->isReadOnly());
    f.window->CancelRun();
    f.window->WaitForRun();
    QCOMPARE(f.window->Document().Encode(editor->Text()), big);
    QVERIFY(!editor->document()->isModified());
    const QString out = f.Output();
    QVERIFY(out.contains(QStringLiteral("Breche ab...\n")));
    QVERIFY(out.endsWith(
        QStringLiteral("Vorgang vom Benutzer abgebrochen.\nOptimieren beendet. Anzahl optimierter Dateien: 0\n\n")));
    QVERIFY(f.window->Action("optimize")->isEnabled());
    QVERIFY(!f.window->Action("cancel")->isEnabled());
    QVERIFY(!editor->isReadOnly());

    QVERIFY(f.window->StartOptimization(true));
    f.window->WaitForRun();
    editor->insertPlainText(QStringLiteral("<!-- neu -->"));
    const QString typed = editor->Text();
    QVERIFY(!typed.contains(QStringLiteral("mso-x")));
    QVERIFY(f.window->StartOptimization(true));
    f.window->WaitForRun();
    editor->undo();
    QCOMPARE(editor->Text(), typed);
    for (int i = 0; i < 2; ++i) editor->undo();  // the typing, then the first run
    QCOMPARE(f.window->Document().Encode(editor->Text()), big);
    QVERIFY(!f.window->isWindowModified());
    QVERIFY(f.window->OpenFile(f.Path("gross.htm")));
    f.Reopen();
  }

  // A large page's text shows by itself once its thread is done, without anything asking for
  // it, even when the window takes the thread's call before the thread has quite returned; a
  // page opened while the one before is still being built replaces it.
  void LargePageArrivesByItself() {
    CFixture f;
    std::string big;
    for (int i = 0; i < 20000; ++i) big += "<p>Zeile mit etwas Text, damit die Seite gross wird</p>\r\n";
    WriteBytes(f.Path("gross.htm"), big);
    SourceEditor* editor = f.window->Editor();
    for (int i = 0; i < 8; ++i) {
      QVERIFY(f.window->OpenFile(f.Path("gross.htm")));
      if (i % 2 == 1) QVERIFY(f.window->OpenFile(f.Path("gross.htm")));
      QTRY_VERIFY_WITH_TIMEOUT(!editor->TextPending(), 20000);
      QVERIFY(!editor->isReadOnly() && f.window->Action("optimize")->isEnabled());
      QCOMPARE(f.window->Document().Encode(editor->Text()), big);
    }
  }

  // The dialog's enabling rules and what OK stores.
  void OptimizeDialogEnablingAndProfile() {
    CFixture f;
    WriteBytes(f.Path("profile.txt"),
               "[#profile]\r\n1=Bereinigt\r\n[Bereinigt]\r\n0=font\\#\\#1100000\r\n1=i\\#em\\#000001\r\n");
    OptimizeDialog* d = f.window->OptimizeOptionsDialog();
    d->Prepare(std::nullopt, OptimizeOptions::FromVector(kDefaultOptionsVector));
    QVERIFY(d->Box("automatic")->isChecked() && d->Box("commentsRest")->isChecked());
    QVERIFY(!d->Box("spanDelete")->isEnabled() && !d->findChild<QComboBox*>("profile")->isEnabled());
    QVERIFY(!d->findChild<QRadioButton*>("rangeWhole")->isEnabled());

    d->Prepare(OptimizeRange::Whole, OptimizeOptions::FromVector(0x8000));
    QVERIFY(d->Box("spanDelete")->isEnabled() && !d->findChild<QRadioButton*>("spanAll")->isEnabled());
    QVERIFY(!d->Box("commentsStyle")->isEnabled());
    d->Box("deleteComments")->click();
    QVERIFY(d->Box("commentsStyle")->isEnabled());
    d->Box("keepLook")->click();
    d->findChild<QComboBox*>("profile")->setCurrentIndex(1);
    d->accept();
    QVERIFY(d->Options().deleteComments && d->Options().useProfile && d->Options().specialChars);
    QVERIFY(d->Options().keepLook);
    std::shared_ptr<const CTagRuleList> rules;
    QVERIFY(d->TakeRules(rules));
    QCOMPARE(rules->size(), std::size_t{1});  // the six-flag entry is skipped
    QCOMPARE(ReadSetting(f.store, setting::kOptimizeProfile), 1);
    // The box keeps its state in this dialog object from one use to the next.
    d->Prepare(OptimizeRange::Whole, OptimizeOptions::FromVector(0));
    QVERIFY(d->Box("deleteComments")->isChecked());
  }

  // Preview and back: no temporary page left, text, selection and modified state restored.
  void PreviewLeavesNothingBehind() {
    CFixture f;
    WriteBytes(f.Path("a.htm"), kPage);
    WriteBytes(f.Path("a.htmwlbxvstmp.htm"), "stale from a crashed run");
    QVERIFY(f.window->OpenFile(f.Path("a.htm")));
    SourceEditor* editor = f.window->Editor();
    editor->insertPlainText(QStringLiteral("neu"));
    QTextCursor cursor = editor->textCursor();
    cursor.setPosition(5);
    cursor.setPosition(9, QTextCursor::KeepAnchor);
    editor->setTextCursor(cursor);
    const QString text = editor->Text();
    f.window->ShowPreview();
    QCOMPARE(f.window->PreviewTempFile(), f.Path("a.htmwlbxvstmp.htm"));
    QCOMPARE(ReadBytes(f.Path("a.htmwlbxvstmp.htm")), f.window->Document().Encode(text));
    QVERIFY(!f.window->Action("optimize")->isEnabled() && f.window->Action("viewSource")->isEnabled());
    f.window->ShowSource();
    QVERIFY(!QFile::exists(f.Path("a.htmwlbxvstmp.htm")));
    QCOMPARE(editor->Text(), text);
    QCOMPARE(editor->textCursor().anchor(), 5);
    QCOMPARE(editor->textCursor().position(), 9);
    QVERIFY(editor->document()->isModified());

    // Closing while the preview is shown removes the page too.
    f.window->ShowPreview();
    QVERIFY(QFile::exists(f.Path("a.htmwlbxvstmp.htm")));
    f.window->close();
    QVERIFY(!QFile::exists(f.Path("a.htmwlbxvstmp.htm")));
  }

  // A page without a path previews from the program folder; an unwritable folder falls back
  // to a private one, with a note each.
  void PreviewWithoutPathOrWritableFolder() {
    CFixture f;
    f.window->Editor()->setPlainText(QStringLiteral("<p>x</p>"));
    f.window->ShowPreview();
    QCOMPARE(f.window->PreviewTempFile(), f.Path("wlbxvstmp.htm"));
    QCOMPARE(f.window->Preview()->OriginalFile(), f.Path("vnm.htm"));
    QVERIFY(f.Output().contains(QStringLiteral("Vorschau der Originaldatei nicht möglich, da nicht vorhanden.\n")));
    f.window->ShowSource();

    QVERIFY(QDir(f.folder.path()).mkdir("weg"));
    WriteBytes(f.Path("weg/b.htm"), kPage);
    QVERIFY(f.window->OpenFile(f.Path("weg/b.htm")));
    QVERIFY(QDir(f.Path("weg")).removeRecursively());  // the folder is gone: nothing can be written there
    f.window->ShowPreview();
    const QString temp = f.window->PreviewTempFile();
    QVERIFY(!temp.isEmpty() && !temp.startsWith(f.folder.path()));
    QVERIFY(QFile::exists(temp));
    QVERIFY(f.Output().contains(QStringLiteral("privaten temporären Ordner")));
    f.window->ShowSource();
    QVERIFY(!QFile::exists(temp));
  }

  // Placement, font and wrap written at close and read back by the next window.
  void WindowSettingsRoundTrip() {
    CFixture f;
    f.store.WriteString("Einstellungen", "FensterPos", "0,1,-1,-1,-1,-1,10,20,610,420");
    f.window->ShowWithSavedPlacement();
    QCOMPARE(f.window->normalGeometry(), QRect(10, 20, 600, 400));
    f.window->Action("viewWordWrap")->trigger();
    QCoreApplication::processEvents();  // commands run queued
    QFont font(QStringLiteral("Courier"));
    font.setPixelSize(17);
    font.setItalic(true);
    f.window->Editor()->setFont(font);
    QVERIFY(f.window->close());
    QCOMPARE(f.store.ReadString("Einstellungen", "FensterPos", ""), std::string("0,1,-1,-1,-1,-1,10,20,610,420"));
    QCOMPARE(f.store.ReadInt("Einstellungen", "Zeilenumbruch", -1), 1);
    QCOMPARE(f.store.ReadInt("Schriftart", "Höhe", 0), 0);  // unchanged font values are not written
    QVERIFY(!f.store.ReadString("Status Leisten", "Zustand", "").empty());

    CFontRecord record = ReadFontRecord(f.store);
    record.height = -17;
    record.italic = 1;
    WriteChangedFontValues(f.store, ReadFontRecord(f.store), record);
    f.Reopen();
    QVERIFY(f.window->Editor()->WrapsLines());
    QCOMPARE(f.window->Editor()->font().pixelSize(), 17);
    QVERIFY(f.window->Editor()->font().italic());

    QVERIFY(!ParsePlacement("0,1,-1,-1,-1,-1,10,20,610"));  // nine numbers: default placement
  }

  // Nodes of depths 1, 2, 3, 2, 1 nest by the depth rule; a second run appends at the top.
  void ParseTreeNestsByDepth() {
    ParseTreeFeed feed;
    auto* window = new ParseTreeWindow;
    feed.SetWindow(window);
    CHtmlNode node;
    for (int run = 0; run < 2; ++run) {
      for (auto [name, depth] : {std::pair{"A", 1}, {"B", 2}, {"C", 3}, {"D", 2}, {"E", 1}}) {
        node.name = name;
        feed.AddParsedNode(node, depth);
      }
      feed.Drain();
    }
    QTreeWidget* tree = window->Tree();
    QCOMPARE(tree->topLevelItemCount(), 5);
    QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("HTML Spezifikation:"));
    QTreeWidgetItem* a = tree->topLevelItem(1);
    QCOMPARE(a->childCount(), 2);
    QCOMPARE(a->child(0)->child(0)->text(0), QStringLiteral("C"));
    QCOMPARE(a->child(1)->text(0), QStringLiteral("D"));
    QCOMPARE(tree->topLevelItem(3)->text(0), QStringLiteral("A"));
    delete window;
  }

  // A page of 50,000 nodes reaches the window quickly.
  void ParseTreeTakesManyNodesFast() {
    CFixture f;
    f.env->showParseTree = true;
    std::string page;
    for (int i = 0; i < 25000; ++i) page += "<p>x</p>";
    WriteBytes(f.Path("viele.htm"), page);
    QVERIFY(f.window->OpenFile(f.Path("viele.htm")));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(f.window->StartOptimization(true));
    f.window->WaitForRun();
    QCoreApplication::processEvents();
    int count = 0;
    QTreeWidget* tree = f.window->TreeWindow()->Tree();
    for (int i = 0; i < tree->topLevelItemCount(); ++i) count += 1 + tree->topLevelItem(i)->childCount();
    QCOMPARE(count, 50001);
    QVERIFY2(timer.elapsed() < 2000 * 4, qPrintable(QString::number(timer.elapsed())));  // sanitizers: 4x slower
  }
};

QTEST_MAIN(ShellTest)
#include "shell_test.moc"
