#include "engine/serializer.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <vector>

#include "engine/style_cleaning.h"
#include "rules/text_util.h"

namespace trimvale {
namespace {

// Text written before or after a tag must be long enough to be worth a line of its own; the same
// length is the least that may stand after the last break of a wrapped text.
constexpr std::int64_t kMinRun = 20;

bool Has(std::uint8_t bits, std::uint8_t bit) { return (bits & bit) != 0; }

bool IsElement(const CHtmlNode& node) {
  switch (node.kind) {
    case TagKind::Text:
    case TagKind::Comment:
    case TagKind::Xmp:
    case TagKind::Plaintext:
      return false;
    default:
      return true;
  }
}

// True when the name, in any letter case, is one of the sorted lower-case names. The serializer
// asks this several times per node, so the name is lowered into a small buffer once and looked
// up by binary search instead of being compared with every entry.
template <std::size_t N>
bool NameIsOneOf(std::string_view name, const std::array<std::string_view, N>& sortedNames) {
  char lowered[16];
  if (name.empty() || name.size() > sizeof lowered) return false;
  for (std::size_t i = 0; i < name.size(); ++i) lowered[i] = AsciiLower(name[i]);
  return std::binary_search(sortedNames.begin(), sortedNames.end(), std::string_view(lowered, name.size()));
}

// Whether a style declares white space that the browser keeps (pre, pre-wrap, pre-line,
// break-spaces). Pages saved from site builders set white-space:pre on paragraphs that hold
// only a <br>, where one added break shows as a second line.
bool DeclaresKeptWhiteSpace(std::string_view style) {
  constexpr std::string_view kProperty = "white-space";
  bool kept = false;
  ForEachDeclaration(style, [&](std::string_view property, std::string_view value) {
    // A vendor's name for the property (-webkit-white-space) counts as well.
    if (property.size() < kProperty.size() ||
        !EqualsNoCase(property.substr(property.size() - kProperty.size()), kProperty) ||
        (property.size() > kProperty.size() && property[property.size() - kProperty.size() - 1] != '-')) {
      return;
    }
    auto startsWith = [&](std::string_view word) {
      return value.size() >= word.size() && EqualsNoCase(value.substr(0, word.size()), word);
    };
    if (startsWith("pre") || startsWith("break-spaces")) kept = true;
  });
  return kept;
}

// Elements whose content the browser takes character by character: a break or an indentation
// added inside them changes what the page shows (pre, textarea, an element whose own style keeps
// white space) or does (script). Their content is written as it stands, and nothing is added
// after their start tag or before their end tag, so that a page run through the program again
// comes out the same.
bool KeepsContentAsItStands(const CHtmlNode& node) {
  static constexpr std::array<std::string_view, 3> kNames = {"pre", "script", "textarea"};
  return IsElement(node) && (NameIsOneOf(node.name, kNames) || DeclaresKeptWhiteSpace(node.Style()));
}

// Elements at whose edges white space never shows: block boxes, table structure, line breaks and
// what the head holds. A line break before or after their tags leaves the page as it was; next
// to any other tag or text it would render as a space.
bool IsLayoutBoundary(const CHtmlNode& node) {
  static constexpr std::array<std::string_view, 71> kNames = {
      "!doctype", "?xml",     "address",  "article",    "aside",    "base",    "basefont", "blockquote", "body",
      "br",       "caption",  "center",   "col",        "colgroup", "dd",      "details",  "dir",        "div",
      "dl",       "dt",       "fieldset", "figcaption", "figure",   "footer",  "form",     "frame",      "frameset",
      "h1",       "h2",       "h3",       "h4",         "h5",       "h6",      "head",     "header",     "hgroup",
      "hr",       "html",     "legend",   "li",         "link",     "listing", "main",     "menu",       "meta",
      "nav",      "noframes", "noscript", "ol",         "optgroup", "option",  "p",        "plaintext",  "pre",
      "script",   "search",   "section",  "style",      "summary",  "table",   "tbody",    "td",         "template",
      "tfoot",    "th",       "thead",    "title",      "tr",       "ul",      "xml",      "xmp"};
  static_assert(std::is_sorted(kNames.begin(), kNames.end()));
  return IsElement(node) && NameIsOneOf(node.name, kNames);
}

// A text that a style element holds.
bool IsStyleSheet(const CHtmlNode& text) {
  return text.parent && (text.parent->kind == TagKind::Style || EqualsNoCase(text.parent->name, "style"));
}

bool InsideContentKeptAsItStands(const CHtmlNode& node) {
  for (const CHtmlNode* up = node.parent; up; up = up->parent) {
    if (KeepsContentAsItStands(*up)) return true;
  }
  return false;
}

// The output and the line-start mark of one run, with the primitive steps of the layout.
class CLineWriter {
 public:
  CLineWriter(CRunContext& ctx, std::string& out) : ctx_(ctx), out_(out) {}

