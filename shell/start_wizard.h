#pragma once
// "Willkommen": asks what the user wants to do (one page, several files, a directory, the
// clipboard's code) and whether to ask again at the next start. The window acts on the answer;
// this dialog only shows and returns it.

#include <QDialog>
#include <array>

class QCheckBox;
class QRadioButton;

namespace trimvale::shell {

class StartWizard : public QDialog {
  Q_OBJECT
 public:
  enum Choice { OneFile = 0, SeveralFiles = 1, Directory = 2, Clipboard = 3 };

  explicit StartWizard(QWidget* parent = nullptr);

  // A stored choice out of range presets the first one.
  void Preset(int choice, bool showAtStart);
  int SelectedChoice() const;
  bool ShowAtStart() const;

 private:
  std::array<QRadioButton*, 4> choices_{};
  QCheckBox* showAtStart_;
};

}  // namespace trimvale::shell
