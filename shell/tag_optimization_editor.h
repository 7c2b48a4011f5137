#pragma once
// "Erweiterte Tagoptimierungen": edits the optimization profiles of profile.txt. New and deleted
// profiles reach the file at once (and the caller's profile list through the signals); the rules
// of the profile shown reach it when another profile is chosen, a profile is created, or OK is
// pressed. A save that cannot be written is reported with the system's reason and the dialog
// keeps the user's changes.

#include <QDialog>
#include <string>
#include <vector>

#include "rules/optimize_options.h"
#include "rules/section_file.h"
#include "shell/editor_prompts.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace trimvale::shell {

class TagOptimizationEditor : public QDialog {
  Q_OBJECT
 public:
  // `profileFile` is profile.txt of the program folder; `profileIndex` the index in the list
  // "<nicht verwenden>", profiles... to show first.
  TagOptimizationEditor(std::string profileFile, int profileIndex, const CEditorPrompts& prompts,
                        QWidget* parent = nullptr);

  // The list index of the profile shown (0: "<nicht verwenden>").
  int ShownIndex() const { return loadedIndex_; }
  // The rules as the dialog holds them now (the shown rule's controls not yet stored).
  const CTagRuleList& Rules() const { return rules_; }

  // OK: saves the shown profile and closes; a failed save keeps the dialog open.
  void accept() override;

 Q_SIGNALS:
  void profileAdded(const QString& name);
  void profileRemoved(int index);
  void helpRequested(const QString& topic);

 private:
  void SwitchProfile();
  void LoadProfile();
  bool SaveProfile();  // false: not written, reason shown
  void StoreShownRule();
  void ShowRule(int row);
  void ClearControls();
  void UpdateEnabling();
  void EnableTagList(bool on);
  void NewTag();
  void DeleteTag();
  void NewProfile();
  void DeleteProfile();
  void SelectProfileQuietly(int index);

  CEditorPrompts prompts_;
  CSectionFile file_;
  QComboBox* profiles_;
  QListWidget* tags_;
  QPushButton* newTag_;
  QPushButton* deleteTag_;
  QGroupBox* properties_;
  QLineEdit* name_;
  QCheckBox* deleteTagBox_;
  QRadioButton* subtagsDelete_;
  QRadioButton* subtagsMove_;
  QCheckBox* deleteClass_;
  QCheckBox* deleteStyle_;
  QCheckBox* deleteRest_;
  QCheckBox* replace_;
  QLineEdit* replacement_;
  QCheckBox* deleteSubtags_;

  CTagRuleList rules_;     // one per tag-list item, same order
  std::string shownName_;  // section the rules are saved to
  int loadedIndex_ = -1;   // list index of the profile whose rules are loaded
  int shownRule_ = -1;     // rule whose settings the controls show
  int deletedRules_ = 0;   // rules deleted since the last load or save
  bool quiet_ = false;     // the lists are being changed by the dialog itself
};

}  // namespace trimvale::shell
