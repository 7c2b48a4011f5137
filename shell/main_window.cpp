#include "shell/main_window.h"

#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QFontDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QStringDecoder>
#include <QStyle>
#include <QTabWidget>
#include <QTextDocument>
#include <QThread>
#include <QToolBar>
#include <QWhatsThis>
#include <cerrno>

#include "batch/batch_paths.h"
#include "batch/batch_texts.h"
#include "engine/optimize_job.h"
#include "rules/file_io.h"
#include "rules/settings_table.h"
#include "shell/directory_chooser.h"
#include "shell/file_list_dialog.h"
#include "shell/find_dialog.h"
#include "shell/help.h"
#include "shell/output_pane.h"
#include "shell/parse_tree_window.h"
#include "shell/preview_pane.h"
#include "shell/settings_sheet.h"
#include "shell/source_editor.h"
#include "shell/tag_layout_editor.h"
#include "shell/tag_optimization_editor.h"
#include "shell/start_wizard.h"
#include "shell/texts.h"
#include "shell/tips_dialog.h"

namespace trimvale::shell {

namespace {
QString T(const char* text) { return QString::fromUtf8(text); }
QString Plain(const char* text) { return QString::fromUtf8(text).remove(u'&'); }

constexpr const char* kRecentSection = "Recent File List";
constexpr int kRecentCount = 4;
constexpr const char* kBarSection = "Status Leisten";
constexpr const char* kBarStateName = "Zustand";
}  // namespace

// One optimization of the editor's text. The window thread fills the input before the run;
// the worker writes the output; the window thread reads it after the completion arrives.
struct MainWindow::CDocumentRun {
  bool whole = true;
  int start = 0;  // the range the result replaces; end -1: to the end
  int end = -1;
  std::string input;  // the text in the page's own encoding
  CRunConfig config;
  IParseObserver* tree = nullptr;  // not owned; the window's feed
  CPageEncoding encoding;          // the page's, for reading the result
  QFont font;                      // the editor's
  QThread* windowThread = nullptr;
  std::string output;
  // A whole page's result as the editor's next document, built by the worker; the window
  // thread takes it over (it lives there).
  std::unique_ptr<QTextDocument> document;
  bool produced = false;  // the job ran to its end without being cancelled
};

MainWindow::MainWindow(CShellEnvironment& environment, QWidget* parent)
    : QMainWindow(parent),
      env_(environment),
      editor_(new SourceEditor),
      output_(new OutputPane(this)),
      preview_(new PreviewPane),
      tabs_(new QTabWidget(this)),
      treeFeed_(std::make_unique<ParseTreeFeed>()) {
  setObjectName(QStringLiteral("mainWindow"));
  setAccessibleName(T(text::kAppName));
  ISettingsStore& store = env_.Store();
  for (const std::string& warning : env_.LoadAtCreation()) output_->AppendText(warning);

  askYesNo = [this](const QString& question) {
    return QMessageBox::question(this, T(text::kAppName), question, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
  };
  showNote = [this](const QString& note) { QMessageBox::information(this, T(text::kAppName), note); };
  askSaveChanges = [this](const QString& question) {
    const auto answer = QMessageBox::question(this, T(text::kAppName), question,
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return answer == QMessageBox::Yes ? 1 : answer == QMessageBox::No ? 0 : -1;
  };
  runDialog = [](QDialog& dialog) { return dialog.exec(); };
  chooseFileToOpen = [this] {
    return QFileDialog::getOpenFileName(this, Plain(text::kOpen), QString(),
                                        T(text::kHtmlFilter) + ";;" + T(text::kAllFilter));
  };
  showHelp = [this](const QString& topic) { ShowHelpTopic(this, topic); };
  runWizardChoice = [this](int choice) {
    switch (choice) {
      case StartWizard::SeveralFiles:
        OptimizeFiles();
        break;
      case StartWizard::Directory:
        OptimizeDirectory();
        break;
      case StartWizard::Clipboard:
        PasteAndOptimize();
        break;
      default:
        OpenAndOptimize();
        break;
    }
  };
  showBatchSettings = [this] { ShowSettings(SettingsSheet::kBatch); };

  // The editor's own values, read before it is shown.
  wrapAtStart_ = ReadSetting(store, setting::kEditorWordWrap) != 0;
  tabStopsAtStart_ = ReadSetting(store, setting::kTabStops);
  fontAtStart_ = ReadFontRecord(store);
  font_ = fontAtStart_;
  editor_->SetWrapsLines(wrapAtStart_);
  editor_->setAccessibleName(T(text::kEditorName));
  if (font_.height != 0) editor_->setFont(FontFromRecord(font_));

  tabs_->setObjectName(QStringLiteral("tabs"));
  tabs_->setAccessibleName(QStringLiteral("%1 / %2").arg(T(text::kSourceTab), T(text::kPreviewTab)));
  tabs_->addTab(editor_, T(text::kSourceTab));
  tabs_->addTab(preview_, T(text::kPreviewTab));
  setCentralWidget(tabs_);
  addDockWidget(Qt::BottomDockWidgetArea, output_);

  findDialog_ = new FindDialog(editor_, this);
  optimizeDialog_ = new OptimizeDialog(store, env_.RuleFilePath("profile.txt"), this);
  fileList_ = new FileListDialog(this);
  fileList_->SetLastFolder(QString::fromStdString(ReadStringSetting(store, setting::kLastFileFolder)));
  fileList_->showNote = [this](const QString& note) { showNote(note); };
  // Queued: the dialog's button returns before the next window starts its own event loop.
  connect(optimizeDialog_, &OptimizeDialog::settingsRequested, this, [this] { ShowSettings(); },
          Qt::QueuedConnection);
  connect(optimizeDialog_, &OptimizeDialog::editProfilesRequested, this, &MainWindow::EditOptimizationProfiles,
          Qt::QueuedConnection);
  connect(optimizeDialog_, &OptimizeDialog::helpRequested, this, [this](const QString& topic) { showHelp(topic); });

  CreateActions();
  CreateMenusAndBars();
  const std::string barState = store.ReadString(kBarSection, kBarStateName, "");
  if (!barState.empty()) restoreState(QByteArray::fromBase64(QByteArray::fromStdString(barState)));

  CBatchCallbacks callbacks;
  callbacks.completed = [this](const CBatchRunResult& result) {
    QMetaObject::invokeMethod(
        this, [this, result] { OnRunCompleted(result); }, Qt::QueuedConnection);
  };
  callbacks.progress = [this](const CBatchProgress& progress) {
    bool queue = false;
    {
      std::lock_guard lock(progressMutex_);
      latestProgress_ = progress;
      queue = !progressQueued_;
      progressQueued_ = true;
    }
    if (queue) QMetaObject::invokeMethod(this, &MainWindow::ShowProgress, Qt::QueuedConnection);
  };
  // The boxes are shown by the window thread; the worker goes on meanwhile, so a run never waits
  // for a box nobody is there to close, and closing the window never waits for a box either.
  callbacks.messageBox = [this](std::string_view text, IOutputSink& sink) {
    // The box has no file name; the line in the pane stands under the file's own.
    if (text != batch_text::kExclusionListUnreadable) DefaultMessageBox(text, sink);
    const QString message = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (QThread::currentThread() == thread()) {
      ShowBatchBox(message);
    } else {
      QMetaObject::invokeMethod(
          this, [this, message] { ShowBatchBox(message); }, Qt::QueuedConnection);
    }
  };
  batch_ = std::make_unique<CBatchOptimizer>(store, env_.MakeRunConfig(), *output_, env_.ProgramFolder(), 1, callbacks);

  connect(tabs_, &QTabWidget::currentChanged, this, &MainWindow::OnTabChanged);
  connect(editor_, &QPlainTextEdit::modificationChanged, this, &MainWindow::UpdateTitle);
  connect(editor_, &QPlainTextEdit::cursorPositionChanged, this, [this] {
    const QTextCursor cursor = editor_->textCursor();
    positionLabel_->setText(T(text::kPosition).arg(cursor.blockNumber() + 1).arg(cursor.positionInBlock() + 1));
  });
  connect(editor_, &QPlainTextEdit::undoAvailable, this, &MainWindow::UpdateCommands);
  connect(editor_, &SourceEditor::textArrived, this, &MainWindow::UpdateCommands);
  connect(editor_, &QPlainTextEdit::copyAvailable, this, &MainWindow::UpdateCommands);

  document_.Reset();
  UpdateTitle();
  UpdateCommands();
}

MainWindow::~MainWindow() {
  // The worker ends before the output pane and the tree feed it writes to.
  batch_.reset();
  env_.Store().WriteString(setting::kLastFileFolder.section, setting::kLastFileFolder.name,
                           fileList_->LastFolder().toStdString());
}

QAction* MainWindow::Action(const char* objectName) const {
  const auto it = actions_.find(objectName);
  return it == actions_.end() ? nullptr : it->second;
}

ParseTreeWindow* MainWindow::TreeWindow() const { return treeWindow_; }

void MainWindow::CreateActions() {
  struct CDef {
    const char* name;
    const char* text;
    const char* tip;
    QList<QKeySequence> keys;
    std::function<void()> run;
  };
  auto on = [this](void (MainWindow::*f)()) { return [this, f] { (this->*f)(); }; };
  const CDef defs[] = {
      {"fileNew", text::kNew, text::kNewTip, {QKeySequence(Qt::CTRL | Qt::Key_N)}, on(&MainWindow::NewDocument)},
      {"fileOpen", text::kOpen, text::kOpenTip, {QKeySequence(Qt::CTRL | Qt::Key_O)}, [this] { OpenWithDialog(); }},
      {"fileSave", text::kSave, text::kSaveTip, {QKeySequence(Qt::CTRL | Qt::Key_S)}, [this] { Save(); }},
      {"fileSaveAs", text::kSaveAs, text::kSaveAsTip, {}, [this] { SaveAs(); }},
      {"filePrint", text::kPrint, text::kPrintTip, {QKeySequence(Qt::CTRL | Qt::Key_P)}, [this] { Print(false); }},
      {"filePrintPreview", text::kPrintPreview, text::kPrintPreviewTip, {}, [this] { Print(true); }},
      {"filePrintSetup",
       text::kPrintSetup,
       text::kPrintSetupTip,
       {},
       [this] {
         if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
         QPageSetupDialog(printer_.get(), this).exec();
       }},
      {"fileExit", text::kExit, text::kExitTip, {}, [this] { close(); }},
      {"editUndo",
       text::kUndo,
       text::kUndoTip,
       {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)},
       [this] { editor_->undo(); }},
      {"editCut",
       text::kCut,
       text::kCutTip,
       {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)},
       [this] { editor_->cut(); }},
      {"editCopy",
       text::kCopy,
       text::kCopyTip,
       {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)},
       [this] { editor_->copy(); }},
      {"editPaste",
       text::kPaste,
       text::kPasteTip,
       {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)},
       [this] { editor_->paste(); }},
      {"editSelectAll",
       text::kSelectAll,
       text::kSelectAllTip,
       {QKeySequence(Qt::CTRL | Qt::Key_A)},
       [this] { editor_->selectAll(); }},
      {"editFind",
       text::kFind,
       text::kFindTip,
       {QKeySequence(Qt::CTRL | Qt::Key_F)},
       [this] { findDialog_->Open(false); }},
      {"editFindNext",
       text::kFindNext,
       text::kFindNextTip,
       {QKeySequence(Qt::Key_F3)},
       [this] { findDialog_->FindNext(); }},
      {"editReplace",
       text::kReplace,
       text::kReplaceTip,
       {QKeySequence(Qt::CTRL | Qt::Key_H)},
       [this] { findDialog_->Open(true); }},
      {"viewSource", text::kSource, text::kSourceTip, {}, on(&MainWindow::ShowSource)},
      {"viewPreview", text::kPreview, text::kPreviewTip, {}, on(&MainWindow::ShowPreview)},
      {"viewOutput", text::kOutput, text::kOutputTip, {}, [this] { output_->setVisible(!output_->isVisible()); }},
      {"viewToolBar", text::kToolBar, text::kToolBarTip, {}, [this] { toolBar_->setVisible(!toolBar_->isVisible()); }},
      {"viewStatusBar",
       text::kStatusBar,
       text::kStatusBarTip,
       {},
       [this] { statusBar()->setVisible(!statusBar()->isVisible()); }},
      {"viewWordWrap", text::kWordWrap, text::kWordWrapTip, {}, [this] { SetWordWrap(!editor_->WrapsLines()); }},
      {"viewFont", text::kFont, text::kFontTip, {}, on(&MainWindow::ChooseFont)},
      // The tab length command has no effect in the editor; "TabStops" is kept as read.
      {"viewTabLength", text::kTabLength, text::kTabLengthTip, {}, [] {}},
      {"optimize", text::kOptimize, text::kOptimizeTip, {}, on(&MainWindow::Optimize)},
      {"optimizeFiles", text::kOptimizeFiles, text::kOptimizeFilesTip, {}, on(&MainWindow::OptimizeFiles)},
      {"optimizeDirectory",
       text::kOptimizeDirectory,
       text::kOptimizeDirectoryTip,
       {},
       on(&MainWindow::OptimizeDirectory)},
      {"cancel", text::kCancel, text::kCancelTip, {}, on(&MainWindow::CancelRun)},
      {"settings", text::kSettings, text::kSettingsTip, {}, [this] { ShowSettings(); }},
      {"wizard", text::kWizard, text::kWizardTip, {}, on(&MainWindow::ShowWizard)},
      {"helpTips", text::kTips, text::kTipsTip, {}, on(&MainWindow::ShowTips)},
      {"helpTopics",
       text::kHelpTopics,
       text::kHelpTopicsTip,
       {QKeySequence(Qt::Key_F1)},
       [this] { showHelp(QString::fromUtf8(topic::kIndex)); }},
      {"about", text::kAbout, text::kAboutTip, {}, on(&MainWindow::ShowAbout)},
      {"contextHelp",
       text::kContextHelp,
       text::kContextHelp,
       {QKeySequence(Qt::SHIFT | Qt::Key_F1)},
       [] { QWhatsThis::enterWhatsThisMode(); }},
      {"nextPane", text::kNextPane, text::kNextPane, {QKeySequence(Qt::Key_F6)}, [this] { FocusNextPane(true); }},
      {"previousPane",
       text::kPreviousPane,
       text::kPreviousPane,
       {QKeySequence(Qt::SHIFT | Qt::Key_F6)},
       [this] { FocusNextPane(false); }},
  };
  for (const CDef& def : defs) {
    auto* action = new QAction(T(def.text), this);
    action->setObjectName(QString::fromLatin1(def.name));
    action->setStatusTip(T(def.tip).section(u'\n', 0, 0));
    action->setToolTip(Plain(def.text));
    action->setShortcuts(def.keys);
    // The editor handles its own editing keys; the window's shortcuts act when it has not.
    action->setShortcutContext(Qt::WindowShortcut);
    // Queued, so that whoever triggered the command gets control back before a dialog or a
    // question box starts its own event loop: a screen reader or a test robot pressing a button
    // over the accessibility bus would otherwise wait for its answer until the dialog closes.
    connect(action, &QAction::triggered, this, def.run, Qt::QueuedConnection);
    actions_[def.name] = action;
  }
  for (const char* name : {"viewOutput", "viewToolBar", "viewStatusBar", "viewWordWrap"})
    actions_[name]->setCheckable(true);
  actions_["viewWordWrap"]->setChecked(editor_->WrapsLines());
  const std::pair<const char*, QStyle::StandardPixmap> icons[] = {
      {"fileNew", QStyle::SP_FileIcon},
      {"fileOpen", QStyle::SP_DialogOpenButton},
      {"fileSave", QStyle::SP_DialogSaveButton},
      {"editUndo", QStyle::SP_ArrowBack},
      {"optimize", QStyle::SP_MediaPlay},
      {"optimizeFiles", QStyle::SP_FileDialogListView},
      {"optimizeDirectory", QStyle::SP_DirIcon},
      {"cancel", QStyle::SP_BrowserStop},
      {"viewSource", QStyle::SP_FileDialogDetailedView},
      {"viewPreview", QStyle::SP_FileDialogContentsView},
      {"filePrint", QStyle::SP_DriveFDIcon},
      {"about", QStyle::SP_MessageBoxInformation},
      {"helpTopics", QStyle::SP_DialogHelpButton},
  };
  for (const auto& [name, pixmap] : icons) actions_[name]->setIcon(style()->standardIcon(pixmap));
}

