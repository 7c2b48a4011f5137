// Placeholder until the serializer lands: text nodes are written as they stand.
#include "engine/serializer.h"

namespace trimvale {

bool SerializeNode(CRunContext& ctx, const CHtmlNode& node, std::string& output, int) {
  if (ctx.Cancelled()) return false;
  output += node.text;
  return true;
}

void AppendWrapped(CRunContext&, std::string& output, std::string_view text, int) { output += text; }
void AppendAttributes(const CHtmlNode&, std::string&) {}

}  // namespace trimvale
