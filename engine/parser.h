#pragma once
// Tokenizer and element parser: turns page bytes into the node tree while repairing the tag
// structure. Every repair is reported to the run's sink and raises the run's error level.
// Nothing here recurses along the nesting of the page, and the cost stays linear in its size.

#include <string_view>

#include "engine/html_node.h"
#include "engine/run_context.h"

namespace trimvale {

// The top level of a run: parses `text` node after node into root's children, extracting the
// attributes of every top-level element, and empties the tag stack at the end. Returns false
// when nothing was parsed (cancelled before the first token was complete, or a page too large
// for the run's positions, which is reported as a severe error).
bool ParseDocument(CRunContext& ctx, CHtmlNode& root, std::string_view text);

}  // namespace trimvale