void MainWindow::CreateMenusAndBars() {
  auto add = [this](QMenu* menu, std::initializer_list<const char*> names) {
    for (const char* name : names) {
      if (name == nullptr) {
        menu->addSeparator();
      } else {
        menu->addAction(actions_[name]);
      }
    }
  };
  QMenu* file = menuBar()->addMenu(T(text::kMenuFile));
  add(file, {"fileNew", "fileOpen", "fileSave", "fileSaveAs", nullptr, "filePrint", "filePrintPreview",
             "filePrintSetup", nullptr});
  recentMenu_ = file;
  for (int i = 1; i <= kRecentCount; ++i) {
    auto* action = new QAction(this);
    action->setObjectName(QStringLiteral("recentFile%1").arg(i));
    action->setStatusTip(T(text::kRecentFile));
    action->setVisible(false);
    connect(action, &QAction::triggered, this, [this, action] {
      if (MaybeSave()) OpenFile(action->data().toString());
    });
    file->addAction(action);
    actions_[action->objectName().toStdString()] = action;
  }
  file->addSeparator();
  add(file, {"fileExit"});
  add(menuBar()->addMenu(T(text::kMenuEdit)), {"editUndo", nullptr, "editCut", "editCopy", "editPaste", "editSelectAll",
                                               nullptr, "editFind", "editFindNext", "editReplace"});
  add(menuBar()->addMenu(T(text::kMenuView)), {"viewSource", "viewPreview", nullptr, "viewToolBar", "viewStatusBar",
                                               "viewOutput", nullptr, "viewWordWrap", "viewFont", "viewTabLength"});
  add(menuBar()->addMenu(T(text::kMenuOptimize)),
      {"optimize", "optimizeFiles", "optimizeDirectory", "cancel", nullptr, "settings", "wizard"});
  add(menuBar()->addMenu(T(text::kMenuHelp)), {"helpTips", nullptr, "helpTopics", "contextHelp", nullptr, "about"});
  // Keys without a menu entry of their own still need the window to know them.
  addAction(actions_["nextPane"]);
  addAction(actions_["previousPane"]);

  toolBar_ = addToolBar(T(text::kToolBarTitle));
  toolBar_->setObjectName(QStringLiteral("toolBar"));
  toolBar_->setAccessibleName(T(text::kToolBarTitle));
  toolBar_->setIconSize(QSize(16, 16));
  for (const char* name : std::initializer_list<const char*>{
           "fileNew",           "fileOpen", "fileSave",  nullptr,      "editUndo",    nullptr,
           "editCut",           "editCopy", "editPaste", nullptr,      "optimize",    "optimizeFiles",
           "optimizeDirectory", "cancel",   nullptr,     "viewSource", "viewPreview", nullptr,
           "filePrint",         nullptr,    "about",     "helpTopics"}) {
    if (name == nullptr) {
      toolBar_->addSeparator();
      continue;
    }
    toolBar_->addAction(actions_[name]);
    if (QWidget* button = toolBar_->widgetForAction(actions_[name]))
      button->setAccessibleName(actions_[name]->text().remove(u'&'));
  }
  connect(toolBar_, &QToolBar::visibilityChanged, actions_["viewToolBar"], &QAction::setChecked);
  connect(output_, &QDockWidget::visibilityChanged, actions_["viewOutput"], &QAction::setChecked);

  statusBar()->setObjectName(QStringLiteral("statusBar"));
  statusBar()->setAccessibleName(Plain(text::kStatusBar));
  positionLabel_ = new QLabel(T(text::kPosition).arg(1).arg(1), this);
  positionLabel_->setObjectName(QStringLiteral("position"));
  positionLabel_->setAccessibleName(T(text::kPositionName));
  statusBar()->addPermanentWidget(positionLabel_);
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("progress"));
  progress_->setAccessibleName(T(text::kProgressName));
  progress_->setFormat(QStringLiteral("%v / %m"));
  progress_->setMaximumWidth(220);
  progress_->hide();
  statusBar()->addPermanentWidget(progress_);
  statusBar()->showMessage(T(text::kReady));
  actions_["viewStatusBar"]->setChecked(true);
  actions_["viewToolBar"]->setChecked(true);
  actions_["viewOutput"]->setChecked(true);
  UpdateRecentFiles();
}

