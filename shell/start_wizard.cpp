#include "shell/start_wizard.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

#include "shell/texts.h"

namespace trimvale::shell {

namespace {
QString T(const char* text) { return QString::fromUtf8(text); }
}  // namespace

StartWizard::StartWizard(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("startWizard"));
  setWindowTitle(T(text::kWizardTitle));
  setAccessibleName(T(text::kWizardTitle));

  auto* group = new QGroupBox(T(text::kWizardQuestion), this);
  group->setAccessibleName(T(text::kWizardQuestion));
  auto* grid = new QGridLayout(group);
  auto* buttons = new QButtonGroup(this);
  const char* texts[] = {text::kWizardOneFile, text::kWizardSeveralFiles, text::kWizardDirectory,
                         text::kWizardClipboard};
  // A picture beside each choice, from the same icons the tool bar shows for these commands;
  // the clipboard has none there, so the theme's paste icon stands in when the theme has one.
  const QIcon pictures[] = {
      style()->standardIcon(QStyle::SP_FileIcon), style()->standardIcon(QStyle::SP_FileDialogListView),
      style()->standardIcon(QStyle::SP_DirIcon),
      QIcon::fromTheme(QStringLiteral("edit-paste"), style()->standardIcon(QStyle::SP_FileDialogContentsView))};
  for (int i = 0; i < 4; ++i) {
    auto* picture = new QLabel(group);
    picture->setPixmap(pictures[i].pixmap(32, 32));
    auto* radio = new QRadioButton(T(texts[i]), group);
    radio->setObjectName(QStringLiteral("choice%1").arg(i));
    radio->setAccessibleName(T(texts[i]).section(u'\n', 0, 0));
    picture->setAccessibleName(radio->accessibleName());
    buttons->addButton(radio, i);
    grid->addWidget(picture, i, 0);
    grid->addWidget(radio, i, 1);
    choices_[static_cast<std::size_t>(i)] = radio;
  }
  choices_[0]->setChecked(true);

  showAtStart_ = new QCheckBox(T(text::kWizardShowAtStart), this);
  showAtStart_->setObjectName(QStringLiteral("showAtStart"));
  showAtStart_->setAccessibleName(T(text::kWizardShowAtStart));
  auto* next = new QPushButton(T(text::kWizardNext), this);
  next->setObjectName(QStringLiteral("next"));
  next->setAccessibleName(T(text::kWizardNext));
  next->setDefault(true);
  auto* cancel = new QPushButton(T(text::kCancel), this);
  cancel->setObjectName(QStringLiteral("cancel"));
  cancel->setAccessibleName(T(text::kCancel));

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(showAtStart_);
  bottom->addStretch();
  bottom->addWidget(next);
  bottom->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addLayout(bottom);
  connect(next, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void StartWizard::Preset(int choice, bool showAtStart) {
  choices_[static_cast<std::size_t>(choice >= 0 && choice < 4 ? choice : 0)]->setChecked(true);
  showAtStart_->setChecked(showAtStart);
}

int StartWizard::SelectedChoice() const {
  for (int i = 0; i < 4; ++i) {
    if (choices_[static_cast<std::size_t>(i)]->isChecked()) return i;
  }
  return 0;
}

bool StartWizard::ShowAtStart() const { return showAtStart_->isChecked(); }

}  // namespace trimvale::shell
