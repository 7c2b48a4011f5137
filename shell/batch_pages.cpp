#include "shell/batch_pages.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "batch/exclusion_list.h"
#include "rules/settings_table.h"
#include "shell/texts.h"

namespace trimvale::shell {

namespace {
QString T(const char* text) { return QString::fromUtf8(text); }
QString Q(const std::string& text) { return QString::fromStdString(text); }

template <typename W>
W* Named(W* widget, const char* objectName, const char* accessible) {
  widget->setObjectName(QString::fromLatin1(objectName));
  widget->setAccessibleName(T(accessible).simplified());
  return widget;
}

QRadioButton* Radio(QButtonGroup* group, int id, const char* label, const char* name, QWidget* parent) {
  auto* button = Named(new QRadioButton(T(label), parent), name, label);
  group->addButton(button, id);
  return button;
}

// A folder as the pages keep it: absolute, "." and ".." resolved, no trailing separator.
QString CleanFolder(const QString& folder) {
  if (folder.trimmed().isEmpty()) return QString();
  return QDir::cleanPath(QDir(folder).absolutePath());
}

// Whether two folder names name one folder: the same after resolving "." and ".." and a trailing
// separator, ignoring letter case, or the same folder on disk (through links).
bool SameFolder(const QString& a, const QString& b) {
  const QString ca = CleanFolder(a), cb = CleanFolder(b);
  if (ca.isEmpty() || cb.isEmpty()) return false;
  if (ca.compare(cb, Qt::CaseInsensitive) == 0) return true;
  const QString ra = QFileInfo(ca).canonicalFilePath(), rb = QFileInfo(cb).canonicalFilePath();
  return !ra.isEmpty() && ra == rb;
}

bool IsFolder(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

// Inserts `text` at its sorted place (ignoring case), as a sorted combo box does.
void InsertSorted(QComboBox* combo, const QString& text) {
  int i = 0;
  while (i < combo->count() && combo->itemText(i).compare(text, Qt::CaseInsensitive) <= 0) ++i;
  combo->insertItem(i, text);
}

// The entries of a history value ("%a;%b;c;" gives "a;" and "b;c;"), in stored order.
QStringList HistoryEntries(const QString& history) {
  QStringList entries = history.split(u'%', Qt::SkipEmptyParts);
  return entries;
}

void FillHistory(QComboBox* combo, const QString& history) {
  const QStringList entries = HistoryEntries(history);
  for (const QString& entry : entries) InsertSorted(combo, entry);
  if (entries.isEmpty()) return;
  combo->setCurrentIndex(combo->findText(entries.front()));
  combo->setEditText(entries.front());
}

// The current text first, then the first ten entries of the list that differ from it.
QString HistoryValue(const QComboBox* combo) {
  const QString current = combo->currentText();
  QString value = u'%' + current;
  for (int i = 0; i < std::min(combo->count(), 10); ++i) {
    if (combo->itemText(i) != current) value += u'%' + combo->itemText(i);
  }
  return value;
}
}  // namespace

// --- "Mehrfachoptimierung" ---------------------------------------------------------------------

BatchPage::BatchPage(ISettingsStore& store, CSheetServices& services, QWidget* parent)
    : SettingsPage(parent), store_(store), services_(services) {
  setObjectName(QStringLiteral("batchPage"));
  createBackup_ = Named(new QCheckBox(T(text::kCreateBackup), this), "createBackup", text::kCreateBackup);
  modes_ = new QButtonGroup(this);
  auto* same = Radio(modes_, 0, text::kBackupSameFolder, "backupSameFolder", this);
  auto* move = Radio(modes_, 1, text::kBackupMoveOriginal, "backupMoveOriginal", this);
  auto* output = Radio(modes_, 2, text::kBackupOutputFolder, "backupOutputFolder", this);
  ending_ = Named(new QLineEdit(this), "backupEnding", text::kBackupEnding);
  folder_ = Named(new QLineEdit(this), "folder", text::kFolder);
  browseFolder_ = Named(new QPushButton(T(text::kBrowse), this), "browseFolder", text::kBrowse);
  browseFolder_->setAccessibleName(T(text::kFolder) + u' ' + T(text::kBrowse));
  keepFolders_ = Named(new QCheckBox(T(text::kKeepFolders), this), "keepFolders", text::kKeepFolders);
  keepWeb_ = Named(new QCheckBox(T(text::kKeepWeb), this), "keepWeb", text::kKeepWeb);
  webRoot_ = Named(new QLineEdit(this), "webRoot", text::kWebRoot);
  browseWebRoot_ = Named(new QPushButton(T(text::kBrowse), this), "browseWebRoot", text::kBrowse);
  browseWebRoot_->setAccessibleName(T(text::kWebRoot) + u' ' + T(text::kBrowse));
  auto* existingBox = new QGroupBox(T(text::kGroupExisting), this);
  existing_ = Named(new QComboBox(existingBox), "existingBackup", text::kGroupExisting);
  for (const char* label : {text::kExisting0, text::kExisting1, text::kExisting2, text::kExisting3})
    existing_->addItem(T(label));
  (new QVBoxLayout(existingBox))->addWidget(existing_);

  auto* grid = new QGridLayout(this);
  int row = 0;
  auto labelled = [&](const char* label, QLineEdit* edit, QPushButton* button) {
    auto* l = new QLabel(T(label), this);
    l->setBuddy(edit);
    grid->addWidget(l, row, 0);
    grid->addWidget(edit, row, 1);
    if (button) grid->addWidget(button, row, 2);
    ++row;
  };
  grid->addWidget(createBackup_, row++, 0, 1, 3);
  grid->addWidget(same, row++, 0, 1, 3);
  labelled(text::kBackupEnding, ending_, nullptr);
  grid->addWidget(move, row++, 0, 1, 3);
  grid->addWidget(output, row++, 0, 1, 3);
  labelled(text::kFolder, folder_, browseFolder_);
  grid->addWidget(keepFolders_, row++, 0, 1, 3);
  grid->addWidget(keepWeb_, row++, 0, 1, 3);
  labelled(text::kWebRoot, webRoot_, browseWebRoot_);
  grid->addWidget(existingBox, row++, 0, 1, 3);
  grid->setRowStretch(row, 1);

  connect(createBackup_, &QCheckBox::clicked, this, [this] {
    UpdateEnabling(Cause::BackupBox);
    Q_EMIT changed();
  });
  connect(modes_, &QButtonGroup::idClicked, this, [this] {
    UpdateEnabling(Cause::Mode);
    Q_EMIT changed();
  });
  connect(keepWeb_, &QCheckBox::clicked, this, [this] {
    UpdateEnabling(Cause::WebBox);
    Q_EMIT changed();
  });
  connect(keepFolders_, &QCheckBox::clicked, this, &SettingsPage::changed);
  connect(existing_, &QComboBox::activated, this, &SettingsPage::changed);
  for (QLineEdit* edit : {ending_, folder_, webRoot_})
    connect(edit, &QLineEdit::textEdited, this, &SettingsPage::changed);
  connect(browseFolder_, &QPushButton::clicked, this, [this] { Browse(folder_); });
  connect(browseWebRoot_, &QPushButton::clicked, this, [this] { Browse(webRoot_); });
}

const char* BatchPage::HelpTopic() const { return text::kHelpBatch; }

void BatchPage::Load() {
  using namespace setting;
  createBackup_->setChecked(ReadSetting(store_, kCreateBackup) != 0);
  // The page shows mode 2 for a store that never held one, while a run reads 0 then.
  storedMode_ = ReadSetting(store_, kBackupMode, SettingReader::Page);
  if (QAbstractButton* button = modes_->button(storedMode_)) button->setChecked(true);
  ending_->setText(Q(ReadStringSetting(store_, kBackupEnding)));
  folder_->setText(Q(ReadStringSetting(store_, kBackupFolder)));
  keepFolders_->setChecked(ReadSetting(store_, kKeepFolderStructure) != 0);
  keepWeb_->setChecked(ReadSetting(store_, kKeepWebStructure) != 0);
  webRoot_->setText(Q(ReadStringSetting(store_, kWebRoot)));
  const int policy = ReadSetting(store_, kExistingBackup);
  existing_->setCurrentIndex(policy >= 0 && policy < existing_->count() ? policy : -1);
  UpdateEnabling(Cause::Opening);
}

void BatchPage::UpdateEnabling(Cause cause) {
  const bool backup = createBackup_->isChecked();
  const int mode = modes_->checkedId();
  const bool inFolder = backup && (mode == 1 || mode == 2);
  const bool web = keepWeb_->isChecked();
  if (cause != Cause::WebBox) {
    if (cause != Cause::Mode) {
      for (QAbstractButton* button : modes_->buttons()) button->setEnabled(backup);
    }
    ending_->setEnabled(backup && mode == 0);
    folder_->setEnabled(inFolder);
    browseFolder_->setEnabled(inFolder);
    keepWeb_->setEnabled(inFolder);
  }
  keepFolders_->setEnabled(inFolder && !web);
  webRoot_->setEnabled(inFolder && web);
  browseWebRoot_->setEnabled(inFolder && web);
  if (cause == Cause::Opening) existing_->setEnabled(true);
  if (cause == Cause::BackupBox) existing_->setEnabled(backup);
  if (cause == Cause::Mode) existing_->setEnabled(mode != 2);
}

void BatchPage::Browse(QLineEdit* field) {
  if (const std::optional<QString> chosen = services_.chooseFolder(field->text())) {
    field->setText(*chosen);
    Q_EMIT changed();
  }
}

bool BatchPage::Leave() {
  if (!createBackup_->isChecked()) return true;
  auto refuse = [this](const char* message, QLineEdit* field) {
    services_.showNote(T(message));
    field->setFocus();
    return false;
  };
  const int mode = modes_->checkedId();
  if (mode == 0) {
    const QString ending = ending_->text();
    if (ending.isEmpty()) return refuse(text::kNeedEnding, ending_);
    for (const char* page : {"htm", "html", ".htm", ".html"}) {
      if (ending.compare(QLatin1String(page), Qt::CaseInsensitive) == 0) return refuse(text::kEndingIsHtml, ending_);
    }
  } else if (mode == 1 || mode == 2) {
    const QString folder = folder_->text();
    if (folder.trimmed().isEmpty()) return refuse(text::kNeedFolder, folder_);
    if (SameFolder(folder, webRoot_->text())) return refuse(text::kFolderIsWebRoot, folder_);
    if (!IsFolder(CleanFolder(folder))) return refuse(text::kNeedFolder, folder_);
    if (keepWeb_->isChecked() && !IsFolder(CleanFolder(webRoot_->text()))) return refuse(text::kNeedWebRoot, webRoot_);
  }
  return true;
}

bool BatchPage::Apply() {
  using namespace setting;
  // Runs compare the folders with the pages' absolute paths; a relative or dotted spelling
  // would never match them.
  for (QLineEdit* field : {folder_, webRoot_}) field->setText(CleanFolder(field->text()));
  Put(store_, kBackupEnding, ending_->text());
  Put(store_, kBackupFolder, folder_->text());
  Put(store_, kKeepFolderStructure, keepFolders_->isChecked() ? 1 : 0);
  Put(store_, kCreateBackup, createBackup_->isChecked() ? 1 : 0);
  Put(store_, kBackupMode, modes_->checkedId() >= 0 ? modes_->checkedId() : storedMode_);
  Put(store_, kKeepWebStructure, keepWeb_->isChecked() ? 1 : 0);
  Put(store_, kWebRoot, webRoot_->text());
  if (existing_->currentIndex() >= 0) Put(store_, kExistingBackup, existing_->currentIndex());
  // The first start is over once the backup settings have been confirmed.
  Put(store_, kFirstStart, 0);
  return true;
}

// --- "Verzeichnis optimieren" ------------------------------------------------------------------

DirectoryPage::DirectoryPage(ISettingsStore& store, std::string programFolder, CSheetServices& services,
                             IOutputSink& output, QWidget* parent)
    : SettingsPage(parent),
      store_(store),
      programFolder_(std::move(programFolder)),
      services_(services),
      output_(output) {
  setObjectName(QStringLiteral("directoryPage"));
  skipListed_ = Named(new QCheckBox(T(text::kSkipListed), this), "skipListedDirs", text::kSkipListed);
  excluded_ = Named(new QListWidget(this), "excludedDirs", text::kSkipListed);
  excluded_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  excluded_->setFixedWidth(300);
  addDir_ = Named(new QPushButton(T(text::kAdd), this), "addDir", text::kAdd);
  deleteDir_ = Named(new QPushButton(T(text::kDelete), this), "deleteDir", text::kDelete);
  skipDirStrings_ = Named(new QCheckBox(T(text::kSkipDirStrings), this), "skipDirStrings", text::kSkipDirStrings);
  dirStrings_ = Named(new QComboBox(this), "dirStrings", text::kSkipDirStrings);
  useFileStrings_ = Named(new QCheckBox(T(text::kUseFileStrings), this), "useFileStrings", text::kUseFileStrings);
  fileStrings_ = Named(new QComboBox(this), "fileStrings", text::kUseFileStrings);
  for (QComboBox* combo : {dirStrings_, fileStrings_}) {
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    connect(combo->lineEdit(), &QLineEdit::editingFinished, this, [this, combo] { CommitHistoryText(combo); });
  }
  onlyMatching_ = new QButtonGroup(this);
  anyString_ = new QButtonGroup(this);
  byDate_ = Named(new QCheckBox(T(text::kByDate), this), "byDate", text::kByDate);
  changed_ = Named(new QCheckBox(T(text::kChanged), this), "dateChanged", text::kChanged);
  created_ = Named(new QCheckBox(T(text::kCreated), this), "dateCreated", text::kCreated);
  days_ = Named(new QLineEdit(this), "days", text::kDays);
  days_->setValidator(new QIntValidator(days_));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(skipListed_);
  auto* listRow = new QHBoxLayout;
  listRow->addWidget(excluded_);
  auto* listButtons = new QVBoxLayout;
  listButtons->addWidget(addDir_);
  listButtons->addWidget(deleteDir_);
  listButtons->addStretch();
  listRow->addLayout(listButtons);
  listRow->addStretch();
  layout->addLayout(listRow);
  auto hinted = [&](QComboBox* combo) {
    auto* row = new QHBoxLayout;
    row->addWidget(combo, 1);
    row->addWidget(new QLabel(T(text::kSeparateHint), this));
    layout->addLayout(row);
  };
  layout->addWidget(skipDirStrings_);
  hinted(dirStrings_);
  layout->addWidget(useFileStrings_);
  hinted(fileStrings_);
  auto* pairs = new QGridLayout;
  pairs->addWidget(Radio(onlyMatching_, 0, text::kSkipMatching, "skipMatching", this), 0, 0);
  pairs->addWidget(Radio(onlyMatching_, 1, text::kOnlyMatching, "onlyMatching", this), 0, 1);
  pairs->addWidget(Radio(anyString_, 0, text::kAllStrings, "allStrings", this), 1, 0);
  pairs->addWidget(Radio(anyString_, 1, text::kAnyString, "anyString", this), 1, 1);
  layout->addLayout(pairs);
  auto* dateRow = new QHBoxLayout;
  dateRow->addWidget(byDate_);
  dateRow->addWidget(changed_);
  dateRow->addWidget(created_);
  dateRow->addWidget(new QLabel(T(text::kWithinLast), this));
  dateRow->addWidget(days_);
  dateRow->addWidget(new QLabel(T(text::kDays) + u' ' + T(text::kOptimizeWord), this));
  dateRow->addStretch();
  layout->addLayout(dateRow);
  layout->addStretch();

  for (QCheckBox* box : {skipListed_, skipDirStrings_, useFileStrings_, byDate_}) {
    connect(box, &QCheckBox::clicked, this, [this] {
      UpdateEnabling();
      Q_EMIT changed();
    });
  }
  for (QCheckBox* box : {changed_, created_}) connect(box, &QCheckBox::clicked, this, &SettingsPage::changed);
  for (QButtonGroup* group : {onlyMatching_, anyString_})
    connect(group, &QButtonGroup::idClicked, this, &SettingsPage::changed);
  connect(days_, &QLineEdit::textEdited, this, &SettingsPage::changed);
  connect(addDir_, &QPushButton::clicked, this, [this] {
    const QString preset = excluded_->count() > 0 ? excluded_->item(0)->text() : QString();
    if (const std::optional<QString> chosen = services_.chooseFolder(preset)) {
      excluded_->insertItem(0, *chosen);
      listEdited_ = true;
      Q_EMIT changed();
    }
  });
  connect(deleteDir_, &QPushButton::clicked, this, [this] {
    const QList<QListWidgetItem*> selected = excluded_->selectedItems();
    if (selected.isEmpty()) {
      services_.showNote(T(text::kNothingToDelete));
      return;
    }
    qDeleteAll(selected);
    listEdited_ = true;
    Q_EMIT changed();
  });
}

const char* DirectoryPage::HelpTopic() const { return text::kHelpBatch; }

void DirectoryPage::Load() {
  using namespace setting;
  skipListed_->setChecked(ReadSetting(store_, kSkipListedDirs) != 0);
  skipDirStrings_->setChecked(ReadSetting(store_, kSkipDirStrings) != 0);
  useFileStrings_->setChecked(ReadSetting(store_, kUseFileStrings) != 0);
  if (QAbstractButton* b = onlyMatching_->button(ReadSetting(store_, kOnlyMatching))) b->setChecked(true);
  if (QAbstractButton* b = anyString_->button(ReadSetting(store_, kAnyString))) b->setChecked(true);
  byDate_->setChecked(ReadSetting(store_, kFilterByDate) != 0);
  changed_->setChecked(ReadSetting(store_, kDateChanged) != 0);
  created_->setChecked(ReadSetting(store_, kDateCreated) != 0);
  days_->setText(QString::number(ReadSetting(store_, kDays)));
  FillHistory(dirStrings_, Q(ReadStringSetting(store_, kDirStrings)));
  FillHistory(fileStrings_, Q(ReadStringSetting(store_, kFileStrings)));
  std::vector<std::string> entries;
  if (ReadExclusionList(programFolder_ + "/" + std::string(kExclusionListFileName), entries)) {
    for (const std::string& entry : entries) excluded_->addItem(Q(entry));
  } else {
    listReadFailed_ = true;
    output_.AppendText(text::kListUnreadable);
  }
  UpdateEnabling();
}

void DirectoryPage::UpdateEnabling() {
  for (QWidget* w : std::initializer_list<QWidget*>{excluded_, addDir_, deleteDir_})
    w->setEnabled(skipListed_->isChecked());
  dirStrings_->setEnabled(skipDirStrings_->isChecked());
  fileStrings_->setEnabled(useFileStrings_->isChecked());
  for (QButtonGroup* group : {onlyMatching_, anyString_}) {
    for (QAbstractButton* button : group->buttons()) button->setEnabled(useFileStrings_->isChecked());
  }
  for (QWidget* w : std::initializer_list<QWidget*>{changed_, created_, days_}) w->setEnabled(byDate_->isChecked());
}

void DirectoryPage::CommitHistoryText(QComboBox* combo) {
  Q_EMIT changed();
  QString text = combo->currentText();
  if (text.isEmpty()) return;
  if (!text.endsWith(u';')) {
    text += u';';
    combo->setEditText(text);
  }
  for (int i = 0; i < combo->count(); ++i) {
    if (combo->itemText(i).compare(text, Qt::CaseInsensitive) == 0) return;
  }
  InsertSorted(combo, text);
  combo->setCurrentIndex(combo->findText(text));
}

bool DirectoryPage::Leave() {
  // Text typed just before OK has not left its field yet.
  for (QComboBox* combo : {dirStrings_, fileStrings_}) {
    if (combo->lineEdit()->isModified()) {
      CommitHistoryText(combo);
      combo->lineEdit()->setModified(false);
    }
  }
  bool ok = false;
  days_->text().trimmed().toInt(&ok);
  if (ok) return true;
  services_.showNote(T(text::kIntegerMessage));
  days_->setFocus();
  return false;
}

bool DirectoryPage::Apply() {
  using namespace setting;
  Put(store_, kFilterByDate, byDate_->isChecked() ? 1 : 0);
  Put(store_, kDateCreated, created_->isChecked() ? 1 : 0);
  Put(store_, kDateChanged, changed_->isChecked() ? 1 : 0);
  Put(store_, kDays, days_->text().trimmed().toInt());
  Put(store_, kSkipDirStrings, skipDirStrings_->isChecked() ? 1 : 0);
  Put(store_, kSkipListedDirs, skipListed_->isChecked() ? 1 : 0);
  Put(store_, kUseFileStrings, useFileStrings_->isChecked() ? 1 : 0);
  Put(store_, kAnyString, std::max(anyString_->checkedId(), 0));
  Put(store_, kOnlyMatching, std::max(onlyMatching_->checkedId(), 0));
  // A list without entries leaves its stored history alone.
  if (dirStrings_->count() > 0) Put(store_, kDirStrings, HistoryValue(dirStrings_));
  if (fileStrings_->count() > 0) Put(store_, kFileStrings, HistoryValue(fileStrings_));
  if (listReadFailed_ && !listEdited_) return true;
  std::vector<std::string> entries;
  for (int i = 0; i < excluded_->count(); ++i) entries.push_back(excluded_->item(i)->text().toStdString());
  std::string error;
  if (!WriteExclusionList(programFolder_ + "/" + std::string(kExclusionListFileName), entries, &error)) {
    services_.showNote(T(text::kListNotWritten).arg(Q(error)));
    return false;
  }
  listReadFailed_ = false;
  return true;
}

}  // namespace trimvale::shell