void MainWindow::UpdateCommands() {
  // The text of a page just opened counts as busy until it has arrived, except for a run of the
  // page as it was read.
  const bool idle = !busy_ && !editor_->TextPending();
  const bool sourceIdle = sourceActive_ && idle;
  for (const char* name : {"viewPreview", "optimize", "optimizeFiles", "optimizeDirectory", "wizard", "fileNew",
                           "fileOpen", "fileSave", "fileSaveAs"}) {
    actions_[name]->setEnabled(sourceIdle);
  }
  actions_["viewSource"]->setEnabled(!sourceActive_ && idle);
  for (const char* name : {"filePrint", "filePrintPreview", "filePrintSetup", "recentFile1", "recentFile2",
                           "recentFile3", "recentFile4"}) {
    actions_[name]->setEnabled(idle);
  }
  actions_["cancel"]->setEnabled(busy_);
  // While a run holds a copy of the text, the text must not change under it.
  editor_->setReadOnly(!idle);
  actions_["editPaste"]->setEnabled(sourceIdle && editor_->canPaste());
  actions_["editUndo"]->setEnabled(sourceIdle && editor_->document()->isUndoAvailable());
  const bool selection = editor_->textCursor().hasSelection();
  actions_["editCut"]->setEnabled(sourceIdle && selection);
  actions_["editCopy"]->setEnabled(selection);
  for (const char* name : {"editFind", "editFindNext", "editReplace", "editSelectAll"})
    actions_[name]->setEnabled(sourceActive_ && !editor_->TextPending());
  actions_["editReplace"]->setEnabled(sourceIdle);
  tabs_->setTabEnabled(sourceActive_ ? 1 : 0, idle);
}

