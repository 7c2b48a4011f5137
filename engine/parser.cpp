// The element parser: builds the tree from the tokens, closes elements whose end tags are
// missing, and runs the top-level loop of a run. Nesting is followed with an explicit stack of
// frames, so the depth of a page costs heap, never call stack.
#include "engine/parser.h"

#include <deque>

#include "engine/attributes.h"
#include "engine/parser_internal.h"
#include "rules/text_util.h"

namespace trimvale {

namespace parse {

// A dropped token that stood for white space: a blank-only text run, or any dropped token that
// inherited white space from one before it.
bool CarriesDroppedSpace(const CHtmlNode& dropped) {
  return dropped.spaceBefore || (!dropped.isEndTag && dropped.name.empty() && !dropped.text.empty());
}

int CParser::ParseElement(CHtmlNode& top, int depth) {
  // Each frame is an element whose children are being read, innermost last. A call of the
  // element parser on a child becomes a new frame; its result goes back to the frame below.
  frames_.clear();
  framePositions_.clear();
  CHtmlNode* node = &top;
  int nodeDepth = depth;
  for (;;) {
    int result = Enter(*node, nodeDepth);
    if (result == kDescend) {
      CHtmlNode* child = NewChild(*node);
      frames_.push_back(child);
      framePositions_.push_back(static_cast<std::uint32_t>(ctx_.parsePos));
      node = child;
      ++nodeDepth;
      continue;
    }
    for (;;) {
      if (frames_.empty()) {
        SettlePendingMoves();
        return result;
      }
      CFrame frame{frames_.back(), framePositions_.back()};
      result = Resume(frame, result);
      if (result == kDescend) {
        node = frame.child;
        nodeDepth = depth + static_cast<int>(frames_.size());
        break;
      }
      frames_.pop_back();
      framePositions_.pop_back();
    }
  }
}

int CParser::Enter(CHtmlNode& node, int depth) {
  if (ctx_.Cancelled()) return 0;
  if (!node.name.empty()) {
    // A formatting element reopened by the browser-like repair: it has no token of its own.
    if (ctx_.observer) ctx_.observer->AddParsedNode(node, depth);
    Push(node.name.str());
    return kDescend;
  }
  const std::int32_t used = ReadToken(node);
  if (used == 0) return 0;  // cancelled while reading
  if (used < 0) {
    if (node.skip) return 1;
    // The input ended inside a tag: its text is kept and nothing is left to read.
    ctx_.parsePos = static_cast<std::int32_t>(text_.size());
    if (ctx_.observer) ctx_.observer->AddParsedNode(node, depth);
    return 1;
  }
  ctx_.parsePos += used;
  if (node.skip) return 1;
  if (node.isEndTag) return 0;
  if (ctx_.observer) ctx_.observer->AddParsedNode(node, depth);
  if (node.endTagKind == kEndTagNone) return 1;
  // Conditional sections are closed by their endif marker, not by their own name.
  if (EqualsNoCase(node.name, "![if")) {
    Push("![endif]");
  } else if (EqualsNoCase(node.name, "!--[if")) {
    Push("![endif]--");
  } else {
    Push(node.name.str());
  }
  return kDescend;
}

int CParser::Resume(CFrame frame, int childResult) {
  // The child is still where it was made: only an unwinding moves nodes, and it moves this
  // element's children only after its last call here.
  CHtmlNode& node = *frame.child->parent;
  if (childResult == 0) {
    // The child was the end tag that closed this element (or the run was cancelled).
    SettlePendingMoves();
    if (frame.child->spaceBefore) node.spaceAtEnd = true;
    node.children.Unlink(frame.child);
    return 1;
  }
  if (ctx_.Cancelled()) {
    SettlePendingMoves();
    return 0;
  }
  bool pendingSpace = false;
  if (frame.child->skip) {
    pendingSpace = CarriesDroppedSpace(*frame.child);
    node.children.Unlink(frame.child);
  } else {
    // The child just parsed is extracted, not whatever the unwinding left last in the list: a
    // moved node was extracted where it was parsed, and its old holder must be extracted too.
    if (frame.child->kind != TagKind::Text) ExtractAttributes(ctx_, *frame.child, frame.childPos);
    if (ctx_.unwindCount > 0) return Unwind(frame);
  }
  if (ctx_.parsePos >= static_cast<std::int32_t>(text_.size())) {
    if (pendingSpace) node.spaceAtEnd = true;
    return 1;
  }
  frame.child = NewChild(node);
  frame.child->spaceBefore = pendingSpace;
  frame.childPos = static_cast<std::uint32_t>(ctx_.parsePos);
  return kDescend;
}

int CParser::Unwind(CFrame frame) {
  CHtmlNode& node = *frame.child->parent;
  // The children as the unwinding sees them: the element's own, then the block moved up from
  // the level below, which is settled only where it finally stays. A block meant for another
  // element cannot wait any longer.
  if (!pending_.empty() && pendingTarget_ != &node) SettlePendingMoves();
  const bool holdsBlock = !pending_.empty();
  const std::size_t own = node.children.size();
  const std::size_t count = own + (holdsBlock ? pendingSize_ : 0);
  const CHtmlNode* last = holdsBlock ? pendingLast_ : node.children.back();

  const bool required = last && last->endTagKind == kEndTagRequired;
  if (ctx_.unwindCount == 1 && required) Report(ctx_, ParseMessage::kSevereStructure, unwindPos_);
  --ctx_.unwindCount;
  bool moved = false;
  if (!last) {
    // Nothing to judge: the element is simply closed.
  } else if (required) {
    Report(ctx_, ParseMessage::kEndTagMissingFor, unwindPos_, {last->name, last->text});
  } else if (EqualsNoCase(last->name, node.name)) {
    // Runs of an element with an optional end tag nested in each other (list items without
    // end tags) become siblings: each level hands its trailing same-named children up.
    ++ctx_.sameNameMoves;
    const std::int64_t from = static_cast<std::int64_t>(count) - ctx_.sameNameMoves;
    if (from >= 0 && node.parent) {
      // A block from below is always the tail, so the cut lies among the element's own children.
      pending_.push_back({&node, node.children.Nth(static_cast<std::size_t>(from))});
      pendingTarget_ = node.parent;
      pendingLast_ = last;
      pendingSize_ = static_cast<std::size_t>(ctx_.sameNameMoves);
      moved = true;
    }
  }
  if (!moved) SettlePendingMoves();
  if (ctx_.unwindCount == 0) {
    ctx_.sameNameMoves = 0;
    SettlePendingMoves();
  }
  return 1;
}

void CParser::SettlePendingMoves() {
  if (pending_.empty()) return;
  CHtmlNode* target = pendingTarget_;
  for (auto it = pending_.rbegin(); it != pending_.rend(); ++it) {
    it->holder->children.MoveTailTo(it->first, target->children, target);
  }
  pending_.clear();
  pendingTarget_ = nullptr;
  pendingLast_ = nullptr;
  pendingSize_ = 0;
}

}  // namespace parse

namespace {

bool ParseOnce(CRunContext& ctx, CHtmlNode& root, std::string_view text, bool keepLook);

}  // namespace

bool ParseDocument(CRunContext& ctx, CHtmlNode& root, std::string_view text) {
  if (!ctx.config.options.keepLook) return ParseOnce(ctx, root, text, false);
  // Keeping the look builds another tree than the usual repair, but the page's faults are the
  // same: they are reported, and their level judged, as the usual repair finds them. That
  // parse's tree is dropped before the tree that is kept is built, silently.
  IParseObserver* const observer = ctx.observer;
  ctx.observer = nullptr;
  {
    const auto scratch = MakeNode(nullptr);
    const bool parsedAny = ParseOnce(ctx, *scratch, text, false);
    ctx.observer = observer;
    if (!parsedAny) return false;
  }
  CNullSink silent;
  CRunContext quiet(ctx.config, silent, ctx.cancelRequested);
  quiet.observer = observer;
  quiet.pageEncoding = ctx.pageEncoding;
  quiet.sourceName = ctx.sourceName;
  return ParseOnce(quiet, root, text, true);
}

namespace {

bool ParseOnce(CRunContext& ctx, CHtmlNode& root, std::string_view text, bool keepLook) {
  ctx.parsePos = 0;
  ctx.unwindCount = 0;
  ctx.sameNameMoves = 0;
  ctx.sourceLines.Reset(text, ctx.pageEncoding == PageEncoding::Utf8);
  if (text.size() >= static_cast<std::size_t>(INT32_MAX)) {
    parse::Report(ctx, parse::ParseMessage::kPageTooLarge, 0);
    return false;
  }
  parse::CParser parser(ctx, text, keepLook);
  const auto len = static_cast<std::int32_t>(text.size());
  // Each top-level node sits in root's list while it is parsed, so that anything an unwinding
  // moves up to the top level lands after it, in document order.
  CHtmlNode* node = root.children.PushBack(MakeNode(&root));
  bool parsedAny = false;
  for (;;) {
    const auto nodePos = static_cast<std::size_t>(ctx.parsePos);
    if (parser.ParseElement(*node, 1) == 0) {
      root.children.Unlink(node);
      break;
    }
    parsedAny = true;
    bool pendingSpace = false;
    if (node->skip) {
      pendingSpace = parse::CarriesDroppedSpace(*node);
      root.children.Unlink(node);
    } else if (node->kind != TagKind::Text) {
      ExtractAttributes(ctx, *node, nodePos);
    }
    if (ctx.parsePos >= len) break;
    node = root.children.PushBack(MakeNode(&root));
    node->spaceBefore = pendingSpace;
  }
  parser.ClearStack();
  return parsedAny;
}

}  // namespace

}  // namespace trimvale
