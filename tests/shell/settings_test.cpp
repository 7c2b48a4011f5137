// The settings sheet, the two choosers and the batch runs of the window, driven through their
// widgets; checked on the store, lst.dat, the pages on disk and the enabled states.

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "batch/batch_settings.h"
#include "batch/exclusion_list.h"
#include "rules/file_io.h"
#include "rules/rule_file_edit.h"
#include "rules/section_file.h"
#include "rules/settings_table.h"
#include "shell/batch_pages.h"
#include "shell/directory_chooser.h"
#include "shell/file_list_dialog.h"
#include "shell/main_window.h"
#include "shell/optimize_dialog.h"
#include "shell/output_pane.h"
#include "shell/settings_sheet.h"

using namespace trimvale;
using namespace trimvale::shell;

namespace {

class CCollectSink : public IOutputSink {
 public:
  void AppendText(std::string_view text) override { text_.append(text); }
  void Clear() override { text_.clear(); }
  std::string text_;
};

std::string ReadBytes(const QString& path) {
  std::string bytes;
  ReadWholeFile(path.toStdString(), bytes);
  return bytes;
}

// A store that can be made to refuse every write, as a read-only settings file does.
class CRefusingStore : public CMemorySettingsStore {
 public:
  bool WriteInt(std::string_view section, std::string_view name, std::int32_t value) override {
    return !refuse && CMemorySettingsStore::WriteInt(section, name, value);
  }
  bool WriteString(std::string_view section, std::string_view name, std::string_view value) override {
    return !refuse && CMemorySettingsStore::WriteString(section, name, value);
  }
  bool refuse = false;
};

// Gives `folder` the build tree's rule files.
void CopyRuleFiles(const QTemporaryDir& folder) {
  for (const char* name : {"tageinst.txt", "profile.txt"})
    QFile::copy(QStringLiteral(TRIMVALE_BINARY_DIR "/") + name, folder.path() + "/" + name);
}

// A program folder with the build tree's rule files, a memory store and an environment on them.
struct CSheetFixture {
  QTemporaryDir folder;
  CRefusingStore store;
  std::unique_ptr<CShellEnvironment> env;
  CCollectSink output;
  QStringList notes;
  std::unique_ptr<SettingsSheet> sheet;

  CSheetFixture() {
    CopyRuleFiles(folder);
    env = std::make_unique<CShellEnvironment>(store, folder.path().toStdString());
    env->LoadAtCreation();
  }
  SettingsSheet& Open(int page) {
    sheet = std::make_unique<SettingsSheet>(*env, output, page);
    sheet->services.showNote = [this](const QString& note) { notes << note; };
    sheet->services.chooseFolder = [this](const QString&) { return std::optional<QString>(chosen); };
    return *sheet;
  }
  template <typename W>
  W* Get(const char* name) {
    W* widget = sheet->findChild<W*>(QString::fromLatin1(name));
    if (!widget) qFatal("no widget %s", name);
    return widget;
  }
  void Type(const char* name, const QString& text) {
    auto* edit = Get<QLineEdit>(name);
    edit->setText(text);
    Q_EMIT edit->textEdited(text);
  }
  int Int(const CSettingDef& def) { return ReadSetting(store, def); }
  bool Has(const CSettingDef& def) { return store.ReadInt(def.section, def.name, -12345) != -12345; }
  QString Path(const char* name) const { return folder.path() + "/" + name; }
  QString lastNote() const { return notes.value(notes.size() - 1); }
  QString chosen;
};

const char* kPage =
    "<html><head><title>T</title></head>\r\n<body><p><span>eins</span></p>\r\n"
    "<p><b><font>zwei</font></b>\r\n</p></body></html>\r\n";

// A program folder and a window whose dialogs and boxes are answered by the test.
struct CWindowFixture {
  QTemporaryDir folder;
  CMemorySettingsStore store;
  std::unique_ptr<CShellEnvironment> env;
  std::unique_ptr<MainWindow> window;
  QStringList notes;
  std::function<bool(QDialog&)> onDialog = [](QDialog& d) {
    d.accept();
    return true;
  };

