// Repair of misnested formatting as browsers do it, for "Darstellung bewahren". The usual
// repair closes a formatting element where its nesting breaks, so text after the break loses
// its bold or its font, or leaves its paragraph. Browsers instead keep such an element
// "active": closed early, it is reopened as a copy before the next text or inline element, and
// an end tag that crosses a block (Word 97's <B><FONT><P>text</B></FONT> more</P>) leaves the
// block open and moves the formatting inside it. The result is a well-nested tree that a
// browser reads back into what it made of the original.
//
// The work stays linear on hostile input: copies cost bytes out of a budget the size of the
// page, at most kMaxActive elements wait to be reopened, an end tag looks at most kMaxWalk
// open elements deep and crosses at most kMaxBlocks blocks; beyond that the usual repair runs.
#include <algorithm>
#include <array>

#include "engine/attributes.h"
#include "engine/parser_internal.h"
#include "engine/white_space.h"
#include "rules/text_util.h"

namespace trimvale::parse {

namespace {

constexpr std::size_t kMaxActive = 16;  // elements waiting to be reopened
constexpr std::size_t kMaxWalk = 256;   // open elements an end tag looks through
constexpr int kMaxBlocks = 8;           // blocks one end tag may cross
constexpr int kMaxCopiesPerGap = 3;     // formatting copied around each crossed block
constexpr std::int64_t kCopyCost = 32;  // budget a copy costs besides its name and tag

// Browsers keep exactly these active when they close early.
constexpr std::array<std::string_view, 14> kFormatting = {"a",    "b", "big",   "code",   "em",     "font", "i",
                                                          "nobr", "s", "small", "strike", "strong", "tt",   "u"};

int FormattingIndex(std::string_view name) {
  for (std::size_t i = 0; i < kFormatting.size(); ++i) {
    if (EqualsNoCase(name, kFormatting[i])) return static_cast<int>(i);
  }
  return -1;
}

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
  return std::ranges::any_of(names, [&](std::string_view n) { return EqualsNoCase(name, n); });
}

// An end tag inside a table cell, a caption or an embedded object never reaches what is open
// outside it, and what was closed early outside is not reopened inside.
bool IsScopeBoundary(std::string_view name) {
  return IsOneOf(name, {"td", "th", "table", "caption", "html", "object", "applet", "marquee", "template"});
}

// Blocks a formatting element cannot be closed across: the block stays open and the
// formatting moves inside it.
bool IsBlock(std::string_view name) {
  if (name.size() == 2 && (name[0] == 'h' || name[0] == 'H') && name[1] >= '1' && name[1] <= '6') return true;
  return IsOneOf(name, {"p",        "div",        "center",  "blockquote", "address", "li",     "ul",      "ol",
                        "dl",       "dd",         "dt",      "dir",        "menu",    "pre",    "listing", "form",
                        "fieldset", "article",    "aside",   "section",    "nav",     "header", "footer",  "main",
                        "figure",   "figcaption", "details", "summary",    "body"});
}

// Start tags before which nothing is reopened: blocks and the table's and the head's parts
// begin their own content, where the next text reopens what is active.
bool OpensWithoutCopies(std::string_view name) {
  return IsBlock(name) || IsScopeBoundary(name) ||
         IsOneOf(name, {"tr",       "tbody", "thead",    "tfoot", "colgroup",  "col",     "hr",
                        "head",     "meta",  "link",     "style", "script",    "title",   "base",
                        "frameset", "frame", "noscript", "xmp",   "plaintext", "textarea"});
}

// Elements whose text is no formatted content of the page: a title, a style sheet, a form
// field's text, or what a table or the page frame holds outside its cells and body.
bool HoldsNoFormatting(std::string_view name) {
  return IsOneOf(name, {"title", "style", "textarea", "select", "option", "head", "html", "table", "tbody", "thead",
                        "tfoot", "tr", "colgroup", "frameset", "noscript"});
}

// Whether stack entry `entry` stands for `element`: its name, or the end marker of a
// conditional section.
bool EntryFits(std::string_view entry, const CHtmlNode& element) {
  if (entry == element.name.view()) return true;
  return EqualsNoCase(element.name, "![if") ? entry == "![endif]"
                                            : EqualsNoCase(element.name, "!--[if") && entry == "![endif]--";
}

}  // namespace

