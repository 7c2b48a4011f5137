#pragma once
// Tokenizer and element parser: turns page bytes into the node tree while repairing the tag
// structure. Every repair is reported to the run's sink and raises the run's error level.
// Nothing here recurses along the nesting of the page, and the cost stays linear in its size.

#include <cstdint>
#include <string_view>

#include "engine/html_node.h"
#include "engine/run_context.h"

namespace trimvale {

// Reads one token at ctx.parsePos into `node`; returns the number of bytes it used, or -1 when
// the token is incomplete. Does not move ctx.parsePos. Returns 0 at once when cancelled.
// On -1, `node.skip` tells the two cases apart: set, the input was already exhausted; clear,
// the input ends inside a tag, and `node` has become a text node holding the rest from "<".
std::int32_t ReadToken(CRunContext& ctx, CHtmlNode& node, std::string_view text);

// Reads the token for `node` and, for an element with content, its whole subtree. Returns 1
// when the caller goes on with the next sibling, 0 when the token was an end tag closing the
// caller's element (or the run was cancelled). Top-level calls use depth 1. When the input ends
// inside a tag, the rest is kept as text and ctx.parsePos is left at the end of the input.
int ParseElement(CRunContext& ctx, CHtmlNode& node, std::string_view text, int depth);

// The top level of a run: parses `text` node after node into root's children, extracting the
// attributes of every top-level element, and empties the tag stack at the end. Returns false
// when nothing was parsed (cancelled before the first token was complete, or a page too large
// for the run's positions, which is reported as a severe error).
bool ParseDocument(CRunContext& ctx, CHtmlNode& root, std::string_view text);

}  // namespace trimvale