  CWindowFixture() {
    CopyRuleFiles(folder);
    env = std::make_unique<CShellEnvironment>(store, folder.path().toStdString());
    window = std::make_unique<MainWindow>(*env);
    window->showNote = [this](const QString& note) { notes << note; };
    window->askSaveChanges = [](const QString&) { return 0; };
    window->runDialog = [this](QDialog& d) { return onDialog(d) ? QDialog::Accepted : QDialog::Rejected; };
  }
  QString Path(const QString& name) const { return folder.path() + "/" + name; }
  void WritePages(const QString& dir, int count, const char* content = kPage) {
    QDir().mkpath(dir);
    for (int i = 0; i < count; ++i)
      QVERIFY(
          WriteFileAtomically((dir + QStringLiteral("/seite%1.htm").arg(i, 4, 10, QChar('0'))).toStdString(), content));
  }
  QString Output() {
    window->Output()->Flush();
    return window->Output()->ShownText();
  }
};

}  // namespace

class SettingsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // "Mehrfachoptimierung" refuses to be left with these fields, in this order of checks.
  void BatchPageValidation_data() {
    QTest::addColumn<bool>("backup");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("ending");
    QTest::addColumn<QString>("folder");  // "@" stands for the temporary folder
    QTest::addColumn<QString>("webRoot");
    QTest::addColumn<bool>("keepWeb");
    QTest::addColumn<QString>("message");  // empty: the page may be left
    const QString noEnding = QStringLiteral("Bitte geben Sie eine Dateiendung für die Sicherungskopie an.");
    const QString htmEnding =
        QStringLiteral("Die Endungen htm und html können nicht als Endungen für die Sicherungskopie verwendet werden.");
    const QString badFolder =
        QStringLiteral("Bitte wählen Sie einen gültigen Namen für den Ordner für die Sicherungskopie");
    const QString sameFolder = QStringLiteral(
        "Der Stammordner des Webs und der Ordner für die Sicherungskopie bzw. optimierten Dateien müssen verschieden "
        "sein.");
    const QString badWeb =
        QStringLiteral("Bitte wählen Sie ein gültiges Verzeichnis das die Wurzel des zu optimierenden Webs bildet.");
    auto row = [](const char* name, bool backup, int mode, const char* ending, const char* folder, const char* webRoot,
                  bool keepWeb, const QString& message) {
      QTest::newRow(name) << backup << mode << QString(ending) << QString(folder) << QString(webRoot) << keepWeb
                          << message;
    };
    row("backup off checks nothing", false, 0, "", "", "", false, "");
    row("mode 0 without ending", true, 0, "", "@", "", false, noEnding);
    row("mode 0 .HTML", true, 0, ".HTML", "", "", false, htmEnding);
    row("mode 0 bak without dot", true, 0, "bak", "", "", false, "");
    row("mode 2 empty folder", true, 2, "", "", "", false, badFolder);
    row("mode 2 folder is web root, other case, web off", true, 2, "", "@/Web", "@/wEB", false, sameFolder);
    row("mode 1 folder is web root with trailing separator and dots", true, 1, "", "@/web/", "@/x/../web", false,
        sameFolder);
    row("mode 1 folder missing", true, 1, "", "@/fehlt", "", false, badFolder);
    row("mode 2 web on, root missing", true, 2, "", "@", "@/fehlt", true, badWeb);
    row("mode 2 web on, root exists", true, 2, "", "@/web", "@", true, "");
  }
  void BatchPageValidation() {
    QFETCH(bool, backup);
    QFETCH(int, mode);
    QFETCH(QString, ending);
    QFETCH(QString, folder);
    QFETCH(QString, webRoot);
    QFETCH(bool, keepWeb);
    QFETCH(QString, message);
    CSheetFixture f;
    QDir(f.folder.path()).mkdir(QStringLiteral("web"));
    f.Open(SettingsSheet::kBatch);
    f.Get<QCheckBox>("createBackup")->setChecked(backup);
    const char* radios[] = {"backupSameFolder", "backupMoveOriginal", "backupOutputFolder"};
    f.Get<QRadioButton>(radios[mode])->setChecked(true);
    f.Type("backupEnding", ending);
    f.Type("folder", folder.replace(u'@', f.folder.path()));
    f.Type("webRoot", webRoot.replace(u'@', f.folder.path()));
    f.Get<QCheckBox>("keepWeb")->setChecked(keepWeb);
    QCOMPARE(f.sheet->ShowPage(SettingsSheet::kErrors), message.isEmpty());
    QCOMPARE(f.lastNote(), message);
    QCOMPARE(f.sheet->CurrentPage(), message.isEmpty() ? int(SettingsSheet::kErrors) : int(SettingsSheet::kBatch));
  }

  // The enabling rules of "Mehrfachoptimierung", with the policy box's own rule per cause.
  void BatchPageEnabling() {
    CSheetFixture f;
    f.Open(SettingsSheet::kBatch);
    auto enabled = [&](const char* name) { return f.Get<QWidget>(name)->isEnabled(); };
    QVERIFY(enabled("existingBackup"));  // on opening
    QVERIFY(enabled("folder") && !enabled("backupEnding") && !enabled("webRoot"));
    f.Get<QCheckBox>("keepWeb")->click();
    QVERIFY(enabled("webRoot") && enabled("browseWebRoot") && !enabled("keepFolders"));
    f.Get<QRadioButton>("backupSameFolder")->click();
    QVERIFY(enabled("backupEnding") && !enabled("folder") && !enabled("keepWeb") && !enabled("webRoot"));
    QVERIFY(enabled("existingBackup"));
    f.Get<QRadioButton>("backupOutputFolder")->click();
    QVERIFY(!enabled("existingBackup"));  // a change of mode to 2
    f.Get<QCheckBox>("createBackup")->click();
    QVERIFY(!enabled("backupOutputFolder") && !enabled("folder") && !enabled("existingBackup"));
    f.Get<QCheckBox>("createBackup")->click();
    QVERIFY(enabled("existingBackup"));  // a click on the backup box follows the box alone
  }

  // An empty store: the pages show "Sikop Art" 2 and "Fehlerbehandlung" 0, while runs read 0 and
  // 1; confirming stores what was shown, ends the first start and touches no page not shown.
  void ShownAndRunDefaults() {
    CSheetFixture f;
    SettingsSheet& sheet = f.Open(SettingsSheet::kBatch);
    QVERIFY(f.Get<QRadioButton>("backupOutputFolder")->isChecked());
    QVERIFY(sheet.ShowPage(SettingsSheet::kErrors) == false);  // mode 2 needs a folder
    f.Type("folder", f.folder.path());
    QVERIFY(sheet.ShowPage(SettingsSheet::kErrors));
    QVERIFY(f.Get<QRadioButton>("level0")->isChecked());
    const BatchSettings run = ReadBatchSettings(f.store);
    QCOMPARE(int(run.backupMode), 0);
    QCOMPARE(int(run.allowedLevel), 1);
    QVERIFY(!f.Has(setting::kBackupMode));
    sheet.accept();
    QCOMPARE(f.Int(setting::kBackupMode), 2);
    QCOMPARE(f.Int(setting::kAllowedLevel), 0);
    QCOMPARE(f.Int(setting::kFirstStart), 0);
    QVERIFY(!f.Has(setting::kSkipListedDirs));
    QVERIFY(!f.Has(setting::kClearOutput));
  }

  // Cancel writes nothing, lst.dat included; Apply writes the list, the filters and the history
  // values, and the sheet opened again shows them.
  void DirectoryPageApplyAndCancel() {
    CSheetFixture f;
    const QString list = f.Path("lst.dat");
    QVERIFY(WriteExclusionList(list.toStdString(), {"/alt"}));
    const std::string before = ReadBytes(list);
    for (bool apply : {false, true}) {
      SettingsSheet& sheet = f.Open(SettingsSheet::kDirectory);
      auto* excluded = f.Get<QListWidget>("excludedDirs");
      QCOMPARE(excluded->count(), 1);
      QVERIFY(!excluded->isEnabled());
      f.Get<QCheckBox>("skipListedDirs")->click();
      QVERIFY(excluded->isEnabled());
      f.chosen = QStringLiteral("/neu");
      f.Get<QPushButton>("addDir")->click();
      f.Get<QCheckBox>("skipDirStrings")->click();
      QComboBox* dirs = f.Get<QComboBox>("dirStrings");
      dirs->setEditText(QStringLiteral("_vti_cnf;_private"));
      Q_EMIT dirs->lineEdit()->editingFinished();
      QCOMPARE(dirs->currentText(), QStringLiteral("_vti_cnf;_private;"));
      QVERIFY(sheet.findChild<QPushButton*>("apply")->isEnabled());
      if (apply) {
        QVERIFY(sheet.Apply());
      } else {
        sheet.reject();
        QVERIFY(!f.Has(setting::kSkipListedDirs));
        QCOMPARE(ReadBytes(list), before);
      }
    }
    QCOMPARE(f.Int(setting::kSkipListedDirs), 1);
    QCOMPARE(ReadStringSetting(f.store, setting::kDirStrings), std::string("%_vti_cnf;_private;%_vti_cnf;"));
    std::vector<std::string> entries;
    QVERIFY(ReadExclusionList(list.toStdString(), entries));
    QCOMPARE(entries, (std::vector<std::string>{"/neu", "/alt"}));
    QVERIFY(ReadBytes(list) != before);
    f.Open(SettingsSheet::kDirectory);
    QCOMPARE(f.Get<QListWidget>("excludedDirs")->count(), 2);
    QCOMPARE(f.Get<QComboBox>("dirStrings")->currentText(), QStringLiteral("_vti_cnf;_private;"));
    QVERIFY(f.Get<QComboBox>("dirStrings")->isEnabled());
  }

  // A damaged list is reported on the pane and not replaced by an empty one unless the user
  // edits the list; "Löschen" without a selection says so.
  void DamagedListIsKept() {
    CSheetFixture f;
    const std::string damaged(
        "\x05\x00\x00\x00\x03"
        "ab",
        7);
    QVERIFY(WriteFileAtomically(f.Path("lst.dat").toStdString(), damaged));
    SettingsSheet& sheet = f.Open(SettingsSheet::kDirectory);
    QCOMPARE(f.output.text_, std::string("Fehler beim Lesen der Liste der nicht zu optimierenden Verzeichnisse.\r\n"));
    f.Get<QCheckBox>("skipListedDirs")->click();
    f.Get<QPushButton>("deleteDir")->click();
    QCOMPARE(f.lastNote(), QStringLiteral("Kein Element zum Löschen gewählt."));
    QVERIFY(sheet.Apply());
    QCOMPARE(ReadBytes(f.Path("lst.dat")), damaged);
  }

  // "Code Layout": range checks, the mode a standard profile stands for, the indentation unit,
  // and the page opened again.
  void CodeLayoutPage_data() {
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("spaces");
    QTest::addColumn<QString>("note");  // empty: accepted
    auto row = [](const char* width, const char* spaces, const char* note) {
      QTest::newRow(qPrintable(QStringLiteral("width %1, spaces %2").arg(width, spaces)))
          << QString(width) << QString(spaces) << QString::fromUtf8(note);
    };
    row("19", "2", "Geben Sie eine ganze Zahl zwischen 20 und 2048 ein.");
    row("2049", "2", "Geben Sie eine ganze Zahl zwischen 20 und 2048 ein.");
    row("70", "16", "Geben Sie eine ganze Zahl zwischen 0 und 15 ein.");
    row("20", "2", "");
    row("2048", "0", "");
  }
  void CodeLayoutPage() {
    QFETCH(QString, width);
    QFETCH(QString, spaces);
    QFETCH(QString, note);
    CSheetFixture f;
    SettingsSheet& sheet = f.Open(SettingsSheet::kCodeLayout);
    QVERIFY(!f.Get<QComboBox>("layoutProfile")->isEnabled());
    f.Get<QRadioButton>("modeCustom")->click();
    QVERIFY(f.Get<QComboBox>("layoutProfile")->isEnabled() && f.Get<QPushButton>("editLayout")->isEnabled());
    f.Get<QComboBox>("layoutProfile")->setCurrentIndex(1);
    f.Type("lineWidth", width);
    f.Type("spaceCount", spaces);
    QCOMPARE(sheet.Apply(), note.isEmpty());
    if (!note.isEmpty()) {
      QCOMPARE(f.lastNote(), note);
      QCOMPARE(f.env->layout.mode, 0);
      return;
    }
    QCOMPARE(f.env->layout.mode, 1);  // the second template is the one-line mode
    QCOMPARE(f.env->layout.width, width.toInt());
    QCOMPARE(f.env->layout.indentUnit, std::string(static_cast<std::size_t>(spaces.toInt()), ' '));
    QCOMPARE(f.Int(setting::kLastLayoutProfile), 1);
    f.Open(SettingsSheet::kCodeLayout);
    QVERIFY(f.Get<QRadioButton>("modeOneLine")->isChecked());
    QCOMPARE(f.Get<QComboBox>("layoutProfile")->currentIndex(), 1);
    QCOMPARE(f.Get<QLineEdit>("lineWidth")->text(), width);
  }

  // "Einstellen..." opens the layout editor on the profile chosen in the list; a profile made
  // there shows in the list afterwards, selected after OK, and the old choice stays after
  // "Abbrechen".
  void EditLayoutFollowsTheEditor() {
    for (const bool ok : {true, false}) {
      CSheetFixture f;
      SettingsSheet& sheet = f.Open(SettingsSheet::kCodeLayout);
      f.Get<QRadioButton>("modeCustom")->click();
      auto* list = f.Get<QComboBox>("layoutProfile");
      list->setCurrentIndex(2);
      const int before = list->count();
      int openedOn = -1;
      sheet.services.editLayout = [&](int index) -> std::optional<int> {
        openedOn = index;
        CSectionFile file(f.Path("tageinst.txt").toStdString());
        if (!AddProfileToList(file, kLayoutProfileList, "Eigenes", "standard").empty()) return std::nullopt;
        return ok ? std::optional<int>(before) : std::nullopt;
      };
      f.Get<QPushButton>("editLayout")->click();
      QTRY_COMPARE(openedOn, 2);  // the button hands over queued
      QCOMPARE(list->count(), before + 1);
      QCOMPARE(list->currentText(), ok ? QStringLiteral("Eigenes") : QStringLiteral("Komplett nach Baum"));
    }
  }

  // "Programmoptionen": both values written, the tree option at once; a store that refuses the
  // writes is reported, not taken for success.
  void ProgramOptions() {
    CSheetFixture f;
    SettingsSheet& sheet = f.Open(SettingsSheet::kProgram);
    f.Get<QCheckBox>("clearOutput")->click();
    f.Get<QCheckBox>("showTree")->click();
    f.store.refuse = true;
    QVERIFY(!sheet.Apply());
    QCOMPARE(f.lastNote(), QStringLiteral("Die Einstellungen können nicht gespeichert werden. Prüfen Sie, ob die "
                                          "Einstellungsdatei beschreibbar ist."));
    f.store.refuse = false;
    QVERIFY(sheet.Apply());
    QCOMPARE(f.Int(setting::kClearOutput), 0);
    QCOMPARE(f.Int(setting::kShowParseTree), 1);
    QVERIFY(f.env->showParseTree);
  }

  // The chooser: the root gives "/", the computer item no folder at all; a preset opens the tree.
  void DirectoryChooserPaths() {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("a/b"));
    DirectoryChooser chooser(true);
    QStringList notes;
    chooser.showNote = [&](const QString& note) { notes << note; };
    QTreeWidgetItem* computer = chooser.Tree()->topLevelItem(0);
    chooser.Tree()->setCurrentItem(computer);
    chooser.accept();
    QCOMPARE(notes, QStringList{QStringLiteral("Bitte wählen Sie ein gültiges Verzeichnis")});
    QCOMPARE(chooser.result(), int(QDialog::Rejected));
    chooser.Tree()->setCurrentItem(computer->child(0));
    chooser.SetExtensions(QStringLiteral(".htm"));
    chooser.accept();
    QCOMPARE(chooser.Directory(), QStringLiteral("/"));
    QCOMPARE(chooser.Extensions(), QStringLiteral(".htm;"));
    DirectoryChooser preset(false);
    preset.SetDirectory(dir.path() + QStringLiteral("/a/b/"));
    preset.accept();
    QCOMPARE(preset.Directory(), dir.path() + QStringLiteral("/a/b"));
  }

  // The file list: one entry per file (also in another letter case when that is no other
  // file), two real files that differ in case both, the last folder, the empty-list message.
  void FileListRules() {
    QTemporaryDir dir;
    for (const char* name : {"a.htm", "B.htm", "b.htm"})
      QVERIFY(WriteFileAtomically((dir.path() + "/" + name).toStdString(), "x"));
    FileListDialog list;
    QStringList notes;
    list.showNote = [&](const QString& note) { notes << note; };
    list.accept();
    QCOMPARE(notes.value(0), QStringLiteral("Bitte wählen Sie mindestens eine Datei, die optmiert werden soll. Klicken "
                                            "Sie hierzu auf 'Hinzufügen' und wählen Sie die Dateien aus."));
    QCOMPARE(list.result(), int(QDialog::Rejected));
    QStringList many;
    for (const char* name : {"a.htm", "A.HTM", "a.htm", "B.htm", "b.htm"}) many << dir.path() + "/" + name;
    list.chooseFiles = [&](const QString&) { return many; };
    list.findChild<QPushButton*>("addFiles")->click();
    list.accept();
    QCOMPARE(list.Files(), (QStringList{dir.path() + "/a.htm", dir.path() + "/B.htm", dir.path() + "/b.htm"}));
    QCOMPARE(list.LastFolder(), dir.path());
  }

  // A directory of 2,000 pages run from the window and cancelled in the middle: the event loop
  // keeps turning (no gap of 0.5 s), "Abbrechen" ends the run within 0.5 s, the window is idle
  // again, and the summary counts exactly the pages that changed.
  void DirectoryRunCancelled() {
    CWindowFixture f;
    f.WritePages(f.Path("web"), 2000);
    QElapsedTimer clock;
    qint64 last = 0, longestGap = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
      longestGap = std::max(longestGap, clock.elapsed() - last);
      last = clock.elapsed();
    });
    f.onDialog = [&](QDialog& d) {
      if (auto* chooser = qobject_cast<DirectoryChooser*>(&d)) chooser->SetDirectory(f.Path("web"));
      d.accept();
      // The user's time in the dialogs is no gap; the watch starts with the run.
      if (qobject_cast<OptimizeDialog*>(&d)) {
        clock.start();
        tick.start(10);
      }
      return true;
    };
    f.window->OptimizeDirectory();
    QVERIFY(tick.isActive());
    QVERIFY(f.window->Busy() && !f.window->Progress()->isHidden());
    QTRY_VERIFY_WITH_TIMEOUT(f.window->Progress()->value() >= 300, 120000);
    clock.restart();
    last = 0;
    f.window->CancelRun();
    f.window->WaitForRun();
    const qint64 cancelTime = clock.elapsed();
    tick.stop();
    qInfo("2,000 pages: longest event-loop gap %lld ms, cancel to idle %lld ms", longestGap, cancelTime);
    QVERIFY(longestGap < 500);
    QVERIFY(cancelTime < 500);
    QVERIFY(!f.window->Busy() && f.window->Progress()->isHidden());
    QVERIFY(f.window->Action("optimizeDirectory")->isEnabled());
    int done = 0;
    for (int i = 0; i < 2000; ++i)
      done += ReadBytes(f.Path("web") + QStringLiteral("/seite%1.htm").arg(i, 4, 10, QChar('0'))) != kPage;
    QVERIFY(done > 0 && done < 2000);
    QVERIFY(f.Output().contains(QStringLiteral("Optimieren beendet. Anzahl optimierter Dateien: %1\n").arg(done)));
    QCOMPARE(ReadStringSetting(f.store, setting::kLastDirectory), f.Path("web").toStdString());
  }

  // Two file-list runs in a row, each through its dialogs: the second optimizes its own file
  // only and counts from 0; the last folder of the file dialog survives the window.
  void TwoFileListRuns() {
    CWindowFixture f;
    f.WritePages(f.Path("a"), 1);
    f.WritePages(f.Path("b"), 1);
    for (const char* dir : {"a", "b"}) {
      const QString page = f.Path(dir) + "/seite0000.htm";
      bool optionsAsked = false;
      f.onDialog = [&](QDialog& d) {
        if (auto* list = qobject_cast<FileListDialog*>(&d)) {
          list->chooseFiles = [&](const QString&) { return QStringList{page}; };
          list->findChild<QPushButton*>("addFiles")->click();
          list->findChild<QPushButton*>("next")->click();
          return d.result() == QDialog::Accepted;
        }
        optionsAsked = qobject_cast<OptimizeDialog*>(&d) != nullptr;
        d.accept();
        return true;
      };
      f.window->OptimizeFiles();
      QVERIFY(optionsAsked);
      QVERIFY(f.window->Busy());
      f.window->WaitForRun();
      const QString out = f.Output();
      QCOMPARE(out.count(QStringLiteral("Optimiere: ")), 1);
      QVERIFY(out.contains(QStringLiteral("Optimiere: ") + page));
      QVERIFY(out.contains(QStringLiteral("Optimieren beendet. Anzahl optimierter Dateien: 1\n")));
    }
    QVERIFY(QFile::exists(f.Path("a") + "/seite0000.htm.bak"));
    f.window.reset();
    QCOMPARE(ReadStringSetting(f.store, setting::kLastFileFolder), f.Path("b").toStdString());
  }

  // Refused settings come as a box from the window, and no run starts; so does a page the worker
  // cannot open, while the run goes on.
  void RefusedSettingsShowBox() {
    CWindowFixture f;
    f.store.WriteInt(setting::kBackupMode.section, setting::kBackupMode.name, 2);
    f.WritePages(f.Path("a"), 1);
    QVERIFY(!f.window->StartFileListRun({f.Path("a/seite0000.htm")}));
    QCOMPARE(f.notes, QStringList{QStringLiteral("Bitte wählen Sie einen gültigen Namen für den Ordner für die "
                                                 "Sicherungskopie")});
    QVERIFY(!f.window->Busy() && f.window->Action("optimizeFiles")->isEnabled());
    // A page that cannot be read: the worker's box reaches the window thread once per page.
    f.notes.clear();
    f.store.WriteInt(setting::kBackupMode.section, setting::kBackupMode.name, 0);
    QVERIFY(f.window->StartFileListRun({f.Path("a/fehlt.htm"), f.Path("a/seite0000.htm")}));
    f.window->WaitForRun();
    QTRY_COMPARE(f.notes, QStringList{QStringLiteral("Kann Datei nicht öffnen.")});
    QVERIFY(f.Output().contains(QStringLiteral("Kann Datei nicht öffnen.\n")));
    QVERIFY(f.Output().contains(QStringLiteral("Anzahl optimierter Dateien: 1\n")));
  }
};

QTEST_MAIN(SettingsTest)
#include "settings_test.moc"
