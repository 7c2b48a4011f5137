#include "shell/settings_sheet.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "rules/section_file.h"
#include "rules/settings_table.h"
#include "shell/batch_pages.h"
#include "shell/directory_chooser.h"
#include "shell/texts.h"

namespace trimvale::shell {

namespace {
QString T(const char* text) { return QString::fromUtf8(text); }

template <typename W>
W* Named(W* widget, const char* objectName, const QString& accessible) {
  widget->setObjectName(QString::fromLatin1(objectName));
  widget->setAccessibleName(QString(accessible).remove(u'&'));
  return widget;
}

QRadioButton* Radio(QButtonGroup* group, int id, const char* label, const char* name, QWidget* parent) {
  auto* button = Named(new QRadioButton(T(label), parent), name, T(label));
  group->addButton(button, id);
  return button;
}

constexpr const char* kLayoutTemplates = "vorlagen";
constexpr int kStandardProfiles = 3;  // the first entries of the template list are the three fixed modes
}  // namespace

const char* SettingsPage::HelpTopic() const { return text::kHelpSettings; }

void SettingsPage::Put(ISettingsStore& store, const CSettingDef& def, int value) {
  if (!store.WriteInt(def.section, def.name, value)) writeFailed_ = true;
}

void SettingsPage::Put(ISettingsStore& store, const CSettingDef& def, const QString& value) {
  if (!store.WriteString(def.section, def.name, value.toStdString())) writeFailed_ = true;
}

std::optional<int> ReadIntField(QLineEdit* edit, int low, int high, const CSheetServices& services) {
  bool ok = false;
  const int value = edit->text().trimmed().toInt(&ok);
  if (ok && value >= low && value <= high) return value;
  services.showNote(T(text::kRangeMessage).arg(low).arg(high));
  edit->setFocus();
  edit->selectAll();
  return std::nullopt;
}

// --- the sheet ---------------------------------------------------------------------------------

SettingsSheet::SettingsSheet(CShellEnvironment& environment, IOutputSink& output, int startPage, QWidget* parent)
    : QDialog(parent), env_(environment) {
  setObjectName(QStringLiteral("settingsSheet"));
  setWindowTitle(T(text::kSheetTitle));
  setAccessibleName(T(text::kSheetTitle));
  services.showNote = [this](const QString& message) { QMessageBox::warning(this, T(text::kAppName), message); };
  services.chooseFolder = [this](const QString& preset) -> std::optional<QString> {
    DirectoryChooser chooser(false, this);
    chooser.showNote = services.showNote;
    chooser.SetDirectory(preset);
    if (chooser.exec() != QDialog::Accepted) return std::nullopt;
    return chooser.Directory();
  };

  titles_ = Named(new QListWidget(this), "pages", T(text::kPagesName));
  stack_ = new QStackedWidget(this);
  auto* codeLayout = new CodeLayoutPage(env_, services, output, this);
  pages_[kCodeLayout] = codeLayout;
  pages_[kBatch] = new BatchPage(env_.Store(), services, this);
  pages_[kErrors] = new ErrorHandlingPage(env_.Store(), this);
  pages_[kDirectory] = new DirectoryPage(env_.Store(), env_.ProgramFolder(), services, output, this);
  pages_[kProgram] = new ProgramOptionsPage(env_, this);
  const char* titles[] = {text::kPageCodeLayout, text::kPageBatch, text::kPageErrors, text::kPageDirectory,
                          text::kPageProgram};
  for (int i = 0; i < kPageCount; ++i) {
    titles_->addItem(T(titles[i]));
    stack_->addWidget(pages_[i]);
    pages_[i]->setAccessibleName(T(titles[i]));
    connect(pages_[i], &SettingsPage::changed, this, &SettingsSheet::MarkModified);
  }
  titles_->setFixedWidth(titles_->sizeHintForColumn(0) + 24);

  auto* buttons = new QDialogButtonBox(this);
  auto* ok = Named(buttons->addButton(T(text::kOk), QDialogButtonBox::AcceptRole), "ok", T(text::kOk));
  ok->setDefault(true);
  Named(buttons->addButton(T(text::kCancelButton), QDialogButtonBox::RejectRole), "cancel", T(text::kCancelButton));
  applyButton_ = Named(buttons->addButton(T(text::kApply), QDialogButtonBox::ApplyRole), "apply", T(text::kApply));
  applyButton_->setEnabled(false);
  auto* help =
      Named(buttons->addButton(T(text::kHelpButton), QDialogButtonBox::HelpRole), "help", T(text::kHelpButton));
  connect(buttons, &QDialogButtonBox::accepted, this, &SettingsSheet::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &SettingsSheet::reject);
  connect(applyButton_, &QPushButton::clicked, this, &SettingsSheet::Apply);
  connect(help, &QPushButton::clicked, this, [this] { Q_EMIT helpRequested(T(pages_[CurrentPage()]->HelpTopic())); });

  auto* top = new QHBoxLayout;
  top->addWidget(titles_);
  top->addWidget(stack_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons);

  ShowPage(startPage >= 0 && startPage < kPageCount ? startPage : kCodeLayout);
  // A click on another title leaves the page shown first; a page that refuses keeps its title.
  connect(titles_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row < 0 || row == shown_) return;
    if (!ShowPage(row)) {
      const QSignalBlocker block(titles_);
      titles_->setCurrentRow(shown_);
    }
  });
}

