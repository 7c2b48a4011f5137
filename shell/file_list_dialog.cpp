#include "shell/file_list_dialog.h"

#include <sys/stat.h>

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "shell/texts.h"

namespace trimvale::shell {

namespace {
QString T(const char* text) { return QString::fromUtf8(text); }

QPushButton* Button(const char* label, const char* name, QWidget* parent) {
  auto* button = new QPushButton(T(label), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAccessibleName(T(label));
  return button;
}

// Two names of one file on disk (a link, or another spelling the file system accepts).
bool SameFileOnDisk(const QString& a, const QString& b) {
  struct stat sa {
  }, sb{};
  return ::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0 &&
         sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}
}  // namespace

FileListDialog::FileListDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fileListDialog"));
  setWindowTitle(T(text::kFileListTitle));
  setAccessibleName(T(text::kFileListTitle));
  showNote = [this](const QString& message) { QMessageBox::warning(this, T(text::kAppName), message); };
  chooseFiles = [this](const QString& startFolder) {
    return QFileDialog::getOpenFileNames(this, T(text::kFileListTitle), startFolder,
                                         T(text::kHtmlFilesFilter) + QStringLiteral(";;") + T(text::kAllFilesFilter));
  };

  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("files"));
  list_->setAccessibleName(T(text::kFileListLabel));
  list_->setHeaderLabels({T(text::kFileColumn)});
  list_->setRootIsDecorated(false);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setMinimumWidth(300);
  auto* label = new QLabel(T(text::kFileListLabel), this);
  label->setBuddy(list_);

  auto* add = Button(text::kAddFiles, "addFiles", this);
  auto* remove = Button(text::kRemove, "remove", this);
  auto* removeAll = Button(text::kRemoveAll, "removeAll", this);
  auto* next = Button(text::kNext, "next", this);
  next->setDefault(true);
  auto* cancel = Button(text::kCancelButton, "cancel", this);
  connect(add, &QPushButton::clicked, this, [this] { AddFiles(chooseFiles(lastFolder_)); });
  connect(remove, &QPushButton::clicked, this, [this] { qDeleteAll(list_->selectedItems()); });
  connect(removeAll, &QPushButton::clicked, list_, &QTreeWidget::clear);
  connect(next, &QPushButton::clicked, this, &FileListDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &FileListDialog::reject);

  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {add, remove, removeAll}) buttons->addWidget(b);
  buttons->addStretch();
  buttons->addWidget(next);
  buttons->addWidget(cancel);
  auto* row = new QHBoxLayout;
  row->addWidget(list_, 1);
  row->addLayout(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addLayout(row);
}

void FileListDialog::Reset() {
  list_->clear();
  files_.clear();
}

// A name that differs only in letter case is the same entry, unless both are files of their own
// on this file system: then dropping one would lose a page the user chose.
bool FileListDialog::Holds(const QString& file) const {
  for (int i = 0; i < list_->topLevelItemCount(); ++i) {
    const QString entry = list_->topLevelItem(i)->text(0);
    if (entry == file) return true;
    if (entry.compare(file, Qt::CaseInsensitive) == 0 &&
        (!QFileInfo::exists(entry) || !QFileInfo::exists(file) || SameFileOnDisk(entry, file)))
      return true;
  }
  return false;
}

void FileListDialog::AddFiles(const QStringList& files) {
  if (files.isEmpty()) return;
  lastFolder_ = QFileInfo(files.front()).absolutePath();
  for (const QString& name : files) {
    const QString file = QFileInfo(name).absoluteFilePath();
    if (!Holds(file)) list_->addTopLevelItem(new QTreeWidgetItem(QStringList{file}));
  }
}

void FileListDialog::accept() {
  if (list_->topLevelItemCount() == 0) {
    showNote(T(text::kNeedFiles));
    return;
  }
  files_.clear();
  for (int i = 0; i < list_->topLevelItemCount(); ++i) files_ << list_->topLevelItem(i)->text(0);
  QDialog::accept();
}

}  // namespace trimvale::shell