  std::string& Out() { return out_; }
  const std::string& OutConst() const { return out_; }
  bool EndsWithLineFeed() const { return !out_.empty() && (out_.back() == '\n' || out_.back() == ctx_.lineEnd.back()); }

  void Break() {
    out_ += ctx_.lineEnd;
    SetMark(out_.size());
  }

  // Appends text of the page whose own line ends are written as the run's kind.
  void AppendWithLineEnds(std::string_view text) { AppendConvertingLineEnds(out_, text, ctx_.lineEnd); }

  void Indent(int level) {
    const std::string& unit = ctx_.config.layout.indentUnit;
    if (unit.empty()) return;
    for (int i = std::min(level, kMaxIndentLevel); i > 0; --i) out_ += unit;
  }

  // Column of the end of the output on the current line.
  std::int64_t Column() const {
    const auto size = static_cast<std::int64_t>(out_.size());
    const std::int64_t mark = ctx_.lineStart;
    return mark >= 0 && mark <= size ? size - mark : size;
  }

  void SetMark(std::size_t pos) { ctx_.lineStart = static_cast<std::int32_t>(std::min<std::size_t>(pos, INT32_MAX)); }

  // Appends text that must reach the page unchanged; the mark follows its last line feed so
  // that the columns after it are counted from the line it really ends on.
  void AppendAsItStands(std::string_view text) {
    const std::size_t before = out_.size();
    out_ += text;
    const std::size_t lf = text.find_last_of("\r\n");
    if (lf != std::string_view::npos) SetMark(before + lf + 1);
  }

  // Takes back the line break at the end of the output so that what follows joins the previous
  // line. Only the mark's column matters to wrapping, and every column from W on is treated
  // alike, so the search for the previous line feed looks back no further than W + 1 bytes:
  // looking further would make a long line that keeps receiving comments cost quadratic time.
  void JoinPreviousLine() {
    // Only a whole line end of the run's kind is taken back: a lone line feed (from content kept
    // as it stands) goes alone, as removing two bytes would eat a character of the page.
    std::size_t cut = out_.size() - 1;
    if (std::string_view(out_).ends_with(ctx_.lineEnd)) cut = out_.size() - ctx_.lineEnd.size();
    out_.resize(cut);
    const auto window = static_cast<std::size_t>(std::max(ctx_.config.layout.width, 1)) + 1;
    const std::size_t from = cut > window ? cut - window : 0;
    const std::size_t lf = std::string_view(out_).substr(from).find_last_of("\r\n");
    if (lf != std::string_view::npos) {
      SetMark(from + lf + 1);
    } else {
      SetMark(from);  // the real line start, or one at least W + 1 columns back
    }
  }