bool SettingsSheet::ShowPage(int index) {
  if (index < 0 || index >= kPageCount) return false;
  if (shown_ >= 0 && index != shown_ && !pages_[shown_]->Leave()) return false;
  if (!loaded_[index]) {
    loaded_[index] = true;
    pages_[index]->Load();
  }
  shown_ = index;
  stack_->setCurrentIndex(index);
  const QSignalBlocker block(titles_);
  titles_->setCurrentRow(index);
  return true;
}

int SettingsSheet::CurrentPage() const { return shown_; }

bool SettingsSheet::Apply() {
  if (!pages_[shown_]->Leave()) return false;
  bool written = true;
  bool storeFailed = false;
  for (int i = 0; i < kPageCount; ++i) {
    if (!loaded_[i]) continue;
    written = pages_[i]->Apply() && written;
    storeFailed = pages_[i]->TakeWriteFailure() || storeFailed;
  }
  if (storeFailed) {
    services.showNote(T(text::kSettingsNotWritten));
    return false;
  }
  applyButton_->setEnabled(false);
  return written;
}

void SettingsSheet::accept() {
  if (Apply()) QDialog::accept();
}

void SettingsSheet::MarkModified() { applyButton_->setEnabled(true); }

QString SettingsSheet::SelectedLayoutProfile() const {
  return static_cast<CodeLayoutPage*>(pages_[kCodeLayout])->Profiles()->currentText();
}

void SettingsSheet::SelectLayoutProfile(const QString& name) {
  QComboBox* profiles = static_cast<CodeLayoutPage*>(pages_[kCodeLayout])->Profiles();
  const int index = profiles->findText(name);
  if (index >= 0) profiles->setCurrentIndex(index);
}

// --- "Code Layout" -----------------------------------------------------------------------------

