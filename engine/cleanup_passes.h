#pragma once
// The clean-up passes between parsing and serializing: empty tags, word-processor links and
// islands, vendor markup and formatting, comments, special characters, and the profile's rules.
//
// Each pass treats a node, then walks its children, and answers its holder with a verdict that
// the holder carries out on its child list. The walks use an explicit stack, so a page nested a
// million levels deep is cleaned like a flat one, and every pass costs time linear in the tree.

#include "engine/html_node.h"
#include "engine/run_context.h"

namespace trimvale {

// Verdict of a pass on one node, carried out by the caller on its child list.
enum class PassResult {
  Keep,              // the node stays where it is
  Dissolve,          // the tag goes, its children take its place and are visited next
  Delete,            // the node goes with its whole subtree
  SplitParent,       // the holder (a b or strong element) is split in two at this child
  SplitGrandparent,  // the holder answers SplitParent to its own holder
};

// Runs the passes in their order on `root` with the two progress lines. Verdicts on the root
// itself are ignored.
void RunCleanupPasses(CRunContext& ctx, CHtmlNode& root);

// The single passes, each over the subtree of `node`; RunCleanupPasses decides which run. Each
// answers the verdict on `node` itself (its holder is not changed).
PassResult RemoveEmptyTags(CRunContext& ctx, CHtmlNode& node);
PassResult RemoveWordLinks(CRunContext& ctx, CHtmlNode& node);
PassResult CleanWordMarkup(CRunContext& ctx, CHtmlNode& node);
PassResult CleanFormatting(CRunContext& ctx, CHtmlNode& node);
PassResult ApplyTagRules(CRunContext& ctx, CHtmlNode& node);
// Removes the style-sheet rules that no element of the subtree matches (see sheet_pruning.h);
// nothing when a script or event handler may change the elements' classes.
PassResult RemoveUnmatchedStyleRules(CRunContext& ctx, CHtmlNode& node);

}  // namespace trimvale