void MainWindow::UpdateTitle() {
  const QString name = document_.HasPath() ? QFileInfo(document_.Path()).fileName() : T(text::kUntitled);
  setWindowTitle(QStringLiteral("%1[*] - %2").arg(name, T(text::kAppName)));
  setWindowModified(editor_->document()->isModified());
}

void MainWindow::UpdateRecentFiles() {
  for (int i = 1; i <= kRecentCount; ++i) {
    QAction* action = actions_["recentFile" + std::to_string(i)];
    const QString path =
        QString::fromStdString(env_.Store().ReadString(kRecentSection, "File" + std::to_string(i), ""));
    action->setVisible(!path.isEmpty());
    action->setData(path);
    action->setText(QStringLiteral("&%1 %2").arg(i).arg(path));
  }
}

void MainWindow::AddRecentFile(const QString& path) {
  ISettingsStore& store = env_.Store();
  QStringList list{path};
  for (int i = 1; i <= kRecentCount; ++i) {
    const QString entry = QString::fromStdString(store.ReadString(kRecentSection, "File" + std::to_string(i), ""));
    if (!entry.isEmpty() && entry != path && list.size() < kRecentCount) list << entry;
  }
  for (int i = 0; i < list.size(); ++i)
    store.WriteString(kRecentSection, "File" + std::to_string(i + 1), list[i].toStdString());
  UpdateRecentFiles();
}

