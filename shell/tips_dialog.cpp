#include "shell/tips_dialog.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <climits>
#include <ctime>

#include "rules/file_io.h"
#include "rules/settings_table.h"
#include "shell/texts.h"

namespace trimvale::shell {

namespace {
QString T(const char* text) { return QString::fromUtf8(text); }

bool IsTipLine(const QByteArray& line) {
  if (line.isEmpty()) return false;
  const char first = line.front();
  return first != ' ' && first != '\t' && first != '\n' && first != '\r' && first != ';';
}
}  // namespace

TipsDialog::TipsDialog(ISettingsStore& store, const QString& tipsPath, std::function<void(const QString&)> showNote,
                       QWidget* parent)
    : QDialog(parent), store_(store), showNote_(std::move(showNote)), file_(tipsPath) {
  setObjectName(QStringLiteral("tipsDialog"));
  setWindowTitle(T(text::kTipsTitle));
  setAccessibleName(T(text::kTipsTitle));

  auto* bulb = new QLabel(this);
  bulb->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
  bulb->setAccessibleName(T(text::kTipsHeading));
  auto* heading = new QLabel(T(text::kTipsHeading), this);
  QFont bold = heading->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.3);
  heading->setFont(bold);
  heading->setAccessibleName(T(text::kTipsHeading));
  tipText_ = new QLabel(this);
  tipText_->setObjectName(QStringLiteral("tipText"));
  tipText_->setAccessibleName(T(text::kTipsTitle));
  tipText_->setWordWrap(true);
  tipText_->setTextFormat(Qt::PlainText);
  tipText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  tipText_->setMinimumSize(380, 140);
  tipText_->setAutoFillBackground(true);
  QPalette white = tipText_->palette();
  white.setColor(QPalette::Window, Qt::white);
  white.setColor(QPalette::WindowText, Qt::black);
  tipText_->setPalette(white);
  tipText_->setMargin(10);

  atStartUp_ = new QCheckBox(T(text::kTipsAtStartUp), this);
  atStartUp_->setObjectName(QStringLiteral("atStartUp"));
  atStartUp_->setAccessibleName(T(text::kTipsAtStartUp).remove(u'&'));
  next_ = new QPushButton(T(text::kTipsNext), this);
  next_->setObjectName(QStringLiteral("next"));
  next_->setAccessibleName(T(text::kTipsNext).remove(u'&'));
  auto* close = new QPushButton(T(text::kTipsClose), this);
  close->setObjectName(QStringLiteral("close"));
  close->setAccessibleName(T(text::kTipsClose).remove(u'&'));
  close->setDefault(true);

  auto* field = new QVBoxLayout;
  field->addWidget(heading);
  field->addWidget(tipText_, 1);
  auto* top = new QHBoxLayout;
  top->addWidget(bulb, 0, Qt::AlignTop);
  top->addLayout(field, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(atStartUp_);
  bottom->addStretch();
  bottom->addWidget(next_);
  bottom->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addLayout(bottom);
  connect(next_, &QPushButton::clicked, this, &TipsDialog::NextTip);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  atStartUp_->setChecked(ReadSetting(store_, setting::kTipStartUp) <= 0);
  // Only a plain file of rule-file size: a FIFO would block the start, a device never end.
  const QFileInfo info(tipsPath);
  if (!info.isFile() || info.size() > static_cast<qint64>(kMaxRuleFileSize) || !file_.open(QIODevice::ReadOnly)) {
    ShowNoTips();
    return;
  }
  const QString stamp = TimeStampText(info.lastModified().toSecsSinceEpoch());
  qint64 position = 0;
  if (stamp.toStdString() != ReadStringSetting(store_, setting::kTipTimeStamp)) {
    store_.WriteString(setting::kTipTimeStamp.section, setting::kTipTimeStamp.name, stamp.toStdString());
  } else {
    position = ReadSetting(store_, setting::kTipFilePos);
  }
  // A position the file no longer reaches (it was shortened within the same second, or the
  // store was edited) starts again at the first tip.
  if (position < 0 || position > file_.size()) position = 0;
  if (!file_.seek(position)) {
    showNote_(T(text::kTipsReadProblem));
    return;
  }
  // A position inside a line (the file was changed under the same stamp) goes on at the next
  // whole line rather than showing the rest of one as a tip.
  if (position > 0) {
    char before = '\n';
    if (file_.seek(position - 1) && file_.getChar(&before) && before != '\n') file_.readLine();
  }
  ReadNextTip();
}

TipsDialog::~TipsDialog() {
  if (!file_.isOpen()) return;
  const qint64 position = file_.pos();
  store_.WriteInt(setting::kTipFilePos.section, setting::kTipFilePos.name,
                  position >= 0 && position <= INT32_MAX ? static_cast<std::int32_t>(position) : 0);
}

bool TipsDialog::ShowAtStartUp() const { return atStartUp_->isChecked(); }

void TipsDialog::NextTip() {
  if (file_.isOpen()) ReadNextTip();
}

void TipsDialog::ReadNextTip() {
  // Once round the file at most: a file without any tip line ends the search instead of
  // reading on forever.
  bool wrapped = false;
  for (;;) {
    if (file_.atEnd()) {
      if (wrapped) {
        ShowNoTips();
        return;
      }
      if (!file_.seek(0)) {
        showNote_(T(text::kTipsReadProblem));
        return;
      }
      wrapped = true;
      continue;
    }
    // The whole line, however long: a long tip is one tip, not the start of two.
    const QByteArray line = file_.readLine();
    if (line.isEmpty()) {
      if (!file_.atEnd()) {
        showNote_(T(text::kTipsReadProblem));
        return;
      }
      continue;
    }
    if (!IsTipLine(line)) continue;
    QByteArray tip = line;
    while (!tip.isEmpty() && (tip.back() == '\n' || tip.back() == '\r')) tip.chop(1);
    tip_ = QString::fromUtf8(tip);
    tipText_->setText(tip_);
    next_->setEnabled(true);
    return;
  }
}

void TipsDialog::ShowNoTips() {
  tip_ = T(text::kTipsMissing);
  tipText_->setText(tip_);
  next_->setEnabled(false);
}

void TipsDialog::done(int result) {
  // However the dialog is closed, the box's state is what the user sees and expects kept.
  store_.WriteInt(setting::kTipStartUp.section, setting::kTipStartUp.name, atStartUp_->isChecked() ? 0 : 1);
  QDialog::done(result);
}

QString TipsDialog::TimeStampText(std::int64_t secondsSinceEpoch) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::time_t time = static_cast<std::time_t>(secondsSinceEpoch);
  std::tm local{};
  if (::localtime_r(&time, &local) == nullptr) return {};
  return QString::asprintf("%s %s %02d %02d:%02d:%02d %d", kDays[local.tm_wday % 7], kMonths[local.tm_mon % 12],
                           local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, local.tm_year + 1900);
}

}  // namespace trimvale::shell
