// The profile editors over copies of the installed rule files: what each command leaves in
// tageinst.txt and profile.txt, read back by the command line or the core's reader, what they
// refuse, and that a failed write keeps the user's changes.

#include <sys/resource.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <csignal>
#include <deque>

#include "rules/file_io.h"
#include "rules/rule_file_edit.h"
#include "rules/rule_texts.h"
#include "rules/settings_store.h"
#include "rules/tag_layout.h"
#include "shell/main_window.h"
#include "shell/name_dialog.h"
#include "shell/tag_layout_dialogs.h"
#include "shell/tag_layout_editor.h"
#include "shell/tag_optimization_editor.h"
#include "shell/texts.h"

using namespace trimvale;
using namespace trimvale::shell;

namespace {

using Answer = std::function<int(QDialog&)>;

// A program folder with the build tree's rule files; the editors' notes and questions are
// recorded, and their sub-dialogs answered in turn by `answers`.
struct CFixture {
  QTemporaryDir folder;
  QStringList notes, questions;
  bool answerYes = true;
  std::deque<Answer> answers;
  CEditorPrompts prompts;

  CFixture() {
    for (const char* name : {"tageinst.txt", "profile.txt"}) {
      QFile::copy(QStringLiteral(TRIMVALE_BINARY_DIR "/") + name, folder.path() + "/" + name);
    }
    prompts.showNote = [this](const QString& note) { notes << note; };
    prompts.askYesNo = [this](const QString& question) {
      questions << question;
      return answerYes;
    };
    prompts.runDialog = [this](QDialog& dialog) {
      if (answers.empty()) return static_cast<int>(QDialog::Rejected);
      Answer answer = std::move(answers.front());
      answers.pop_front();
      return answer(dialog);
    };
  }
  std::string Path(const char* name) const { return (folder.path() + "/" + name).toStdString(); }
  std::string Bytes(const char* name) const {
    std::string bytes;
    ReadWholeFile(Path(name), bytes);
    return bytes;
  }
  void Write(const char* name, std::string_view bytes) const { QVERIFY(WriteFileAtomically(Path(name), bytes)); }
  // The keys of a section as the core reads them; empty for a missing or empty section.
  std::vector<std::int32_t> Keys(const char* name, const char* section) const {
    CSectionFile file(Path(name));
    return file.ReadKeys(section) ? file.Keys() : std::vector<std::int32_t>{};
  }
  // `trimvale-cli optimize` on `page` with this folder's rule files: the page it writes.
  QByteArray Cli(const QStringList& options, const QByteArray& page) const {
    QProcess cli;
    cli.start(QStringLiteral(TRIMVALE_BINARY_DIR "/trimvale-cli"),
              QStringList{"optimize", "--rules-dir", folder.path(), "--settings", folder.path() + "/t.ini"} + options);
    cli.write(page);
    cli.closeWriteChannel();
    cli.waitForFinished(60000);
    return cli.readAllStandardOutput();
  }
};

// Types `typed` into the name dialog and presses OK.
Answer TypeName(const QString& typed) {
  return [typed](QDialog& dialog) {
    auto& names = dynamic_cast<CNameDlg&>(dialog);
    names.Edit()->clear();
    QTest::keyClicks(names.Edit(), typed);
    names.accept();
    return names.result();
  };
}

template <typename Dialog>
Answer Fill(std::function<void(Dialog&)> fill) {
  return [fill](QDialog& dialog) {
    auto& d = dynamic_cast<Dialog&>(dialog);
    fill(d);
    d.accept();
    return d.result();
  };
}

void Click(QWidget* dialog, const char* button) { dialog->findChild<QPushButton*>(button)->click(); }

// Runs `action` under a file-size limit that no rule file fits, as a full disk would.
void WithFullDisk(const std::function<void()>& action) {
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 16;
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  action();
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
}

const char* kTenTags =
    "[vorlagen]\n1=standard\n2=Alles auf eine Zeile\n3=Komplett nach Baum\n4=Zehn\n5=Fuenf\n"
    "[standard]\n0=p\\#2\\#10000101\n[Alles auf eine Zeile]\n0=p\\#2\\#00000000\n"
    "[Komplett nach Baum]\n0=p\\#2\\#10110101\n"
    "[Zehn]\n0=p\\#2\\#10000101\n1=t1\\#1\\#0\n2=t2\\#1\\#0\n3=t3\\#1\\#0\n4=t4\\#1\\#0\n5=t5\\#1\\#0\n"
    "6=t6\\#1\\#0\n7=t7\\#1\\#0\n8=t8\\#1\\#0\n9=t9\\#1\\#0\n"
    "[Fuenf]\n0=b\\#1\\#00000000\n";

}  // namespace

class EditorsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // Profile names are letters only, but every editing key works and pasted text is filtered
  // the same way; tag names take any text.
  void NameFieldFiltersOnlyText() {
    CFixture f;
    CNameDlg profile(true, f.prompts);
    QTest::keyClicks(profile.Edit(), QStringLiteral("Mein Profil 2"));
    QCOMPARE(profile.Edit()->text(), QStringLiteral("MeinProfil"));
    QTest::keyClick(profile.Edit(), Qt::Key_Backspace);
    QApplication::clipboard()->setText(QStringLiteral("x-y z"));
    QTest::keyClick(profile.Edit(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(profile.Edit()->text(), QStringLiteral("MeinProfixyz"));
    CNameDlg tag(false, f.prompts);
    QTest::keyClicks(tag.Edit(), QStringLiteral("o:p 2"));
    QCOMPARE(tag.Edit()->text(), QStringLiteral("o:p 2"));
    tag.Edit()->clear();
    tag.accept();
    QCOMPARE(f.notes, QStringList{QString::fromUtf8(text::kEnterName)});
  }

  // A new profile with three rules, saved on OK and applied by the command line; then all three
  // deleted again.
  void OptimizationProfileReachesTheCommandLine() {
    CFixture f;
    TagOptimizationEditor editor(f.Path("profile.txt"), 0, f.prompts);
    QSignalSpy added(&editor, &TagOptimizationEditor::profileAdded);
    QVERIFY(!editor.findChild<QListWidget*>("tags")->isEnabled());
    QVERIFY(!editor.findChild<QPushButton*>("newTag")->isEnabled());
    f.answers = {TypeName("bereinigt"), TypeName("Mein Profil 2")};
    Click(&editor, "newProfile");
    QCOMPARE(f.notes, QStringList{QString::fromUtf8(text::kNameExists)});
    QCOMPARE(added.value(0).value(0).toString(), QStringLiteral("MeinProfil"));
    QCOMPARE(editor.ShownIndex(), 3);
    QVERIFY(editor.findChild<QPushButton*>("newTag")->isEnabled());

    auto* tags = editor.findChild<QListWidget*>("tags");
    auto box = [&](const char* name) { return editor.findChild<QCheckBox*>(name); };
    f.answers = {TypeName("font"), TypeName("i"), TypeName("p")};
    for (int i = 0; i < 3; ++i) Click(&editor, "newTag");
    tags->setCurrentRow(0);
    box("deleteClass")->setChecked(true);
    box("deleteTagBox")->setChecked(true);
    QVERIFY(!box("deleteClass")->isEnabled() && !box("replace")->isEnabled() && !box("deleteSubtags")->isEnabled());
    editor.findChild<QRadioButton*>("subtagsMove")->setChecked(true);
    tags->setCurrentRow(1);
    box("replace")->setChecked(true);
    editor.findChild<QLineEdit*>("replacement")->setText("em");
    tags->setCurrentRow(2);
    box("replace")->setChecked(true);  // without a text: no rename
    Click(&editor, "ok");
    QCOMPARE(editor.result(), int(QDialog::Accepted));
    QVERIFY(f.Bytes("profile.txt").find("3=MeinProfil\r\n") != std::string::npos);
    QVERIFY(f.Bytes("profile.txt")
                .find("[MeinProfil]\r\n0=font\\#\\#1110000\r\n1=i\\#em\\#0000010\r\n"
                      "2=p\\#\\#0000000\r\n") != std::string::npos);
    const QByteArray page = "<p><font>a</font><i>b</i></p>";
    const QByteArray optimized = f.Cli({"--profile", "MeinProfil"}, page);
    QVERIFY2(optimized.contains("<p>a<em>b</em></p>"), optimized.constData());

    // The saved "font" refuses "FONT"; deleting every tag leaves the section without entries.
    TagOptimizationEditor again(f.Path("profile.txt"), 3, f.prompts);
    f.notes.clear();
    f.answers = {TypeName("FONT")};
    Click(&again, "newTag");
    QCOMPARE(f.notes, QStringList{QString::fromUtf8(text::kNameExists)});
    auto* againTags = again.findChild<QListWidget*>("tags");
    for (int i = 0; i < 3; ++i) {
      againTags->setCurrentRow(0);
      Click(&again, "deleteTag");
    }
    Click(&again, "deleteTag");
    QCOMPARE(f.notes.last(), QString::fromUtf8(text::kNothingToDelete));
    Click(&again, "ok");
    QVERIFY(f.Keys("profile.txt", "MeinProfil").empty());
    QVERIFY(f.Cli({"--profile", "MeinProfil"}, page).contains(page));
  }

  // Deleting two of five rules and switching rewrites 0-2 and removes 3 and 4; deleting the
  // second of three profiles renumbers the list and shows the first.
  void OptimizationEditorRenumbers() {
    CFixture f;
    f.Write("profile.txt",
            "[#profile]\r\n1=A\r\n2=B\r\n3=C\r\n[A]\r\n0=a\\#\\#1000000\r\n1=b\\#\\#1000000\r\n2=c\\#\\#1000000\r\n"
            "3=d\\#\\#1000000\r\n4=e\\#\\#1000000\r\n[B]\r\n0=x\\#\\#0010000\r\n");
    TagOptimizationEditor editor(f.Path("profile.txt"), 1, f.prompts);
    QSignalSpy removed(&editor, &TagOptimizationEditor::profileRemoved);
    auto* tags = editor.findChild<QListWidget*>("tags");
    for (int row : {3, 1}) {
      tags->setCurrentRow(row);
      Click(&editor, "deleteTag");
    }
    editor.findChild<QComboBox*>("profile")->setCurrentIndex(2);
    QCOMPARE(f.Keys("profile.txt", "A"), (std::vector<std::int32_t>{0, 1, 2}));
    CTagRuleList rules;
    CSectionFile file(f.Path("profile.txt"));
    LoadProfileRules(rules, file, "A");
    QCOMPARE(rules[1].name, std::string("c"));

    Click(&editor, "deleteProfile");
    QCOMPARE(f.questions, QStringList{QString::fromUtf8(text::kAskDeleteProfile)});
    QCOMPARE(ListProfileNames(file, kProfileList), (std::vector<std::string>{"A", "C"}));
    QVERIFY(f.Keys("profile.txt", "B").empty());
    QCOMPARE(removed.value(0).value(0).toInt(), 2);
    QCOMPARE(editor.ShownIndex(), 1);
    QCOMPARE(tags->count(), 3);
  }

  // A profile that cannot be written is not reported as saved: the reason is shown, the dialog
  // stays open with the user's rules, and a later OK writes them.
  void FailedSaveKeepsTheChanges() {
    CFixture f;
    const std::string before = f.Bytes("profile.txt");
    TagOptimizationEditor editor(f.Path("profile.txt"), 1, f.prompts);
    const int count = editor.findChild<QListWidget*>("tags")->count();
    f.answers = {TypeName("u")};
    Click(&editor, "newTag");
    WithFullDisk([&] { Click(&editor, "ok"); });
    QVERIFY(editor.result() != QDialog::Accepted);
    QCOMPARE(f.notes.value(0),
             QString::fromStdString(file_text::RuleFileUnwritable(f.Path("profile.txt"), SystemErrorText(EFBIG))));
    QCOMPARE(f.Bytes("profile.txt"), before);
    QCOMPARE(editor.findChild<QListWidget*>("tags")->count(), count + 1);
    Click(&editor, "ok");
    QCOMPARE(editor.result(), int(QDialog::Accepted));
    QCOMPARE(f.Keys("profile.txt", "Bereinigt").size(), std::size_t(count + 1));

    f.Write("tageinst.txt", kTenTags);
    TagLayoutEditor layout(f.Path("tageinst.txt"), 3, f.prompts);
    layout.TagList()->topLevelItem(0)->setSelected(true);
    Click(&layout, "deleteTags");
    f.notes.clear();
    WithFullDisk([&] { Click(&layout, "ok"); });
    QVERIFY(layout.result() != QDialog::Accepted);
    QVERIFY(f.notes.value(0).contains(QStringLiteral("kann nicht geschrieben werden")));
    QVERIFY(layout.Changed());
    QCOMPARE(layout.TagList()->topLevelItemCount(), 9);
    QCOMPARE(f.Bytes("tageinst.txt"), std::string(kTenTags));
  }

  // "Bearbeiten..." of the "Optimieren" dialog: the dialog's list follows the editor's new and
  // deleted profiles, and after OK shows the profile the editor showed last.
  void OptimizeDialogFollowsTheEditor() {
    CFixture f;
    CMemorySettingsStore store;
    CShellEnvironment env(store, f.folder.path().toStdString());
    MainWindow window(env);
    window.showNote = f.prompts.showNote;
    window.askYesNo = f.prompts.askYesNo;
    window.runDialog = f.prompts.runDialog;
    OptimizeDialog* dialog = window.OptimizeOptionsDialog();
    dialog->Prepare(std::nullopt, OptimizeOptions{});
    dialog->SelectProfile(1);
    auto* list = dialog->findChild<QComboBox*>("profile");
    auto items = [list] {
      QStringList names;
      for (int i = 0; i < list->count(); ++i) names << list->itemText(i);
      return names;
    };
    // Cancelled after deleting the profile chosen in the dialog: "<nicht verwenden>".
    f.answers = {[&](QDialog& editor) {
      f.answers.push_back(TypeName("Neu"));
      Click(&editor, "newProfile");
      editor.findChild<QComboBox*>("profile")->setCurrentIndex(1);
      Click(&editor, "deleteProfile");
      return static_cast<int>(QDialog::Rejected);
    }};
    Q_EMIT dialog->editProfilesRequested(QStringLiteral("Bereinigt"));
    QCoreApplication::processEvents();  // the window opens the editor queued
    QCOMPARE(items(), (QStringList{QString::fromUtf8(text::kNoProfile), "Ohne Klassen", "Neu"}));
    QCOMPARE(list->currentIndex(), 0);
    f.answers = {[&](QDialog& editor) {
      editor.findChild<QComboBox*>("profile")->setCurrentIndex(2);
      Click(&editor, "ok");
      return editor.result();
    }};
    Q_EMIT dialog->editProfilesRequested(QString());
    QCoreApplication::processEvents();  // the window opens the editor queued
    QCOMPARE(list->currentIndex(), 2);
  }

  // The standard profiles can be looked at, never changed; new profiles from a template hold
  // exactly its entries, empty ones have no section until saved; names that clash are refused.
  void LayoutEditorProfiles() {
    CFixture f;
    TagLayoutEditor editor(f.Path("tageinst.txt"), 0, f.prompts);
    QSignalSpy added(&editor, &TagLayoutEditor::profileAdded);
    editor.TagList()->topLevelItem(0)->setSelected(true);
    for (const char* button : {"editTags", "addTag", "deleteTags", "deleteProfile"}) Click(&editor, button);
    QCOMPARE(f.notes,
             (QStringList{QString::fromUtf8(text::kStandardNotEditable), QString::fromUtf8(text::kStandardNotEditable),
                          QString::fromUtf8(text::kStandardInUse), QString::fromUtf8(text::kStandardNotDeletable)}));
    f.notes.clear();
    f.answers = {Fill<NewLayoutProfileDialog>([](auto& d) { d.NameEdit()->setText("STANDARD"); }),
                 Fill<NewLayoutProfileDialog>([](auto& d) { d.NameEdit()->setText("Mein"); }),
                 Fill<NewLayoutProfileDialog>([](auto& d) {
                   d.NameEdit()->setText("Leer");
                   d.EmptyProfile()->setChecked(true);
                 })};
    for (int i = 0; i < 3; ++i) Click(&editor, "newProfile");
    QCOMPARE(f.notes, QStringList{QString::fromUtf8(text::kNameExists)});
    QCOMPARE(added.count(), 2);
    QCOMPARE(editor.SelectedIndex(), 4);
    QCOMPARE(editor.TagList()->topLevelItemCount(), 0);
    QVERIFY(f.Bytes("tageinst.txt").find("[Leer]") == std::string::npos);
    auto entries = [&](const char* section) {
      std::vector<std::string> all;
      CSectionFile file(f.Path("tageinst.txt"));
      file.ReadSection(section, [&](std::int32_t key, const std::string& a, const std::string& b,
                                    const std::string& c) { all.push_back(std::to_string(key) + a + b + c); });
      return all;
    };
    QCOMPARE(entries("Mein"), entries("standard"));
    QVERIFY(f.questions.isEmpty());

    // Deleting the fourth of five profiles rewrites the list as 1-4 and shows the one before it.
    QSignalSpy removed(&editor, &TagLayoutEditor::profileRemoved);
    editor.findChild<QComboBox*>("profile")->setCurrentIndex(3);
    Click(&editor, "deleteProfile");
    QCOMPARE(f.questions, QStringList{QString::fromUtf8(text::kAskDeleteProfile)});
    QCOMPARE(f.Keys("tageinst.txt", "vorlagen"), (std::vector<std::int32_t>{1, 2, 3, 4}));
    QVERIFY(f.Keys("tageinst.txt", "Mein").empty());
    QCOMPARE(removed.value(0).value(0).toInt(), 3);
    QCOMPARE(editor.SelectedIndex(), 2);
  }

  // Editing several tags keeps the fields in which they differ; a duplicate name is refused
  // whatever its letter case; switching to another profile saves, and what is saved is what the
  // command line lays out by.
  void LayoutEditorEditsTags() {
    CFixture f;
    f.Write("tageinst.txt", kTenTags);
    const QByteArray page = "<p>a</p><p>b</p>";
    const QByteArray broken = f.Cli({"--layout-profile", "Zehn"}, page);
    QVERIFY(!broken.contains("</p><p>"));
    TagLayoutEditor editor(f.Path("tageinst.txt"), 3, f.prompts);
    QTreeWidget* tags = editor.TagList();
    tags->topLevelItem(0)->setSelected(true);  // p 10000101: column 2 is 0
    f.answers = {Fill<AddTagDialog>([](auto& d) {
                   d.NameEdit()->setText("T1");
                   d.Value(1)->setValue(1);
                 }),
                 Fill<AddTagDialog>([](auto& d) { d.NameEdit()->setText("neu"); })};
    Click(&editor, "addTag");
    QCOMPARE(f.notes, QStringList{QString::fromUtf8(text::kTagExists)});
    QCOMPARE(tags->topLevelItemCount(), 11);
    QCOMPARE(tags->topLevelItem(10)->text(2), QStringLiteral("1"));  // kept from the refused try

    tags->topLevelItem(10)->setSelected(true);  // neu: column 2 is 1
    QStringList shown;
    f.answers = {[&](QDialog& dialog) {
      auto& d = dynamic_cast<EditTagsDialog&>(dialog);
      for (int i = 0; i < 5; ++i) shown << d.Field(i)->text();
      d.Field(0)->setText("3");
      d.accept();
      for (int i : {0, 3, 4}) d.Field(i)->setText("0");
      d.accept();
      return d.result();
    }};
    f.notes.clear();
    Click(&editor, "editTags");
    QCOMPARE(shown, (QStringList{"", "", "0", "", ""}));
    QCOMPARE(f.notes, QStringList{QString::fromUtf8(text::kEnter01)});
    QCOMPARE(tags->topLevelItem(0)->text(2), QStringLiteral("0"));
    QCOMPARE(tags->topLevelItem(10)->text(2), QStringLiteral("1"));
    for (int row : {2, 5, 7}) tags->topLevelItem(row)->setSelected(true);
    tags->topLevelItem(0)->setSelected(false);
    tags->topLevelItem(10)->setSelected(false);
    Click(&editor, "deleteTags");
    editor.findChild<QComboBox*>("profile")->setCurrentIndex(4);
    QCOMPARE(f.questions, QStringList{QString::fromUtf8(text::kAskSaveProfile)});
    QCOMPARE(f.Keys("tageinst.txt", "Zehn"), (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    const CLayoutProfileRead read = ReadLayoutProfile(f.Path("tageinst.txt"), "Zehn");
    QCOMPARE(read.table.Records()[0].layoutBits, std::uint8_t{0});
    QCOMPARE(read.table.Records()[7].name, std::string("neu"));
    QVERIFY(f.Cli({"--layout-profile", "Zehn"}, page).contains("</p><p>"));
  }

  // After OK in the layout editor the main window's next run uses what was saved.
  void NextRunUsesTheSavedLayout() {
    CFixture f;
    f.Write("tageinst.txt", kTenTags);
    CMemorySettingsStore store;
    CShellEnvironment env(store, f.folder.path().toStdString());
    MainWindow window(env);
    window.askYesNo = f.prompts.askYesNo;
    window.runDialog = [&](QDialog& dialog) {
      if (auto* editor = dynamic_cast<TagLayoutEditor*>(&dialog)) {
        editor->TagList()->topLevelItem(0)->setSelected(true);
        Click(editor, "deleteTags");
        Click(editor, "ok");
      }
      return dialog.result();
    };
    env.layoutProfile = "Zehn";
    env.ReloadLayoutTable();
    QVERIFY(env.MakeRunConfig().layoutTable->Find("p") != nullptr);
    QCOMPARE(window.RunTagLayoutEditor(3), std::optional<int>(3));
    QVERIFY(env.MakeRunConfig().layoutTable->Find("p") == nullptr);
  }
};

QTEST_MAIN(EditorsTest)
#include "editors_test.moc"
