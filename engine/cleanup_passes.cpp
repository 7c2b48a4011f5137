#include "engine/cleanup_passes.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/attributes.h"
#include "engine/char_conversion.h"
#include "engine/charset.h"
#include "engine/sheet_pruning.h"
#include "engine/style_compaction.h"
#include "engine/style_cleaning.h"
#include "rules/text_util.h"

namespace trimvale {

namespace {

constexpr std::string_view kBeginOptimization = "Beginne Optimierung\r\n";
constexpr std::string_view kDocumentOptimized = "Datei optimiert, setze Dokument zusammen...\r\n\r\n";
constexpr std::string_view kCharsKeptNoteStart =
    "Hinweis: Sonderzeichen werden nicht umgewandelt, da die Seite den Zeichensatz ";
constexpr std::string_view kCharsKeptNoteEnd = " verwendet.\r\n";
constexpr std::string_view kMisdeclaredNoteStart =
    "Hinweis: Die Seite ist als UTF-8 gespeichert, erklärt aber den Zeichensatz ";
constexpr std::string_view kMisdeclaredNoteEnd = ". Sonderzeichen werden nicht umgewandelt.\r\n";

// ---------------------------------------------------------------------------------------------
// Node tests shared by the passes.

bool IsStyleElement(const CHtmlNode* node) {
  return node && (node->kind == TagKind::Style || EqualsNoCase(node->name, "style"));
}
bool IsScriptElement(const CHtmlNode* node) {
  return node && (node->kind == TagKind::Script || EqualsNoCase(node->name, "script"));
}
bool IsBoldElement(const CHtmlNode* node) {
  return node && (node->kind == TagKind::B || node->kind == TagKind::Strong);
}
// A text node whose whole text is blanks and "&nbsp;" entities.
bool HasOnlyBlankText(const CHtmlNode& node) {
  if (node.children.size() != 1) return false;
  const CHtmlNode& child = *node.children.front();
  return child.kind == TagKind::Text && IsBlankText(child.text);
}

// An element whose tag rest holds attributes (not a text, comment, conditional section or raw
// xmp/plaintext content, whose text is something else).
bool IsTagWithAttributes(const CHtmlNode& node) {
  if (node.name.empty() || node.text.find('=') == std::string_view::npos) return false;
  const char first = node.name.front();
  const bool letter = (first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z');
  return letter && node.kind != TagKind::Xmp && node.kind != TagKind::Plaintext;
}

// A length a browser reads the same in every mode: a number with a unit, or a percentage.
bool IsPlainLength(std::string_view value) {
  std::size_t digits = 0;
  while (digits < value.size() && ((value[digits] >= '0' && value[digits] <= '9') || value[digits] == '.')) ++digits;
  if (digits == 0 || std::count(value.begin(), value.begin() + static_cast<std::ptrdiff_t>(digits), '.') > 1) {
    return false;
  }
  static constexpr std::array<std::string_view, 8> kUnits = {"pt", "px", "cm", "mm", "in", "pc", "em", "%"};
  const std::string_view unit = value.substr(digits);
  return std::ranges::any_of(kUnits, [&](std::string_view u) { return EqualsNoCase(unit, u); });
}

// Word writes the alignment and the cell width twice: as a presentational attribute (align,
// width, height) and in the element's own style. The attribute only gives the browser a default
// for the same property, which a valid declaration of the style replaces, so it shows nothing.
void DropAttributesTheStyleOverrides(CHtmlNode& node) {
  const bool cell = node.kind == TagKind::Td || EqualsNoCase(node.name, "td") || EqualsNoCase(node.name, "th");
  const bool aligned = cell || node.kind == TagKind::P || node.kind == TagKind::Div || node.kind == TagKind::Heading;
  if (!aligned || node.text.empty()) return;
  bool textAlign = false, width = false, height = false;
  ForEachDeclaration(node.Style(), [&](std::string_view property, std::string_view value) {
    static constexpr std::array<std::string_view, 6> kAlignments = {"left", "right", "center", "justify", "start", "end"};
    if (EqualsNoCase(property, "text-align")) {
      textAlign = std::ranges::any_of(kAlignments, [&](std::string_view a) { return EqualsNoCase(value, a); });
    } else if (EqualsNoCase(property, "width")) {
      width = IsPlainLength(value);
    } else if (EqualsNoCase(property, "height")) {
      height = IsPlainLength(value);
    }
  });
  if (!textAlign && !(cell && (width || height))) return;
  node.text.Edit([&](std::string& rest) {
    if (textAlign) RemoveTagAttribute(rest, "align");
    if (cell && width) RemoveTagAttribute(rest, "width");
    if (cell && height) RemoveTagAttribute(rest, "height");
  });
}

// Only text with a byte beyond ASCII has anything to convert; most text of a page has none, and
// it is not copied for nothing.
bool HasHighByte(std::string_view text) {
  return std::ranges::any_of(text, [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Elements that do their work while empty: removing them loses a script, a frame, a plug-in, a
// form field or a media element.
bool IsWorkingWhenEmpty(const CHtmlNode& node) {
  static constexpr std::array<std::string_view, 8> kNames = {"script",   "iframe", "object", "embed",
                                                             "textarea", "video",  "audio",  "canvas"};
  if (node.kind == TagKind::Script || node.kind == TagKind::Textarea) return true;
  for (std::string_view name : kNames) {
    if (EqualsNoCase(node.name, name)) return true;
  }
  return false;
}

// An empty element that is still a jump target or a script's handle. Namespaced markup (v:, o:,
// w:) carries ids too, but no browser shows it, so it gets no protection.
bool IsAddressable(const CHtmlNode& node) {
  if (node.name.find(':') != std::string::npos) return false;
  return FindTagAttribute(node.text, "id").has_value() || FindTagAttribute(node.text, "name").has_value();
}

// ---------------------------------------------------------------------------------------------
// The walk shared by all passes.

// Where a visited node stands.
struct CVisit {
  CHtmlNode* holder = nullptr;       // the node whose child list holds it; null for a lone root
  CHtmlNode* grandHolder = nullptr;  // the holder's holder, or null
  bool inRawText = false;            // it lies inside a script or style element
  std::size_t holderDepth = 0;       // the holder's depth below the walk's start (0: above it)
};

// A frame per element of the path being walked, so two words each: the raw-text flag rides in
// the lowest bit of the node's address, which alignment leaves clear.
class CWalkFrame {
 public:
  CWalkFrame(CHtmlNode* node, CHtmlNode* nextChild, bool inRawText)
      : next(nextChild), nodeBits_(reinterpret_cast<std::uintptr_t>(node) | (inRawText ? 1U : 0U)) {}
  // The node whose children are being walked.
  CHtmlNode* Node() const { return reinterpret_cast<CHtmlNode*>(nodeBits_ & ~std::uintptr_t{1}); }
  // Node() is, or lies inside, a script or style element.
  bool InRawText() const { return (nodeBits_ & 1U) != 0; }

  CHtmlNode* next;  // the child to visit next (the noted position)

 private:
  static_assert(alignof(CHtmlNode) >= 2);
  std::uintptr_t nodeBits_;
};

// Walks the tree below `start` in the order of a recursive walk: a node is treated first
// (`pass.Enter`, which may answer at once), then its children are walked, then it answers
// (`pass.Leave`). Verdicts are carried out on the holder's list: a deleted child goes with its
// subtree, a dissolved child's children take its place and are visited next, and a split
// moves the rest of a b or strong element into a copy of it. Once the run is cancelled every visit answers Keep.
template <class TPass>
class CTreeWalk {
 public:
  CTreeWalk(CRunContext& ctx, TPass& pass) : ctx_(ctx), pass_(pass) {}

  PassResult Run(CHtmlNode& start) {
    if (ctx_.Cancelled()) return PassResult::Keep;
    CVisit visit;
    visit.holder = start.parent;
    visit.grandHolder = start.parent ? start.parent->parent : nullptr;
    for (const CHtmlNode* up = start.parent; up && !visit.inRawText; up = up->parent) {
      visit.inRawText = IsStyleElement(up) || IsScriptElement(up);
    }
    if (std::optional<PassResult> verdict = pass_.Enter(start, visit)) return *verdict;
    Push(start, visit.inRawText);

    PassResult startVerdict = PassResult::Keep;
    while (!stack_.empty()) {
      CWalkFrame& top = stack_.back();
      if (!top.next || ctx_.Cancelled()) {
        CHtmlNode& done = *top.Node();
        const PassResult verdict = pass_.Leave(done);
        stack_.pop_back();
        if (stack_.empty()) {
          startVerdict = verdict;
        } else {
          startVerdict = Carry(done, verdict);
        }
        continue;
      }
      CHtmlNode& child = *top.next;
      top.next = child.NextSibling();
      const bool childInRaw = top.InRawText();
      CVisit childVisit{top.Node(), HolderOf(stack_.size() - 1), childInRaw, stack_.size()};
      if (std::optional<PassResult> verdict = pass_.Enter(child, childVisit)) {
        startVerdict = Carry(child, *verdict);
        continue;
      }
      Push(child, childInRaw);
    }
    return startVerdict;
  }

 private:
  void Push(CHtmlNode& node, bool holderInRaw) {
    stack_.emplace_back(&node, node.children.front(), holderInRaw || IsStyleElement(&node) || IsScriptElement(&node));
  }

  // White space stands after `node` in `holder`: on the next sibling, or at the holder's end.
  static void MarkSpaceAfter(CHtmlNode& holder, CHtmlNode* node) {
    if (CHtmlNode* next = node->NextSibling()) {
      next->spaceBefore = true;
    } else {
      holder.spaceAtEnd = true;
    }
  }

  // The holder of the node of frame `index`.
  CHtmlNode* HolderOf(std::size_t index) const { return index > 0 ? stack_[index - 1].Node() : stack_[0].Node()->parent; }

  // Carries out the verdict of `child` on the list of the top frame's node. Returns the verdict
  // that ends up on the start node (only meaningful once the stack is empty).
  PassResult Carry(CHtmlNode& child, PassResult verdict) {
    CWalkFrame& frame = stack_.back();
    CHtmlNode& holder = *frame.Node();
    switch (verdict) {
      case PassResult::Keep:
        break;
      case PassResult::Delete:
        // The white space around a node that goes still separates what stood on either side,
        // and an emptied node's inner space (a word processor's `<span> </span>`) does too.
        if (child.spaceBefore || (child.children.empty() && child.spaceAtEnd)) MarkSpaceAfter(holder, &child);
        holder.children.Unlink(&child);
        break;
      case PassResult::Dissolve: {
        CHtmlNode* first = child.children.front();
        CHtmlNode* last = child.children.MoveAllAfter(holder.children, &child, &holder);
        if (first) {
          if (child.spaceBefore) first->spaceBefore = true;
          if (child.spaceAtEnd) MarkSpaceAfter(holder, last);
        } else if (child.spaceBefore || child.spaceAtEnd) {
          MarkSpaceAfter(holder, &child);
        }
        frame.next = child.NextSibling();
        holder.children.Unlink(&child);
        break;
      }
      case PassResult::SplitParent:
        return SplitHolderAt(child);
      case PassResult::SplitGrandparent: {
        // The holder's walk ends; it answers SplitParent to its own holder.
        CHtmlNode& splitting = holder;
        stack_.pop_back();
        if (stack_.empty()) return PassResult::SplitParent;
        return Carry(splitting, PassResult::SplitParent);
      }
    }
    return PassResult::Keep;
  }

  // The top frame's node N (a b or strong element) is split at its child S: S moves out of N
  // into N's holder P right after N, and a copy M of N without attributes, holding the children
  // that followed S, comes right after S. N's walk ends; P's walk goes on after N's old next
  // sibling, so S and M are met again in the next sweep.
  PassResult SplitHolderAt(CHtmlNode& split) {
    CHtmlNode& n = *stack_.back().Node();
    CHtmlNode* p = HolderOf(stack_.size() - 1);
    if (!p) return PassResult::Keep;  // a lone start node cannot be split: the child just stays
    CHtmlNode* rest = split.NextSibling();
    auto copy = MakeNode(p);
    copy->name = n.name;
    copy->kind = n.kind;
    copy->endTagKind = n.endTagKind;
    copy->layoutBits = n.layoutBits;
    CHtmlNode* moved = p->children.InsertAfter(&n, n.children.Unlink(&split));
    moved->parent = p;
    CHtmlNode* m = p->children.InsertAfter(moved, std::move(copy));
    if (rest) n.children.MoveTailTo(rest, m->children, m);
    stack_.pop_back();
    if (stack_.empty()) return PassResult::Keep;
    return Carry(n, PassResult::Keep);
  }

  CRunContext& ctx_;
  TPass& pass_;
  // The path from the start node down, a frame per level; a deque, which grows without copying
  // and never holds twice the room it needs on a page nested all the way down.
  std::deque<CWalkFrame> stack_;
};

template <class TPass>
PassResult WalkTree(CRunContext& ctx, CHtmlNode& start, TPass pass) {
  return CTreeWalk<TPass>(ctx, pass).Run(start);
}

// ---------------------------------------------------------------------------------------------
// The passes. Enter answers a verdict at once or nullopt to have the children walked; Leave
// answers after the walk.

// Elements that frame the page: without them a browser still builds them, but the page loses
// its title, its head's links and the attributes of html and body.
bool IsPageFrame(const CHtmlNode& node) {
  static constexpr std::array<std::string_view, 4> kNames = {"html", "head", "body", "title"};
  if (node.kind == TagKind::Html) return true;
  for (std::string_view name : kNames) {
    if (EqualsNoCase(node.name, name)) return true;
  }
  return false;
}

// Drawings and formulas: their empty children are the shapes and symbols themselves (a path, a
// circle, a clip path's outline), so nothing inside them is empty in the HTML sense.
bool IsDrawing(const CHtmlNode& node) { return EqualsNoCase(node.name, "svg") || EqualsNoCase(node.name, "math"); }

// Inline formatting elements. Empty, they have no box, so a class on them shows nothing; Word
// leaves many of them behind (<span class=SpellE></span>, <b></b>). Namespaced markup (o:p, v:,
// w:) shows nothing in a browser either.
bool IsInlineFormatting(const CHtmlNode& node) {
  static constexpr std::array<std::string_view, 27> kNames = {
      "a",    "abbr", "b", "bdo",  "big",   "cite", "code",   "del",    "dfn", "em",  "font", "i", "ins", "kbd",
      "mark", "q",    "s", "samp", "small", "span", "strike", "strong", "sub", "sup", "tt",   "u", "var"};
  if (node.name.find(':') != std::string::npos) return true;
  for (std::string_view name : kNames) {
    if (EqualsNoCase(node.name, name)) return true;
  }
  return false;
}

// A value of attribute `name`, from its own field or, when the tag wrote the name in another
// case and it stayed in the tag rest, from there.
std::string_view AttributeValue(const CHtmlNode& node, const std::string& field, std::string_view name) {
  if (!field.empty()) return field;
  return FindTagAttribute(node.text, name).value_or(std::string_view());
}

// Declarations only a word processor reads.
bool IsVendorDeclaration(std::string_view property, std::string_view) { return IsWordOnlyProperty(property); }
// A declaration that undoes the bold of a b or strong element around it.
bool IsNotBold(std::string_view property, std::string_view value) {
  return EqualsNoCase(property, "font-weight") && EqualsNoCase(value, "normal");
}

// Properties that give even an empty element a box of its own: a size, a coloured area, a frame
// or an inner space. Matched as whole property names with their sub-properties (border-top,
// background-color), never inside another name (mso-border-alt, line-height).
bool IsBoxProperty(std::string_view property) {
  static constexpr std::array<std::string_view, 7> kNames = {"height", "width",      "min-height", "min-width",
                                                             "border", "background", "padding"};
  return std::ranges::any_of(kNames, [&](std::string_view name) { return IsPropertyOrPart(property, name); });
}

// Properties that set the height of the line an empty inline element stands in: a line height
// of its own (also through the font shorthand) takes part in the line's height like any text of
// the line, and a shifted baseline stretches the line too. Removing empty spans with a font size
// or family alone changed no rendered word-processor page, and keeping them all cost 5 % of the
// output, so those still go.
bool IsLineProperty(std::string_view property) {
  return EqualsNoCase(property, "font") || EqualsNoCase(property, "line-height") ||
         EqualsNoCase(property, "vertical-align");
}

struct CStyleFacts {
  bool rendering = false;  // a declaration a browser reads (not one of the word processor's "mso-")
  bool box = false;        // a declaration that gives the element a box
  bool line = false;       // a declaration that may heighten the line the element stands in
};

CStyleFacts ReadStyle(std::string_view style) {
  CStyleFacts facts;
  ForEachDeclaration(style, [&](std::string_view property, std::string_view) {
    if (property.empty() || IsWordOnlyProperty(property)) return;
    facts.rendering = true;
    if (IsBoxProperty(property)) facts.box = true;
    if (IsLineProperty(property)) facts.line = true;
  });
  return facts;
}

// An empty element that still takes room or paints: its style sizes, colours, frames or pads
// it, or sets the height of its line; or it is not inline formatting and has a class, which may do all of that from the style
// sheet; or it is a paragraph or division with a style of its own. An empty block's margins do
// not vanish with its content: they collapse with its neighbours' and can widen the gap between
// them, so a p or div whose class or style may set margins stays.
bool HasOwnBox(const CHtmlNode& node) {
  // Outside a drawing no browser draws namespaced markup (v:shape, v:group), whatever its size.
  if (node.name.find(':') != std::string::npos) return false;
  const CStyleFacts style = ReadStyle(AttributeValue(node, node.Style(), "style"));
  if (style.box || style.line) return true;
  if (IsInlineFormatting(node)) return false;
  if (!AttributeValue(node, node.CssClass(), "class").empty()) return true;
  const bool paragraphOrDivision = node.kind == TagKind::P || node.kind == TagKind::Div ||
                                   EqualsNoCase(node.name, "p") || EqualsNoCase(node.name, "div");
  return paragraphOrDivision && style.rendering;
}

// A missing cell moves every later cell of its row one column to the left, and a missing row
// moves the cells that span into it.
bool IsTableCellOrRow(const CHtmlNode& node) {
  return node.kind == TagKind::Td || node.kind == TagKind::Tr || EqualsNoCase(node.name, "td") ||
         EqualsNoCase(node.name, "th") || EqualsNoCase(node.name, "tr");
}

class CEmptyTagPass {
 public:
  explicit CEmptyTagPass(const OptimizeOptions& options) : allRule_(!options.automatic && options.emptyTagsAll) {}

  std::optional<PassResult> Enter(CHtmlNode& node, const CVisit&) {
    // Text nodes and tags that take no end tag are never removed.
    if (node.endTagKind == kEndTagNone) return PassResult::Keep;
    if (!allRule_ && IsDrawing(node)) return PassResult::Keep;
    if (!node.children.empty()) return std::nullopt;
    if (IsTableCellOrRow(node)) return PassResult::Keep;
    if (allRule_) return PassResult::Delete;
    if (node.kind == TagKind::Anchor && Contains(ToLowerAscii(node.text), "name")) return PassResult::Keep;
    return VerdictOnEmpty(node);
  }

  // A node whose children all went is removed too, except a cell or row.
  PassResult Leave(CHtmlNode& node) {
    if (!node.children.empty() || IsTableCellOrRow(node)) return PassResult::Keep;
    return allRule_ ? PassResult::Delete : VerdictOnEmpty(node);
  }

 private:
  // The "auto" rule removes only what renders nothing and does no work.
  static PassResult VerdictOnEmpty(CHtmlNode& node) {
    const bool kept = IsPageFrame(node) || IsWorkingWhenEmpty(node) || IsAddressable(node) || HasOwnBox(node);
    if (kept) DropGlyphOnlyDeclarations(node);
    return kept ? PassResult::Keep : PassResult::Delete;
  }

  // An element kept empty (for the height of its line, say) holds no glyph, so what only
  // colours, spaces or decorates glyphs shows nothing on it; and where a line height of its own
  // fixes its height, its font family can only nudge where that height sits, by the difference
  // of two fonts' ascents (no rendered corpus page moved). With a class it may still get
  // generated content from the style sheet, so such an element keeps its style whole.
  static void DropGlyphOnlyDeclarations(CHtmlNode& node) {
    if (node.Style().empty() || !node.CssClass().empty() || FindTagAttribute(node.text, "class")) return;
    std::string& style = node.EditableStyle();
    bool lineHeight = false;
    ForEachDeclaration(style, [&](std::string_view property, std::string_view) {
      if (EqualsNoCase(property, "line-height")) lineHeight = true;
    });
    RemoveDeclarationsIf(style, [lineHeight](std::string_view property, std::string_view) {
      if (lineHeight && EqualsNoCase(property, "font-family")) return true;
      return EqualsNoCase(property, "color") || EqualsNoCase(property, "letter-spacing") ||
             EqualsNoCase(property, "word-spacing") || IsPropertyOrPart(property, "text-decoration") ||
             EqualsNoCase(property, "text-transform") || EqualsNoCase(property, "text-shadow");
    });
  }

  bool allRule_;  // "alle": every empty element goes, as the user asked
};

class CWordLinkPass {
 public:
  std::optional<PassResult> Enter(CHtmlNode& node, const CVisit&) {
    // Namespace declarations and the like go; class, style and lang are held elsewhere. The
    // writing direction stays: without it a right-to-left page would be laid out mirrored.
    if (node.kind == TagKind::Html) {
      const std::optional<std::string_view> dir = FindTagAttribute(node.text, "dir");
      const bool keep = dir && dir->find('"') == std::string_view::npos;
      node.text = keep ? " dir=\"" + std::string(*dir) + "\"" : std::string();
    }
    if (node.kind == TagKind::Xml) return PassResult::Delete;
    if (node.kind == TagKind::Link && (Contains(node.text, "rel=File-List") || Contains(node.text, "rel=Edit"))) {
      return PassResult::Delete;
    }
    return std::nullopt;
  }
  PassResult Leave(CHtmlNode&) { return PassResult::Keep; }
};

class CWordMarkupPass {
 public:
  CWordMarkupPass(const OptimizeOptions& options, PageEncoding encoding) : options_(options), encoding_(encoding) {}

  std::optional<PassResult> Enter(CHtmlNode& node, const CVisit& visit) {
    bool conditionals = options_.removeWordIf;
    if (options_.automatic) {
      if (EqualsNoCase(node.name, "strike")) node.name.assign(1, 's');
      if (node.kind == TagKind::Office) return PassResult::Dissolve;
      conditionals = true;
    }
    if (conditionals) {
      if (node.name == "!--[if" && Contains(node.text, "gte vml")) return PassResult::Delete;
      // A downlevel-revealed section shows its content to every browser; a hidden one goes.
      if (node.kind == TagKind::DownlevelIf) return PassResult::Dissolve;
      if (node.kind == TagKind::CommentIf) return PassResult::Delete;
    }
    // Entities are not read inside scripts and style sheets: converting there would change them.
    if (options_.specialChars && node.kind == TagKind::Text && !visit.inRawText && HasHighByte(node.text)) {
      node.text.Edit([&](std::string& text) { ConvertSpecialChars(text, encoding_); });
    }
    if (node.kind == TagKind::Comment && DeletesComment(node, visit)) return PassResult::Delete;
    return std::nullopt;
  }
  PassResult Leave(CHtmlNode&) { return PassResult::Keep; }

 private:
  bool DeletesComment(const CHtmlNode& comment, const CVisit& visit) const {
    const bool inStyle = IsStyleElement(visit.holder);
    const bool inScript = IsScriptElement(visit.holder);
    const bool webbot = Contains(comment.text, "webbot");
    if (options_.automatic) return !inStyle && !inScript && !webbot;
    if (!options_.deleteComments) return false;
    // Each comment kind of the dialog selects its own group and nothing else.
    if (inStyle) return options_.commentsStyle;
    if (inScript) return options_.commentsScript;
    if (webbot) return options_.commentsWebbot;
    return options_.commentsRest;
  }

  const OptimizeOptions& options_;
  PageEncoding encoding_;
};

// What a holder passes on to the nodes inside it. Only holders that change it (a lang of their
// own, the start of a drawing) get a frame, so a page nested all the way down costs none.
struct CLangFrame {
  std::size_t depth;      // the holder's depth in the walk (0: the walk's start lies below it)
  std::string_view lang;  // points into the holder's own lang, or an ancestor's
  bool inDrawing;         // it is, or lies inside, an svg or math element
};

class CFormattingPass {
 public:
  explicit CFormattingPass(const OptimizeOptions& options) : options_(options) {}

  std::optional<PassResult> Enter(CHtmlNode& node, const CVisit& visit) {
    // Every node is entered, so the frames of a subtree are dropped at the first node after it,
    // which lies at the subtree's depth or above.
    while (!langs_.empty() && langs_.back().depth > visit.holderDepth) langs_.pop_back();
    const bool unneeded = options_.automatic || options_.unneededFormats;
    if ((options_.strongToB || options_.automatic) && node.kind == TagKind::Strong)
      node.name.assign(1, 'b');  // (not = "b": GCC 12 misreports -Wrestrict there)

    if (unneeded) {
      if (IsEditorLeftover(node)) return PassResult::Delete;
      CleanStyleSheetOf(node, visit);
      if (!node.CssClass().empty() && !classes_.emptied.empty()) DropEmptiedClasses(node);
      if (IsTagWithAttributes(node) && node.text.find(':') != std::string_view::npos && !InDrawing(visit) &&
          !IsDrawing(node)) {
        node.text.Edit([](std::string& rest) { RemoveNamespacedAttributes(rest); });
      }
      // A smart tag around part of a word (Word wraps single letters of names) splits the
      // browser's text run there and so its kerning: dissolving it shifts glyphs a little.
      if (!options_.keepLook && node.kind != TagKind::Text && node.kind != TagKind::Comment && IsSmartTag(node) &&
          !InDrawing(visit)) {
        return PassResult::Dissolve;
      }
    }

    bool spanRules = false;
    if (options_.automatic || (options_.spanDelete && !options_.spanAll)) {
      spanRules = true;
    } else if (options_.spanDelete && node.kind == TagKind::Span) {
      return PassResult::Dissolve;  // "alle": every span goes
    }
    if (spanRules) {
      if (std::optional<PassResult> verdict = HeadingAndSpanRules(node, visit)) return verdict;
    }

    if ((options_.automatic || options_.blankLineFormats) &&
        (node.kind == TagKind::B || node.kind == TagKind::Strong || node.kind == TagKind::I) &&
        HasOnlyBlankText(node)) {
      return PassResult::Dissolve;
    }
    if (unneeded && node.kind != TagKind::Text && node.kind != TagKind::Comment) {
      if (!node.Style().empty()) {
        RemoveDeclarationsIf(node.EditableStyle(), IsVendorDeclaration);
        RemoveOverriddenDeclarations(node.EditableStyle());
        CompactDeclarations(node.EditableStyle(), DeclarationLayout::Attribute);
        DropAttributesTheStyleOverrides(node);
      }
    }
    if (!options_.automatic && options_.deleteAllStyles) {
      node.SetCssClass({});
      node.SetStyle({});
      if ((node.kind == TagKind::Span || node.kind == TagKind::Div) && node.WithoutAttributes()) {
        return PassResult::Dissolve;
      }
    }
    if (!node.children.empty()) EnterHolder(node, visit);
    return std::nullopt;
  }
  PassResult Leave(CHtmlNode&) { return PassResult::Keep; }

 private:
  // What is in force for the children of `visit.holder`: the frame of the deepest holder on the
  // path down to it that has one (Enter has dropped the frames of subtrees already left).
  const CLangFrame* HolderFrame(const CVisit& visit) {
    if (!visit.holder) return nullptr;
    if (langs_.empty()) {
      // What the walk's start inherits comes from its own ancestors, looked up once.
      const CHtmlNode* outer = visit.holder;
      for (std::size_t d = visit.holderDepth; d > 0 && outer; --d) outer = outer->parent;
      std::string_view lang;
      bool drawing = false;
      for (const CHtmlNode* up = outer; up; up = up->parent) {
        if (lang.empty()) lang = up->Lang();
        drawing = drawing || IsDrawing(*up);
      }
      langs_.push_back({0, lang, drawing});
    }
    return &langs_.back();
  }
  std::string_view InheritedLang(const CVisit& visit) {
    const CLangFrame* frame = HolderFrame(visit);
    return frame ? frame->lang : std::string_view();
  }
  bool InDrawing(const CVisit& visit) {
    const CLangFrame* frame = HolderFrame(visit);
    return frame && frame->inDrawing;
  }
  // Notes what `node`'s children inherit, before they are walked.
  void EnterHolder(const CHtmlNode& node, const CVisit& visit) {
    const std::string_view own = node.Lang();
    const bool drawing = IsDrawing(node) && !InDrawing(visit);
    if (own.empty() && !drawing) return;
    const CLangFrame* holder = HolderFrame(visit);
    langs_.push_back({visit.holderDepth + 1, own.empty() && holder ? holder->lang : own,
                      drawing || (holder && holder->inDrawing)});
  }

  static bool IsEastAsian(std::string_view lang) {
    for (std::string_view code : {"zh", "ja", "ko"}) {
      if (lang.size() >= 2 && EqualsNoCase(lang.substr(0, 2), code) && (lang.size() == 2 || lang[2] == '-' || lang[2] == '_')) {
        return true;
      }
    }
    return false;
  }

  // b and strong add nothing to a heading's bold, nor a font or span without attributes; any
  // class, style or other attribute may change font, size, colour or decoration, and i, u, s,
  // sub and sup show on their own.
  static bool ShowsNothingInHeading(const CHtmlNode& node) {
    const bool plain = node.kind == TagKind::B || node.kind == TagKind::Strong || node.kind == TagKind::Span ||
                       EqualsNoCase(node.name, "b") || EqualsNoCase(node.name, "strong") ||
                       EqualsNoCase(node.name, "span") || EqualsNoCase(node.name, "font");
    if (!plain || !node.text.empty() || !node.CssClass().empty() || !node.Lang().empty()) return false;
    bool shows = false;
    ForEachDeclaration(node.Style(), [&](std::string_view property, std::string_view) {
      if (!IsWordOnlyProperty(property)) shows = true;
    });
    return !shows;
  }

  std::vector<CLangFrame> langs_;  // innermost last
  CSheetClasses classes_;

  // The style sheet of a style element is in its child, a comment or (without one) a text; the
  // element's own tag rest is cleaned as well. The comment around a sheet only hid it from
  // browsers older than style elements, so the sheet is left as the element's text.
  void CleanStyleSheetOf(CHtmlNode& node, const CVisit& visit) {
    if (IsStyleElement(&node)) {
      node.text.Edit([](std::string& text) { CleanStyleSheet(text, StyleSheetHolder::TagRest); });
    } else if (IsStyleElement(visit.holder) && node.kind == TagKind::Comment) {
      node.text.Edit([&](std::string& text) {
        CleanStyleSheet(text, StyleSheetHolder::Comment);
        if (text.ends_with("--")) text.resize(text.size() - 2);
        RemoveWordOnlyRules(text, classes_);
      });
      node.kind = TagKind::Text;
      node.name.clear();
      node.endTagKind = kEndTagNone;
      node.layoutBits = 0;
    } else if (IsStyleElement(visit.holder) && node.kind == TagKind::Text) {
      node.text.Edit([&](std::string& text) {
        CleanStyleSheet(text, StyleSheetHolder::Text);
        RemoveWordOnlyRules(text, classes_);
      });
    }
  }

  // A class whose every rule was left empty shows nothing (Word's SpellE and GramE); a class
  // with no rule on this page stays, since a linked style sheet may give it one.
  void DropEmptiedClasses(CHtmlNode& node) const {
    std::string kept;
    const std::string& value = node.CssClass();
    for (std::size_t start = 0; start < value.size();) {
      const std::size_t end = std::min(value.find_first_of(" \t\r\n\f", start), value.size());
      const std::string_view name = std::string_view(value).substr(start, end - start);
      if (!name.empty() && !classes_.IsEmptied(name)) {
        if (!kept.empty()) kept += ' ';
        kept += name;
      }
      start = end + 1;
    }
    if (kept != value) node.SetCssClass(std::move(kept));
  }

  // The editor's own link elements and metas: browsers do nothing with them.
  static bool IsEditorLeftover(const CHtmlNode& node) {
    if (node.kind == TagKind::Link || EqualsNoCase(node.name, "link")) {
      static constexpr std::array<std::string_view, 6> kRels = {
          "File-List", "Edit-Time-Data", "themeData", "colorSchemeMapping", "dataStoreItem", "OLE-Object-Data"};
      const std::string_view rel = FindTagAttribute(node.text, "rel").value_or("");
      return std::ranges::any_of(kRels, [&](std::string_view name) { return EqualsNoCase(rel, name); });
    }
    if (EqualsNoCase(node.name, "meta")) {
      const std::string_view name = FindTagAttribute(node.text, "name").value_or("");
      return EqualsNoCase(name, "Generator") || EqualsNoCase(name, "Originator") || EqualsNoCase(name, "ProgId");
    }
    return false;
  }

  // A word processor's own element (st1:PersonName, w:Sdt): any namespaced name but the vector
  // markup (v:), formulas (m:) and drawings (svg:, math:).
  static bool IsSmartTag(const CHtmlNode& node) {
    const std::size_t colon = node.name.find(':');
    if (colon == std::string::npos || node.kind == TagKind::Office) return false;
    const std::string_view prefix = node.name.view().substr(0, colon);
    return !EqualsNoCase(prefix, "v") && !EqualsNoCase(prefix, "m") && !EqualsNoCase(prefix, "svg") &&
           !EqualsNoCase(prefix, "math");
  }

  std::optional<PassResult> HeadingAndSpanRules(CHtmlNode& node, const CVisit& visit) {
    // A heading carries its own formatting, so formatting inside it that adds nothing goes.
    if (visit.holder && visit.holder->kind == TagKind::Heading && ShowsNothingInHeading(node)) {
      return PassResult::Dissolve;
    }
    if (node.kind != TagKind::Span) return std::nullopt;
    if (node.isBare) return PassResult::Dissolve;
    // Edits of an absent style change nothing, so they may go to a scratch string.
    std::string noStyle;
    std::string& style = node.Style().empty() ? noStyle : node.EditableStyle();
    RemoveDeclarationsIf(style, IsVendorDeclaration);
    // The browser picks glyph variants and fallback fonts of Chinese, Japanese and Korean text
    // by language, so there lang shows, also on the Latin text of such a page.
    if (!options_.keepLook && !IsEastAsian(node.Lang()) && !IsEastAsian(InheritedLang(visit))) node.SetLang({});
    if (node.WithoutAttributes()) return PassResult::Dissolve;
    // A span that only undoes the bold of its b or strong holder: the holder is split around it.
    const bool inBold = IsBoldElement(visit.holder);
    if ((inBold || (visit.holder && visit.holder->children.size() == 1 && IsBoldElement(visit.grandHolder))) &&
        RemoveDeclarationsIf(style, IsNotBold)) {
      if (node.WithoutAttributes()) node.isBare = true;
      return inBold ? PassResult::SplitParent : PassResult::SplitGrandparent;
    }
    // The colour of blanks shows nothing; their font does (it sets their width and the height
    // of their line), and so do their background, frame, decoration and spacing.
    if (HasOnlyBlankText(node)) {
      RemoveDeclarationsIf(style, [](std::string_view property, std::string_view) {
        return EqualsNoCase(property, "color") || IsWordOnlyProperty(property);
      });
      if (node.WithoutAttributes()) return PassResult::Dissolve;
    }
    return std::nullopt;
  }

  const OptimizeOptions& options_;
};

class CTagRulePass {
 public:
  std::optional<PassResult> Enter(CHtmlNode& node, const CVisit&) {
    const CTagRule* rule = node.Rule();
    if (!rule) return std::nullopt;
    if (rule->deleteTag) return rule->moveSubtags ? PassResult::Dissolve : PassResult::Delete;
    if (rule->deleteClass) node.SetCssClass({});
    if (rule->deleteStyle) node.SetStyle({});
    if (rule->deleteRest) node.text.clear();
    // A rule without a replacement name keeps the name: a tag with no name cannot be written.
    if (rule->replace && !rule->replacement.empty()) node.name = rule->replacement;
    if (rule->deleteSubtags) node.children.Clear();
    return std::nullopt;
  }
  PassResult Leave(CHtmlNode&) { return PassResult::Keep; }
};

// Visits `start` and every node below it in document order by the tree's own links (first
// child, next sibling, parent), as the serializer does: a pass that only reads the tree, or
// edits texts, needs no verdicts carried out and so no frame per level of a deep page.
template <class TVisit>
void VisitInOrder(CRunContext& ctx, CHtmlNode& start, TVisit visit) {
  CHtmlNode* node = &start;
  for (;;) {
    if (ctx.Cancelled()) return;
    visit(*node);
    if (CHtmlNode* first = node->children.front()) {
      node = first;
      continue;
    }
    for (;;) {
      if (node == &start) return;
      if (CHtmlNode* next = node->NextSibling()) {
        node = next;
        break;
      }
      node = node->parent;
    }
  }
}

// Notes the names and classes of the page's elements, whether anything may change them after
// loading, and whether there is a style sheet at all.
class CSelectorCollector {
 public:
  explicit CSelectorCollector(CPageSelectors& page) : page_(page) {}

  void Note(const CHtmlNode& node) {
    if (node.kind == TagKind::Text || node.kind == TagKind::Comment || node.name.empty()) return;
    if (IsScriptElement(&node) || HasEventHandler(node.text)) uncertain_ = true;
    if (IsStyleElement(&node)) sheets_ = true;
    const std::string_view classes = AttributeValue(node, node.CssClass(), "class");
    // A class written with an entity or an escape is not compared as written.
    if (classes.find_first_of("&\\") != std::string_view::npos) uncertain_ = true;
    page_.AddElement(node.name, classes);
  }

  // A script or an event handler may give elements classes the page does not show yet.
  bool Uncertain() const { return uncertain_; }
  bool SawStyleSheet() const { return sheets_; }

 private:
  // An attribute name beginning with "on" (onload, onclick) in a tag rest.
  static bool HasEventHandler(std::string_view rest) {
    for (std::size_t at = 0; at + 2 < rest.size(); ++at) {
      if (!IsWhiteSpace(rest[at]) || (rest[at + 1] | 0x20) != 'o' || (rest[at + 2] | 0x20) != 'n') continue;
      std::size_t end = at + 3;
      while (end < rest.size() && ((rest[end] | 0x20) >= 'a' && (rest[end] | 0x20) <= 'z')) ++end;
      if (end > at + 3 && end < rest.size() && (rest[end] == '=' || IsWhiteSpace(rest[end]))) return true;
    }
    return false;
  }

  CPageSelectors& page_;
  bool uncertain_ = false;
  bool sheets_ = false;
};

}  // namespace

PassResult RemoveUnmatchedStyleRules(CRunContext& ctx, CHtmlNode& node) {
  CPageSelectors page;
  CSelectorCollector collect(page);
  VisitInOrder(ctx, node, [&](const CHtmlNode& visited) { collect.Note(visited); });
  if (collect.Uncertain() || !collect.SawStyleSheet() || ctx.Cancelled()) return PassResult::Keep;
  VisitInOrder(ctx, node, [&](CHtmlNode& visited) {
    if (visited.kind == TagKind::Text && IsStyleElement(visited.parent)) {
      visited.text.Edit([&](std::string& sheet) { RemoveUnmatchedRules(sheet, page); });
    }
  });
  return PassResult::Keep;
}

PassResult RemoveEmptyTags(CRunContext& ctx, CHtmlNode& node) {
  return WalkTree(ctx, node, CEmptyTagPass(ctx.config.options));
}

PassResult RemoveWordLinks(CRunContext& ctx, CHtmlNode& node) { return WalkTree(ctx, node, CWordLinkPass()); }

PassResult CleanWordMarkup(CRunContext& ctx, CHtmlNode& node) {
  return WalkTree(ctx, node, CWordMarkupPass(ctx.config.options, ctx.pageEncoding));
}

PassResult CleanFormatting(CRunContext& ctx, CHtmlNode& node) {
  return WalkTree(ctx, node, CFormattingPass(ctx.config.options));
}

PassResult ApplyTagRules(CRunContext& ctx, CHtmlNode& node) { return WalkTree(ctx, node, CTagRulePass()); }

void RunCleanupPasses(CRunContext& ctx, CHtmlNode& root) {
  const OptimizeOptions& options = ctx.config.options;
  ctx.sink.AppendText(kBeginOptimization);
  if (options.specialChars && ctx.pageEncoding == PageEncoding::Unconverted) {
    std::string note(kCharsKeptNoteStart);
    note += ctx.declaredCharset;
    note += kCharsKeptNoteEnd;
    ctx.sink.AppendText(note);
  } else if (options.specialChars && ctx.pageEncoding == PageEncoding::Utf8Misdeclared) {
    std::string note(kMisdeclaredNoteStart);
    note += ctx.declaredCharset;
    note += kMisdeclaredNoteEnd;
    ctx.sink.AppendText(note);
  }
  const bool emptyTags = options.deleteEmptyTags || options.automatic;
  // Empty tags first, so that the later passes see less.
  if (emptyTags) RemoveEmptyTags(ctx, root);
  // XML islands, editor link tags, namespace declarations.
  if (options.deleteXml || options.automatic) RemoveWordLinks(ctx, root);
  // Word markup and formatting; the second sweep treats what the splits of the first moved aside.
  CleanWordMarkup(ctx, root);
  CleanFormatting(ctx, root);
  CleanWordMarkup(ctx, root);
  CleanFormatting(ctx, root);
  // What the sweeps emptied.
  if (emptyTags) RemoveEmptyTags(ctx, root);
  // The chosen profile's per-tag rules last, so that they have the final word.
  if (options.useProfile) ApplyTagRules(ctx, root);
  // Style-sheet rules for the elements and classes the page no longer has, once every name and
  // class is final.
  if (options.automatic || options.unneededFormats) RemoveUnmatchedStyleRules(ctx, root);
  if (!ctx.Cancelled()) ctx.sink.AppendText(kDocumentOptimized);
}

}  // namespace trimvale
