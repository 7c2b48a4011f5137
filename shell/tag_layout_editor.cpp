#include "shell/tag_layout_editor.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "rules/rule_file_edit.h"
#include "shell/tag_layout_dialogs.h"
#include "shell/texts.h"

namespace trimvale::shell {

namespace {
QString T(const char* text) { return QString::fromUtf8(text); }
QString Q(const std::string& s) { return QString::fromStdString(s); }

constexpr int kEndTagColumn = 6;
constexpr std::string_view kDefaultProfile = "standard";

// The end-tag kind an item shows: its first digit, -1 when it has none.
int EndTagOf(const QTreeWidgetItem* item) {
  const QString text = item->text(kEndTagColumn);
  return !text.isEmpty() && text.front().isDigit() ? text.front().digitValue() : -1;
}

// The layout string of an item's five columns (with 'L' for empty ones when asked).
std::string LayoutOf(const QTreeWidgetItem* item, bool emptyMeansUnchanged) {
  std::string layout;
  for (std::size_t i = 0; i < kLayoutFields.size(); ++i) {
    layout += LayoutFieldFromColumn(item->text(static_cast<int>(i) + 1), kLayoutFields[i].width, emptyMeansUnchanged);
  }
  return layout;
}
}  // namespace

TagLayoutEditor::TagLayoutEditor(std::string layoutFile, int profileIndex, const CEditorPrompts& prompts,
                                 QWidget* parent)
    : QDialog(parent), prompts_(prompts), file_(std::move(layoutFile)) {
  setObjectName(QStringLiteral("tagLayoutEditor"));
  setWindowTitle(T(text::kLayoutEditorTitle));
  setAccessibleName(T(text::kLayoutEditorTitle));

  // Profiles and tags each have a "Löschen"; the description tells them apart.
  auto button = [this](const char* label, const char* name, const QString& description) {
    auto* b = new QPushButton(T(label), this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(T(label).remove(u'&'));
    b->setAccessibleDescription(description);
    return b;
  };

  auto* profileGroup = new QGroupBox(T(text::kGroupProfile), this);
  auto* profileLabel = new QLabel(T(text::kProfileNameLabel), profileGroup);
  profiles_ = new QComboBox(profileGroup);
  profiles_->setObjectName(QStringLiteral("profile"));
  profiles_->setAccessibleName(QString(T(text::kProfileNameLabel)).remove(u':'));
  profileLabel->setBuddy(profiles_);
  auto* newProfile = button(text::kNewEllipsis, "newProfile", QStringLiteral("Neues Profil"));
  auto* deleteProfile = button(text::kDelete, "deleteProfile", QStringLiteral("Profil löschen"));
  auto* profileLayout = new QHBoxLayout(profileGroup);
  profileLayout->addWidget(profileLabel);
  profileLayout->addWidget(profiles_, 1);
  profileLayout->addWidget(newProfile);
  profileLayout->addWidget(deleteProfile);

  tags_ = new QTreeWidget(this);
  tags_->setObjectName(QStringLiteral("tags"));
  tags_->setAccessibleName(QStringLiteral("Tags"));
  tags_->setRootIsDecorated(false);
  tags_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  tags_->setColumnCount(7);
  tags_->setHeaderLabels({T(text::kColumnTag), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                          QStringLiteral("4"), QStringLiteral("5"), T(text::kColumnEndTag)});
  const int widths[7] = {90, 20, 20, 20, 20, 20, 70};
  for (int c = 0; c < 7; ++c) tags_->setColumnWidth(c, widths[c]);
  auto* explanation = new QLabel(T(text::kColumnsExplained), this);
  explanation->setAccessibleName(T(text::kColumnsExplained));

  auto* editTags = button(text::kEditEllipsis, "editTags", T(text::kEditTagsTitle));
  auto* addTag = button(text::kAddEllipsis, "addTag", T(text::kAddTagTitle));
  auto* deleteTags = button(text::kDelete, "deleteTags", QStringLiteral("Markierte Tags löschen"));
  auto* tagButtons = new QHBoxLayout;
  for (QPushButton* b : {editTags, addTag, deleteTags}) tagButtons->addWidget(b);
  tagButtons->addStretch();

  auto* ok = button(text::kOk, "ok", T(text::kOk));
  ok->setDefault(true);
  auto* cancel = button(text::kCancel, "cancel", T(text::kCancel));
  auto* help = button(text::kHelpButton, "help", QStringLiteral("Hilfe"));
  help->setAccessibleName(QStringLiteral("Hilfe"));
  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {ok, cancel, help}) buttons->addWidget(b);
  buttons->addStretch();

  auto* left = new QVBoxLayout;
  left->addWidget(profileGroup);
  left->addWidget(tags_, 1);
  left->addLayout(tagButtons);
  left->addWidget(explanation);
  auto* top = new QHBoxLayout(this);
  top->addLayout(left, 1);
  top->addLayout(buttons);
  resize(560, 520);

  connect(profiles_, &QComboBox::currentIndexChanged, this, [this] {
    if (!quiet_) SwitchProfile();
  });
  connect(newProfile, &QPushButton::clicked, this, &TagLayoutEditor::NewProfile);
  connect(deleteProfile, &QPushButton::clicked, this, &TagLayoutEditor::DeleteProfile);
  connect(editTags, &QPushButton::clicked, this, &TagLayoutEditor::EditTags);
  connect(addTag, &QPushButton::clicked, this, &TagLayoutEditor::AddTag);
  connect(deleteTags, &QPushButton::clicked, this, &TagLayoutEditor::DeleteTags);
  connect(ok, &QPushButton::clicked, this, &TagLayoutEditor::accept);
  connect(cancel, &QPushButton::clicked, this, &TagLayoutEditor::reject);
  connect(help, &QPushButton::clicked, this, [this] { Q_EMIT helpRequested(T(text::kLayoutHelpTopic)); });

  quiet_ = true;
  for (const std::string& name : ListProfileNames(file_, kLayoutProfileList)) profiles_->addItem(Q(name));
  profiles_->setCurrentIndex(profileIndex >= 0 && profileIndex < profiles_->count() ? profileIndex : -1);
  quiet_ = false;
  ShowProfile(profiles_->currentIndex());
}

int TagLayoutEditor::SelectedIndex() const { return profiles_->currentIndex(); }

void TagLayoutEditor::SelectQuietly(int index) {
  quiet_ = true;
  profiles_->setCurrentIndex(index);
  quiet_ = false;
}

void TagLayoutEditor::FillTags(const std::string& section) {
  tags_->clear();
  file_.ReadSection(section,
                    [&](std::int32_t, const std::string& name, const std::string& endTag, const std::string& layout) {
                      auto* item = new QTreeWidgetItem(tags_);
                      item->setText(0, Q(name));
                      if (layout.size() > 7) {
                        for (std::size_t i = 0; i < kLayoutFields.size(); ++i) {
                          const CLayoutField f = kLayoutFields[i];
                          item->setText(static_cast<int>(i) + 1,
                                        ColumnFromLayoutField(std::string_view(layout).substr(
                                            static_cast<std::size_t>(f.offset), static_cast<std::size_t>(f.width))));
                        }
                      }
                      item->setText(kEndTagColumn, Q(endTag));
                    });
  changed_ = false;
  deletedTags_ = 0;
}

void TagLayoutEditor::ShowProfile(int index) {
  shownIndex_ = index;
  const QString name = index >= 0 ? profiles_->itemText(index) : QString();
  shownName_ = name.isEmpty() ? std::string(kDefaultProfile) : name.toStdString();
  FillTags(shownName_);
}

bool TagLayoutEditor::SaveShown() {
  if (!changed_) return true;
  if (IsStandard()) return true;  // never written; the commands refuse to change them
  if (!prompts_.askYesNo(T(text::kAskSaveProfile))) {
    changed_ = false;
    deletedTags_ = 0;
    return true;
  }
  std::vector<CLayoutEntryText> entries;
  for (int i = 0; i < tags_->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = tags_->topLevelItem(i);
    entries.push_back({item->text(0).toStdString(), item->text(kEndTagColumn).toStdString(), LayoutOf(item, false)});
  }
  const std::string error = WriteLayoutProfile(file_, shownName_, entries, deletedTags_);
  if (!error.empty()) {
    prompts_.showNote(Q(error));
    return false;
  }
  changed_ = false;
  deletedTags_ = 0;
  return true;
}

void TagLayoutEditor::SwitchProfile() {
  const int index = profiles_->currentIndex();
  if (index == shownIndex_) return;
  if (!SaveShown()) {
    SelectQuietly(shownIndex_);
    return;
  }
  ShowProfile(index);
}

void TagLayoutEditor::NewProfile() {
  QStringList names;
  for (int i = 0; i < profiles_->count(); ++i) names << profiles_->itemText(i);
  NewLayoutProfileDialog dialog(names, prompts_, this);
  dialog.create = [this](const QString& name, const QString& templateName) {
    return Q(AddProfileToList(file_, kLayoutProfileList, name.toStdString(), templateName.toStdString()));
  };
  if (prompts_.runDialog(dialog) != QDialog::Accepted) return;
  quiet_ = true;
  profiles_->addItem(dialog.Name());
  quiet_ = false;
  Q_EMIT profileAdded(dialog.Name());
  if (!SaveShown()) return;
  SelectQuietly(profiles_->count() - 1);
  ShowProfile(profiles_->count() - 1);
}

void TagLayoutEditor::DeleteProfile() {
  const int index = profiles_->currentIndex();
  if (index < 0) return;
  if (index < kStandardLayoutProfiles) {
    prompts_.showNote(T(text::kStandardNotDeletable));
    return;
  }
  if (!DeleteProfileAfterAsking(prompts_, file_, kLayoutProfileList, *profiles_, index)) return;
  Q_EMIT profileRemoved(index);
  const int previous = std::max(index - 1, 0);
  SelectQuietly(previous);
  ShowProfile(previous);
}

void TagLayoutEditor::EditTags() {
  if (IsStandard()) {
    prompts_.showNote(T(text::kStandardNotEditable));
    return;
  }
  std::vector<QTreeWidgetItem*> selected;
  for (int i = 0; i < tags_->topLevelItemCount(); ++i) {
    if (tags_->topLevelItem(i)->isSelected()) selected.push_back(tags_->topLevelItem(i));
  }
  if (selected.empty()) return;
  // Start values: where the selected tags differ, the field stays unchanged.
  CTagEditValue start{EndTagOf(selected.front()), LayoutOf(selected.front(), true)};
  for (std::size_t n = 1; n < selected.size(); ++n) {
    const std::string layout = LayoutOf(selected[n], true);
    for (const CLayoutField& f : kLayoutFields) {
      const auto at = static_cast<std::size_t>(f.offset);
      const auto width = static_cast<std::size_t>(f.width);
      if (layout.compare(at, width, start.layout, at, width) != 0) start.layout.replace(at, width, width, 'L');
    }
    if (EndTagOf(selected[n]) != start.endTag) start.endTag = -1;
  }
  EditTagsDialog dialog(start, prompts_, this);
  if (prompts_.runDialog(dialog) != QDialog::Accepted) return;
  const CTagEditValue value = dialog.Value();
  changed_ = true;
  for (QTreeWidgetItem* item : selected) {
    if (value.endTag >= 0) item->setText(kEndTagColumn, QString::number(value.endTag));
    for (std::size_t i = 0; i < kLayoutFields.size(); ++i) {
      const std::string field = value.layout.substr(static_cast<std::size_t>(kLayoutFields[i].offset),
                                                    static_cast<std::size_t>(kLayoutFields[i].width));
      if (field[0] != 'L') item->setText(static_cast<int>(i) + 1, ColumnFromLayoutField(field));
    }
  }
}

void TagLayoutEditor::AddTag() {
  if (IsStandard()) {
    prompts_.showNote(T(text::kStandardNotEditable));
    return;
  }
  QString name;
  int values[5] = {0, 0, 0, 0, 0};
  int endTag = 0;
  std::string layout;
  for (;;) {
    AddTagDialog dialog(prompts_, this);
    dialog.NameEdit()->setText(name);
    for (int i = 0; i < 5; ++i) dialog.Value(i)->setValue(values[i]);
    dialog.EndTag(endTag)->setChecked(true);
    if (prompts_.runDialog(dialog) != QDialog::Accepted) return;
    name = dialog.Name();
    for (int i = 0; i < 5; ++i) values[i] = dialog.Value(i)->value();
    endTag = dialog.EndTagKind();
    layout = dialog.Layout();
    bool taken = false;
    for (int i = 0; i < tags_->topLevelItemCount(); ++i) {
      taken = taken || tags_->topLevelItem(i)->text(0).compare(name, Qt::CaseInsensitive) == 0;
    }
    if (!taken) break;
    prompts_.showNote(T(text::kTagExists));
  }
  auto* item = new QTreeWidgetItem(tags_);
  item->setText(0, name);
  for (std::size_t i = 0; i < kLayoutFields.size(); ++i) {
    item->setText(static_cast<int>(i) + 1, ColumnFromLayoutField(std::string_view(layout).substr(
                                               static_cast<std::size_t>(kLayoutFields[i].offset),
                                               static_cast<std::size_t>(kLayoutFields[i].width))));
  }
  item->setText(kEndTagColumn, QString::number(endTag));
  changed_ = true;
}

void TagLayoutEditor::DeleteTags() {
  if (IsStandard()) {
    prompts_.showNote(T(text::kStandardInUse));
    return;
  }
  changed_ = true;
  std::vector<int> rows;
  for (int i = 0; i < tags_->topLevelItemCount(); ++i) {
    if (tags_->topLevelItem(i)->isSelected()) rows.push_back(i);
  }
  if (rows.empty()) {
    prompts_.showNote(T(text::kNothingToDelete));
    return;
  }
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) delete tags_->takeTopLevelItem(*it);
  deletedTags_ += static_cast<int>(rows.size());
}

void TagLayoutEditor::accept() {
  if (!SaveShown()) return;
  QDialog::accept();
}

}  // namespace trimvale::shell
