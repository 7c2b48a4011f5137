#include "shell/source_editor.h"

#include <QTextBlock>
#include <QTextCursor>

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

SourceEditor::SourceEditor(QWidget* parent) : QPlainTextEdit(parent), highlighter_(new HtmlHighlighter(nullptr)) {
  highlighter_->setParent(this);
  highlighter_->setDocument(document());
  setObjectName(QStringLiteral("sourceEditor"));
  setUndoRedoEnabled(true);
}

QString SourceEditor::Text() const { return RawToText(document()->toRawText()); }

QString SourceEditor::SelectedText() const { return RawToText(textCursor().selectedText()); }

bool SourceEditor::Highlighting() const { return highlighter_->document() != nullptr; }

void SourceEditor::UseHighlighter(qsizetype textSize) {
  const bool want = textSize <= kHighlightLimit;
  if (want != Highlighting()) highlighter_->setDocument(want ? document() : nullptr);
}

void SourceEditor::SetText(const QString& text) {
  // Detached first, so a large page is not coloured on its way in.
  if (text.size() > kHighlightLimit) UseHighlighter(text.size());
  setPlainText(text);
  UseHighlighter(text.size());
}

void SourceEditor::ReplaceRange(int start, int end, const QString& text) {
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
