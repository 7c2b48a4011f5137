// Placeholder until the real tokenizer lands: the whole input becomes one text node.
#include "engine/parser.h"

namespace trimvale {

std::int32_t ReadToken(CRunContext& ctx, CHtmlNode& node, std::string_view text) {
  if (ctx.Cancelled()) return 0;
  node.text.assign(text.substr(static_cast<std::size_t>(ctx.parsePos)));
  node.kind = TagKind::Text;
  node.endTagKind = kEndTagNone;
  node.layoutBits = 0;
  node.isBare = node.text.empty();
  return static_cast<std::int32_t>(node.text.size());
}

int ParseElement(CRunContext& ctx, CHtmlNode& node, std::string_view text, int depth) {
  if (ctx.Cancelled()) return 0;
  const std::int32_t n = ReadToken(ctx, node, text);
  ctx.parsePos += n;
  if (ctx.observer) ctx.observer->AddParsedNode(node, depth);
  return 1;
}

bool ParseDocument(CRunContext& ctx, CHtmlNode& root, std::string_view text) {
  auto node = MakeNode(&root);
  if (ParseElement(ctx, *node, text, 1) == 0) return false;
  for (;;) {
    if (!node->skip) root.children.PushBack(std::move(node));
    node = MakeNode(&root);
    if (ctx.parsePos >= static_cast<std::int32_t>(text.size())) break;
    if (ParseElement(ctx, *node, text, 1) == 0) break;
  }
  ctx.tagStack.clear();
  return true;
}

}  // namespace trimvale
