#pragma once
// The settings sheet "Einstellungen": a list of five page titles beside the pages, with OK,
// "Abbrechen", "Übernehmen" and "?". Each page reads the store the first time it is shown and
// writes only on OK or "Übernehmen"; a page never shown is neither validated nor written, so
// confirming the sheet does not store defaults the user has not seen.
//
// This file holds the sheet and its three small pages ("Code Layout", "Fehlerbehandlung",
// "Programmoptionen"); the two batch pages are in batch_pages.h.

#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <utility>

#include "engine/output_sink.h"
#include "rules/settings_table.h"
#include "shell/shell_environment.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace trimvale::shell {

// What the pages show or ask through the sheet; tests replace both, so no box ever blocks them.
struct CSheetServices {
  std::function<void(const QString& message)> showNote;
  // The folder chooser without run options, preset with `preset`; nullopt when cancelled.
  std::function<std::optional<QString>(const QString& preset)> chooseFolder;
  // "Einstellen...": the layout editor on entry `profileIndex` of "vorlagen"; after OK the entry
  // chosen there, after "Abbrechen" nullopt.
  std::function<std::optional<int>(int profileIndex)> editLayout;
};

class SettingsPage : public QWidget {
  Q_OBJECT
 public:
  explicit SettingsPage(QWidget* parent = nullptr) : QWidget(parent) {}
  // Reads the store and the rule files; called once, when the page is first shown.
  virtual void Load() = 0;
  // Validates what the page holds; on a fault shows its message and returns false, and the
  // user stays on the page.
  virtual bool Leave() { return true; }
  // Writes the page's values; false when something could not be written (the reason was shown).
  virtual bool Apply() = 0;
  virtual const char* HelpTopic() const;

  // Whether a store write failed since the last call; the sheet reports it once.
  bool TakeWriteFailure() { return std::exchange(writeFailed_, false); }

 Q_SIGNALS:
  void changed();

 protected:
  void Put(ISettingsStore& store, const CSettingDef& def, int value);
  void Put(ISettingsStore& store, const CSettingDef& def, const QString& value);

 private:
  bool writeFailed_ = false;
};

class SettingsSheet : public QDialog {
  Q_OBJECT
 public:
  enum PageIndex { kCodeLayout = 0, kBatch = 1, kErrors = 2, kDirectory = 3, kProgram = 4, kPageCount = 5 };

  // `environment` and `output` are not owned. The sheet opens on `startPage`.
  SettingsSheet(CShellEnvironment& environment, IOutputSink& output, int startPage = kCodeLayout,
                QWidget* parent = nullptr);

  // Leaves the page shown (validating it) and shows page `index`; false when the shown page
  // refused to be left.
  bool ShowPage(int index);
  int CurrentPage() const;
  SettingsPage* Page(int index) const { return pages_[index]; }

  // "Übernehmen": validates the page shown and writes every page shown so far.
  bool Apply();
  void accept() override;

  // The layout profile list of "Code Layout", for the layout editor opened from it.
  QString SelectedLayoutProfile() const;
  void SelectLayoutProfile(const QString& name);

  CSheetServices services;

 Q_SIGNALS:
  void helpRequested(const QString& topic);

 private:
  void MarkModified();

  CShellEnvironment& env_;
  QListWidget* titles_;
  QStackedWidget* stack_;
  QPushButton* applyButton_;
  std::array<SettingsPage*, kPageCount> pages_{};
  std::array<bool, kPageCount> loaded_{};
  int shown_ = -1;
};

// "Code Layout": layout mode and profile, line wrapping, indentation unit.
class CodeLayoutPage : public SettingsPage {
  Q_OBJECT
 public:
  CodeLayoutPage(CShellEnvironment& environment, CSheetServices& services, IOutputSink& output,
                 QWidget* parent = nullptr);
  void Load() override;
  bool Leave() override;
  bool Apply() override;
  QComboBox* Profiles() const { return profiles_; }

 private:
  void UpdateEnabling();
  void FillProfiles();
  void EditLayout();

  CShellEnvironment& env_;
  CSheetServices& services_;
  IOutputSink& output_;
  QButtonGroup* modes_;
  QComboBox* profiles_;
  QPushButton* editButton_;
  QCheckBox* wrap_;
  QLineEdit* width_;
  QButtonGroup* indentKinds_;
  QLineEdit* spaces_;
  int initialProfile_ = 0;
};

// "Fehlerbehandlung": the highest error level with which a batch run still writes a file.
class ErrorHandlingPage : public SettingsPage {
  Q_OBJECT
 public:
  ErrorHandlingPage(ISettingsStore& store, QWidget* parent = nullptr);
  void Load() override;
  bool Apply() override;

 private:
  ISettingsStore& store_;
  QButtonGroup* levels_;
};

// "Programmoptionen": clearing the output pane, the parse-tree window.
class ProgramOptionsPage : public SettingsPage {
  Q_OBJECT
 public:
  ProgramOptionsPage(CShellEnvironment& environment, QWidget* parent = nullptr);
  void Load() override;
  bool Apply() override;

 private:
  CShellEnvironment& env_;
  QCheckBox* clearOutput_;
  QCheckBox* showTree_;
};

// An integer typed into `edit` within [low, high]; the standard range message otherwise.
std::optional<int> ReadIntField(QLineEdit* edit, int low, int high, const CSheetServices& services);

}  // namespace trimvale::shell