CParser::CClosedFormatting CParser::Snapshot(const CHtmlNode& element) {
  return {element.name, element.text, element.endTagKind, element.layoutBits, element.kind, element.Rule()};
}

void CParser::CountFormatting(std::string_view entry, int delta) {
  const int index = FormattingIndex(entry);
  if (index >= 0) openFormatting_[static_cast<std::size_t>(index)] += delta;
  if (IsScopeBoundary(entry)) active_.clear();
}

void CParser::NoteClosed(const CHtmlNode& element) {
  if (copyBudget_ <= 0 || FormattingIndex(element.name) < 0) return;
  // As in browsers, no more than three alike wait at once: a page that opens the same bold a
  // thousand times over gets it reopened once, not a thousand times.
  int alike = 0;
  auto first = active_.end();
  for (auto it = active_.begin(); it != active_.end(); ++it) {
    if (EqualsNoCase(it->name, element.name) && it->text == element.text) {
      if (alike++ == 0) first = it;
    }
  }
  if (alike >= 3) active_.erase(first);
  if (active_.size() >= kMaxActive) active_.erase(active_.begin());
  active_.push_back(Snapshot(element));
}

void CParser::NoteClosedAbove(const CHtmlNode& node, int count) {
  std::vector<const CHtmlNode*> closed;
  for (const CHtmlNode* element = node.parent; element && count > 0; element = element->parent, --count) {
    // What a cell or a table held is not reopened after it.
    if (IsScopeBoundary(element->name)) {
      closed.clear();
    } else {
      closed.push_back(element);
    }
  }
  // Reopened outermost first, so that copies nest as the originals did.
  for (auto it = closed.rbegin(); it != closed.rend(); ++it) NoteClosed(**it);
}

std::unique_ptr<CHtmlNode> CParser::CopyOf(const CClosedFormatting& closed, CHtmlNode* parent) {
  auto copy = MakeNode(parent);
  copy->name = closed.name;
  copy->text = closed.text;
  copy->endTagKind = closed.endTagKind;
  copy->layoutBits = closed.layoutBits;
  copy->kind = closed.kind;
  copy->SetRule(closed.rule);
  copy->isBare = closed.text.empty();
  copyBudget_ -= static_cast<std::int64_t>(closed.name.size() + closed.text.size()) + kCopyCost;
  return copy;
}

bool CParser::ReopensBefore(std::size_t pos) const {
  if (pos >= text_.size() || preformattedOpen_ > 0 || InScript()) return false;
  if (text_[pos] != '<' || !OpensMarkup(text_, pos)) {
    // Text reopens, unless it is blank only: such a run makes no node.
    for (std::size_t i = pos; i < text_.size(); ++i) {
      if (text_[i] == '<' && OpensMarkup(text_, i)) break;
      if (!IsLineSpace(text_[i])) return true;
    }
    return false;
  }
  const char c = text_[pos + 1];
  if (c == '/' || c == '!' || c == '?') return false;
  std::size_t end = NameEnd(text_, pos + 1);
  if (end == std::string_view::npos) end = text_.size();
  return !OpensWithoutCopies(text_.substr(pos + 1, end - pos - 1));
}

