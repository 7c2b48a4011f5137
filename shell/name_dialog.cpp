#include "shell/name_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>

#include "shell/texts.h"

namespace trimvale::shell {

namespace {
QString T(const char* text) { return QString::fromUtf8(text); }

bool IsAsciiLetter(QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// Drops what is not a letter instead of refusing the whole change, so that pasting
// "Mein Profil 2" gives "MeinProfil" and every editing key keeps working.
class CLetterFilter : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override {
    QString kept;
    kept.reserve(input.size());
    int newPos = pos;
    for (int i = 0; i < input.size(); ++i) {
      if (IsAsciiLetter(input[i])) {
        kept += input[i];
      } else if (i < pos) {
        --newPos;
      }
    }
    input = kept;
    pos = newPos;
    return Acceptable;
  }
};
}  // namespace

CLetterEdit::CLetterEdit(QWidget* parent) : QLineEdit(parent) {}

void CLetterEdit::SetFilter(bool on) {
  filter_ = on;
  setValidator(on ? new CLetterFilter(this) : nullptr);
  if (on) setText(text());
}

CNameDlg::CNameDlg(bool filter, const CEditorPrompts& prompts, QWidget* parent) : QDialog(parent), prompts_(prompts) {
  setObjectName(QStringLiteral("nameDialog"));
  setWindowTitle(T(text::kName));
  setAccessibleName(T(text::kName));
  auto* label = new QLabel(T(text::kName), this);
  edit_ = new CLetterEdit(this);
  edit_->setObjectName(QStringLiteral("name"));
  edit_->setAccessibleName(T(text::kName));
  edit_->SetFilter(filter);
  label->setBuddy(edit_);
  auto* ok = new QPushButton(T(text::kOk), this);
  ok->setObjectName(QStringLiteral("ok"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(T(text::kCancel), this);
  cancel->setObjectName(QStringLiteral("cancel"));
  for (QPushButton* b : {ok, cancel}) b->setAccessibleName(b->text());
  auto* row = new QHBoxLayout;
  row->addWidget(label);
  row->addWidget(edit_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &CNameDlg::accept);
  connect(cancel, &QPushButton::clicked, this, &CNameDlg::reject);
}

void CNameDlg::accept() {
  const QString name = Name();
  QString problem;
  if (name.isEmpty()) {
    problem = T(text::kEnterName);
  } else if (check) {
    problem = check(name);
  }
  if (!problem.isEmpty()) {
    prompts_.showNote(problem);
    edit_->setFocus();
    edit_->selectAll();
    return;
  }
  QDialog::accept();
}

}  // namespace trimvale::shell
