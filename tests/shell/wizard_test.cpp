// The start-up dialogs and help: the tips file's positions and its broken forms, the start
// wizard's choices and what it stores, the start-up order, and the help topics' links.

#include <sys/stat.h>

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "rules/file_io.h"
#include "rules/settings_table.h"
#include "shell/help.h"
#include "shell/main_window.h"
#include "shell/source_editor.h"
#include "shell/start_wizard.h"
#include "shell/tips_dialog.h"

using namespace trimvale;
using namespace trimvale::shell;

namespace {

const QString kMissing = QStringLiteral("Tips-Datei ist im vorgeschriebenen Verzeichnis nicht vorhanden");

struct CTipsFixture {
  QTemporaryDir folder;
  CMemorySettingsStore store;
  QStringList notes;

  QString Path() const { return folder.path() + "/tips.txt"; }
  void Write(const QByteArray& bytes) { QVERIFY(WriteFileAtomically(Path().toStdString(), bytes.toStdString())); }
  std::unique_ptr<TipsDialog> Open() {
    return std::make_unique<TipsDialog>(store, Path(), [this](const QString& n) { notes << n; });
  }
  // The tips one dialog shows: the first, then one per "&Nächster Tipp".
  QStringList Shown(int count, bool* nextEnabled = nullptr) {
    auto dialog = Open();
    QStringList shown{dialog->Tip()};
    for (int i = 1; i < count; ++i) {
      dialog->NextTip();
      shown << dialog->Tip();
    }
    if (nextEnabled) *nextEnabled = dialog->findChild<QPushButton*>("next")->isEnabled();
    return shown;
  }
};

// The window on a program folder of its own, with every modal dialog answered by `answer`.
struct CWindowFixture {
  QTemporaryDir folder;
  CMemorySettingsStore store;
  std::unique_ptr<CShellEnvironment> env;
  std::unique_ptr<MainWindow> window;
  QStringList notes, shownDialogs, helpTopics;
  QList<int> choicesRun;
  int settingsShown = 0;
  std::function<int(QDialog&)> answer = [](QDialog&) { return int(QDialog::Rejected); };

  CWindowFixture() {
    for (const char* name : {"tageinst.txt", "profile.txt"})
      QFile::copy(QStringLiteral(TRIMVALE_BINARY_DIR "/") + name, folder.path() + "/" + name);
    env = std::make_unique<CShellEnvironment>(store, folder.path().toStdString());
    window = std::make_unique<MainWindow>(*env);
    window->showNote = [this](const QString& note) { notes << note; };
    window->askSaveChanges = [](const QString&) { return 0; };
    window->runDialog = [this](QDialog& dialog) {
      shownDialogs << dialog.objectName();
      return answer(dialog);
    };
    window->showHelp = [this](const QString& topic) { helpTopics << topic; };
    window->runWizardChoice = [this](int choice) { choicesRun << choice; };
    window->showBatchSettings = [this] {
      ++settingsShown;
      shownDialogs << QStringLiteral("settings");
    };
  }
  QString Path(const char* name) const { return folder.path() + "/" + name; }
};

}  // namespace

class WizardTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // Which tips a dialog shows, by the file and what the store remembers of the last one.
  void TipsFollowFileAndStore_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("sameStamp");  // the stored stamp is the file's
    QTest::addColumn<int>("filePos");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<bool>("nextEnabled");
    const QByteArray three("; Kommentar\r\n\r\nEins\r\n  eingerückt\r\n\tTab\r\nZwei\nDrei\n");
    QTest::newRow("fresh file starts at first tip, wraps round")
        << three << false << 0 << QStringList{"Eins", "Zwei", "Drei", "Eins"} << true;
    QTest::newRow("same stamp goes on at the stored position")
        << three << true << 42 << QStringList{"Zwei", "Drei", "Eins"} << true;
    QTest::newRow("changed file starts again at the first tip")
        << three << false << 42 << QStringList{"Eins", "Zwei"} << true;
    QTest::newRow("position beyond a shortened file starts at the first tip")
        << three << true << 100000 << QStringList{"Eins", "Zwei"} << true;
    QTest::newRow("position inside a line goes on at the next line")
        << three << true << 17 << QStringList{"Zwei", "Drei"} << true;
    QTest::newRow("missing file") << QByteArray() << false << 0 << QStringList{kMissing} << false;
    QTest::newRow("no tip line at all ends the search")
        << QByteArray("; nur Kommentare\n\n   \n") << false << 0 << QStringList{kMissing, kMissing} << false;
    const QByteArray longTip(5000, 'x');
    QTest::newRow("a tip longer than 999 characters is one tip")
        << (longTip + "\nKurz\n") << false << 0
        << QStringList{QString::fromLatin1(longTip), "Kurz", QString::fromLatin1(longTip)} << true;
    QTest::newRow("utf-8 text") << QByteArray("Größe ändern\n") << false << 0 << QStringList{"Größe ändern"} << true;
  }
  void TipsFollowFileAndStore() {
    QFETCH(QByteArray, file);
    QFETCH(bool, sameStamp);
    QFETCH(int, filePos);
    QFETCH(QStringList, shown);
    QFETCH(bool, nextEnabled);
    CTipsFixture f;
    const char* oldStamp = "Thu Dec 06 14:03:12 2007";
    if (!file.isNull()) f.Write(file);
    const QString stamp = file.isNull()
                              ? QString::fromLatin1(oldStamp)
                              : TipsDialog::TimeStampText(QFileInfo(f.Path()).lastModified().toSecsSinceEpoch());
    f.store.WriteString("Tip", "TimeStamp", sameStamp ? stamp.toStdString() : oldStamp);
    f.store.WriteInt("Tip", "FilePos", filePos);
    bool enabled = false;
    QCOMPARE(f.Shown(static_cast<int>(shown.size()), &enabled), shown);
    QCOMPARE(enabled, nextEnabled);
    QCOMPARE(QString::fromStdString(f.store.ReadString("Tip", "TimeStamp", "")), stamp);
    QVERIFY(f.notes.isEmpty());
  }

  // A FIFO in place of the file would block the start for good.
  void TipsFromFifoAreMissing() {
    CTipsFixture f;
    QCOMPARE(::mkfifo(QFile::encodeName(f.Path()).constData(), 0600), 0);
    QCOMPARE(f.Shown(1), QStringList{kMissing});
  }

  // The box is ticked while "StartUp" is not above 0; closing stores the inverse.
  void TipsStartUpBox() {
    CTipsFixture f;
    f.Write("A\n");
    f.store.WriteInt("Tip", "StartUp", 1);
    auto dialog = f.Open();
    auto* box = dialog->findChild<QCheckBox*>("atStartUp");
    QVERIFY(!box->isChecked());
    box->setChecked(true);
    dialog->findChild<QPushButton*>("close")->click();
    QCOMPARE(f.store.ReadInt("Tip", "StartUp", -1), 0);
  }

  // "Weiter >" stores the choice and the box, then runs the choice; "Abbrechen" stores and runs
  // nothing. The dialog opens on the stored choice, on the first one when that is out of range.
  void WizardChoices_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("preset");
    QTest::addColumn<int>("choice");
    QTest::addColumn<bool>("next");
    for (int i = 0; i < 4; ++i) QTest::addRow("next, choice %d", i) << 2 << 2 << i << true;
    QTest::newRow("cancel, stored 7") << 7 << 0 << 3 << false;
  }
  void WizardChoices() {
    QFETCH(int, stored);
    QFETCH(int, preset);
    QFETCH(int, choice);
    QFETCH(bool, next);
    CWindowFixture f;
    f.store.WriteInt("Assistent", "Erststart", 0);
    f.store.WriteInt("Assistent", "Auswahl", stored);
    int presetSeen = -1;
    f.answer = [&](QDialog& dialog) {
      presetSeen = static_cast<StartWizard&>(dialog).SelectedChoice();
      dialog.findChild<QRadioButton*>(QStringLiteral("choice%1").arg(choice))->setChecked(true);
      dialog.findChild<QCheckBox*>("showAtStart")->setChecked(false);
      dialog.findChild<QPushButton*>(next ? "next" : "cancel")->click();
      return dialog.result();
    };
    f.window->Action("wizard")->trigger();
    QCoreApplication::processEvents();  // commands run queued
    QCOMPARE(presetSeen, preset);
    QCOMPARE(f.choicesRun, next ? QList<int>{choice} : QList<int>{});
    QCOMPARE(f.store.ReadInt("Assistent", "Auswahl", -99), next ? choice : stored);
    QCOMPARE(f.store.ReadInt("Assistent", "Beim Start zeigen", -99), next ? 0 : -99);
  }

  // Start-up: tips (when their box says so), then the wizard (when its value says so), and the
  // batch settings before the wizard until their page was confirmed once.
  void StartUpOrder_data() {
    QTest::addColumn<int>("tipStartUp");
    QTest::addColumn<int>("wizardAtStart");
    QTest::addColumn<int>("firstStart");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("first start") << 0 << 1 << 1 << QStringList{"tipsDialog", "settings", "startWizard"};
    QTest::newRow("later start") << 0 << 1 << 0 << QStringList{"tipsDialog", "startWizard"};
    QTest::newRow("no tips") << 1 << 1 << 0 << QStringList{"startWizard"};
    QTest::newRow("no wizard") << 0 << 0 << 1 << QStringList{"tipsDialog"};
  }
  void StartUpOrder() {
    QFETCH(int, tipStartUp);
    QFETCH(int, wizardAtStart);
    QFETCH(int, firstStart);
    QFETCH(QStringList, order);
    CWindowFixture f;
    QVERIFY(WriteFileAtomically(f.Path("tips.txt").toStdString(), "A\nB\n"));
    f.store.WriteInt("Tip", "StartUp", tipStartUp);
    f.store.WriteInt("Assistent", "Beim Start zeigen", wizardAtStart);
    f.store.WriteInt("Assistent", "Erststart", firstStart);
    f.window->ShowStartupDialogs();
    QCOMPARE(f.shownDialogs, order);
    // The dialog stores where the next start goes on, also when it was not shown.
    QCOMPARE(f.store.ReadInt("Tip", "FilePos", -1), 2);
  }

  // Choice 0: the file dialog, then the "Optimieren" dialog, also when no file was chosen.
  void OpenAndOptimize() {
    CWindowFixture f;
    QVERIFY(WriteFileAtomically(f.Path("seite.htm").toStdString(), "<p><span>eins</span></p>\n"));
    QString chosen = f.Path("seite.htm");
    f.window->chooseFileToOpen = [&chosen] { return chosen; };
    f.answer = [](QDialog& dialog) {
      dialog.accept();
      return dialog.result();
    };
    f.window->OpenAndOptimize();
    f.window->WaitForRun();
    QCOMPARE(f.window->Document().Path(), f.Path("seite.htm"));
    QVERIFY(!f.window->Editor()->Text().contains("span"));
    QVERIFY(f.window->Editor()->Text().contains("eins"));
    chosen.clear();
    f.shownDialogs.clear();
    f.window->OpenAndOptimize();
    QCOMPARE(f.shownDialogs, QStringList{"optimizeDialog"});
  }

  // Choice 3: the clipboard's text replaces the selection, then the page is optimized.
  void PasteAndOptimize() {
    CWindowFixture f;
    f.window->Editor()->SetText(QStringLiteral("<p>alt</p>"));
    f.window->Editor()->selectAll();
    QGuiApplication::clipboard()->setText(QStringLiteral("<p><span>neu</span></p>"));
    f.answer = [](QDialog& dialog) {
      dialog.accept();
      return dialog.result();
    };
    f.window->PasteAndOptimize();
    f.window->WaitForRun();
    const QString text = f.window->Editor()->Text();
    QVERIFY2(text.contains("neu") && !text.contains("alt") && !text.contains("span"), qPrintable(text));
  }

  // The help menu (F1) and the "Optimieren" dialog's "?" each show their topic.
  void HelpCommandsShowTheirTopic() {
    CWindowFixture f;
    f.window->Action("helpTopics")->trigger();
    QCoreApplication::processEvents();  // commands run queued
    f.window->OptimizeOptionsDialog()->findChild<QPushButton*>("help")->click();
    QCOMPARE(f.helpTopics, (QStringList{topic::kIndex, topic::kOptimizeDialog}));
    QVERIFY(HelpTopicPath(QStringLiteral("../tips.txt")).isEmpty());
  }

  // Every topic a window names is there, and every link between the topics leads to a page
  // and an anchor that exist.
  void HelpTopicsAndTheirLinksExist() {
    const QDir help(QStringLiteral(TRIMVALE_SOURCE_DIR "/resources/help"));
    for (const char* name : {topic::kIndex, topic::kMainWindow, topic::kOptimizeDialog, topic::kSettings, topic::kBatch,
                             topic::kTagLayout, topic::kTagOptimization, topic::kMessages})
      QVERIFY2(help.exists(name), name);
    const QRegularExpression link(QStringLiteral("href=\"([^\"#:]*)(?:#([^\"]*))?\""));
    for (const QString& name : help.entryList({"*.htm"}, QDir::Files)) {
      QFile page(help.filePath(name));
      QVERIFY(page.open(QIODevice::ReadOnly));
      const QString text = QString::fromUtf8(page.readAll());
      QVERIFY2(text.contains("charset=utf-8"), qPrintable(name));
      for (auto it = link.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        const QString target = match.captured(1).isEmpty() ? name : match.captured(1);
        QVERIFY2(help.exists(target), qPrintable(name + " -> " + target));
        if (match.captured(2).isEmpty()) continue;
        QFile other(help.filePath(target));
        QVERIFY(other.open(QIODevice::ReadOnly));
        QVERIFY2(other.readAll().contains(("id=\"" + match.captured(2) + "\"").toUtf8()),
                 qPrintable(name + " -> " + target + "#" + match.captured(2)));
      }
    }
  }
};

QTEST_MAIN(WizardTest)
#include "wizard_test.moc"
