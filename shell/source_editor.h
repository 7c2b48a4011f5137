#pragma once
// The source view: the page as plain text with HTML colouring, an undo stack, and line wrap to
// the window or none.
//
// A large page costs its text document tens of milliseconds to build, block by block. So a whole
// new text comes as a document of its own, which another thread may build (MakeDocument), and
// the editor swaps it in; replacing the whole text that way is one undo step that swaps the
// document shown before back in, with its own undo history and modified state. A large page
// just opened is built on a thread of its own while the window goes on (an optimization of the
// page's bytes may already run); whatever needs its text through this class waits for it.

#include <QPlainTextEdit>
#include <QSyntaxHighlighter>
#include <cstdint>
#include <future>
#include <memory>

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
  ~SourceEditor() override;

  // The whole text with "\n" line breaks and every character as it is (the document's plain
  // text would turn no-break spaces into blanks).
  QString Text();
  // The selected text in the same form.
  QString SelectedText();
  // Replaces [start, end) (end -1: to the end) by `text` as one undoable edit, colouring the
  // result when it is small enough.
  void ReplaceRange(int start, int end, const QString& text);

  // Colouring costs Qt about as much as the whole optimization of a page of a megabyte, twice
  // per run (the page and the result): above this many characters the text stays plain.
  static constexpr qsizetype kHighlightLimit = 512 * 1024;
  // Sets the whole text, coloured when it is small enough; clears the undo history.
  void SetText(const QString& text);
  // The same, but a text above the colouring limit is built on another thread: until it is
  // shown (textArrived) the editor shows an empty text and TextPending() is true.
  void SetTextSoon(const QString& text);
  bool TextPending() const { return pending_.valid(); }
  // Shows the pending text now, waiting for its thread; nothing when none is pending.
  void AwaitText();
  bool Highlighting() const;

  // A document holding `text`, for ReplaceDocument; reentrant, so any thread may build it (and
  // then move it to the editor's thread). Not modified, no undo history, no layout yet.
  static std::unique_ptr<QTextDocument> MakeDocument(const QString& text, const QFont& font);
  // Shows `document` (from MakeDocument, living in the editor's thread) in place of the whole
  // text, as one undoable edit.
  void ReplaceDocument(std::unique_ptr<QTextDocument> document);

  bool WrapsLines() const { return lineWrapMode() != NoWrap; }
  void SetWrapsLines(bool wrap) { setLineWrapMode(wrap ? WidgetWidth : NoWrap); }

 Q_SIGNALS:
  void textArrived();

 private:
  void UseHighlighter(qsizetype textSize);
  // Shows `document` (`laidOut`: shown before), which the editor then owns.
  void Show(QTextDocument* document, bool laidOut);
  // The undo of ReplaceDocument: `previous` comes back while `current` is being undone.
  void SwapBack(QTextDocument* current, QTextDocument* previous);
  friend class CDocumentSwap;
  void DropPending();

  std::future<std::unique_ptr<QTextDocument>> pending_;  // a text being built for SetTextSoon
  std::uint64_t pendingNumber_ = 0;  // counts SetTextSoon calls: whose thread reports done
};

}  // namespace trimvale::shell
