#pragma once
// The chooser "Verzeichnis wählen": a folder tree under a top item "Computer" whose children are
// the root folder "/" and the user's home folder; with run options, also "Unterordner optimieren"
// and the endings field "Dateitypen". Folders are listed when their item is first opened.

#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace trimvale::shell {

class DirectoryChooser : public QDialog {
  Q_OBJECT
 public:
  explicit DirectoryChooser(bool showRunOptions, QWidget* parent = nullptr);

  // Opens the tree down to `path` (absolute) as far as its folders exist and selects the deepest.
  void SetDirectory(const QString& path);
  // After OK: the chosen folder, absolute, without a trailing separator ("/" stays "/").
  QString Directory() const { return chosen_; }
  void SetSubfolders(bool on);
  bool Subfolders() const;
  void SetExtensions(const QString& extensions);
  QString Extensions() const;  // with the final ";" that leaving the field adds

  QTreeWidget* Tree() const { return tree_; }
  void accept() override;

  std::function<void(const QString& message)> showNote;

 private:
  void Populate(QTreeWidgetItem* item);
  void FinishExtensions();

  QTreeWidget* tree_;
  QTreeWidgetItem* computer_;
  QCheckBox* subfolders_;
  QLineEdit* extensions_;
  QString chosen_;
};

}  // namespace trimvale::shell
