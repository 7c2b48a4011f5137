#pragma once
// Private to the parser and the attribute parser: the message table of parsing and the parser
// object that holds what can be derived from the run state and the input for one top-level loop.

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/html_node.h"
#include "engine/run_context.h"

namespace trimvale::parse {

// Every report of parsing and attribute extraction. Texts carry their own line break exactly
// as the user sees them; "%s" stands for the names passed to Report, in order.
enum class ParseMessage {
  kEndOfInputInTagName,  // the input ends before a tag name is complete
  kEndTagAtTopLevel,     // an end tag while nothing is open
  kSurplusEndTag,        // no open element has this name
  kMissingEndTag,        // innermost element closed implicitly by its parent's end tag
  kSurplusEndTagAhead,   // the look-ahead shows the end tag belongs to nothing
  kWrongEndTag,          // the end tag is taken for the innermost element's own
  kStackUnderflow,       // unwinding ran out of open elements
  kUnclosedComment,      // "<!--" without "-->"
  kUnclosedXmp,          // "<xmp" without "</xmp"
  kTagNotClosed,         // a "<" came before the tag's ">"
  kEndOfInputInTag,      // the input ends before the tag's ">"
  kSevereStructure,      // a required end tag was supplied while unwinding
  kEndTagMissingFor,     // names the element whose required end tag was supplied
  kAttributeWithoutEquals,
  kAttributeWithoutValue,
  kPageTooLarge,  // positions of the run cannot address the page
};

struct CParseMessageText {
  std::string_view text;
  std::int8_t level;  // the error level the report raises to; 0 leaves it unchanged
};

CParseMessageText MessageOf(ParseMessage id);

// Formats `id` with `args`, appends it to the run's sink with its level and the place `at` (an
// offset into the text being parsed) where it arose, and raises the run's error level.
void Report(CRunContext& ctx, ParseMessage id, std::size_t at, std::initializer_list<std::string_view> args = {});

// Appends a report of `level` that arose at `at` with a text of its own.
void ReportText(CRunContext& ctx, std::string_view text, std::int8_t level, std::size_t at);

// Positions of every "<" of the input and, for each start-like "<", where the look-ahead of a
// wrong end tag lands. Built once per input on first need, so a page full of wrong end tags
// costs one pass instead of one rescan per end tag.
class CLookAheadIndex {
 public:
  void Build(std::string_view text);
  bool Built() const { return built_; }
  // The look-ahead target for a wrong end tag whose name ended at `e`: the index of the "<"
  // whose name decides, or -1 when the walk runs out of "<" (the caller then unwinds).
  std::int64_t TargetAfter(std::size_t e, std::string_view text) const;

 private:
  bool built_ = false;
  std::vector<std::uint32_t> open_;  // index of every "<" in the input, ascending
  // For a "<" that is not an end tag: the slot (in open_) of the end tag that balances it, or
  // kUnbalanced. End tags hold kUnbalanced too; they are never asked for.
  std::vector<std::uint32_t> balance_;
  static constexpr std::uint32_t kUnbalanced = UINT32_MAX;
};

// One parser over one input. The run state proper (position, level, unwinding counters, tag
// stack) stays in the context; what this object adds is derived from it and from the input and
// is kept in step while it parses: how many open entries carry each exact name (so that the
// search of the whole stack is O(1)), how many pre/textarea elements are open, and the
// look-ahead index.
class CParser {
 public:
  // `keepLook` repairs misnested formatting the way browsers do (engine/look_repair.cpp)
  // instead of closing it early; it reports nothing of its own.
  CParser(CRunContext& ctx, std::string_view text, bool keepLook = false);

  std::int32_t ReadToken(CHtmlNode& node);
  // Parses `node` and its subtree from the token at ctx.parsePos; 1 goes on with the next
  // sibling, 0 means the token closed the caller's element (or the run was cancelled).
  int ParseElement(CHtmlNode& node, int depth);

  // Empties the tag stack at the end of a run.
  void ClearStack();

 private:
  // The innermost frame of the element parser, as references into its stacks; its depth is
  // its place on them.
  struct CFrame {
    CHtmlNode*& child;        // the child being parsed, owned by its parent's children
    std::uint32_t& childPos;  // where the child's token begins, for its attribute warnings
  };
  static constexpr int kDescend = 2;  // a frame asks for its next child to be parsed

  // Tokenizer parts; `p` is the position of the token.
  std::int32_t ReadTextRun(CHtmlNode& node, std::size_t p);
  std::int32_t ReadScriptContent(CHtmlNode& node, std::size_t p);
  std::int32_t ReadEndTag(CHtmlNode& node, std::size_t p, std::size_t e);
  std::int32_t ReadStartTag(CHtmlNode& node, std::size_t p, std::size_t e);
  std::int32_t KeepAsText(CHtmlNode& node, std::size_t p);
  bool InScript() const;
  bool AtScriptEnd(std::size_t p) const;