 private:
  CRunContext& ctx_;
  std::string& out_;
};

// In "Alles auf eine Zeile" a comment keeps its content but loses its line breaks: each line
// end (CR LF, LF or CR) with the spaces directly around it becomes one space.
std::string FoldCommentLines(std::string_view text) {
  std::string folded;
  folded.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (const std::size_t length = LineEndLength(text, i)) {
      while (!folded.empty() && folded.back() == ' ') folded.pop_back();
      folded += ' ';
      i += length;
      while (i < text.size() && text[i] == ' ') ++i;
    } else {
      folded += text[i++];
    }
  }
  return folded;
}

void WriteComment(CRunContext& ctx, CLineWriter& w, const CHtmlNode& node, bool spaceFirst) {
  std::string& out = w.Out();
  if (ctx.config.layout.mode == kLayoutOneLine) {
    if (spaceFirst) out += ' ';
    out += "<!--";
    out += FoldCommentLines(node.text);
    out += '>';
    return;
  }
  if (Has(node.layoutBits, layout_bit::kBreakBefore)) {
    if (!w.EndsWithLineFeed()) w.Break();
  } else if (out.size() >= 2 && w.EndsWithLineFeed()) {
    // The comment stood in the middle of a line: it goes back to the end of the previous one.
    w.JoinPreviousLine();
  }
  if (spaceFirst && !out.empty() && !IsWhiteSpace(out.back())) out += ' ';
  out += "<!--";
  w.AppendWithLineEnds(node.text);
  out += '>';
  if (Has(node.layoutBits, layout_bit::kBreakAfterEnd1)) w.Break();
}

std::string StartTag(const CHtmlNode& node) {
  std::string tag = "<";
  tag += node.name;
  AppendAttributes(node, tag);
  tag += node.text;
  tag += '>';
  return tag;
}

// One open element on the explicit stack of the writer.
enum class Step {
  kDone,     // the node is completely written
  kDescend,  // the start tag is written; children and end tag follow
  kStop,     // nothing more may be written
};

class CTreeWriter {
 public:
  CTreeWriter(CRunContext& ctx, std::string& out) : ctx_(ctx), w_(ctx, out) {}

  // Walks the tree by its own links (first child, next sibling, parent) rather than with a stack
  // of open elements: a page nested all the way down would otherwise hold a frame per element
  // while it is written. What a frame would hold is found again on the way up: the level by
  // undoing the step down, and "as it stands" from the one element whose content began it.
  bool Write(const CHtmlNode& top, int level) {
    topAsItStands_ = InsideContentKeptAsItStands(top);
    const CHtmlNode* node = &top;
    for (;;) {
      bool descended = false;
      if (!Enter(*node, level, descended)) return false;
      if (descended) {
        if (const CHtmlNode* first = node->children.front()) {
          if (Has(node->layoutBits, layout_bit::kIndentChildren) && level < INT_MAX) ++level;
          node = first;
          continue;
        }
        WriteEndTag(*node, level);
      }
      // The node is complete: on to its next sibling, or up, closing each element on the way.
      for (;;) {
        if (node == &top) return true;
        if (const CHtmlNode* next = node->NextSibling()) {
          node = next;
          break;
        }
        node = node->parent;
        if (Has(node->layoutBits, layout_bit::kIndentChildren) && level > 0) --level;
        WriteEndTag(*node, level);
      }
    }
  }

 private:
  // Whether `node` lies inside content that is written as it stands (a node on the current path).
  bool AsItStands(const CHtmlNode& node) const {
    return topAsItStands_ || (asItStandsRoot_ != nullptr && asItStandsRoot_ != &node);
  }
  // Whether the children of the element on the current path are written as they stand.
  bool ChildrenAsItStands() const { return topAsItStands_ || asItStandsRoot_ != nullptr; }

  // Writes what comes before the node's children; `descended` tells whether children and an end
  // tag follow. False stops the whole output.
  bool Enter(const CHtmlNode& node, int level, bool& descended) {
    if (ctx_.Cancelled()) return false;
    const bool asItStands = AsItStands(node);
    const Step step = asItStands ? WriteAsItStands(node) : WriteStart(node, level);
    if (step == Step::kStop) return false;
    descended = step == Step::kDescend;
    if (descended) {
      // Whether the content is kept as it stands is found once: a style can be long.
      if (!asItStands && KeepsContentAsItStands(node)) asItStandsRoot_ = &node;
      if (!ChildrenAsItStands()) BreaksAfterStartTag(node.layoutBits);
    }
    return true;
  }

