#pragma once
// The questions, notes and sub-dialogs of the profile editors go through these replaceable
// functions, so that the main window can route them through its own (and tests can answer them
// without a modal box blocking the run).

#include <QDialog>
#include <QMessageBox>
#include <QString>
#include <functional>

namespace trimvale::shell {

struct CEditorPrompts {
  std::function<void(const QString& note)> showNote;
  std::function<bool(const QString& question)> askYesNo;
  // Runs a sub-dialog modally; returns its result code (QDialog::Accepted or Rejected).
  std::function<int(QDialog& dialog)> runDialog;

  static CEditorPrompts ForParent(QWidget* parent, const QString& title) {
    CEditorPrompts prompts;
    prompts.showNote = [parent, title](const QString& note) { QMessageBox::information(parent, title, note); };
    prompts.askYesNo = [parent, title](const QString& question) {
      return QMessageBox::question(parent, title, question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    prompts.runDialog = [](QDialog& dialog) { return dialog.exec(); };
    return prompts;
  }
};

}  // namespace trimvale::shell