bool MainWindow::OpenFile(const QString& path) {
  const QString full = QFileInfo(path).absoluteFilePath();
  CPageDocument loaded;
  QString error;
  if (!loaded.Load(full, &error)) {
    showNote(T(text::kCannotOpen).arg(full, error));
    return false;
  }
  document_ = std::move(loaded);
  // A large page's text comes a little later; its bytes are ready for a run at once.
  editor_->SetTextSoon(document_.Text());
  savedText_.clear();
  AddRecentFile(full);
  UpdateTitle();
  UpdateCommands();
  return true;
}

void MainWindow::NewDocument() {
  if (busy_ || !MaybeSave()) return;
  document_.Reset();
  editor_->SetText(QString());
  savedText_.clear();
  UpdateTitle();
  UpdateCommands();
}

bool MainWindow::MaybeSave() {
  if (!editor_->document()->isModified()) return true;
  const QString name = document_.HasPath() ? document_.Path() : T(text::kUntitled);
  const int answer = askSaveChanges(T(text::kAskToSave).arg(name));
  if (answer < 0) return false;
  return answer == 0 || Save();
}

bool MainWindow::Save() { return document_.HasPath() ? SaveTo(document_.Path()) : SaveAs(); }

bool MainWindow::SaveAs() {
  const QString path = QFileDialog::getSaveFileName(this, Plain(text::kSaveAs), document_.Path(),
                                                    T(text::kHtmlFilter) + ";;" + T(text::kAllFilter));
  return !path.isEmpty() && SaveTo(path);
}

bool MainWindow::SaveTo(const QString& path) {
  const QString full = QFileInfo(path).absoluteFilePath();
  const QString text = editor_->Text();
  // No byte of the page is lost without the user's word: a page read with bytes its character
  // set does not allow, or text the character set cannot hold, asks first.
  bool lossy = !document_.Lossless();
  document_.Encode(text, &lossy);
  if (lossy && !askYesNo(T(text::kSaveDespiteInvalid).arg(document_.CharsetName()))) return false;
  QString error;
  if (!document_.Save(full, text, &error)) {
    showNote(T(text::kCannotSave).arg(full, error));
    return false;
  }
  editor_->document()->setModified(false);
  AddRecentFile(full);
  UpdateTitle();
  return true;
}

void MainWindow::Optimize() {
  if (busy_ || !sourceActive_) return;
  const QTextCursor cursor = editor_->textCursor();
  const int start = cursor.selectionStart();
  const int end = cursor.selectionEnd();
  optimizeDialog_->Prepare(start == end ? OptimizeRange::Whole : OptimizeRange::Selection, env_.options);
  for (;;) {
    if (runDialog(*optimizeDialog_) != QDialog::Accepted) return;
    if (optimizeDialog_->Range() == OptimizeRange::Selection && start == end) {
      showNote(T(text::kChooseRange));
      continue;
    }
    break;
  }
  env_.options = optimizeDialog_->Options();
  optimizeDialog_->TakeRules(env_.rules);
  StartOptimization(optimizeDialog_->Range() != OptimizeRange::Selection, start, end);
}

bool MainWindow::StartOptimization(bool whole, int start, int end) {
  if (busy_) return false;
  auto run = std::make_shared<CDocumentRun>();
  run->whole = whole;
  run->start = whole ? 0 : start;
  run->end = whole ? -1 : end;
  // An unchanged page goes to the run as the very bytes read, also those its character set
  // does not allow, so the run reports on them as the command line would (and a large page is
  // not turned back into bytes for nothing).
  if (whole && !editor_->document()->isModified() && document_.HasPath()) {
    run->input = document_.Bytes();
  } else {
    const QString text = editor_->Text();
    run->input = document_.EncodeForRun(whole ? text : text.mid(start, end - start), whole);
  }
  run->config = env_.MakeRunConfig();
  run->encoding = document_.Encoding();
  run->font = editor_->font();
  run->windowThread = thread();
  // A whole page in another declared charset keeps its characters as they are; a piece of it,
  // which the run gets as UTF-8, must not have them turned into entities either.
  if (!whole && document_.Encoding().kind == CPageEncoding::Other) run->config.options.specialChars = false;
  // Cleared here, before the hand-over, rather than by the worker: a "Breche ab..." given
  // before the worker starts must not be wiped out by it.
  if (ReadSetting(env_.Store(), setting::kClearOutput) != 0) output_->Clear();
  if (env_.showParseTree) {
    if (!treeWindow_) {
      treeWindow_ = new ParseTreeWindow(this);
      treeFeed_->SetWindow(treeWindow_);
    }
    treeWindow_->show();
    treeWindow_->raise();
    treeFeed_->SetDecoder([this](std::string_view bytes) { return document_.DecodeLabel(bytes); });
    run->tree = treeFeed_.get();
  }
  const RunStart started = batch_->RunDocument([run](IOutputSink& sink, const std::atomic<bool>& cancelRequested) {
    COptimizeJob job;
    job.treeTarget = run->tree;
    job.text = std::move(run->input);
    const int status = job.Run(run->config, sink, cancelRequested);
    if (status == 1 && !cancelRequested.load()) {
      run->output = std::move(job.text);
      run->produced = true;
      if (run->whole) {
        // Built here, the new text's blocks cost the window thread nothing; it swaps them in.
        run->document = SourceEditor::MakeDocument(
            CPageDocument::DecodeInserted(run->encoding, run->output, true), run->font);
        run->document->moveToThread(run->windowThread);
      }
    }
  });
  if (started != RunStart::Started) return false;
  run_ = std::move(run);
  busy_ = true;
  UpdateCommands();
  return true;
}