  // Whether a line break may go right before `node` without showing: the output already ends
  // in white space or at a block edge, or the node itself begins a block or with a blank.
  bool MayBreakBefore(const CHtmlNode& node) const {
    const std::string& out = w_.OutConst();
    if (out.empty() || IsWhiteSpace(out.back()) || atBoundary_) return true;
    if (node.kind == TagKind::Text) return !node.text.empty() && IsWhiteSpace(node.text.front());
    return IsLayoutBoundary(node);
  }

  // White space of the page that produced no node must be written where it shows: between a
  // word or an inline tag and the node, unless a line break or blank is already there.
  bool NeedsSpaceBefore(const CHtmlNode& node) const {
    const std::string& out = w_.OutConst();
    return node.spaceBefore && !out.empty() && !IsWhiteSpace(out.back()) && !atBoundary_ && !IsLayoutBoundary(node);
  }

  Step WriteStart(const CHtmlNode& node, int level) {
    const std::uint8_t bits = node.layoutBits;
    std::string& out = w_.Out();
    if (node.kind == TagKind::Comment) {
      WriteComment(ctx_, w_, node, NeedsSpaceBefore(node));
      return Step::kDone;
    }
    const bool spaceFirst = NeedsSpaceBefore(node);
    const bool mayBreakBefore = spaceFirst || MayBreakBefore(node);
    // A break written now or by the wrapping below sits at a block edge only when the node is one.
    atBoundary_ = IsLayoutBoundary(node);
    if (!out.empty()) {
      if (w_.EndsWithLineFeed()) {
        w_.Indent(level);
      } else if (Has(bits, layout_bit::kBreakBefore) || node.kind == TagKind::Plaintext) {
        w_.Break();
        w_.Indent(level);
      }
    }
    switch (node.kind) {
      case TagKind::Plaintext:
        out += "<plaintext>";
        w_.AppendWithLineEnds(node.text);
        return Step::kStop;
      case TagKind::Xmp:
        out += "<xmp>";
        w_.AppendWithLineEnds(node.text);
        out += "</xmp>";
        BreaksAfterEndTag(bits);
        return Step::kDone;
      case TagKind::Text: {
        // Only a style sheet's text still holds the page's line ends: a text's own are folded.
        std::string spaced, converted;
        std::string_view text = node.text;
        if (spaceFirst) text = spaced = " " + node.text;
        if (text.find_first_of("\r\n") != std::string_view::npos) {
          AppendConvertingLineEnds(converted, text, ctx_.lineEnd);
          text = converted;
        }
        AppendWrapped(ctx_, out, text, level, mayBreakBefore,
                      IsStyleSheet(node) ? WrappedText::StyleSheet : WrappedText::Plain);
        atBoundary_ = false;
        return Step::kDone;
      }
      default:
        break;
    }
    AppendWrapped(ctx_, out, spaceFirst ? " " + StartTag(node) : StartTag(node), level, mayBreakBefore);
    if (node.endTagKind == kEndTagNone) {
      BreaksAfterStartTag(bits);
      return Step::kDone;
    }
    return Step::kDescend;  // the breaks after the tag follow in Enter, unless the content is kept
  }

  // Inside content kept as it stands every node is written as it stands: no breaks, no
  // indentation, no wrapping, whatever its layout bits say.
  Step WriteAsItStands(const CHtmlNode& node) {
    switch (node.kind) {
      case TagKind::Text:
        w_.AppendAsItStands(node.text);
        return Step::kDone;
      case TagKind::Comment:
        w_.AppendAsItStands("<!--");
        w_.AppendAsItStands(node.text);
        w_.AppendAsItStands(">");
        return Step::kDone;
      case TagKind::Plaintext:
        w_.AppendAsItStands("<plaintext>");
        w_.AppendAsItStands(node.text);
        return Step::kStop;
      case TagKind::Xmp:
        w_.AppendAsItStands("<xmp>");
        w_.AppendAsItStands(node.text);
        w_.AppendAsItStands("</xmp>");
        return Step::kDone;
      default:
        w_.AppendAsItStands(StartTag(node));
        return node.endTagKind == kEndTagNone ? Step::kDone : Step::kDescend;
    }
  }

