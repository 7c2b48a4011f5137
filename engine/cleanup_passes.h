#pragma once
// The clean-up passes between parsing and serializing: empty tags, word-processor links and
// islands, vendor markup and formatting, comments, special characters, and the profile's rules.

#include "engine/html_node.h"
#include "engine/run_context.h"

namespace trimvale {

// Verdict of a pass on one node, carried out by the caller on its child list.
enum class PassResult { Keep, Dissolve, Delete, SplitParent, SplitGrandparent };

// Runs the passes in their order on `root` with the two progress lines. Verdicts on the root
// itself are ignored.
void RunCleanupPasses(CRunContext& ctx, CHtmlNode& root);

}  // namespace trimvale
