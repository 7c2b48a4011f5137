#pragma once
// The one main window: menus, tool bar, status bar, the output pane "Ausgabe", and the tabs
// "Quelle" (the source editor) and "Vorschau (Original/optimiert)". It owns the document, the
// batch controller whose worker runs every optimization, and the parse-tree feed.
//
// Threads: the worker never touches a widget. An optimization copies the text to optimize and
// the run configuration into a CDocumentRun, the worker fills in the result, and the completion
// comes back as a queued call in which the window puts the result into the editor.

#include <QMainWindow>
#include <QPointer>
#include <QTemporaryDir>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "batch/batch_optimizer.h"
#include "shell/editor_prompts.h"
#include "shell/optimize_dialog.h"
#include "shell/page_document.h"
#include "shell/shell_environment.h"
#include "shell/window_settings.h"

class QAction;
class QDialog;
class QLabel;
class QProgressBar;
class QPrinter;
class QMenu;
class QTabWidget;
class QToolBar;

namespace trimvale::shell {

class FileListDialog;
class FindDialog;
class OutputPane;
class ParseTreeFeed;
class ParseTreeWindow;
class PreviewPane;
class SourceEditor;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  // `environment` is not owned and must outlive the window. Reads every setting the window uses.
  explicit MainWindow(CShellEnvironment& environment, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Shows the window by "FensterPos" (on the screen that holds it, else centred), or normally.
  void ShowWithSavedPlacement();

  // Commands, public for the start-up code and the tests.
  bool OpenFile(const QString& path);  // false: the reason was shown
  bool SaveTo(const QString& path);    // false: cancelled or failed (reason shown)
  void NewDocument();                  // asks to save a modified page first
  void Optimize();                     // the "Optimieren" dialog, then a run
  // Starts a run without the dialog: the whole page, or [start, end) of the editor text.
  bool StartOptimization(bool whole, int start = 0, int end = 0);
  void CancelRun();
  // The settings sheet, opened on page `page` (SettingsSheet::PageIndex).
  void ShowSettings(int page = 0);
  // The batch runs after their dialogs: the files as chosen, or the directory as chosen (its
  // choice already stored). False when the run did not start (the reason was shown).
  bool StartFileListRun(const QStringList& files);
  bool StartDirectoryRun(const CDirectoryChoice& choice);
  void ShowPreview();
  void ShowSource();

  bool Busy() const { return busy_; }
  bool SourceActive() const { return sourceActive_; }
  CPageDocument& Document() { return document_; }
  SourceEditor* Editor() const { return editor_; }
  OutputPane* Output() const { return output_; }
  PreviewPane* Preview() const { return preview_; }
  QProgressBar* Progress() const { return progress_; }
  FileListDialog* FileList() const { return fileList_; }
  OptimizeDialog* OptimizeOptionsDialog() const { return optimizeDialog_; }
  ParseTreeWindow* TreeWindow() const;
  QAction* Action(const char* objectName) const;
  // The temporary page of the preview shown now; empty while the source is shown.
  const QString& PreviewTempFile() const { return previewTemp_; }
  // Waits (processing events) until the run in hand has finished; for tests and closing.
  void WaitForRun();

  // The layout editor "Tageigenschaften" on entry `profileIndex` of "vorlagen". After OK: the
  // index chosen in it (for the code layout page's list), and the next run lays out by what was
  // saved; after "Abbrechen": nothing.
  std::optional<int> RunTagLayoutEditor(int profileIndex);
  // "Bearbeiten..." of the "Optimieren" dialog: the profile editor, whose new and deleted
  // profiles the dialog's list follows.
  void EditOptimizationProfiles(const QString& profile);
  // After the window is shown at start: the tips when their box says so, then the start wizard
  // when "Beim Start zeigen" is on.
  void ShowStartupDialogs();
  // "&Assistent für neue Sitzung...": at the first start the batch settings come first.
  void ShowWizard();
  void ShowTips();

  // Yes/No questions and notes go through these, so that tests can answer them.
  std::function<bool(const QString& question)> askYesNo;
  std::function<void(const QString& note)> showNote;
  // "Änderungen in ... speichern?": 1 yes, 0 no, -1 cancel.
  std::function<int(const QString& question)> askSaveChanges;
  // Runs a modal dialog of the window, the editors' small ones included, and returns its result
  // (QDialog::Accepted or Rejected); tests drive the dialog here instead of a nested event loop.
  std::function<int(QDialog& dialog)> runDialog;
  // The page to open; empty when the user cancelled.
  std::function<QString()> chooseFileToOpen;
  // Shows a help topic (a file name of shell/help.h).
  std::function<void(const QString& topic)> showHelp;
  // Acts on the wizard's choice (0 to 3) after "Weiter >".
  std::function<void(int choice)> runWizardChoice;
  // The settings sheet on its page "Mehrfachoptimierung", shown before the wizard until that
  // page has been confirmed once ("Erststart").
  std::function<void()> showBatchSettings;

 public Q_SLOTS:
  // "Me&hrere optimieren..." and "&Verzeichnis optimieren...": the dialogs, then the run.
  void OptimizeFiles();
  void OptimizeDirectory();
  // The wizard's other two choices.
  void OpenAndOptimize();
  void PasteAndOptimize();

 Q_SIGNALS:
  void runFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  struct CDocumentRun;

  void CreateActions();
  void CreateMenusAndBars();
  void UpdateCommands();
  void UpdateTitle();
  void UpdateRecentFiles();
  void AddRecentFile(const QString& path);
  bool MaybeSave();  // false: the user cancelled
  bool Save();
  bool SaveAs();
  void OnRunCompleted(const CBatchRunResult& result);
  void OnTabChanged(int index);
  void ChooseFont();
  void SetWordWrap(bool wrap);
  void Print(bool preview);
  bool OpenWithDialog();  // false: nothing was opened
  void ShowAbout();
  void NotAvailable();
  bool AskBatchOptions();  // the "Optimieren" dialog without a range
  void PrepareBatchRun();
  bool BatchStarted(RunStart start);
  void ShowProgress();
  void ShowBatchBox(const QString& message);
  CEditorPrompts EditorPrompts();
  void WriteSettingsAtClose();
  void FocusNextPane(bool forward);

  CShellEnvironment& env_;
  CPageDocument document_;
  SourceEditor* editor_;
  OutputPane* output_;
  PreviewPane* preview_;
  QTabWidget* tabs_;
  QToolBar* toolBar_;
  QLabel* positionLabel_;
  QProgressBar* progress_;
  FileListDialog* fileList_;  // lives with the window: it keeps the last folder of the file dialog
  FindDialog* findDialog_;
  OptimizeDialog* optimizeDialog_;  // one per window: "Kommentare löschen" keeps its state
  QMenu* recentMenu_ = nullptr;
  std::map<std::string, QAction*> actions_;  // by object name
  std::unique_ptr<ParseTreeFeed> treeFeed_;
  QPointer<ParseTreeWindow> treeWindow_;
  std::unique_ptr<QTemporaryDir> privateTemp_;  // for previews of pages in read-only folders
  std::unique_ptr<QPrinter> printer_;           // made on first use, kept for the print setup

  // Editor values read at creation; only values that differ at close are written back.
  bool wrapAtStart_ = false;
  int tabStopsAtStart_ = 32;
  CFontRecord fontAtStart_;
  CFontRecord font_;

  // The editor's state while the preview is shown.
  QString savedText_;
  int savedSelStart_ = 0, savedSelEnd_ = 0;
  bool savedModified_ = false;
  QString previewTemp_;

  bool sourceActive_ = true;
  bool busy_ = false;
  bool closing_ = false;
  // The worker's latest progress; one queued call at a time carries it to the window, so a
  // walk of thousands of files never floods the event queue.
  std::mutex progressMutex_;
  CBatchProgress latestProgress_;
  bool progressQueued_ = false;
  QStringList pendingBoxes_;  // batch message boxes waiting while one is shown
  bool boxOpen_ = false;
  std::shared_ptr<CDocumentRun> run_;       // the optimization in hand
  std::unique_ptr<CBatchOptimizer> batch_;  // last member: its worker ends before the rest goes
};

}  // namespace trimvale::shell