  void WriteEndTag(const CHtmlNode& node, int level) {
    const std::uint8_t bits = node.layoutBits;
    const bool plain = ChildrenAsItStands();
    const bool asItStands = AsItStands(node);
    if (asItStandsRoot_ == &node) asItStandsRoot_ = nullptr;
    if (!plain && !w_.Out().empty()) {
      if (w_.EndsWithLineFeed()) {
        if (Has(bits, layout_bit::kBreakBeforeEnd2)) w_.Break();
        w_.Indent(level);
      } else if (Has(bits, layout_bit::kBreakBeforeEnd1)) {
        w_.Break();
        if (Has(bits, layout_bit::kBreakBeforeEnd2)) w_.Break();
        w_.Indent(level);
      }
    }
    const std::string& out = w_.OutConst();
    if (!plain && node.spaceAtEnd && !out.empty() && !IsWhiteSpace(out.back()) && !atBoundary_ &&
        !IsLayoutBoundary(node)) {
      w_.Out() += ' ';
    }
    atBoundary_ = IsLayoutBoundary(node);
    // A conditional section ends with its own marker, and nothing is laid out after it.
    if (node.kind == TagKind::DownlevelIf || node.kind == TagKind::CommentIf) {
      const std::string_view marker = node.kind == TagKind::DownlevelIf ? "<![endif]>" : "<![endif]-->";
      if (asItStands) {
        w_.AppendAsItStands(marker);
      } else {
        w_.Out() += marker;
      }
      return;
    }
    std::string tag = "</";
    tag += node.name;
    tag += '>';
    if (asItStands) {
      w_.AppendAsItStands(tag);
      return;
    }
    w_.Out() += tag;
    BreaksAfterEndTag(bits);
  }

  void BreaksAfterStartTag(std::uint8_t bits) {
    if (!Has(bits, layout_bit::kBreakAfter1)) return;
    w_.Break();
    if (Has(bits, layout_bit::kBreakAfter2)) w_.Break();
  }

  void BreaksAfterEndTag(std::uint8_t bits) {
    if (!Has(bits, layout_bit::kBreakAfterEnd1)) return;
    w_.Break();
    if (Has(bits, layout_bit::kBreakAfterEnd2)) w_.Break();
  }

  CRunContext& ctx_;
  CLineWriter w_;
  bool topAsItStands_ = false;                   // the whole subtree lies in content kept as it stands
  const CHtmlNode* asItStandsRoot_ = nullptr;  // the open element whose content is kept as it stands
  bool atBoundary_ = true;     // the last tag written was a block edge: white space after it never shows
};

// Writes an attribute value between double quotes. A double quote inside the value would end
// the attribute early and turn the rest into markup, so it is written as a character reference.
void AppendQuoted(std::string& tag, std::string_view value) {
  tag += '"';
  for (char c : value) {
    if (c == '"') {
      tag += "&quot;";
    } else {
      tag += c;
    }
  }
  tag += '"';
}

// A class value is written as stored, which is right for the usual single name. A value that
// was quoted in the page (several names, or characters that end an unquoted value) must be
// quoted again, or only its first name would remain a class and the rest would become stray
// attributes.
void AppendClassValue(std::string& tag, std::string_view value) {
  const bool alreadyQuoted =
      value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
  const bool needsQuotes = !alreadyQuoted && value.find_first_of(" \t\r\n\f\"'=<>`") != std::string_view::npos;
  if (needsQuotes) {
    AppendQuoted(tag, value);
  } else {
    tag += value;
  }
}

// Marks the positions of a start tag that lie inside a quoted attribute value. A quote opens a
// value only right after "=" (blanks allowed between), as attribute values are read.
std::vector<bool> QuotedPositions(std::string_view tag) {
  std::vector<bool> inside(tag.size(), false);
  char open = 0;
  char lastSignificant = 0;
  for (std::size_t i = 0; i < tag.size(); ++i) {
    const char c = tag[i];
    if (open) {
      inside[i] = true;
      if (c == open) open = 0;
      continue;
    }
    if ((c == '"' || c == '\'') && lastSignificant == '=') {
      open = c;
      inside[i] = true;
    }
    if (c != ' ' && c != '\t') lastSignificant = c;
  }
  return inside;
}

// The positions of a style sheet that lie inside a quoted string, the quotes included. A
// backslash escapes the next character, a quote of the other kind among them.
std::vector<bool> CssStringPositions(std::string_view sheet) {
  std::vector<bool> inside(sheet.size(), false);
  char open = 0;
  for (std::size_t i = 0; i < sheet.size(); ++i) {
    const char c = sheet[i];
    if (open) {
      inside[i] = true;
      if (c == '\\' && i + 1 < sheet.size()) {
        inside[++i] = true;
      } else if (c == open) {
        open = 0;
      }
    } else if (c == '"' || c == '\'') {
      open = c;
      inside[i] = true;
    }
  }
  return inside;
}

}  // namespace

