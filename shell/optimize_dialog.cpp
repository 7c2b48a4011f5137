#include "shell/optimize_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "rules/section_file.h"
#include "rules/settings_table.h"
#include "shell/texts.h"

namespace trimvale::shell {

namespace {
QString T(const char* text) { return QString::fromUtf8(text); }

// The persisted switches: field name (the box's object name), label, member.
struct CSwitch {
  const char* name;
  const char* label;
  bool OptimizeOptions::*field;
};
constexpr CSwitch kSwitches[] = {
    {"spanDelete", text::kSpanDelete, &OptimizeOptions::spanDelete},
    {"deleteAllStyles", text::kDeleteAllStyles, &OptimizeOptions::deleteAllStyles},
    {"strongToB", text::kStrongToB, &OptimizeOptions::strongToB},
    {"deleteXml", text::kDeleteXml, &OptimizeOptions::deleteXml},
    {"automatic", text::kAutomatic, &OptimizeOptions::automatic},
    {"deleteEmptyTags", text::kDeleteEmptyTags, &OptimizeOptions::deleteEmptyTags},
    {"blankLineFormats", text::kBlankLineFormats, &OptimizeOptions::blankLineFormats},
    {"removeWordIf", text::kRemoveWordIf, &OptimizeOptions::removeWordIf},
    {"commentsRest", text::kCommentsRest, &OptimizeOptions::commentsRest},
    {"commentsScript", text::kCommentsScript, &OptimizeOptions::commentsScript},
    {"commentsStyle", text::kCommentsStyle, &OptimizeOptions::commentsStyle},
    {"unneededFormats", text::kUnneededFormats, &OptimizeOptions::unneededFormats},
    {"commentsWebbot", text::kCommentsWebbot, &OptimizeOptions::commentsWebbot},
    {"specialChars", text::kSpecialChars, &OptimizeOptions::specialChars},
    {"keepLook", text::kKeepLook, &OptimizeOptions::keepLook},  // stored on its own, beside the vector
};
}  // namespace

OptimizeDialog::OptimizeDialog(ISettingsStore& store, std::string profileFile, QWidget* parent)
    : QDialog(parent), store_(store), profileFile_(std::move(profileFile)) {
  setObjectName(QStringLiteral("optimizeDialog"));
  setWindowTitle(T(text::kOptimizeTitle));
  setAccessibleName(T(text::kOptimizeTitle));

  for (const CSwitch& s : kSwitches) {
    auto* box = new QCheckBox(T(s.label), this);
    box->setObjectName(QString::fromLatin1(s.name));
    boxes_[s.name] = box;
  }
  auto* deleteComments = new QCheckBox(T(text::kDeleteComments), this);
  deleteComments->setObjectName(QStringLiteral("deleteComments"));
  boxes_["deleteComments"] = deleteComments;
  for (auto& [name, box] : boxes_) box->setAccessibleName(box->text());

  auto radio = [this](const char* label, const char* name, const char* accessible) {
    auto* button = new QRadioButton(T(label), this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(T(accessible));
    return button;
  };
  spanAuto_ = radio(text::kAuto, "spanAuto", "<span> löschen: auto");
  spanAll_ = radio(text::kAll, "spanAll", "<span> löschen: alle");
  emptyAuto_ = radio(text::kAuto, "emptyAuto", "Leere Tags löschen: auto");
  emptyAll_ = radio(text::kAll, "emptyAll", "Leere Tags löschen: alle");
  for (auto pair : {std::pair{spanAuto_, spanAll_}, std::pair{emptyAuto_, emptyAll_}}) {
    auto* group = new QButtonGroup(this);
    group->addButton(pair.first);
    group->addButton(pair.second);
  }

  // "Optimierungen" with its three captions.
  auto* optimizations = new QGroupBox(T(text::kGroupOptimizations), this);
  auto* grid = new QGridLayout(optimizations);
  int row = 0;
  auto caption = [&](const char* label) {
    auto* l = new QLabel(QStringLiteral("<b>%1</b>").arg(T(label).toHtmlEscaped()), optimizations);
    l->setAccessibleName(T(label));
    grid->addWidget(l, row++, 0, 1, 3);
  };
  auto line = [&](const char* name, QWidget* a = nullptr, QWidget* b = nullptr) {
    grid->addWidget(boxes_[name], row, 0);
    if (a) grid->addWidget(a, row, 1);
    if (b) grid->addWidget(b, row, 2);
    ++row;
  };
  caption(text::kCaptionKeepsLayout);
  for (const char* name : {"automatic", "deleteXml", "removeWordIf", "unneededFormats", "strongToB", "specialChars",
                           "keepLook"})
    line(name);
  caption(text::kCaptionKeepsLayoutAuto);
  line("spanDelete", spanAuto_, spanAll_);
  line("deleteEmptyTags", emptyAuto_, emptyAll_);
  caption(text::kCaptionChangesLayout);
  line("deleteAllStyles");
  line("blankLineFormats");
  line("deleteComments");
  auto* kinds = new QHBoxLayout;
  for (const char* name : {"commentsStyle", "commentsScript", "commentsWebbot", "commentsRest"})
    kinds->addWidget(boxes_[name]);
  kinds->addStretch();
  grid->addLayout(kinds, row++, 0, 1, 3);

  // "Erweitert" with the profile list.
  auto* advanced = new QGroupBox(T(text::kGroupAdvanced), this);
  auto* advancedLayout = new QHBoxLayout(advanced);
  auto* profileLabel = new QLabel(T(text::kProfileLabel), advanced);
  profiles_ = new QComboBox(advanced);
  profiles_->setObjectName(QStringLiteral("profile"));
  profiles_->setAccessibleName(T(text::kProfileLabel));
  profileLabel->setBuddy(profiles_);
  editButton_ = new QPushButton(T(text::kEditProfiles), advanced);
  editButton_->setObjectName(QStringLiteral("editProfiles"));
  editButton_->setAccessibleName(T(text::kEditProfiles));
  advancedLayout->addWidget(profileLabel);
  advancedLayout->addWidget(profiles_, 1);
  advancedLayout->addWidget(editButton_);

  // "Bereich".
  auto* range = new QGroupBox(T(text::kGroupRange), this);
  auto* rangeLayout = new QHBoxLayout(range);
  rangeSelection_ = radio(text::kRangeSelection, "rangeSelection", text::kRangeSelection);
  rangeWhole_ = radio(text::kRangeWhole, "rangeWhole", text::kRangeWhole);
  rangeLayout->addWidget(rangeSelection_);
  rangeLayout->addWidget(rangeWhole_);

  auto* note = new QLabel(T(text::kLayoutNote), this);
  note->setAccessibleName(T(text::kLayoutNote));

  auto* ok = new QPushButton(T(text::kOk), this);
  ok->setObjectName(QStringLiteral("ok"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(T(text::kCancel), this);
  cancel->setObjectName(QStringLiteral("cancel"));
  auto* settings = new QPushButton(T(text::kSettingsButton), this);
  settings->setObjectName(QStringLiteral("settings"));
  auto* help = new QPushButton(T(text::kHelpButton), this);
  help->setObjectName(QStringLiteral("help"));
  for (QPushButton* b : {ok, cancel, settings}) b->setAccessibleName(b->text());
  help->setAccessibleName(QStringLiteral("Hilfe"));
  help->setShortcut(QKeySequence::HelpContents);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {ok, cancel, settings, help}) buttons->addWidget(b);
  buttons->addStretch();

  auto* left = new QVBoxLayout;
  left->addWidget(optimizations);
  left->addWidget(advanced);
  left->addWidget(range);
  left->addWidget(note);
  auto* top = new QHBoxLayout(this);
  top->addLayout(left, 1);
  top->addLayout(buttons);

  for (const char* name : {"automatic", "spanDelete", "deleteEmptyTags", "deleteComments"}) {
    connect(boxes_[name], &QCheckBox::clicked, this, &OptimizeDialog::UpdateEnabling);
  }
  connect(ok, &QPushButton::clicked, this, &OptimizeDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &OptimizeDialog::reject);
  connect(settings, &QPushButton::clicked, this, &OptimizeDialog::settingsRequested);
  connect(help, &QPushButton::clicked, this,
          [this] { Q_EMIT helpRequested(QStringLiteral("das_dialogfeld_optimieren.htm")); });
  connect(editButton_, &QPushButton::clicked, this, [this] {
    Q_EMIT editProfilesRequested(profiles_->currentIndex() > 0 ? profiles_->currentText() : QString());
  });
}

QCheckBox* OptimizeDialog::Box(const char* objectName) const {
  const auto it = boxes_.find(objectName);
  return it == boxes_.end() ? nullptr : it->second;
}

int OptimizeDialog::ProfileIndex() const { return profiles_->currentIndex(); }

void OptimizeDialog::AddProfile(const QString& name) { profiles_->addItem(name); }

void OptimizeDialog::RemoveProfile(int index) {
  const bool wasChosen = profiles_->currentIndex() == index;
  profiles_->removeItem(index);
  if (wasChosen) profiles_->setCurrentIndex(-1);
}

void OptimizeDialog::SelectProfile(int index) { profiles_->setCurrentIndex(index); }

void OptimizeDialog::Prepare(std::optional<OptimizeRange> range, const OptimizeOptions& options) {
  for (const CSwitch& s : kSwitches) boxes_[s.name]->setChecked(options.*s.field);
  (options.spanAll ? spanAll_ : spanAuto_)->setChecked(true);
  (options.emptyTagsAll ? emptyAll_ : emptyAuto_)->setChecked(true);
  hasRange_ = range.has_value();
  rangeSelection_->setChecked(range == OptimizeRange::Selection);
  rangeWhole_->setChecked(range != OptimizeRange::Selection);
  FillProfiles();
  loadedRules_.reset();
  UpdateEnabling();
}

std::optional<OptimizeRange> OptimizeDialog::Range() const {
  if (!hasRange_) return std::nullopt;
  return rangeSelection_->isChecked() ? OptimizeRange::Selection : OptimizeRange::Whole;
}

void OptimizeDialog::FillProfiles() {
  profiles_->clear();
  profiles_->addItem(T(text::kNoProfile));
  CSectionFile file(profileFile_);
  for (const std::string& name : ListProfiles(file)) profiles_->addItem(QString::fromStdString(name));
  const int index = ReadSetting(store_, setting::kOptimizeProfile);
  profiles_->setCurrentIndex(index >= 0 && index < profiles_->count() ? index : -1);
}

void OptimizeDialog::UpdateEnabling() {
  const bool manual = !boxes_["automatic"]->isChecked();
  for (auto& [name, box] : boxes_) {
    if (name != "automatic" && name != "specialChars" && name != "keepLook") box->setEnabled(manual);
  }
  spanAuto_->setEnabled(manual && boxes_["spanDelete"]->isChecked());
  spanAll_->setEnabled(spanAuto_->isEnabled());
  emptyAuto_->setEnabled(manual && boxes_["deleteEmptyTags"]->isChecked());
  emptyAll_->setEnabled(emptyAuto_->isEnabled());
  const bool kinds = manual && boxes_["deleteComments"]->isChecked();
  for (const char* name : {"commentsStyle", "commentsScript", "commentsWebbot", "commentsRest"})
    boxes_[name]->setEnabled(kinds);
  profiles_->setEnabled(manual);
  editButton_->setEnabled(manual);
  rangeSelection_->setEnabled(hasRange_);
  rangeWhole_->setEnabled(hasRange_);
}

void OptimizeDialog::accept() {
  OptimizeOptions options;
  for (const CSwitch& s : kSwitches) options.*s.field = boxes_[s.name]->isChecked();
  options.spanAll = spanAll_->isChecked();
  options.emptyTagsAll = emptyAll_->isChecked();
  options.deleteComments = boxes_["deleteComments"]->isChecked();
  // The list counts even while "Automatisch" disables it.
  const int index = profiles_->currentIndex();
  options.useProfile = index > 0;
  if (options.useProfile) {
    loadedRules_ = std::make_shared<const CTagRuleList>(
        ReadProfileRules(profileFile_, profiles_->currentText().toStdString()).rules);
  }
  if (index >= 0) store_.WriteInt(setting::kOptimizeProfile.section, setting::kOptimizeProfile.name, index);
  result_ = options;
  QDialog::accept();
}

bool OptimizeDialog::TakeRules(std::shared_ptr<const CTagRuleList>& rules) {
  if (!loadedRules_) return false;
  rules = std::move(loadedRules_);
  return true;
}

}  // namespace trimvale::shell
