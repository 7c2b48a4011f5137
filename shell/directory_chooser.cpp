#include "shell/directory_chooser.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileIconProvider>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "shell/texts.h"

namespace trimvale::shell {

namespace {
QString T(const char* text) { return QString::fromUtf8(text); }
constexpr int kPathRole = Qt::UserRole;
constexpr int kListedRole = Qt::UserRole + 1;

QTreeWidgetItem* FolderItem(const QString& label, const QString& path) {
  auto* item = new QTreeWidgetItem(QStringList{label});
  item->setData(0, kPathRole, path);
  item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  item->setIcon(0, QFileIconProvider().icon(QFileIconProvider::Folder));
  return item;
}
}  // namespace

DirectoryChooser::DirectoryChooser(bool showRunOptions, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("directoryChooser"));
  setWindowTitle(T(text::kChooserTitle));
  setAccessibleName(T(text::kChooserTitle));
  showNote = [this](const QString& message) { QMessageBox::warning(this, T(text::kAppName), message); };

  tree_ = new QTreeWidget(this);
  tree_->setObjectName(QStringLiteral("folderTree"));
  tree_->setAccessibleName(T(text::kFolderName));
  tree_->setHeaderHidden(true);
  auto* label = new QLabel(T(text::kFolderName), this);
  label->setBuddy(tree_);
  // The computer item stands for no folder: choosing it yields an empty path.
  computer_ = new QTreeWidgetItem(QStringList{T(text::kComputer)});
  computer_->setData(0, kPathRole, QString());
  computer_->setData(0, kListedRole, true);
  computer_->setIcon(0, QFileIconProvider().icon(QFileIconProvider::Computer));
  tree_->addTopLevelItem(computer_);
  computer_->addChild(FolderItem(QStringLiteral("/"), QStringLiteral("/")));
  const QString home = QDir::homePath();
  if (home != QLatin1String("/")) computer_->addChild(FolderItem(home, home));
  computer_->setExpanded(true);
  connect(tree_, &QTreeWidget::itemExpanded, this, &DirectoryChooser::Populate);

  subfolders_ = new QCheckBox(T(text::kSubfolders), this);
  subfolders_->setObjectName(QStringLiteral("subfolders"));
  subfolders_->setAccessibleName(T(text::kSubfolders));
  extensions_ = new QLineEdit(this);
  extensions_->setObjectName(QStringLiteral("fileTypes"));
  extensions_->setAccessibleName(T(text::kFileTypes));
  auto* extensionsLabel = new QLabel(T(text::kFileTypes), this);
  extensionsLabel->setBuddy(extensions_);
  connect(extensions_, &QLineEdit::editingFinished, this, &DirectoryChooser::FinishExtensions);
  for (QWidget* w : std::initializer_list<QWidget*>{subfolders_, extensions_, extensionsLabel})
    w->setVisible(showRunOptions);

  auto* buttons = new QDialogButtonBox(this);
  auto* ok = buttons->addButton(T(text::kOk), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("ok"));
  ok->setAccessibleName(T(text::kOk));
  ok->setDefault(true);
  auto* cancel = buttons->addButton(T(text::kCancelButton), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("cancel"));
  cancel->setAccessibleName(T(text::kCancelButton));
  connect(buttons, &QDialogButtonBox::accepted, this, &DirectoryChooser::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &DirectoryChooser::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(tree_, 1);
  layout->addWidget(subfolders_);
  layout->addWidget(extensionsLabel);
  layout->addWidget(extensions_);
  layout->addWidget(buttons);
  resize(420, 480);
}

void DirectoryChooser::Populate(QTreeWidgetItem* item) {
  if (item->data(0, kListedRole).toBool()) return;
  item->setData(0, kListedRole, true);
  const QString path = item->data(0, kPathRole).toString();
  const QStringList names =
      QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name | QDir::IgnoreCase);
  for (const QString& name : names) {
    item->addChild(FolderItem(name, path == QLatin1String("/") ? u'/' + name : path + u'/' + name));
  }
  if (names.isEmpty()) item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void DirectoryChooser::SetDirectory(const QString& path) {
  if (path.isEmpty() || !QDir::isAbsolutePath(path)) return;
  const QString target = QDir::cleanPath(path);
  const QString home = QDir::homePath();
  // Below the home folder the tree opens from the home item, elsewhere from the root.
  QTreeWidgetItem* item = computer_->child(0);
  QString base = QStringLiteral("/");
  if (computer_->childCount() > 1 && (target == home || target.startsWith(home + u'/'))) {
    item = computer_->child(1);
    base = home;
  }
  const QStringList parts = target.mid(base.size()).split(u'/', Qt::SkipEmptyParts);
  for (const QString& part : parts) {
    Populate(item);
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; i < item->childCount() && !next; ++i) {
      if (item->child(i)->text(0) == part) next = item->child(i);
    }
    if (!next) break;
    item->setExpanded(true);
    item = next;
  }
  tree_->setCurrentItem(item);
  tree_->scrollToItem(item);
}

void DirectoryChooser::SetSubfolders(bool on) { subfolders_->setChecked(on); }
bool DirectoryChooser::Subfolders() const { return subfolders_->isChecked(); }
void DirectoryChooser::SetExtensions(const QString& extensions) { extensions_->setText(extensions); }
QString DirectoryChooser::Extensions() const { return extensions_->text(); }

void DirectoryChooser::FinishExtensions() {
  const QString text = extensions_->text();
  if (!text.isEmpty() && !text.endsWith(u';')) extensions_->setText(text + u';');
}

void DirectoryChooser::accept() {
  FinishExtensions();
  QTreeWidgetItem* item = tree_->currentItem();
  const QString path = item ? item->data(0, kPathRole).toString() : QString();
  if (path.isEmpty()) {
    showNote(T(text::kChooseValidFolder));
    return;
  }
  chosen_ = path;
  QDialog::accept();
}

}  // namespace trimvale::shell