void AppendConvertingLineEnds(std::string& out, std::string_view text, std::string_view lineEnd) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t at = text.find_first_of("\r\n", i);
    if (at == std::string_view::npos) {
      out.append(text.substr(i));
      break;
    }
    out.append(text.substr(i, at - i));
    out.append(lineEnd);
    i = at + LineEndLength(text, at);
  }
}

bool SerializeNode(CRunContext& ctx, const CHtmlNode& node, std::string& output, int level) {
  CTreeWriter writer(ctx, output);
  return writer.Write(node, level);
}

void AppendWrapped(CRunContext& ctx, std::string& output, std::string_view text, int level, bool mayBreakBefore,
                   WrappedText kind) {
  const CLayoutSettings& layout = ctx.config.layout;
  if (layout.mode == kLayoutOneLine || !layout.wrap) {
    output += text;
    return;
  }
  CLineWriter w(ctx, output);
  // A style sheet keeps its own line ends, so each of its lines is wrapped on its own, counted
  // from the line's start and keeping its indentation; counted from the sheet's start, breaks
  // would fall every W characters of the whole sheet, splitting short lines and values.
  // (A string continued over a line end by a backslash keeps the old way, which sees it whole.)
  if (kind == WrappedText::StyleSheet && text.find_first_of("\r\n") != std::string_view::npos &&
      text.find("\\\n") == std::string_view::npos && text.find("\\\r") == std::string_view::npos) {
    std::size_t lineStart = 0;
    for (std::size_t at = text.find_first_of("\r\n"); ; at = text.find_first_of("\r\n", lineStart)) {
      const std::size_t end = at == std::string_view::npos ? text.size() : at;
      std::string_view line = text.substr(lineStart, end - lineStart);
      if (lineStart > 0) {
        const std::size_t indent = std::min(line.find_first_not_of(" \t"), line.size());
        output.append(line.substr(0, indent));
        line.remove_prefix(indent);
      }
      if (!line.empty()) AppendWrapped(ctx, output, line, level, mayBreakBefore && lineStart == 0, kind);
      if (at == std::string_view::npos) break;
      const std::size_t lineEnd = LineEndLength(text, at);
      output.append(text.substr(at, lineEnd));
      w.SetMark(output.size());
      lineStart = at + lineEnd;
    }
    return;
  }
  const std::int64_t width = std::max(layout.width, 1);
  const std::int64_t column = !text.empty() && IsLineEnd(text.front()) ? 0 : w.Column();
  const auto length = static_cast<std::int64_t>(text.size());

  // A text that does not fit behind the current line's end starts a line of its own: a long one
  // when fewer than 20 columns are left, a short one (at most 20 characters, which is never split)
  // when no column is left at all, since it would otherwise lengthen a line already at the width.
  // A break at column 0 would only add an empty line.
  bool lineBeganBefore = true;
  std::int64_t firstLimit = width - column;
  if (mayBreakBefore && column > 0 &&
      ((column > width - kMinRun && length > kMinRun) || (column >= width && length > 0))) {
    w.Break();
    w.Indent(level);
    lineBeganBefore = false;
    firstLimit = width;
  }

  if (!output.empty() && (output.back() == ' ' || IsLineEnd(output.back()))) {
    const std::size_t first = text.find_first_not_of(' ');
    text.remove_prefix(first == std::string_view::npos ? text.size() : first);
  }
  const auto n = static_cast<std::int64_t>(text.size());
  if (n < firstLimit) {
    output += text;
    return;
  }

  // Break points are spaces. Each line ends at the space nearest to its limit, before it (a) or
  // after it (b, which wins ties); a text's last 20 characters are never split off. The search
  // position only moves forward, so the whole text costs one pass.
  const auto npos = std::string_view::npos;
  auto skipSpaces = [&](std::size_t pos) {
    const std::size_t next = text.find_first_not_of(' ', pos);
    return next == npos ? text.size() : next;
  };
  // In a start tag, a space inside a quoted attribute value is no break point: the break would
  // become part of the value (and split a font name like "Times New Roman" in a style).
  std::vector<bool> quoted;
  if (kind == WrappedText::StyleSheet) {
    quoted = CssStringPositions(text);
  } else if (const std::size_t first = text.find_first_not_of(' '); first != npos && text[first] == '<') {
    quoted = QuotedPositions(text);
  }
  auto findSpace = [&](std::size_t pos) {
    std::size_t space = text.find(' ', pos);
    while (space != npos && !quoted.empty() && quoted[space]) space = text.find(' ', space + 1);
    return space;
  };
  std::size_t written = 0;          // first character not yet appended
  std::size_t search = 0;           // next position to look for a space
  std::int64_t limit = firstLimit;  // text position where the current line is full
  bool firstLine = true;
  for (;;) {
    std::size_t earlier = npos;  // last space before the limit
    std::size_t later = npos;    // first space at or beyond the limit
    for (;;) {
      const std::size_t space = findSpace(search);
      if (space == npos || n - static_cast<std::int64_t>(space) - 1 < kMinRun) {
        output.append(text.substr(written));
        return;
      }
      if (static_cast<std::int64_t>(space) >= limit) {
        later = space;
        break;
      }
      earlier = space;
      search = space + 1;
    }
    const bool breakBeforeText = earlier == npos && firstLine && lineBeganBefore && mayBreakBefore;
    bool takeEarlier = false;
    if (earlier != npos) {
      takeEarlier = limit - static_cast<std::int64_t>(earlier) < static_cast<std::int64_t>(later) - limit;
    } else if (breakBeforeText) {
      takeEarlier = limit < static_cast<std::int64_t>(later) - limit;
    }
    std::size_t lineStart;
    if (takeEarlier && earlier == npos) {
      w.Break();
      w.Indent(level);
      lineStart = 0;
      written = skipSpaces(0);
      search = std::max(written, later);
    } else {
      const std::size_t at = takeEarlier ? earlier : later;
      output.append(text.substr(written, at - written));
      w.Break();
      w.Indent(level);
      lineStart = at + 1;
      written = skipSpaces(lineStart);
      // Between the earlier candidate and the later one there is no other space.
      search = takeEarlier ? std::max(written, later) : written;
    }
    firstLine = false;
    limit = static_cast<std::int64_t>(lineStart) + width;
    if (n <= limit) break;
  }
  output.append(text.substr(written));
}

void AppendAttributes(const CHtmlNode& node, std::string& tag) {
  if (!node.CssClass().empty()) {
    tag += " class=";
    AppendClassValue(tag, node.CssClass());
  }
  if (!node.Style().empty()) {
    tag += " style=";
    AppendQuoted(tag, node.Style());
  }
  if (!node.Lang().empty()) {
    tag += " lang=";
    AppendQuoted(tag, node.Lang());
  }
}

}  // namespace trimvale
