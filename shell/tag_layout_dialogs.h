#pragma once
// The three small dialogs of "Tageigenschaften": "Markierte Tags bearbeiten", "Tag hinzufügen"
// and "Neues Profil". They only collect and check values; the layout editor applies them.

#include <QDialog>
#include <QStringList>
#include <array>
#include <functional>
#include <string>

#include "shell/editor_prompts.h"

class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace trimvale::shell {

// The five layout values: their place in the eight-character layout string and their range.
struct CLayoutField {
  int offset;  // first character in the layout string
  int width;   // 1: values 0 and 1; 2: a count of breaks 0 to 2, written "00", "01", "11"
};
inline constexpr std::array<CLayoutField, 5> kLayoutFields{{{0, 1}, {1, 2}, {3, 1}, {4, 2}, {6, 2}}};

// A column text of the tag list as it is written into the layout string: a one-character field
// as it stands, a count as "00", "01" or "11". An empty column gives `empty` ("0"/"00" when
// saving, "L"/"LL" for "stays unchanged" in the edit dialog).
std::string LayoutFieldFromColumn(const QString& column, int width, bool emptyMeansUnchanged);
// What a tag-list column shows for a field: the number of '1' characters in it.
QString ColumnFromLayoutField(std::string_view field);

// What "Markierte Tags bearbeiten" edits: the end-tag kind (-1: unchanged) and a layout string
// in which 'L' marks the characters of a field left unchanged.
struct CTagEditValue {
  int endTag = -1;
  std::string layout = "LLLLLLLL";
};

class EditTagsDialog : public QDialog {
 public:
  EditTagsDialog(const CTagEditValue& start, const CEditorPrompts& prompts, QWidget* parent = nullptr);
  QLineEdit* Field(int index) const { return fields_[static_cast<std::size_t>(index)]; }
  QRadioButton* EndTag(int kind) const { return endTags_[static_cast<std::size_t>(kind)]; }
  // After OK: the values entered.
  CTagEditValue Value() const { return value_; }
  // OK: a field that is neither empty nor in its range is named and the dialog stays open.
  void accept() override;

 private:
  CEditorPrompts prompts_;
  std::array<QLineEdit*, 5> fields_{};
  std::array<QRadioButton*, 3> endTags_{};
  CTagEditValue value_;
};

class AddTagDialog : public QDialog {
 public:
  AddTagDialog(const CEditorPrompts& prompts, QWidget* parent = nullptr);
  QLineEdit* NameEdit() const { return name_; }
  QSpinBox* Value(int index) const { return values_[static_cast<std::size_t>(index)]; }
  QRadioButton* EndTag(int kind) const { return endTags_[static_cast<std::size_t>(kind)]; }
  QString Name() const;
  int EndTagKind() const;
  std::string Layout() const;
  // OK: an empty or unusable name shows the reason and keeps the dialog open.
  void accept() override;

 private:
  CEditorPrompts prompts_;
  QLineEdit* name_;
  std::array<QSpinBox*, 5> values_{};
  std::array<QRadioButton*, 3> endTags_{};
};

class NewLayoutProfileDialog : public QDialog {
 public:
  NewLayoutProfileDialog(const QStringList& profiles, const CEditorPrompts& prompts, QWidget* parent = nullptr);
  QLineEdit* NameEdit() const { return name_; }
  QRadioButton* EmptyProfile() const { return empty_; }
  QRadioButton* FromTemplate() const { return fromTemplate_; }
  QComboBox* Template() const { return template_; }
  QString Name() const;
  // Writes the new profile (name, template or empty); returns the reason it failed, or empty.
  std::function<QString(const QString& name, const QString& templateName)> create;
  // OK: checks the name, then creates the profile; on a refusal or a failed write the dialog
  // stays open with the reason shown.
  void accept() override;

 private:
  CEditorPrompts prompts_;
  QStringList profiles_;
  QLineEdit* name_;
  QRadioButton* empty_;
  QRadioButton* fromTemplate_;
  QComboBox* template_;
};

}  // namespace trimvale::shell
