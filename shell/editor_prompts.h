#pragma once
// The questions, notes and sub-dialogs of the profile editors go through these replaceable
// functions, so that the main window can route them through its own (and tests can answer them
// without a modal box blocking the run).

#include <QComboBox>
#include <QDialog>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QString>
#include <functional>
#include <string_view>

#include "rules/rule_file_edit.h"
#include "shell/texts.h"

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

// "Löschen" of a profile, alike in both editors: asks, takes the profile out of the list section
// `listSection` of `file`, then entry `index` out of `profiles` without a signal of the box.
// False when the user said no or the file could not be written (the reason was shown).
inline bool DeleteProfileAfterAsking(const CEditorPrompts& prompts, CSectionFile& file, std::string_view listSection,
                                     QComboBox& profiles, int index) {
  if (!prompts.askYesNo(QString::fromUtf8(text::kAskDeleteProfile))) return false;
  const std::string error = DeleteProfileFromList(file, listSection, profiles.itemText(index).toStdString());
  if (!error.empty()) {
    prompts.showNote(QString::fromStdString(error));
    return false;
  }
  const QSignalBlocker quiet(profiles);
  profiles.removeItem(index);
  return true;
}

}  // namespace trimvale::shell