CHtmlNode* CParser::NewChild(CHtmlNode& parent) {
  if (keepLook_ && opening_.empty() && !active_.empty() && copyBudget_ > 0 && !HoldsNoFormatting(parent.name) &&
      ReopensBefore(static_cast<std::size_t>(ctx_.parsePos))) {
    opening_.assign(active_.rbegin(), active_.rend());
    active_.clear();
  }
  if (!opening_.empty()) {
    // Each copy is entered like an element whose start tag was just read; the next one
    // becomes its first child.
    CHtmlNode* copy = parent.children.PushBack(CopyOf(opening_.back(), &parent));
    opening_.pop_back();
    return copy;
  }
  return parent.children.PushBack(MakeNode(&parent));
}

std::optional<std::int32_t> CParser::ReadEndTagKeepingLook(CHtmlNode& node, std::size_t p, std::size_t e) {
  const auto used = static_cast<std::int32_t>(e - p + 1);
  std::deque<CCompactString>& stack = ctx_.tagStack;
  if (stack.empty() || EqualsNoCase(node.name, stack.back())) return std::nullopt;

  // Browsers read a conditional section's markers as comments, so a section may end in the
  // middle of a table it began outside. Its element then simply goes on to where its
  // enclosing element ends, and the table stays whole.
  if (Contains(node.name, "![endif]")) {
    if (!HasExactEntry(node.name.str())) return std::nullopt;
    node.skip = true;
    return used;
  }

  const int index = FormattingIndex(node.name);
  if (index < 0) return std::nullopt;
  if (openFormatting_[static_cast<std::size_t>(index)] == 0) {
    // The element was closed early and not reopened since: its end tag ends it for good.
    for (auto it = active_.rbegin(); it != active_.rend(); ++it) {
      if (EqualsNoCase(it->name, node.name)) {
        active_.erase(std::next(it).base());
        node.skip = true;
        return used;
      }
    }
    return std::nullopt;
  }

  // The open elements from the innermost down to the one this end tag closes.
  std::vector<CHtmlNode*> chain;
  CHtmlNode* element = node.parent;
  std::size_t entry = stack.size();
  for (;;) {
    if (entry == 0 || !element || !element->parent || chain.size() >= kMaxWalk) return std::nullopt;
    --entry;
    if (!EntryFits(stack[entry], *element)) return std::nullopt;
    chain.push_back(element);
    if (EqualsNoCase(element->name, node.name)) break;
    if (IsScopeBoundary(element->name)) {
      // Out of reach, as a browser finds it: the end tag changes nothing.
      node.skip = true;
      return used;
    }
    element = element->parent;
  }
  const auto blocks =
      std::count_if(chain.begin(), chain.end() - 1, [](const CHtmlNode* x) { return IsBlock(x->name); });
  if (blocks > 0 && blocks <= kMaxBlocks && CrossBlocks(node, p, chain)) return used;
  UnwindKeepingLook(node, p, static_cast<int>(chain.size()));
  return used;
}

void CParser::UnwindKeepingLook(CHtmlNode& node, std::size_t p, int entries) {
  // As the usual unwinding, but what it closes early stays active.
  NoteClosedAbove(node, entries - 1);
  for (int i = 0; i < entries && !ctx_.tagStack.empty(); ++i) Pop();
  ctx_.unwindCount += entries - 1;
  unwindPos_ = p;
}

