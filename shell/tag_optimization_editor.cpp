#include "shell/tag_optimization_editor.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "rules/rule_file_edit.h"
#include "rules/rule_texts.h"
#include "rules/text_util.h"
#include "shell/name_dialog.h"
#include "shell/texts.h"

namespace trimvale::shell {

namespace {
QString T(const char* text) { return QString::fromUtf8(text); }
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

TagOptimizationEditor::TagOptimizationEditor(std::string profileFile, int profileIndex, const CEditorPrompts& prompts,
                                             QWidget* parent)
    : QDialog(parent), prompts_(prompts), file_(std::move(profileFile)) {
  setObjectName(QStringLiteral("tagOptimizationEditor"));
  setWindowTitle(T(text::kOptimizationEditorTitle));
  setAccessibleName(T(text::kOptimizationEditorTitle));

  // Both groups have a "Neu..." and a "Löschen"; the description tells them apart.
  auto button = [this](const char* label, const char* name, const char* description) {
    auto* b = new QPushButton(T(label), this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(T(label));
    b->setAccessibleDescription(T(description));
    return b;
  };
  auto box = [this](const char* label, const char* name) {
    auto* b = new QCheckBox(T(label), this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(T(label));
    return b;
  };

  // "Profil".
  auto* profileGroup = new QGroupBox(T(text::kGroupProfile), this);
  profiles_ = new QComboBox(profileGroup);
  profiles_->setObjectName(QStringLiteral("profile"));
  profiles_->setAccessibleName(T(text::kGroupProfile));
  auto* newProfile = button(text::kNewShort, "newProfile", "Neues Profil");
  auto* deleteProfile = button(text::kDelete, "deleteProfile", "Profil löschen");
  auto* profileLayout = new QHBoxLayout(profileGroup);
  profileLayout->addWidget(profiles_, 1);
  profileLayout->addWidget(newProfile);
  profileLayout->addWidget(deleteProfile);

  // "Tagliste".
  auto* tagGroup = new QGroupBox(T(text::kGroupTagList), this);
  tags_ = new QListWidget(tagGroup);
  tags_->setObjectName(QStringLiteral("tags"));
  tags_->setAccessibleName(T(text::kGroupTagList));
  tags_->setViewMode(QListView::ListMode);
  tags_->setSelectionMode(QAbstractItemView::SingleSelection);
  newTag_ = button(text::kNewShort, "newTag", "Neues Tag");
  deleteTag_ = button(text::kDelete, "deleteTag", "Tag löschen");
  auto* tagButtons = new QHBoxLayout;
  tagButtons->addWidget(newTag_);
  tagButtons->addWidget(deleteTag_);
  auto* tagLayout = new QVBoxLayout(tagGroup);
  tagLayout->addWidget(tags_, 1);
  tagLayout->addLayout(tagButtons);

  // "Eigenschaften gewähltes Tag".
  properties_ = new QGroupBox(T(text::kGroupTagProperties), this);
  name_ = new QLineEdit(properties_);
  name_->setObjectName(QStringLiteral("name"));
  name_->setAccessibleName(T(text::kName));
  name_->setReadOnly(true);
  deleteTagBox_ = box(text::kDeleteTag, "deleteTagBox");
  auto* subtagsGroup = new QGroupBox(T(text::kGroupSubtags), properties_);
  subtagsDelete_ = new QRadioButton(T(text::kSubtagsDelete), subtagsGroup);
  subtagsDelete_->setObjectName(QStringLiteral("subtagsDelete"));
  subtagsDelete_->setAccessibleName(T(text::kSubtagsDelete));
  subtagsMove_ = new QRadioButton(T(text::kSubtagsMove), subtagsGroup);
  subtagsMove_->setObjectName(QStringLiteral("subtagsMove"));
  subtagsMove_->setAccessibleName(T(text::kSubtagsMove));
  auto* subtagsLayout = new QHBoxLayout(subtagsGroup);
  subtagsLayout->addWidget(subtagsDelete_);
  subtagsLayout->addWidget(subtagsMove_);
  deleteClass_ = box(text::kAttrClass, "deleteClass");
  deleteStyle_ = box(text::kAttrStyle, "deleteStyle");
  deleteRest_ = box(text::kAttrRest, "deleteRest");
  replace_ = box(text::kReplaceBy, "replace");
  replacement_ = new QLineEdit(properties_);
  replacement_->setObjectName(QStringLiteral("replacement"));
  replacement_->setAccessibleName(QStringLiteral("Ersetzen durch: Name"));
  deleteSubtags_ = box(text::kDeleteSubtags, "deleteSubtags");
  auto* grid = new QGridLayout(properties_);
  auto* nameLabel = new QLabel(T(text::kName), properties_);
  nameLabel->setBuddy(name_);
  grid->addWidget(nameLabel, 0, 0);
  grid->addWidget(name_, 0, 1, 1, 3);
  grid->addWidget(deleteTagBox_, 1, 0, 1, 2);
  grid->addWidget(subtagsGroup, 1, 2, 1, 2);
  auto* attributesLabel = new QLabel(T(text::kDeleteAttributes), properties_);
  attributesLabel->setAccessibleName(T(text::kDeleteAttributes));
  grid->addWidget(attributesLabel, 2, 0);
  grid->addWidget(deleteClass_, 2, 1);
  grid->addWidget(deleteStyle_, 2, 2);
  grid->addWidget(deleteRest_, 2, 3);
  grid->addWidget(replace_, 3, 0);
  grid->addWidget(replacement_, 3, 1, 1, 3);
  grid->addWidget(deleteSubtags_, 4, 0, 1, 2);

  auto* ok = button(text::kOk, "ok", text::kOk);
  ok->setDefault(true);
  auto* cancel = button(text::kCancel, "cancel", text::kCancel);
  auto* help = button(text::kHelpButton, "help", "Hilfe");
  help->setAccessibleName(QStringLiteral("Hilfe"));
  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {ok, cancel, help}) buttons->addWidget(b);
  buttons->addStretch();

  auto* left = new QVBoxLayout;
  left->addWidget(profileGroup);
  auto* middle = new QHBoxLayout;
  middle->addWidget(tagGroup, 1);
  middle->addWidget(properties_, 2);
  left->addLayout(middle, 1);
  auto* top = new QHBoxLayout(this);
  top->addLayout(left, 1);
  top->addLayout(buttons);

  connect(profiles_, &QComboBox::currentIndexChanged, this, [this] {
    if (!quiet_) SwitchProfile();
  });
  connect(tags_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (quiet_) return;
    StoreShownRule();
    ShowRule(row);
  });
  connect(deleteTagBox_, &QCheckBox::toggled, this, &TagOptimizationEditor::UpdateEnabling);
  connect(replace_, &QCheckBox::toggled, this, &TagOptimizationEditor::UpdateEnabling);
  connect(newTag_, &QPushButton::clicked, this, &TagOptimizationEditor::NewTag);
  connect(deleteTag_, &QPushButton::clicked, this, &TagOptimizationEditor::DeleteTag);
  connect(newProfile, &QPushButton::clicked, this, &TagOptimizationEditor::NewProfile);
  connect(deleteProfile, &QPushButton::clicked, this, &TagOptimizationEditor::DeleteProfile);
  connect(ok, &QPushButton::clicked, this, &TagOptimizationEditor::accept);
  connect(cancel, &QPushButton::clicked, this, &TagOptimizationEditor::reject);
  connect(help, &QPushButton::clicked, this, [this] { Q_EMIT helpRequested(T(text::kOptimizationHelpTopic)); });

  // Opening: the list, the caller's choice, and the profile it names.
  quiet_ = true;
  profiles_->addItem(T(text::kNoProfile));
  for (const std::string& name : ListProfileNames(file_, kProfileList)) profiles_->addItem(Q(name));
  profiles_->setCurrentIndex(profileIndex >= 0 && profileIndex < profiles_->count() ? profileIndex : 0);
  quiet_ = false;
  SwitchProfile();
}

void TagOptimizationEditor::SelectProfileQuietly(int index) {
  quiet_ = true;
  profiles_->setCurrentIndex(index);
  quiet_ = false;
}

void TagOptimizationEditor::SwitchProfile() {
  const int index = profiles_->currentIndex();
  if (index == loadedIndex_) return;
  // The profile shown keeps its changes, and stays shown, when they cannot be written.
  if (loadedIndex_ >= 1 && !SaveProfile()) {
    SelectProfileQuietly(loadedIndex_);
    return;
  }
  loadedIndex_ = index;
  LoadProfile();
}

void TagOptimizationEditor::LoadProfile() {
  quiet_ = true;
  tags_->clear();
  quiet_ = false;
  rules_.clear();
  shownRule_ = -1;
  deletedRules_ = 0;
  ClearControls();
  if (loadedIndex_ < 1) {
    shownName_.clear();
    EnableTagList(false);
    return;
  }
  shownName_ = profiles_->itemText(loadedIndex_).toStdString();
  LoadProfileRules(rules_, file_, shownName_);
  quiet_ = true;
  for (const CTagRule& rule : rules_) tags_->addItem(Q(rule.name));
  tags_->setCurrentRow(-1);
  quiet_ = false;
  EnableTagList(true);
}

void TagOptimizationEditor::EnableTagList(bool on) {
  tags_->setEnabled(on);
  newTag_->setEnabled(on);
  deleteTag_->setEnabled(on);
}

void TagOptimizationEditor::ClearControls() {
  name_->clear();
  for (QCheckBox* b : {deleteTagBox_, deleteClass_, deleteStyle_, deleteRest_, replace_, deleteSubtags_})
    b->setChecked(false);
  replacement_->clear();
  subtagsDelete_->setChecked(true);
  UpdateEnabling();
}

void TagOptimizationEditor::UpdateEnabling() {
  const bool shown = shownRule_ >= 0;
  const bool deletes = deleteTagBox_->isChecked();
  properties_->setEnabled(shown);
  deleteTagBox_->setEnabled(shown);
  name_->setEnabled(shown);
  subtagsDelete_->setEnabled(shown && deletes);
  subtagsMove_->setEnabled(shown && deletes);
  for (QCheckBox* b : {deleteClass_, deleteStyle_, deleteRest_, replace_, deleteSubtags_})
    b->setEnabled(shown && !deletes);
  replacement_->setEnabled(shown && !deletes && replace_->isChecked());
}

void TagOptimizationEditor::StoreShownRule() {
  if (shownRule_ < 0 || shownRule_ >= static_cast<int>(rules_.size())) return;
  CTagRule& rule = rules_[static_cast<std::size_t>(shownRule_)];
  rule.deleteTag = deleteTagBox_->isChecked();
  rule.moveSubtags = subtagsMove_->isChecked();
  rule.deleteClass = deleteClass_->isChecked();
  rule.deleteStyle = deleteStyle_->isChecked();
  rule.deleteRest = deleteRest_->isChecked();
  rule.replacement = replacement_->text().toStdString();
  // A rename to nothing would empty the tag's name: without a text there is no rename.
  rule.replace = replace_->isChecked() && !rule.replacement.empty();
  rule.deleteSubtags = deleteSubtags_->isChecked();
}

void TagOptimizationEditor::ShowRule(int row) {
  if (row < 0 || row >= static_cast<int>(rules_.size())) {
    shownRule_ = -1;
    ClearControls();
    return;
  }
  shownRule_ = row;
  const CTagRule& rule = rules_[static_cast<std::size_t>(row)];
  name_->setText(Q(rule.name));
  deleteTagBox_->setChecked(rule.deleteTag);
  (rule.moveSubtags ? subtagsMove_ : subtagsDelete_)->setChecked(true);
  deleteClass_->setChecked(rule.deleteClass);
  deleteStyle_->setChecked(rule.deleteStyle);
  deleteRest_->setChecked(rule.deleteRest);
  replace_->setChecked(rule.replace);
  replacement_->setText(Q(rule.replacement));
  deleteSubtags_->setChecked(rule.deleteSubtags);
  UpdateEnabling();
}

bool TagOptimizationEditor::SaveProfile() {
  StoreShownRule();
  if (shownName_.empty()) return true;
  const std::string error = WriteProfileRules(file_, shownName_, rules_, deletedRules_);
  if (!error.empty()) {
    prompts_.showNote(Q(error));
    return false;
  }
  deletedRules_ = 0;
  return true;
}

void TagOptimizationEditor::NewTag() {
  QString entered;
  for (;;) {
    CNameDlg dialog(false, prompts_, this);
    dialog.check = [](const QString& name) { return Q(CheckNewTagName(name.toStdString())); };
    dialog.Edit()->setText(entered);
    if (prompts_.runDialog(dialog) != QDialog::Accepted) return;
    entered = dialog.Name();
    // Compared with what the file holds for this profile, as the optimization will read it.
    const std::string name = entered.toStdString();
    bool taken = false;
    file_.ReadSection(shownName_, [&](std::int32_t, const std::string& field1, const std::string&, const std::string&) {
      taken = taken || EqualsNoCase(field1, name);
    });
    if (!taken) break;
    prompts_.showNote(T(text::kNameExists));
  }
  CTagRule rule;
  rule.name = entered.toStdString();
  rules_.push_back(rule);
  tags_->addItem(entered);
  tags_->setCurrentRow(tags_->count() - 1);
}

void TagOptimizationEditor::DeleteTag() {
  const int row = tags_->currentRow();
  if (row < 0 || !tags_->item(row)->isSelected()) {
    prompts_.showNote(T(text::kNothingToDelete));
    return;
  }
  shownRule_ = -1;
  rules_.erase(rules_.begin() + row);
  quiet_ = true;
  delete tags_->takeItem(row);
  tags_->setCurrentRow(-1);
  tags_->clearSelection();
  quiet_ = false;
  ++deletedRules_;
  ClearControls();
}

void TagOptimizationEditor::NewProfile() {
  QString entered;
  for (;;) {
    CNameDlg dialog(true, prompts_, this);
    dialog.check = [](const QString& name) { return Q(CheckProfileName(name.toStdString(), kProfileList)); };
    dialog.Edit()->setText(entered);
    if (prompts_.runDialog(dialog) != QDialog::Accepted) return;
    entered = dialog.Name();
    const std::string error = AddProfileToList(file_, kProfileList, entered.toStdString());
    if (error.empty()) break;
    prompts_.showNote(Q(error));
    // Only a taken name is worth another try; a file that cannot be written ends the action.
    if (error != file_text::kNameExists) return;
  }
  quiet_ = true;
  profiles_->addItem(entered);
  quiet_ = false;
  Q_EMIT profileAdded(entered);
  if (loadedIndex_ >= 1 && !SaveProfile()) return;
  SelectProfileQuietly(profiles_->count() - 1);
  loadedIndex_ = profiles_->count() - 1;
  LoadProfile();
}

void TagOptimizationEditor::DeleteProfile() {
  const int index = profiles_->currentIndex();
  if (index < 1) return;
  if (!DeleteProfileAfterAsking(prompts_, file_, kProfileList, *profiles_, index)) return;
  Q_EMIT profileRemoved(index);
  SelectProfileQuietly(index - 1);
  loadedIndex_ = index - 1;
  LoadProfile();
}

void TagOptimizationEditor::accept() {
  if (loadedIndex_ >= 1 && !SaveProfile()) return;
  QDialog::accept();
}

}  // namespace trimvale::shell
