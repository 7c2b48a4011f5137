#pragma once
// The "Optimieren" dialog, shown before every optimization: the sixteen switches, "Kommentare
// löschen", the optimization profile and, for the editor, the range.

#include <QDialog>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "rules/optimize_options.h"
#include "rules/settings_store.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

namespace trimvale::shell {

enum class OptimizeRange { Selection = 0, Whole = 1 };

class OptimizeDialog : public QDialog {
  Q_OBJECT
 public:
  // `store` and `rules` are not owned. `profileFile` is profile.txt of the program folder.
  OptimizeDialog(ISettingsStore& store, std::string profileFile, QWidget* parent = nullptr);

  // Before showing: the range (none for batch runs, which disables both range buttons) and the
  // switches. "Kommentare löschen" keeps the state of this dialog object's previous use.
  void Prepare(std::optional<OptimizeRange> range, const OptimizeOptions& options);
  std::optional<OptimizeRange> Range() const;

  // After OK: the switches with deleteComments and useProfile; the profile's rules were loaded
  // into `rules` when a profile was chosen (otherwise `rules` is left as it was).
  OptimizeOptions Options() const { return result_; }
  bool TakeRules(std::shared_ptr<const CTagRuleList>& rules);

  QCheckBox* Box(const char* objectName) const;

  // The profile list, kept in step with the profile editor's: the index chosen, a profile
  // added at the end, a profile removed (a removed choice leaves no choice, as the editor's
  // caller expects), another choice.
  int ProfileIndex() const;
  void AddProfile(const QString& name);
  void RemoveProfile(int index);
  void SelectProfile(int index);

  // OK: takes the switches, loads the chosen profile's rules and stores the profile's index.
  void accept() override;

 Q_SIGNALS:
  // The buttons that open windows of other parts of the program.
  void editProfilesRequested(const QString& profile);
  void settingsRequested();
  void helpRequested(const QString& topic);

 private:
  void UpdateEnabling();
  void FillProfiles();

  ISettingsStore& store_;
  std::string profileFile_;
  std::map<std::string, QCheckBox*> boxes_;  // the switches by field name
  QRadioButton* spanAuto_;
  QRadioButton* spanAll_;
  QRadioButton* emptyAuto_;
  QRadioButton* emptyAll_;
  QComboBox* profiles_;
  QPushButton* editButton_;
  QRadioButton* rangeSelection_;
  QRadioButton* rangeWhole_;
  bool hasRange_ = false;
  OptimizeOptions result_;
  std::shared_ptr<const CTagRuleList> loadedRules_;
};

}  // namespace trimvale::shell
