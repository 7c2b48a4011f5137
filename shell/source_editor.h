#pragma once
// The source view: the page as plain text with HTML colouring, an undo stack, and line wrap to
// the window or none.

#include <QPlainTextEdit>
#include <QSyntaxHighlighter>

namespace trimvale::shell {

// Colours tags, attribute names, attribute values, comments and entities. Works line by line
// with one number of state carried over, so a long page is coloured in one linear pass.
class HtmlHighlighter : public QSyntaxHighlighter {
 public:
  explicit HtmlHighlighter(QTextDocument* document);

 protected:
  void highlightBlock(const QString& text) override;

 private:
  QTextCharFormat tag_, attribute_, value_, comment_, entity_;
};

class SourceEditor : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit SourceEditor(QWidget* parent = nullptr);

  // The whole text with "\n" line breaks and every character as it is (the document's plain
  // text would turn no-break spaces into blanks).
  QString Text() const;
  // The selected text in the same form.
  QString SelectedText() const;
  // Replaces [start, end) (end -1: to the end) by `text` as one undoable edit, colouring the
  // result when it is small enough.
  void ReplaceRange(int start, int end, const QString& text);

  // Colouring costs Qt about as much as the whole optimization of a page of a megabyte, twice
  // per run (the page and the result): above this many characters the text stays plain.
  static constexpr qsizetype kHighlightLimit = 512 * 1024;
  // Sets the whole text, coloured when it is small enough; clears the undo history.
  void SetText(const QString& text);
  bool Highlighting() const;

  bool WrapsLines() const { return lineWrapMode() != NoWrap; }
  void SetWrapsLines(bool wrap) { setLineWrapMode(wrap ? WidgetWidth : NoWrap); }

 private:
  void UseHighlighter(qsizetype textSize);

  HtmlHighlighter* highlighter_;  // owned by the editor; attached to the document while colouring
};

}  // namespace trimvale::shell
