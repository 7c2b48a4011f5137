#include "shell/source_editor.h"

#include <QPlainTextDocumentLayout>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QThread>

namespace trimvale::shell {

namespace {
// Block states carried from one line to the next.
enum State { kText = 0, kTag = 1, kComment = 2, kDoubleQuoted = 3, kSingleQuoted = 4 };

QTextCharFormat Format(const QColor& colour, bool bold = false, bool italic = false) {
  QTextCharFormat format;
  format.setForeground(colour);
  if (bold) format.setFontWeight(QFont::Bold);
  format.setFontItalic(italic);
  return format;
}

bool IsNameChar(QChar c) {
  return c.isLetterOrNumber() || c == u'-' || c == u':' || c == u'_' || c == u'.' || c == u'!';
}

QString RawToText(QString text) {
  text.replace(QChar::ParagraphSeparator, u'\n');
  return text;
}
}  // namespace

HtmlHighlighter::HtmlHighlighter(QTextDocument* document)
    : QSyntaxHighlighter(document),
      tag_(Format(QColor(0x00, 0x00, 0xA0), true)),
      attribute_(Format(QColor(0xA0, 0x00, 0x00))),
      value_(Format(QColor(0x00, 0x60, 0xA0))),
      comment_(Format(QColor(0x00, 0x80, 0x00), false, true)),
      entity_(Format(QColor(0x80, 0x00, 0x80))) {}

void HtmlHighlighter::highlightBlock(const QString& text) {
  int state = previousBlockState() < 0 ? kText : previousBlockState();
  const qsizetype n = text.size();
  qsizetype i = 0;
  while (i < n) {
    switch (state) {
      case kComment: {
        const qsizetype end = text.indexOf(QStringLiteral("-->"), i);
        const qsizetype stop = end < 0 ? n : end + 3;
        setFormat(static_cast<int>(i), static_cast<int>(stop - i), comment_);
        i = stop;
        if (end >= 0) state = kText;
        break;
      }
      case kDoubleQuoted:
      case kSingleQuoted: {
        const QChar quote = state == kDoubleQuoted ? u'"' : u'\'';
        const qsizetype end = text.indexOf(quote, i);
        const qsizetype stop = end < 0 ? n : end + 1;
        setFormat(static_cast<int>(i), static_cast<int>(stop - i), value_);
        i = stop;
        if (end >= 0) state = kTag;
        break;
      }
      case kTag: {
        const QChar c = text[i];
        if (c == u'>') {
          setFormat(static_cast<int>(i), 1, tag_);
          ++i;
          state = kText;
        } else if (c == u'"' || c == u'\'') {
          setFormat(static_cast<int>(i), 1, value_);
          ++i;
          state = c == u'"' ? kDoubleQuoted : kSingleQuoted;
        } else if (IsNameChar(c)) {
          const qsizetype start = i;
          while (i < n && IsNameChar(text[i])) ++i;
          // A word after "=" is an unquoted value, any other word an attribute name.
          qsizetype before = start - 1;
          while (before >= 0 && text[before].isSpace()) --before;
          const bool value = before >= 0 && text[before] == u'=';
          setFormat(static_cast<int>(start), static_cast<int>(i - start), value ? value_ : attribute_);
        } else {
          ++i;
        }
        break;
      }
      default: {
        const qsizetype lt = text.indexOf(u'<', i);
        const qsizetype amp = text.indexOf(u'&', i);
        if (amp >= 0 && (lt < 0 || amp < lt)) {
          qsizetype end = amp + 1;
          while (end < n && end - amp <= 32 && (text[end].isLetterOrNumber() || text[end] == u'#')) ++end;
          if (end < n && text[end] == u';' && end > amp + 1)
            setFormat(static_cast<int>(amp), static_cast<int>(end + 1 - amp), entity_);
          i = end;
          break;
        }
        if (lt < 0) {
          i = n;
          break;
        }
        if (text.mid(lt, 4) == QStringLiteral("<!--")) {
          setFormat(static_cast<int>(lt), 4, comment_);
          i = lt + 4;
          state = kComment;
          break;
        }
        qsizetype end = lt + 1;
        if (end < n && (text[end] == u'/' || text[end] == u'!' || text[end] == u'?')) ++end;
        while (end < n && IsNameChar(text[end])) ++end;
        setFormat(static_cast<int>(lt), static_cast<int>(end - lt), tag_);
        i = end;
        state = kTag;
        break;
      }
    }
  }
  setCurrentBlockState(state);
}

// The undo step of ReplaceDocument. It holds the document shown before (as a child of the one
// shown now, so the two go together) and brings it back.
class CDocumentSwap : public QAbstractUndoItem {
 public:
  CDocumentSwap(SourceEditor* editor, QTextDocument* current, QTextDocument* previous)
      : editor_(editor), current_(current), previous_(previous) {}
  void undo() override {
    if (editor_ && current_ && previous_) editor_->SwapBack(current_, previous_);
  }
  // Once undone, the replacing document is gone: there is nothing to redo.
  void redo() override {}

