#include "shell/tag_layout_dialogs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "rules/rule_file_edit.h"
#include "shell/texts.h"

namespace trimvale::shell {

namespace {
QString T(const char* text) { return QString::fromUtf8(text); }

constexpr const char* kFieldLabels[5] = {text::kBreakBefore, text::kBreaksAfter, text::kIndentSubtags,
                                         text::kBreaksBeforeEnd, text::kBreaksAfterEnd};
constexpr const char* kEndTagLabels[3] = {text::kEndTagNone, text::kEndTagAlways, text::kEndTagPartly};

std::array<QRadioButton*, 3> MakeEndTagGroup(QDialog* dialog, QVBoxLayout* into) {
  auto* group = new QGroupBox(T(text::kEndTagGroup), dialog);
  auto* layout = new QHBoxLayout(group);
  auto* buttons = new QButtonGroup(dialog);
  std::array<QRadioButton*, 3> radios{};
  for (int kind = 0; kind < 3; ++kind) {
    auto* radio = new QRadioButton(T(kEndTagLabels[kind]), group);
    radio->setObjectName(QStringLiteral("endTag%1").arg(kind));
    radio->setAccessibleName(T(kEndTagLabels[kind]));
    buttons->addButton(radio, kind);
    layout->addWidget(radio);
    radios[static_cast<std::size_t>(kind)] = radio;
  }
  into->addWidget(group);
  return radios;
}

void AddOkCancel(QDialog* dialog, QVBoxLayout* into) {
  auto* ok = new QPushButton(T(text::kOk), dialog);
  ok->setObjectName(QStringLiteral("ok"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(T(text::kCancel), dialog);
  cancel->setObjectName(QStringLiteral("cancel"));
  auto* row = new QHBoxLayout;
  row->addStretch();
  for (QPushButton* b : {ok, cancel}) {
    b->setAccessibleName(b->text());
    row->addWidget(b);
  }
  into->addLayout(row);
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
}

std::string CountField(int count) { return count <= 0 ? "00" : count == 1 ? "01" : "11"; }
}  // namespace

std::string LayoutFieldFromColumn(const QString& column, int width, bool emptyMeansUnchanged) {
  if (column.isEmpty()) return std::string(static_cast<std::size_t>(width), emptyMeansUnchanged ? 'L' : '0');
  if (width == 1) return column.left(1).toStdString();
  return column == u"0" ? "00" : column == u"1" ? "01" : "11";
}

QString ColumnFromLayoutField(std::string_view field) {
  return QString::number(static_cast<int>(std::count(field.begin(), field.end(), '1')));
}

EditTagsDialog::EditTagsDialog(const CTagEditValue& start, const CEditorPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts), value_(start) {
  setObjectName(QStringLiteral("editTagsDialog"));
  setWindowTitle(T(text::kEditTagsTitle));
  setAccessibleName(T(text::kEditTagsTitle));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  for (int i = 0; i < 5; ++i) {
    const CLayoutField f = kLayoutFields[static_cast<std::size_t>(i)];
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QStringLiteral("field%1").arg(i + 1));
    edit->setAccessibleName(T(kFieldLabels[i]));
    edit->setMaxLength(1);
    const std::string field =
        start.layout.substr(static_cast<std::size_t>(f.offset), static_cast<std::size_t>(f.width));
    if (field.find('L') == std::string::npos) {
      edit->setText(f.width == 1 ? QString::fromStdString(field) : ColumnFromLayoutField(field));
    }
    auto* label = new QLabel(T(kFieldLabels[i]), this);
    label->setBuddy(edit);
    grid->addWidget(edit, i, 0);
    grid->addWidget(label, i, 1);
    fields_[static_cast<std::size_t>(i)] = edit;
  }
  layout->addLayout(grid);
  auto* note = new QLabel(T(text::kEmptyFieldsNote), this);
  note->setAccessibleName(T(text::kEmptyFieldsNote));
  layout->addWidget(note);
  endTags_ = MakeEndTagGroup(this, layout);
  if (start.endTag >= 0 && start.endTag < 3) endTags_[static_cast<std::size_t>(start.endTag)]->setChecked(true);
  AddOkCancel(this, layout);
}

void EditTagsDialog::accept() {
  CTagEditValue value;
  for (int i = 0; i < 5; ++i) {
    const CLayoutField f = kLayoutFields[static_cast<std::size_t>(i)];
    QLineEdit* edit = fields_[static_cast<std::size_t>(i)];
    const QString text = edit->text();
    const QChar first = text.isEmpty() ? QChar() : text.front();
    const bool valid = text.isEmpty() || first == u'0' || first == u'1' || (f.width == 2 && first == u'2');
    if (!valid) {
      prompts_.showNote(T(f.width == 1 ? text::kEnter01 : text::kEnter012));
      edit->setFocus();
      edit->selectAll();
      return;
    }
    value.layout.replace(static_cast<std::size_t>(f.offset), static_cast<std::size_t>(f.width),
                         LayoutFieldFromColumn(text, f.width, true));
  }
  for (int kind = 0; kind < 3; ++kind) {
    if (endTags_[static_cast<std::size_t>(kind)]->isChecked()) value.endTag = kind;
  }
  value_ = value;
  QDialog::accept();
}

AddTagDialog::AddTagDialog(const CEditorPrompts& prompts, QWidget* parent) : QDialog(parent), prompts_(prompts) {
  setObjectName(QStringLiteral("addTagDialog"));
  setWindowTitle(T(text::kAddTagTitle));
  setAccessibleName(T(text::kAddTagTitle));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  name_ = new QLineEdit(this);
  name_->setObjectName(QStringLiteral("tagName"));
  name_->setAccessibleName(T(text::kTagName));
  auto* nameLabel = new QLabel(T(text::kTagName), this);
  nameLabel->setBuddy(name_);
  grid->addWidget(nameLabel, 0, 1);
  grid->addWidget(name_, 0, 0);
  for (int i = 0; i < 5; ++i) {
    auto* spin = new QSpinBox(this);
    spin->setObjectName(QStringLiteral("value%1").arg(i + 1));
    spin->setAccessibleName(T(kFieldLabels[i]));
    spin->setRange(0, kLayoutFields[static_cast<std::size_t>(i)].width == 1 ? 1 : 2);
    auto* label = new QLabel(T(kFieldLabels[i]), this);
    label->setBuddy(spin);
    grid->addWidget(spin, i + 1, 0);
    grid->addWidget(label, i + 1, 1);
    values_[static_cast<std::size_t>(i)] = spin;
  }
  layout->addLayout(grid);
  endTags_ = MakeEndTagGroup(this, layout);
  endTags_[0]->setChecked(true);
  AddOkCancel(this, layout);
}

QString AddTagDialog::Name() const { return name_->text().trimmed(); }

int AddTagDialog::EndTagKind() const {
  for (int kind = 0; kind < 3; ++kind) {
    if (endTags_[static_cast<std::size_t>(kind)]->isChecked()) return kind;
  }
  return 0;
}

std::string AddTagDialog::Layout() const {
  std::string layout;
  for (int i = 0; i < 5; ++i) {
    const int value = values_[static_cast<std::size_t>(i)]->value();
    layout += kLayoutFields[static_cast<std::size_t>(i)].width == 1 ? (value ? "1" : "0") : CountField(value);
  }
  return layout;
}

void AddTagDialog::accept() {
  const QString name = Name();
  const QString problem =
      name.isEmpty() ? T(text::kEnterTagName) : QString::fromStdString(CheckNewTagName(name.toStdString()));
  if (!problem.isEmpty()) {
    prompts_.showNote(problem);
    name_->setFocus();
    name_->selectAll();
    return;
  }
  QDialog::accept();
}

NewLayoutProfileDialog::NewLayoutProfileDialog(const QStringList& profiles, const CEditorPrompts& prompts,
                                               QWidget* parent)
    : QDialog(parent), prompts_(prompts), profiles_(profiles) {
  setObjectName(QStringLiteral("newProfileDialog"));
  setWindowTitle(T(text::kNewProfileTitle));
  setAccessibleName(T(text::kNewProfileTitle));
  auto* layout = new QVBoxLayout(this);
  auto* nameRow = new QHBoxLayout;
  auto* nameLabel = new QLabel(T(text::kName), this);
  name_ = new QLineEdit(this);
  name_->setObjectName(QStringLiteral("name"));
  name_->setAccessibleName(T(text::kName));
  nameLabel->setBuddy(name_);
  nameRow->addWidget(nameLabel);
  nameRow->addWidget(name_, 1);
  layout->addLayout(nameRow);
  empty_ = new QRadioButton(T(text::kEmptyProfile), this);
  empty_->setObjectName(QStringLiteral("emptyProfile"));
  empty_->setAccessibleName(T(text::kEmptyProfile));
  fromTemplate_ = new QRadioButton(T(text::kFromTemplate), this);
  fromTemplate_->setObjectName(QStringLiteral("fromTemplate"));
  fromTemplate_->setAccessibleName(T(text::kFromTemplate));
  fromTemplate_->setChecked(true);
  template_ = new QComboBox(this);
  template_->setObjectName(QStringLiteral("template"));
  template_->setAccessibleName(T(text::kFromTemplate));
  template_->addItems(profiles);
  template_->setCurrentIndex(profiles.isEmpty() ? -1 : 0);
  layout->addWidget(empty_);
  layout->addWidget(fromTemplate_);
  layout->addWidget(template_);
  connect(fromTemplate_, &QRadioButton::toggled, template_, &QComboBox::setEnabled);
  AddOkCancel(this, layout);
}

QString NewLayoutProfileDialog::Name() const { return name_->text().trimmed(); }

void NewLayoutProfileDialog::accept() {
  const QString name = Name();
  QString problem;
  if (name.isEmpty()) {
    problem = T(text::kEnterProfileName);
  } else {
    // Sections compare without regard to case: "Standard" would be the section "standard".
    for (const QString& existing : profiles_) {
      if (existing.compare(name, Qt::CaseInsensitive) == 0) problem = T(text::kNameExists);
    }
  }
  if (problem.isEmpty()) problem = QString::fromStdString(CheckProfileName(name.toStdString(), kLayoutProfileList));
  if (problem.isEmpty() && create) {
    problem = create(name, fromTemplate_->isChecked() ? template_->currentText() : QString());
  }
  if (!problem.isEmpty()) {
    prompts_.showNote(problem);
    name_->setFocus();
    name_->selectAll();
    return;
  }
  QDialog::accept();
}

}  // namespace trimvale::shell
