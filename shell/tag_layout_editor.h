#pragma once
// "Tageigenschaften": shows every layout profile of tageinst.txt and edits the user profiles
// (from the fourth entry of "vorlagen" on; the first three are the built-in layouts). New and
// deleted profiles reach the file at once; a profile's tags when the user agrees to save them
// (before another profile is shown, and on OK). A save that cannot be written is reported with
// the system's reason and the dialog keeps the user's changes.

#include <QDialog>
#include <string>

#include "rules/section_file.h"
#include "shell/editor_prompts.h"

class QComboBox;
class QTreeWidget;
class QTreeWidgetItem;

namespace trimvale::shell {

class TagLayoutEditor : public QDialog {
  Q_OBJECT
 public:
  // `layoutFile` is tageinst.txt of the program folder; `profileIndex` the entry of "vorlagen"
  // to show first (none or beyond the list: the profile "standard").
  TagLayoutEditor(std::string layoutFile, int profileIndex, const CEditorPrompts& prompts, QWidget* parent = nullptr);

  // The list index selected when the dialog closed, for the caller's own profile list.
  int SelectedIndex() const;
  // The section whose tags are shown.
  const std::string& ShownProfile() const { return shownName_; }
  QTreeWidget* TagList() const { return tags_; }
  bool Changed() const { return changed_; }

  // OK: saves the shown profile (after asking) and closes; a failed save keeps the dialog open.
  void accept() override;

 Q_SIGNALS:
  void profileAdded(const QString& name);
  void profileRemoved(int index);
  void helpRequested(const QString& topic);

 private:
  void FillTags(const std::string& section);
  bool SaveShown();  // false: not written (reason shown), changes kept
  void SwitchProfile();
  void ShowProfile(int index);
  // Also with no entry chosen: the tags shown are then those of "standard".
  bool IsStandard() const { return shownIndex_ < 3; }
  void NewProfile();
  void DeleteProfile();
  void EditTags();
  void AddTag();
  void DeleteTags();
  void SelectQuietly(int index);

  CEditorPrompts prompts_;
  CSectionFile file_;
  QComboBox* profiles_;
  QTreeWidget* tags_;
  std::string shownName_;  // the section a save writes to
  int shownIndex_ = -1;    // list index of the profile whose tags are shown
  bool changed_ = false;
  int deletedTags_ = 0;  // tags deleted since the list was filled or saved
  bool quiet_ = false;   // the profile list is being changed by the dialog itself
};

}  // namespace trimvale::shell