 private:
  QPointer<SourceEditor> editor_;
  QPointer<QTextDocument> current_;
  QPointer<QTextDocument> previous_;
};

namespace {
// Each document has a colouring of its own, made on first need and gone with the document: a
// document swapped in or back keeps its colours, and no other document is touched meanwhile
// (taking the colours off one counts as a change of it, also in the middle of its undo).
HtmlHighlighter* HighlighterOf(const QTextDocument* document) {
  return document->findChild<HtmlHighlighter*>(QString(), Qt::FindDirectChildrenOnly);
}
}  // namespace

SourceEditor::SourceEditor(QWidget* parent) : QPlainTextEdit(parent) {
  new HtmlHighlighter(document());
  setObjectName(QStringLiteral("sourceEditor"));
  setUndoRedoEnabled(true);
}

SourceEditor::~SourceEditor() { DropPending(); }

QString SourceEditor::Text() {
  AwaitText();
  return RawToText(document()->toRawText());
}

QString SourceEditor::SelectedText() {
  AwaitText();
  return RawToText(textCursor().selectedText());
}

bool SourceEditor::Highlighting() const {
  const HtmlHighlighter* highlighter = HighlighterOf(document());
  return highlighter && highlighter->document();
}

void SourceEditor::UseHighlighter(qsizetype textSize) {
  QTextDocument* shown = document();
  HtmlHighlighter* highlighter = HighlighterOf(shown);
  if (textSize > kHighlightLimit) {
    if (highlighter && highlighter->document()) highlighter->setDocument(nullptr);
  } else if (!highlighter) {
    new HtmlHighlighter(shown);
  } else if (!highlighter->document()) {
    highlighter->setDocument(shown);
  }
}

std::unique_ptr<QTextDocument> SourceEditor::MakeDocument(const QString& text, const QFont& font) {
  auto document = std::make_unique<QTextDocument>();
  document->setDefaultFont(font);
  document->setPlainText(text);
  document->setModified(false);
  return document;
}

void SourceEditor::Show(QTextDocument* document, bool laidOut) {
  if (!laidOut) document->setDocumentLayout(new QPlainTextDocumentLayout(document));
  if (document->defaultFont() != font()) document->setDefaultFont(font());
  document->setParent(this);
  // The document shown until now goes, unless another document holds it for an undo step.
  QPointer<QTextDocument> old = QPlainTextEdit::document();
  const bool oldKept = old && qobject_cast<QTextDocument*>(old->parent()) != nullptr;
  setDocument(document);
  if (old && !oldKept) delete old;  // the editor's very first document went with setDocument
  UseHighlighter(document->characterCount() - 1);
  // The editor's own signals follow the document it shows.
  Q_EMIT modificationChanged(document->isModified());
  Q_EMIT undoAvailable(document->isUndoAvailable());
}

void SourceEditor::SetText(const QString& text) {
  DropPending();
  Show(MakeDocument(text, font()).release(), false);
}

void SourceEditor::SetTextSoon(const QString& text) {
  if (text.size() <= kHighlightLimit) {
    SetText(text);
    return;
  }
  SetText(QString());
  // The editor waits for the thread before it goes (DropPending), so `this` outlives it; a
  // queued call left over when the editor goes is dropped with it. The call may run before the
  // thread has quite returned its document: AwaitText then waits those last moments. A call
  // from the thread of a text replaced since finds another number and leaves the new text be.
  const std::uint64_t number = ++pendingNumber_;
  pending_ = std::async(std::launch::async, [this, text, number, font = font(), editorThread = thread()] {
    std::unique_ptr<QTextDocument> document = MakeDocument(text, font);
    document->moveToThread(editorThread);
    QMetaObject::invokeMethod(
        this,
        [this, number] {
          if (number == pendingNumber_) AwaitText();
        },
        Qt::QueuedConnection);
    return document;
  });
}

void SourceEditor::AwaitText() {
  if (!pending_.valid()) return;
  Show(pending_.get().release(), false);
  Q_EMIT textArrived();
}

void SourceEditor::DropPending() {
  if (pending_.valid()) pending_.get().reset();
}

void SourceEditor::ReplaceDocument(std::unique_ptr<QTextDocument> document) {
  AwaitText();  // the text that the undo step brings back
  QTextDocument* next = document.release();
  QTextDocument* previous = QPlainTextEdit::document();
  previous->setParent(next);
  Show(next, false);
  next->appendUndoItem(new CDocumentSwap(this, next, previous));
  next->setModified(true);
}

void SourceEditor::SwapBack(QTextDocument* current, QTextDocument* previous) {
  if (QPlainTextEdit::document() != current) return;
  // `current` is in the middle of its own undo: it goes once that is over (or with `previous`).
  previous->setParent(this);
  current->setParent(previous);
  current->deleteLater();
  Show(previous, true);
}

void SourceEditor::ReplaceRange(int start, int end, const QString& text) {
  AwaitText();
  const qsizetype removed = (end < 0 ? document()->characterCount() - 1 : end) - start;
  const qsizetype newSize = document()->characterCount() - 1 - removed + text.size();
  if (newSize > kHighlightLimit) UseHighlighter(newSize);
  QTextCursor cursor(document());
  cursor.beginEditBlock();
  cursor.setPosition(start);
  if (end < 0) {
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
  } else {
    cursor.setPosition(end, QTextCursor::KeepAnchor);
  }
  cursor.insertText(text);
  cursor.endEditBlock();
  UseHighlighter(newSize);
}

}  // namespace trimvale::shell