CodeLayoutPage::CodeLayoutPage(CShellEnvironment& environment, CSheetServices& services, IOutputSink& output,
                               QWidget* parent)
    : SettingsPage(parent), env_(environment), services_(services), output_(output) {
  setObjectName(QStringLiteral("codeLayoutPage"));
  auto* modeBox = new QGroupBox(T(text::kGroupLayoutMode), this);
  auto* modeLayout = new QGridLayout(modeBox);
  modes_ = new QButtonGroup(this);
  modeLayout->addWidget(Radio(modes_, 0, text::kModeStandard, "modeStandard", modeBox), 0, 0, 1, 3);
  modeLayout->addWidget(Radio(modes_, 1, text::kModeOneLine, "modeOneLine", modeBox), 1, 0, 1, 3);
  modeLayout->addWidget(Radio(modes_, 2, text::kModeTree, "modeTree", modeBox), 2, 0, 1, 3);
  modeLayout->addWidget(Radio(modes_, 3, text::kModeCustom, "modeCustom", modeBox), 3, 0, 1, 3);
  profiles_ = Named(new QComboBox(modeBox), "layoutProfile", T(text::kLayoutProfile));
  auto* profileLabel = new QLabel(T(text::kLayoutProfile), modeBox);
  profileLabel->setBuddy(profiles_);
  editButton_ = Named(new QPushButton(T(text::kEditLayout), modeBox), "editLayout", T(text::kEditLayout));
  modeLayout->addWidget(profileLabel, 4, 0);
  modeLayout->addWidget(profiles_, 4, 1);
  modeLayout->addWidget(editButton_, 4, 2);

  auto* wrapBox = new QGroupBox(T(text::kGroupWrap), this);
  auto* wrapLayout = new QHBoxLayout(wrapBox);
  wrap_ = Named(new QCheckBox(T(text::kUseWrap), wrapBox), "wrapLines", T(text::kUseWrap));
  width_ = Named(new QLineEdit(wrapBox), "lineWidth", T(text::kWrapAfter));
  width_->setValidator(new QIntValidator(0, 99999, width_));
  auto* widthLabel = new QLabel(T(text::kWrapAfter), wrapBox);
  widthLabel->setBuddy(width_);
  wrapLayout->addWidget(wrap_);
  wrapLayout->addWidget(widthLabel);
  wrapLayout->addWidget(width_);
  wrapLayout->addWidget(new QLabel(T(text::kCharacters), wrapBox));

  auto* indentBox = new QGroupBox(T(text::kGroupIndent), this);
  auto* indentLayout = new QHBoxLayout(indentBox);
  indentKinds_ = new QButtonGroup(this);
  indentLayout->addWidget(Radio(indentKinds_, 0, text::kIndentTabs, "indentTabs", indentBox));
  indentLayout->addWidget(Radio(indentKinds_, 1, text::kIndentSpaces, "indentSpaces", indentBox));
  spaces_ = Named(new QLineEdit(indentBox), "spaceCount", T(text::kIndentSpaces).simplified());
  spaces_->setValidator(new QIntValidator(0, 999, spaces_));
  indentLayout->addWidget(spaces_);
  indentLayout->addWidget(Radio(indentKinds_, 2, text::kIndentNone, "indentNone", indentBox));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(modeBox);
  layout->addWidget(wrapBox);
  layout->addWidget(indentBox);
  layout->addStretch();

  connect(modes_, &QButtonGroup::idClicked, this, [this] {
    UpdateEnabling();
    Q_EMIT changed();
  });
  connect(indentKinds_, &QButtonGroup::idClicked, this, [this] {
    UpdateEnabling();
    Q_EMIT changed();
  });
  connect(wrap_, &QCheckBox::clicked, this, [this] {
    UpdateEnabling();
    Q_EMIT changed();
  });
  connect(width_, &QLineEdit::textEdited, this, &SettingsPage::changed);
  connect(spaces_, &QLineEdit::textEdited, this, &SettingsPage::changed);
  connect(profiles_, &QComboBox::activated, this, &SettingsPage::changed);
  // Queued: the button returns before the editor starts its own event loop.
  connect(editButton_, &QPushButton::clicked, this, &CodeLayoutPage::EditLayout, Qt::QueuedConnection);
}

void CodeLayoutPage::Load() {
  ISettingsStore& store = env_.Store();
  const CLayoutSettings& layout = env_.layout;
  if (QAbstractButton* mode = modes_->button(layout.mode)) mode->setChecked(true);
  wrap_->setChecked(layout.wrap);
  width_->setText(QString::number(layout.width));
  const int kind = ReadSetting(store, setting::kIndentKind);
  if (QAbstractButton* button = indentKinds_->button(kind)) button->setChecked(true);
  spaces_->setText(QString::number(ReadSetting(store, setting::kIndentSpaces)));

  FillProfiles();
  initialProfile_ = ReadSetting(store, setting::kLastLayoutProfile);
  profiles_->setCurrentIndex(initialProfile_ >= 0 && initialProfile_ < profiles_->count() ? initialProfile_ : -1);
  UpdateEnabling();
}

void CodeLayoutPage::FillProfiles() {
  profiles_->clear();
  CSectionFile file(env_.RuleFilePath("tageinst.txt"));
  file.ReadSection(kLayoutTemplates, [this](std::int32_t, const std::string& name, const std::string&,
                                            const std::string&) { profiles_->addItem(QString::fromStdString(name)); });
}

void CodeLayoutPage::EditLayout() {
  if (!services_.editLayout) return;
  const QString shown = profiles_->currentText();
  const std::optional<int> chosen = services_.editLayout(profiles_->currentIndex());
  // Profiles made or deleted in the editor are in the file at once, even when it was cancelled:
  // the list follows the file.
  FillProfiles();
  if (!chosen) {
    profiles_->setCurrentIndex(profiles_->findText(shown));
    return;
  }
  profiles_->setCurrentIndex(*chosen >= 0 && *chosen < profiles_->count() ? *chosen : -1);
  // Taken as a new choice on OK or "Übernehmen", even where the index stayed the same: the
  // profile behind it may have been rewritten.
  initialProfile_ = -1;
  Q_EMIT changed();
}

void CodeLayoutPage::UpdateEnabling() {
  const bool custom = modes_->checkedId() == 3;
  profiles_->setEnabled(custom);
  editButton_->setEnabled(custom);
  width_->setEnabled(wrap_->isChecked());
  spaces_->setEnabled(indentKinds_->checkedId() == 1);
}

