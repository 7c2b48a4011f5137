#pragma once
// Everything one optimization run reads and the parse state it changes. Nothing here is global:
// two runs on two threads each have their own context and never touch each other.

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "engine/html_node.h"
#include "engine/output_sink.h"
#include "engine/source_position.h"
#include "rules/optimize_options.h"
#include "rules/tag_layout.h"

namespace trimvale {

struct CHtmlNode;

// Receives every element, comment and text node as soon as its token is read (the parse-tree
// window, or `trimvale-cli tree`). Depth 1 is the top level.
class IParseObserver {
 public:
  virtual ~IParseObserver() = default;
  virtual void AddParsedNode(const CHtmlNode& node, int depth) = 0;
};

// The kind of line end the output is written with ("Zeilenende"); the stored numbers.
enum class LineEnds { CrLf = 0, Lf = 1, AsPage = 2 };

// The global layout settings of the serializer.
struct CLayoutSettings {
  int mode = kLayoutStandard;   // "Baumart": 0 standard, 1 one line, 2 by tree, 3 user profile
  bool wrap = true;             // "HTML Umbrechen"
  int width = 70;               // "Zeilenbreite", 20 to 2048
  std::string indentUnit = "  ";  // built from "Einschubart" and "Anz Leerzeichen Einschub"
  LineEnds lineEnds = LineEnds::CrLf;  // "Zeilenende"
};

// The line end `kind` stands for; AsPage takes the kind most of the page's lines end with
// (CR LF when the page has none, or on a tie).
std::string_view LineEndFor(LineEnds kind, std::string_view page);

// Builds the indentation unit: kind 0 one tab, kind 1 `spaces` blanks, kind 2 nothing.
std::string MakeIndentUnit(int kind, int spaces);

// What a run is given, read-only for its whole duration. The table and the rules are shared and
// immutable: a copy of the configuration keeps them alive, so an editor that loads another table
// never changes the one a running batch works with.
struct CRunConfig {
  std::shared_ptr<const CTagLayoutTable> layoutTable;  // null behaves as an empty table
  OptimizeOptions options;
  std::shared_ptr<const CTagRuleList> rules;  // the chosen profile's rules; used when options.useProfile
  CLayoutSettings layout;
};

// How the character conversion treats the page's bytes; decided once per run from the page.
enum class PageEncoding {
  SingleByte,   // Windows-1252 (no declaration, windows-1252, iso-8859-1, us-ascii)
  Utf8,         // byte-order mark, a declared utf-8, or undeclared bytes that are UTF-8
  Unconverted,  // any other declared charset: characters are left alone
  // A single-byte charset is declared, but the bytes are UTF-8 with characters beyond ASCII:
  // the page was saved in UTF-8 and labelled wrongly, so either reading could be the intended
  // one; characters are left alone.
  Utf8Misdeclared,
};

// Mutable state of one run.
struct CRunContext {
  CRunContext(const CRunConfig& config, IOutputSink& sink, const std::atomic<bool>& cancelRequested)
      : config(config), sink(sink), cancelRequested(cancelRequested) {}

  const CRunConfig& config;
  IOutputSink& sink;
  const std::atomic<bool>& cancelRequested;  // set by another thread; only read by the run
  IParseObserver* observer = nullptr;        // not owned; may be null

  std::int32_t parsePos = 0;       // index of the next byte of the input to read
  std::int8_t errorLevel = 0;      // 0 none, 1 small errors, 2 severe errors; only rises
  std::int32_t unwindCount = 0;    // enclosing elements still to close after a deep end-tag match
  std::int32_t sameNameMoves = 0;  // trailing same-named children moved up in this unwinding
  // Open elements' names (or endif markers), innermost last. A deque of compact strings: a page
  // nested all the way down has an entry per element, and a vector would hold up to twice that.
  std::deque<CCompactString> tagStack;
  std::int32_t lineStart = 0;      // serializer: where the current output line begins
  std::string_view lineEnd = "\r\n";  // serializer: what ends each output line (a literal)
  PageEncoding pageEncoding = PageEncoding::SingleByte;
  std::string declaredCharset;  // the charset the page declares, as written; empty when none
  std::string_view sourceName;  // names the page in message positions; not owned, may be empty
  CSourceLines sourceLines;     // lines and columns of the text being parsed, for its reports

  bool Cancelled() const { return cancelRequested.load(std::memory_order_relaxed); }
  // Raises the level to `level` unless it is already higher.
  void RaiseLevel(std::int8_t level) {
    if (errorLevel < level) errorLevel = level;
  }
  const CTagLayoutTable& LayoutTable() const;
};

}  // namespace trimvale
