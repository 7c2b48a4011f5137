#pragma once
// The two batch pages of the settings sheet: "Mehrfachoptimierung" (backup copies and the output
// folder) and "Verzeichnis optimieren" (the directory filters and the exclusion list lst.dat).

#include <string>

#include "rules/settings_store.h"
#include "shell/settings_sheet.h"

class QComboBox;

namespace trimvale::shell {

class BatchPage : public SettingsPage {
  Q_OBJECT
 public:
  BatchPage(ISettingsStore& store, CSheetServices& services, QWidget* parent = nullptr);
  void Load() override;
  bool Leave() override;
  bool Apply() override;
  const char* HelpTopic() const override;

 private:
  enum class Cause { Opening, BackupBox, Mode, WebBox };
  void UpdateEnabling(Cause cause);
  void Browse(QLineEdit* field);

  ISettingsStore& store_;
  CSheetServices& services_;
  QCheckBox* createBackup_;
  QButtonGroup* modes_;
  QLineEdit* ending_;
  QLineEdit* folder_;
  QPushButton* browseFolder_;
  QCheckBox* keepFolders_;
  QCheckBox* keepWeb_;
  QLineEdit* webRoot_;
  QPushButton* browseWebRoot_;
  QComboBox* existing_;
  int storedMode_ = 2;  // kept when the stored mode is none of the three buttons
};

class DirectoryPage : public SettingsPage {
  Q_OBJECT
 public:
  // `programFolder` holds lst.dat; `output` gets the note of an unreadable list.
  DirectoryPage(ISettingsStore& store, std::string programFolder, CSheetServices& services, IOutputSink& output,
                QWidget* parent = nullptr);
  void Load() override;
  bool Leave() override;
  bool Apply() override;
  const char* HelpTopic() const override;

  // What leaving a combo box's edit field does: a final ";" and the text added to the list.
  void CommitHistoryText(QComboBox* combo);

 private:
  void UpdateEnabling();

  ISettingsStore& store_;
  const std::string programFolder_;
  CSheetServices& services_;
  IOutputSink& output_;
  QCheckBox* skipListed_;
  QListWidget* excluded_;
  QPushButton* addDir_;
  QPushButton* deleteDir_;
  QCheckBox* skipDirStrings_;
  QComboBox* dirStrings_;
  QCheckBox* useFileStrings_;
  QComboBox* fileStrings_;
  QButtonGroup* onlyMatching_;
  QButtonGroup* anyString_;
  QCheckBox* byDate_;
  QCheckBox* changed_;
  QCheckBox* created_;
  QLineEdit* days_;
  bool listReadFailed_ = false;  // a damaged list is not replaced unless the user edits the list
  bool listEdited_ = false;
};

}  // namespace trimvale::shell
