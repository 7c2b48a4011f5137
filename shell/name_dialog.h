#pragma once
// The small dialog "Name" of the optimization profile editor, with its letter-only edit field.

#include <QDialog>
#include <QLineEdit>
#include <functional>

#include "shell/editor_prompts.h"

namespace trimvale::shell {

// An edit field that, with its filter on, keeps only the letters A-Z and a-z of what is typed,
// pasted or dropped. Editing keys (backspace, delete, the arrows, the clipboard shortcuts) are
// never filtered, so a mistyped name can be corrected; the rejected characters are simply left
// out.
class CLetterEdit : public QLineEdit {
 public:
  explicit CLetterEdit(QWidget* parent = nullptr);
  void SetFilter(bool on);
  bool Filter() const { return filter_; }

 private:
  bool filter_ = false;
};

class CNameDlg : public QDialog {
 public:
  // `filter`: letters only (profile names); tag names take any text.
  CNameDlg(bool filter, const CEditorPrompts& prompts, QWidget* parent = nullptr);

  CLetterEdit* Edit() const { return edit_; }
  // The name without blanks at its ends.
  QString Name() const { return edit_->text().trimmed(); }
  // What else the name must satisfy: the reason it is refused, or empty.
  std::function<QString(const QString& name)> check;

  // OK: an empty or refused name shows the reason and keeps the dialog open.
  void accept() override;

 private:
  CEditorPrompts prompts_;
  CLetterEdit* edit_;
};

}  // namespace trimvale::shell