bool CodeLayoutPage::Leave() {
  return ReadIntField(width_, 20, 2048, services_) && ReadIntField(spaces_, 0, 15, services_);
}

bool CodeLayoutPage::Apply() {
  CLayoutSettings& layout = env_.layout;
  const int width = width_->text().toInt();
  const int spaces = spaces_->text().toInt();
  const int kind = std::max(indentKinds_->checkedId(), 0);
  layout.wrap = wrap_->isChecked();
  layout.width = width;
  layout.indentUnit = MakeIndentUnit(kind, spaces);
  int mode = std::max(modes_->checkedId(), 0);
  const int selected = profiles_->currentIndex();
  if (mode == 3 && selected >= 0) {
    if (selected != initialProfile_) {
      if (auto warning = env_.LoadLayoutTable(profiles_->currentText().toStdString())) output_.AppendText(*warning);
      initialProfile_ = selected;
    }
    if (selected < kStandardProfiles) mode = selected;
  }
  layout.mode = mode;
  if (QAbstractButton* button = modes_->button(mode)) button->setChecked(true);
  UpdateEnabling();
  ISettingsStore& store = env_.Store();
  Put(store, setting::kIndentKind, kind);
  Put(store, setting::kIndentSpaces, spaces);
  Put(store, setting::kLastLayoutProfile, std::max(selected, 0));
  return true;
}

// --- "Fehlerbehandlung" ------------------------------------------------------------------------

ErrorHandlingPage::ErrorHandlingPage(ISettingsStore& store, QWidget* parent) : SettingsPage(parent), store_(store) {
  setObjectName(QStringLiteral("errorsPage"));
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(T(text::kErrorsIntro), this);
  intro->setWordWrap(true);
  layout->addWidget(intro);
  levels_ = new QButtonGroup(this);
  layout->addWidget(Radio(levels_, 0, text::kErrorsLevel0, "level0", this));
  layout->addWidget(Radio(levels_, 1, text::kErrorsLevel1, "level1", this));
  layout->addWidget(Radio(levels_, 2, text::kErrorsLevel2, "level2", this));
  layout->addStretch();
  connect(levels_, &QButtonGroup::idClicked, this, &SettingsPage::changed);
}

void ErrorHandlingPage::Load() {
  // The page's own default (0), not the one batch runs read (1).
  if (QAbstractButton* button = levels_->button(ReadSetting(store_, setting::kAllowedLevel, SettingReader::Page)))
    button->setChecked(true);
}

bool ErrorHandlingPage::Apply() {
  if (levels_->checkedId() >= 0) Put(store_, setting::kAllowedLevel, levels_->checkedId());
  return true;
}

// --- "Programmoptionen" ------------------------------------------------------------------------

ProgramOptionsPage::ProgramOptionsPage(CShellEnvironment& environment, QWidget* parent)
    : SettingsPage(parent), env_(environment) {
  setObjectName(QStringLiteral("programPage"));
  auto* outputBox = new QGroupBox(T(text::kGroupOutput), this);
  clearOutput_ = Named(new QCheckBox(T(text::kClearOutput), outputBox), "clearOutput", T(text::kClearOutput));
  (new QVBoxLayout(outputBox))->addWidget(clearOutput_);
  auto* debugBox = new QGroupBox(T(text::kGroupDebug), this);
  showTree_ = Named(new QCheckBox(T(text::kShowTree), debugBox), "showTree", T(text::kShowTree));
  auto* note = new QLabel(T(text::kShowTreeNote), debugBox);
  note->setWordWrap(true);
  auto* debugLayout = new QVBoxLayout(debugBox);
  debugLayout->addWidget(showTree_);
  debugLayout->addWidget(note);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(outputBox);
  layout->addWidget(debugBox);
  layout->addStretch();
  connect(clearOutput_, &QCheckBox::clicked, this, &SettingsPage::changed);
  connect(showTree_, &QCheckBox::clicked, this, &SettingsPage::changed);
}

void ProgramOptionsPage::Load() {
  clearOutput_->setChecked(ReadSetting(env_.Store(), setting::kClearOutput) != 0);
  showTree_->setChecked(ReadSetting(env_.Store(), setting::kShowParseTree) != 0);
}

bool ProgramOptionsPage::Apply() {
  Put(env_.Store(), setting::kClearOutput, clearOutput_->isChecked() ? 1 : 0);
  Put(env_.Store(), setting::kShowParseTree, showTree_->isChecked() ? 1 : 0);
  env_.showParseTree = showTree_->isChecked();
  return true;
}

}  // namespace trimvale::shell
