#include "shell/find_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "shell/texts.h"

namespace trimvale::shell {

namespace {
QString T(const char* text) { return QString::fromUtf8(text); }
QString Plain(const char* text) { return QString::fromUtf8(text).remove(u'&'); }
}  // namespace

FindDialog::FindDialog(QPlainTextEdit* editor, QWidget* parent)
    : QDialog(parent),
      editor_(editor),
      findField_(new QLineEdit(this)),
      replaceField_(new QLineEdit(this)),
      replaceLabel_(new QLabel(T(text::kReplaceWith), this)),
      matchCase_(new QCheckBox(T(text::kMatchCase), this)),
      wholeWord_(new QCheckBox(T(text::kWholeWord), this)),
      searchUp_(new QCheckBox(T(text::kSearchUp), this)),
      replaceButton_(new QPushButton(T(text::kReplaceButton), this)),
      replaceAllButton_(new QPushButton(T(text::kReplaceAllButton), this)) {
  setObjectName(QStringLiteral("findDialog"));
  auto* findLabel = new QLabel(T(text::kFindWhat), this);
  findLabel->setBuddy(findField_);
  replaceLabel_->setBuddy(replaceField_);
  findField_->setObjectName(QStringLiteral("findText"));
  findField_->setAccessibleName(Plain(text::kFindWhat));
  replaceField_->setObjectName(QStringLiteral("replaceText"));
  replaceField_->setAccessibleName(Plain(text::kReplaceWith));
  auto* nextButton = new QPushButton(T(text::kFindNextButton), this);
  auto* closeButton = new QPushButton(T(text::kClose), this);
  nextButton->setDefault(true);
  for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{matchCase_, wholeWord_, searchUp_, nextButton,
                                                                    replaceButton_, replaceAllButton_, closeButton}) {
    b->setAccessibleName(b->text().remove(u'&'));
  }

  auto* grid = new QGridLayout(this);
  grid->addWidget(findLabel, 0, 0);
  grid->addWidget(findField_, 0, 1);
  grid->addWidget(replaceLabel_, 1, 0);
  grid->addWidget(replaceField_, 1, 1);
  grid->addWidget(matchCase_, 2, 0, 1, 2);
  grid->addWidget(wholeWord_, 3, 0, 1, 2);
  grid->addWidget(searchUp_, 4, 0, 1, 2);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {nextButton, replaceButton_, replaceAllButton_, closeButton}) buttons->addWidget(b);
  buttons->addStretch();
  grid->addLayout(buttons, 0, 2, 5, 1);

  connect(nextButton, &QPushButton::clicked, this, [this] { FindNext(); });
  connect(replaceButton_, &QPushButton::clicked, this, [this] { ReplaceCurrent(); });
  connect(replaceAllButton_, &QPushButton::clicked, this, [this] { ReplaceAll(); });
  connect(closeButton, &QPushButton::clicked, this, &QDialog::hide);
}

void FindDialog::Open(bool replace) {
  setWindowTitle(T(replace ? text::kReplaceTitle : text::kFindTitle));
  setAccessibleName(windowTitle());
  for (QWidget* w : std::initializer_list<QWidget*>{replaceLabel_, replaceField_, replaceButton_, replaceAllButton_}) {
    w->setVisible(replace);
  }
  const QString selected = editor_->textCursor().selectedText();
  if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator)) findField_->setText(selected);
  show();
  raise();
  activateWindow();
  findField_->setFocus();
  findField_->selectAll();
}

QTextDocument::FindFlags FindDialog::Flags() const {
  QTextDocument::FindFlags flags;
  if (matchCase_->isChecked()) flags |= QTextDocument::FindCaseSensitively;
  if (wholeWord_->isChecked()) flags |= QTextDocument::FindWholeWords;
  if (searchUp_->isChecked()) flags |= QTextDocument::FindBackward;
  return flags;
}

bool FindDialog::FindNext() {
  const QString what = findField_->text();
  if (what.isEmpty()) {
    Open(false);
    return false;
  }
  if (editor_->find(what, Flags())) return true;
  QMessageBox::information(isVisible() ? static_cast<QWidget*>(this) : editor_, T(text::kAppName),
                           T(text::kNotFound).arg(what));
  return false;
}

bool FindDialog::ReplaceCurrent() {
  QTextCursor cursor = editor_->textCursor();
  const Qt::CaseSensitivity cs = matchCase_->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
  if (cursor.hasSelection() && cursor.selectedText().compare(findField_->text(), cs) == 0) {
    cursor.insertText(replaceField_->text());
    editor_->setTextCursor(cursor);
  }
  return FindNext();
}

int FindDialog::ReplaceAll() {
  const QString what = findField_->text();
  if (what.isEmpty()) return 0;
  QTextDocument* document = editor_->document();
  const QTextDocument::FindFlags flags = Flags() & ~QTextDocument::FindBackward;
  QTextCursor edit(document);
  edit.beginEditBlock();  // one undo step for all replacements
  int count = 0;
  QTextCursor found = document->find(what, 0, flags);
  while (!found.isNull()) {
    found.insertText(replaceField_->text());
    ++count;
    found = document->find(what, found.position(), flags);
  }
  edit.endEditBlock();
  if (count == 0) QMessageBox::information(this, T(text::kAppName), T(text::kNotFound).arg(what));
  return count;
}

}  // namespace trimvale::shell
