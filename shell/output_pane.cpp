#include "shell/output_pane.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTextCursor>

#include "shell/texts.h"

namespace trimvale::shell {

namespace {
// Messages are UTF-8, but a message may quote a piece of a page in the page's own 8-bit
// encoding; such a piece is shown one character per byte rather than as replacement marks.
QString ShowableText(const std::string& bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (decoder.hasError()) text = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
  text.remove(u'\r');
  return text;
}
}  // namespace

OutputPane::OutputPane(QWidget* parent)
    : QDockWidget(QString::fromUtf8(text::kOutputTitle), parent), log_(new QPlainTextEdit(this)) {
  setObjectName(QStringLiteral("outputPane"));
  setAccessibleName(QString::fromUtf8(text::kOutputTitle));
  log_->setObjectName(QStringLiteral("outputLog"));
  log_->setAccessibleName(QString::fromUtf8(text::kOutputTitle));
  log_->setReadOnly(true);
  log_->setUndoRedoEnabled(false);
  // A page full of faults brings hundreds of thousands of lines; the oldest go first.
  log_->setMaximumBlockCount(200000);
  setWidget(log_);
}

void OutputPane::AppendText(std::string_view text) {
  bool queue = false;
  {
    std::lock_guard lock(mutex_);
    pending_.append(text);
    queue = !flushQueued_;
    flushQueued_ = true;
  }
  if (queue) QMetaObject::invokeMethod(this, &OutputPane::Flush, Qt::QueuedConnection);
}

void OutputPane::Clear() {
  bool queue = false;
  {
    std::lock_guard lock(mutex_);
    pending_.clear();
    clearPending_ = true;
    queue = !flushQueued_;
    flushQueued_ = true;
  }
  if (queue) QMetaObject::invokeMethod(this, &OutputPane::Flush, Qt::QueuedConnection);
}

void OutputPane::Flush() {
  std::string text;
  bool clear = false;
  {
    std::lock_guard lock(mutex_);
    text.swap(pending_);
    clear = clearPending_;
    clearPending_ = false;
    flushQueued_ = false;
  }
  if (clear) log_->clear();
  if (text.empty()) return;
  QTextCursor cursor(log_->document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(ShowableText(text));
  log_->setTextCursor(cursor);
  log_->verticalScrollBar()->setValue(log_->verticalScrollBar()->maximum());
}

QString OutputPane::ShownText() const { return log_->toPlainText(); }

}  // namespace trimvale::shell
