#pragma once
// Find (Ctrl+F, F3) and replace (Ctrl+H) in the source editor: one modeless dialog in two shapes.

#include <QDialog>
#include <QTextDocument>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace trimvale::shell {

class FindDialog : public QDialog {
  Q_OBJECT
 public:
  FindDialog(QPlainTextEdit* editor, QWidget* parent);

  // Shows the dialog for finding only or for replacing, with the editor's selection as the
  // text to find when it is on one line.
  void Open(bool replace);
  // Finds the next match from the caret; false (and a note) when there is none.
  bool FindNext();
  bool ReplaceCurrent();
  int ReplaceAll();

  QLineEdit* FindField() const { return findField_; }
  QLineEdit* ReplaceField() const { return replaceField_; }

 private:
  QTextDocument::FindFlags Flags() const;

  QPlainTextEdit* editor_;  // not owned
  QLineEdit* findField_;
  QLineEdit* replaceField_;
  QLabel* replaceLabel_;
  QCheckBox* matchCase_;
  QCheckBox* wholeWord_;
  QCheckBox* searchUp_;
  QPushButton* replaceButton_;
  QPushButton* replaceAllButton_;
};

}  // namespace trimvale::shell
