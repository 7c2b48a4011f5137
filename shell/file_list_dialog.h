#pragma once
// "Zu optimierende Dateien wählen": collects the pages of a multiple-files run. It lives as long
// as the main window and keeps the last folder the file dialog was opened in; the list itself
// starts empty at every use.

#include <QDialog>
#include <QStringList>
#include <functional>

class QTreeWidget;

namespace trimvale::shell {

class FileListDialog : public QDialog {
  Q_OBJECT
 public:
  explicit FileListDialog(QWidget* parent = nullptr);

  // Empties the list before the dialog is shown again.
  void Reset();
  // Adds `files` at the end, each unless the list holds it already; the folder of the first
  // becomes the last folder. Any number of files may be added at once.
  void AddFiles(const QStringList& files);
  // After "Weiter >": the list's entries, top to bottom.
  QStringList Files() const { return files_; }
  QString LastFolder() const { return lastFolder_; }
  void SetLastFolder(const QString& folder) { lastFolder_ = folder; }
  QTreeWidget* List() const { return list_; }

  void accept() override;  // "Weiter >"

  // The seams tests replace: the file-open dialog (multiple selection, start folder) and notes.
  std::function<QStringList(const QString& startFolder)> chooseFiles;
  std::function<void(const QString& message)> showNote;

 private:
  bool Holds(const QString& file) const;

  QTreeWidget* list_;
  QString lastFolder_;
  QStringList files_;
};

}  // namespace trimvale::shell