void MainWindow::OnRunCompleted(const CBatchRunResult& result) {
  // The completion is posted just before the worker marks itself idle.
  batch_->WaitUntilIdle();
  const std::shared_ptr<CDocumentRun> run = std::move(run_);
  busy_ = false;
  // Taken over here in any case, so that the document goes in the thread it lives in.
  std::unique_ptr<QTextDocument> document = run ? std::move(run->document) : nullptr;
  if (run && run->produced && !result.cancelled) {
    if (document) {
      editor_->ReplaceDocument(std::move(document));  // the cursor stands at the start
    } else {
      const QString text = document_.DecodeInserted(run->output, run->whole);
      editor_->ReplaceRange(run->start, run->end, text);
      QTextCursor cursor = editor_->textCursor();
      cursor.setPosition(run->start);
      cursor.setPosition(run->start + static_cast<int>(text.size()), QTextCursor::KeepAnchor);
      editor_->setTextCursor(cursor);
    }
  }
  batch_->PrintSummary();
  output_->Flush();
  progress_->hide();
  statusBar()->showMessage(T(text::kReady));
  UpdateCommands();
  Q_EMIT runFinished();
}

void MainWindow::CancelRun() {
  if (busy_) batch_->Cancel();
}

void MainWindow::WaitForRun() {
  if (!busy_) return;
  QEventLoop loop;
  connect(this, &MainWindow::runFinished, &loop, &QEventLoop::quit);
  loop.exec();
}

void MainWindow::ShowPreview() {
  if (sourceActive_ && !busy_) tabs_->setCurrentIndex(1);
}

void MainWindow::ShowSource() {
  if (!sourceActive_) tabs_->setCurrentIndex(0);
}

void MainWindow::OnTabChanged(int index) {
  if (index == 1 && sourceActive_) {
    sourceActive_ = false;
    const QTextCursor cursor = editor_->textCursor();
    savedText_ = editor_->Text();
    savedSelStart_ = cursor.anchor();
    savedSelEnd_ = cursor.position();
    savedModified_ = editor_->document()->isModified();

    QString temp = PreviewTempPath(document_.Path(), QString::fromStdString(env_.ProgramFolder()));
    const std::string bytes = document_.Encode(savedText_);
    std::string why;
    if (!WriteFileAtomically(QFile::encodeName(temp).toStdString(), bytes, &why)) {
      // The page's folder cannot take the file: write it where only this user can read it.
      if (!privateTemp_) privateTemp_ = std::make_unique<QTemporaryDir>();
      const QString fallback = privateTemp_->path() + u'/' + QFileInfo(temp).fileName();
      std::string why2;
      if (!privateTemp_->isValid() || !WriteFileAtomically(QFile::encodeName(fallback).toStdString(), bytes, &why2)) {
        output_->AppendText(std::string(text::kCannotWriteTemp) + ": " + why + "\r\n");
        temp.clear();
      } else {
        output_->AppendText(text::kPrivateTempFolder);
        temp = fallback;
      }
    }
    previewTemp_ = temp;
    QString original = document_.Path();
    if (!document_.HasPath()) {
      output_->AppendText(text::kNoOriginalPreview);
      original = QString::fromStdString(env_.ShippedFilePath(text::kMissingOriginalPage));
    }
    if (!temp.isEmpty()) preview_->ShowPages(original, temp);
  } else if (index == 0 && !sourceActive_) {
    if (!previewTemp_.isEmpty()) {
      if (::unlink(QFile::encodeName(previewTemp_).constData()) != 0 && errno != ENOENT) {
        output_->AppendText(std::string(text::kCannotDeleteTemp) + ": " + SystemErrorText(errno) + "\r\n");
      }
      previewTemp_.clear();
    }
    // Nothing edits the text while the preview is shown; only what the tab switch may have
    // moved comes back, and the undo history stays as it was.
    if (editor_->Text() != savedText_) editor_->SetText(savedText_);
    QTextCursor cursor = editor_->textCursor();
    cursor.setPosition(savedSelStart_);
    cursor.setPosition(savedSelEnd_, QTextCursor::KeepAnchor);
    editor_->setTextCursor(cursor);
    editor_->document()->setModified(savedModified_);
    sourceActive_ = true;
  }
  UpdateCommands();
}

void MainWindow::ChooseFont() {
  bool ok = false;
  const QFont chosen = QFontDialog::getFont(&ok, editor_->font(), this, Plain(text::kFont));
  if (!ok) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  editor_->setFont(chosen);
  font_ = RecordFromFont(chosen, font_);
  QApplication::restoreOverrideCursor();
}

void MainWindow::SetWordWrap(bool wrap) {
  editor_->SetWrapsLines(wrap);
  actions_["viewWordWrap"]->setChecked(wrap);
}

void MainWindow::Print(bool preview) {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  // 720 twips on every side.
  printer_->setPageMargins(QMarginsF(12.7, 12.7, 12.7, 12.7), QPageLayout::Millimeter);
  if (preview) {
    QPrintPreviewDialog dialog(printer_.get(), this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, editor_,
            [this](QPrinter* printer) { editor_->print(printer); });
    dialog.exec();
    return;
  }
  QPrintDialog dialog(printer_.get(), this);
  if (dialog.exec() == QDialog::Accepted) editor_->print(printer_.get());
}

