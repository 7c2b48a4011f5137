#pragma once
// "Tipps und Tricks": one tip of tips.txt at a time. Every line of the file whose first
// character is not a blank, a tab, a line end or ";" is one tip. The read position is kept in
// the store ("Tip"/"FilePos") together with the file's time stamp ("TimeStamp"), so that each
// start shows the next tip and a changed file starts again at its first tip.

#include <QDialog>
#include <QFile>
#include <functional>

#include "rules/settings_store.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace trimvale::shell {

class TipsDialog : public QDialog {
  Q_OBJECT
 public:
  // Opens `tipsPath` and reads the tip to show. `store` is not owned and must outlive the
  // dialog; `showNote` shows a problem with the file (a message box in the program).
  TipsDialog(ISettingsStore& store, const QString& tipsPath, std::function<void(const QString&)> showNote,
             QWidget* parent = nullptr);
  // Writes the read position back while the file is open, also when the dialog was never shown.
  ~TipsDialog() override;

  // The box "&Tipps beim Starten anzeigen".
  bool ShowAtStartUp() const;
  QString Tip() const { return tip_; }
  // "&Nächster Tipp".
  void NextTip();
  // The form of "TimeStamp": weekday, month, day, time, year, as "Thu Dec 06 14:03:12 2007",
  // in local time and English whatever the locale, so a stored stamp compares equal.
  static QString TimeStampText(std::int64_t secondsSinceEpoch);

  void done(int result) override;

 private:
  void ReadNextTip();
  void ShowNoTips();

  ISettingsStore& store_;
  std::function<void(const QString&)> showNote_;
  QFile file_;       // open from construction to destruction when it could be opened
  QString tip_;      // the text shown
  QLabel* tipText_;  // the white field
  QCheckBox* atStartUp_;
  QPushButton* next_;
};

}  // namespace trimvale::shell