  // Element parser parts.
  int Enter(CHtmlNode& node, int depth);  // 0 or 1 when done, kDescend when children follow
  // The next child of `parent`: a fresh node for the next token, or a formatting element the
  // browser-like repair reopens before it.
  CHtmlNode* NewChild(CHtmlNode& parent);
  int Resume(CFrame frame, int childResult);
  int Unwind(CFrame frame);
  void SettlePendingMoves();

  // Same-named children moved up by an unwinding are moved once, to where the unwinding leaves
  // them, instead of once per level: a list of n items without end tags would otherwise cost
  // n * n / 2 moves. Each piece is the tail of `holder`'s children from `first`; the pieces
  // belong at the end of `pendingTarget_`'s children, the last piece first.
  struct CPendingMove {
    CHtmlNode* holder;
    CHtmlNode* first;
  };
  std::vector<CPendingMove> pending_;
  CHtmlNode* pendingTarget_ = nullptr;      // the element the moved block virtually ends
  const CHtmlNode* pendingLast_ = nullptr;  // last node of the moved block
  std::size_t pendingSize_ = 0;             // nodes in the moved block

  void Push(std::string entry);
  void Pop();
  bool HasExactEntry(const std::string& name) const;

  // The frames of the element parser, innermost last: the child being read at each level (the
  // open element is its parent) and where its token began. Two deques, which grow without
  // copying and never hold twice the room they need: 12 bytes a level, where one deque of
  // pairs would pad each to 16. Members, so that the browser-like repair can restructure them.
  std::deque<CHtmlNode*> frames_;
  std::deque<std::uint32_t> framePositions_;

  // Browser-like repair of misnested formatting (engine/look_repair.cpp). A formatting element
  // closed before its own end tag stays "active", as in a browser, and is reopened as a copy
  // before the next text or inline element; an end tag of a formatting element that crosses a
  // block keeps the block open and moves the formatting inside it.
  struct CClosedFormatting {
    CCompactString name;
    CCompactString text;  // the rest of its tag as read, attributes not yet taken out
    std::uint8_t endTagKind;
    std::uint8_t layoutBits;
    TagKind kind;
    const CTagRule* rule;  // not owned
  };
  std::optional<std::int32_t> ReadEndTagKeepingLook(CHtmlNode& node, std::size_t p, std::size_t e);
  void UnwindKeepingLook(CHtmlNode& node, std::size_t p, int entries);
  bool CrossBlocks(CHtmlNode& node, std::size_t p, std::vector<CHtmlNode*>& chain);
  void NoteClosed(const CHtmlNode& element);
  // Notes the `count` open elements around `node`, innermost first, as closed early.
  void NoteClosedAbove(const CHtmlNode& node, int count);
  static CClosedFormatting Snapshot(const CHtmlNode& element);
  std::unique_ptr<CHtmlNode> CopyOf(const CClosedFormatting& closed, CHtmlNode* parent);
  bool ReopensBefore(std::size_t pos) const;
  void CountFormatting(std::string_view entry, int delta);

  bool keepLook_ = false;
  std::vector<CClosedFormatting> active_;   // closed early, to be reopened; outermost first
  std::vector<CClosedFormatting> opening_;  // being reopened now, next one last
  std::int64_t copyBudget_ = 0;             // bytes of copies still allowed; keeps the work linear
  std::array<int, 14> openFormatting_{};    // open entries of each formatting name, any case

  CRunContext& ctx_;
  std::string_view text_;
  std::unordered_map<std::string, int> entriesByName_;  // exact entry -> how often it is open
  int preformattedOpen_ = 0;                            // open pre and textarea entries
  CLookAheadIndex lookAhead_;
  std::size_t unwindPos_ = 0;  // the end tag that began the current unwinding, for its reports
};

// Whether the "<" at `at` opens markup (a letter, "!", "?", or "/" and a letter follow it).
bool OpensMarkup(std::string_view text, std::size_t at);
// Where a tag name that begins at `from` ends (white space or ">"); npos when the input ends.
std::size_t NameEnd(std::string_view text, std::size_t from);

// Line-break folding of a text run outside preformatted content: each break form in turn
// ("\r\n", "\n\r", "\r", "\n") with the blanks and tabs around it becomes one blank, none at
// the very start. One linear pass per form.
std::string FoldTextBreaks(std::string_view run);

// CR LF folding in the rest of a tag: each "\r\n" with the blanks around it becomes one blank.
std::string FoldTagBreaks(std::string_view rest);

}  // namespace trimvale::parse