bool MainWindow::OpenWithDialog() {
  if (!MaybeSave()) return false;
  const QString path = chooseFileToOpen();
  return !path.isEmpty() && OpenFile(path);
}

void MainWindow::ShowAbout() {
  QMessageBox::about(
      this, Plain(text::kAbout),
      T(text::kAboutText).arg(T(text::kAppName), QStringLiteral(TRIMVALE_VERSION), QStringLiteral(TRIMVALE_HOMEPAGE)));
}

void MainWindow::ShowStartupDialogs() {
  {
    // Made even when not shown: it moves on to the next tip for the next start.
    TipsDialog tips(env_.Store(), QString::fromStdString(env_.ShippedFilePath("tips.txt")), showNote, this);
    if (tips.ShowAtStartUp()) runDialog(tips);
  }
  if (ReadSetting(env_.Store(), setting::kWizardAtStart) != 0) ShowWizard();
}

void MainWindow::ShowTips() {
  TipsDialog tips(env_.Store(), QString::fromStdString(env_.ShippedFilePath("tips.txt")), showNote, this);
  runDialog(tips);
}

void MainWindow::ShowWizard() {
  if (busy_ || !sourceActive_) return;
  ISettingsStore& store = env_.Store();
  if (ReadSetting(store, setting::kFirstStart) != 0) showBatchSettings();
  StartWizard wizard(this);
  wizard.Preset(ReadSetting(store, setting::kWizardChoice), ReadSetting(store, setting::kWizardAtStart) != 0);
  if (runDialog(wizard) != QDialog::Accepted) return;
  const int choice = wizard.SelectedChoice();
  store.WriteInt(setting::kWizardAtStart.section, setting::kWizardAtStart.name, wizard.ShowAtStart() ? 1 : 0);
  store.WriteInt(setting::kWizardChoice.section, setting::kWizardChoice.name, choice);
  runWizardChoice(choice);
}

void MainWindow::OpenAndOptimize() {
  if (busy_ || !sourceActive_) return;
  // The optimization follows whether or not a page was opened: a cancelled file dialog still
  // offers the page in the editor.
  OpenWithDialog();
  Optimize();
}

void MainWindow::PasteAndOptimize() {
  if (busy_ || !sourceActive_) return;
  editor_->insertPlainText(QGuiApplication::clipboard()->text());
  Optimize();
}

void MainWindow::NotAvailable() { showNote(T(text::kNotAvailable)); }

void MainWindow::ShowSettings(int page) {
  SettingsSheet sheet(env_, *output_, page, this);
  sheet.services.showNote = [this](const QString& note) { showNote(note); };
  sheet.services.editLayout = [this](int profileIndex) { return RunTagLayoutEditor(profileIndex); };
  connect(&sheet, &SettingsSheet::helpRequested, this, [this](const QString& topic) { showHelp(topic); });
  runDialog(sheet);
  output_->Flush();
}

void MainWindow::OptimizeFiles() {
  if (busy_ || !sourceActive_) return;
  // The run's messages fill the pane; the editor starts over with an empty page.
  NewDocument();
  if (editor_->document()->isModified()) return;  // the user kept the page
  fileList_->Reset();
  if (runDialog(*fileList_) != QDialog::Accepted || !AskBatchOptions()) return;
  StartFileListRun(fileList_->Files());
}

void MainWindow::OptimizeDirectory() {
  if (busy_ || !sourceActive_) return;
  ISettingsStore& store = env_.Store();
  CDirectoryChoice choice = ReadDirectoryChoice(store);
  DirectoryChooser chooser(true, this);
  chooser.showNote = [this](const QString& note) { showNote(note); };
  chooser.SetDirectory(QFile::decodeName(QByteArray::fromStdString(choice.directory)));
  chooser.SetSubfolders(choice.includeSubfolders);
  chooser.SetExtensions(QString::fromStdString(choice.extensions));
  if (runDialog(chooser) != QDialog::Accepted) return;
  choice.directory = QFile::encodeName(chooser.Directory()).toStdString();
  choice.includeSubfolders = chooser.Subfolders();
  choice.extensions = NormalizeExtensions(chooser.Extensions().toStdString());
  // Kept at once, as the command line does: the next run starts from this choice.
  WriteDirectoryChoice(store, choice);
  if (!AskBatchOptions()) return;
  StartDirectoryRun(choice);
}

bool MainWindow::AskBatchOptions() {
  optimizeDialog_->Prepare(std::nullopt, env_.options);
  if (runDialog(*optimizeDialog_) != QDialog::Accepted) return false;
  env_.options = optimizeDialog_->Options();
  optimizeDialog_->TakeRules(env_.rules);
  return true;
}

void MainWindow::PrepareBatchRun() {
  batch_->SetRunConfig(env_.MakeRunConfig());
  IParseObserver* tree = nullptr;
  if (env_.showParseTree) {
    if (!treeWindow_) {
      treeWindow_ = new ParseTreeWindow(this);
      treeFeed_->SetWindow(treeWindow_);
    }
    treeWindow_->show();
    treeWindow_->raise();
    // Pages of a run come in many encodings; the labels show their bytes as Latin-1 unless
    // they are valid UTF-8.
    treeFeed_->SetDecoder([](std::string_view bytes) {
      QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
      QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
      if (!utf8.hasError()) return text;
      return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    });
    tree = treeFeed_.get();
  }
  batch_->SetTreeTarget(tree);
  if (ReadSetting(env_.Store(), setting::kClearOutput) != 0) output_->Clear();
}

bool MainWindow::StartFileListRun(const QStringList& files) {
  if (busy_) return false;
  PrepareBatchRun();
  std::vector<std::string> paths;
  for (const QString& file : files)
    paths.push_back(QFile::encodeName(QFileInfo(file).absoluteFilePath()).toStdString());
  return BatchStarted(batch_->RunFileList(UniqueFilePaths(paths)));
}