bool CParser::CrossBlocks(CHtmlNode& node, std::size_t p, std::vector<CHtmlNode*>& chain) {
  // The frames must be exactly the open elements of the chain, with the end tag's node on top.
  const std::size_t k = chain.size();
  if (!pending_.empty() || ctx_.unwindCount != 0 || frames_.empty() || frames_.back() != &node ||
      frames_.size() < k + 1) {
    return false;
  }
  const std::size_t first = frames_.size() - 1 - k;  // the formatting element's frame
  for (std::size_t i = 0; i < k; ++i) {
    if (frames_[frames_.size() - 2 - i] != chain[i]) return false;
  }
  std::vector<std::uint32_t> positions(framePositions_.begin() + static_cast<std::ptrdiff_t>(first),
                                       framePositions_.end());  // outermost first
  std::vector<CHtmlNode*> outer(chain.rbegin(), chain.rend());  // outer[0] is the formatting element
  CHtmlNode& formatting = *outer[0];
  const CClosedFormatting formattingCopy = Snapshot(formatting);

  std::vector<CHtmlNode*> kept;  // the new open elements, outermost first
  std::vector<std::uint32_t> keptPositions;
  std::vector<CHtmlNode*> closedHere{&formatting};  // originals whose frames end here
  std::vector<std::uint32_t> closedPositions{positions[0]};
  std::vector<CHtmlNode*> wrappers;  // the copies of the formatting element, one per block
  CHtmlNode* holder = formatting.parent;
  std::size_t gapStart = 1;
  std::size_t lastBlock = 0;
  for (std::size_t i = 1; i < k; ++i) {
    CHtmlNode* block = outer[i];
    if (!IsBlock(block->name)) continue;
    // The formatting between the last block and this one is copied around this block, the
    // nearest three of it; every element between is closed where it stands.
    std::vector<std::size_t> copied;
    for (std::size_t g = i; g-- > gapStart && copied.size() < kMaxCopiesPerGap;) {
      if (FormattingIndex(outer[g]->name) >= 0) copied.push_back(g);
    }
    CHtmlNode* into = holder;
    for (auto it = copied.rbegin(); it != copied.rend(); ++it) {
      into = into->children.PushBack(CopyOf(Snapshot(*outer[*it]), into));
      kept.push_back(into);
      keptPositions.push_back(positions[*it]);
    }
    for (std::size_t g = gapStart; g < i; ++g) {
      closedHere.push_back(outer[g]);
      closedPositions.push_back(positions[g]);
    }
    CHtmlNode* moved = into->children.PushBack(block->parent->children.Unlink(block));
    moved->parent = into;
    kept.push_back(block);
    keptPositions.push_back(positions[i]);
    // A copy of the formatting element takes what the block holds so far, the rest of the
    // chain included.
    auto wrapper = CopyOf(formattingCopy, block);
    block->children.MoveAllAfter(wrapper->children, nullptr, wrapper.get());
    wrappers.push_back(block->children.PushBack(std::move(wrapper)));
    holder = block;
    gapStart = i + 1;
    lastBlock = i;
  }

  // The originals left behind and the copies inside all blocks but the last are complete:
  // their attributes are read as at their end.
  for (std::size_t i = 0; i < closedHere.size(); ++i) ExtractAttributes(ctx_, *closedHere[i], closedPositions[i]);
  for (std::size_t i = 0; i + 1 < wrappers.size(); ++i) ExtractAttributes(ctx_, *wrappers[i], positions[0]);

  // The last copy and whatever is open inside it close now, by this end tag.
  CHtmlNode* lastCopy = wrappers.back();
  std::vector<CHtmlNode*> rest{lastCopy};
  std::vector<std::uint32_t> restPositions{positions[0]};
  for (std::size_t i = lastBlock + 1; i < k; ++i) {
    rest.push_back(outer[i]);
    restPositions.push_back(positions[i]);
  }
  for (std::size_t i = 0; i < k; ++i) Pop();
  for (CHtmlNode* open : kept) Push(open->name.str());
  frames_.resize(first);
  framePositions_.resize(first);
  for (std::size_t i = 0; i < kept.size(); ++i) {
    frames_.push_back(kept[i]);
    framePositions_.push_back(keptPositions[i]);
  }
  for (std::size_t i = 0; i < rest.size(); ++i) {
    frames_.push_back(rest[i]);
    framePositions_.push_back(restPositions[i]);
  }
  frames_.push_back(&node);
  framePositions_.push_back(positions.back());
  for (std::size_t i = 1; i < rest.size(); ++i) NoteClosed(*rest[i]);
  ctx_.unwindCount += static_cast<std::int32_t>(rest.size()) - 1;
  unwindPos_ = p;
  return true;
}

}  // namespace trimvale::parse