bool MainWindow::StartDirectoryRun(const CDirectoryChoice& choice) {
  if (busy_) return false;
  PrepareBatchRun();
  CDirectoryRun run;
  run.directory = choice.directory;
  run.includeSubfolders = choice.includeSubfolders;
  run.extensions = choice.extensions;
  return BatchStarted(batch_->RunDirectory(std::move(run)));
}

bool MainWindow::BatchStarted(RunStart start) {
  if (start != RunStart::Started) {
    if (start == RunStart::NoWorker || start == RunStart::Busy) showNote(T(text::kRunNotStarted));
    output_->Flush();
    return false;
  }
  busy_ = true;
  {
    std::lock_guard lock(progressMutex_);
    latestProgress_ = CBatchProgress{};
  }
  progress_->setRange(0, 1);
  progress_->setValue(0);
  progress_->show();
  UpdateCommands();
  return true;
}

void MainWindow::ShowProgress() {
  CBatchProgress progress;
  {
    std::lock_guard lock(progressMutex_);
    progress = latestProgress_;
    progressQueued_ = false;
  }
  if (!busy_ || run_) return;  // the editor's own runs show no bar
  progress_->setMaximum(std::max(progress.filesFound, 1));
  progress_->setValue(std::min(progress.filesDone, progress_->maximum()));
  statusBar()->showMessage(QFile::decodeName(QByteArray::fromStdString(progress.currentFile)));
}

void MainWindow::ShowBatchBox(const QString& message) {
  if (!pendingBoxes_.contains(message)) pendingBoxes_ << message;
  if (boxOpen_) return;  // the box shown now takes the next one when it closes
  boxOpen_ = true;
  while (!pendingBoxes_.isEmpty()) showNote(pendingBoxes_.takeFirst());
  boxOpen_ = false;
}

CEditorPrompts MainWindow::EditorPrompts() {
  CEditorPrompts prompts;
  prompts.showNote = [this](const QString& note) { showNote(note); };
  prompts.askYesNo = [this](const QString& question) { return askYesNo(question); };
  prompts.runDialog = [this](QDialog& dialog) { return runDialog(dialog); };
  return prompts;
}

std::optional<int> MainWindow::RunTagLayoutEditor(int profileIndex) {
  TagLayoutEditor editor(env_.RuleFilePath("tageinst.txt"), profileIndex, EditorPrompts(), this);
  connect(&editor, &TagLayoutEditor::helpRequested, this, [this](const QString& topic) { showHelp(topic); });
  if (runDialog(editor) != QDialog::Accepted) return std::nullopt;
  for (const std::string& warning : env_.ReloadLayoutTable()) output_->AppendText(warning);
  return editor.SelectedIndex();
}

void MainWindow::EditOptimizationProfiles(const QString&) {
  OptimizeDialog* parent = optimizeDialog_;
  TagOptimizationEditor editor(env_.RuleFilePath("profile.txt"), parent->ProfileIndex(), EditorPrompts(), parent);
  connect(&editor, &TagOptimizationEditor::profileAdded, parent, &OptimizeDialog::AddProfile);
  connect(&editor, &TagOptimizationEditor::profileRemoved, parent, &OptimizeDialog::RemoveProfile);
  connect(&editor, &TagOptimizationEditor::helpRequested, this, [this](const QString& topic) { showHelp(topic); });
  if (runDialog(editor) == QDialog::Accepted) {
    parent->SelectProfile(editor.ShownIndex());
  } else if (parent->ProfileIndex() < 0) {
    parent->SelectProfile(0);
  }
}

void MainWindow::FocusNextPane(bool forward) {
  static_cast<void>(forward);  // two panes: either direction leads to the other one
  if (editor_->hasFocus() && output_->isVisible()) {
    output_->Log()->setFocus();
  } else {
    editor_->setFocus();
  }
}

void MainWindow::ShowWithSavedPlacement() {
  const auto placement = ParsePlacement(ReadStringSetting(env_.Store(), setting::kWindowPlacement));
  if (!placement) {
    resize(900, 650);
    show();
    return;
  }
  QRect rect = placement->normal;
  if (!QGuiApplication::screenAt(rect.center())) {
    // The screen that held the window is gone: centre it on the primary one, no larger than it.
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    rect.setSize(rect.size().boundedTo(available.size()));
    rect.moveCenter(available.center());
  }
  setGeometry(rect);
  if (placement->showState == 3) {
    showMaximized();
  } else if (placement->showState == 2) {
    showMinimized();
  } else {
    show();
  }
}

void MainWindow::WriteSettingsAtClose() {
  ISettingsStore& store = env_.Store();
  store.WriteString(kBarSection, kBarStateName, saveState().toBase64().toStdString());
  CWindowPlacement placement;
  placement.flags = isMaximized() ? 2 : 0;
  placement.showState = isMinimized() ? 2 : isMaximized() ? 3 : 1;
  placement.normal = normalGeometry();
  store.WriteString(setting::kWindowPlacement.section, setting::kWindowPlacement.name, FormatPlacement(placement));
  const bool wrap = editor_->WrapsLines();
  if (wrap != wrapAtStart_)
    store.WriteInt(setting::kEditorWordWrap.section, setting::kEditorWordWrap.name, wrap ? 1 : 0);
  wrapAtStart_ = wrap;
  WriteChangedFontValues(store, fontAtStart_, font_);
  fontAtStart_ = font_;
  env_.WriteAtClose();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!sourceActive_) tabs_->setCurrentIndex(0);
  if (!MaybeSave()) {
    event->ignore();
    return;
  }
  // A run still under way is cancelled; the page in the editor stays as it is.
  if (busy_) {
    batch_->Quit();
    busy_ = false;
  }
  if (!closing_) WriteSettingsAtClose();
  closing_ = true;
  event->accept();
}

}  // namespace trimvale::shell
