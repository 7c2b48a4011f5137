#include "engine/html_node.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trimvale {
namespace {

std::unique_ptr<CHtmlNode> Named(CHtmlNode* parent, const std::string& name) {
  auto node = MakeNode(parent);
  node->name = name;
  return node;
}

// A million nested levels and a million siblings are freed without recursion (a recursive
// destructor overflows the stack long before that under the sanitizers).
TEST(ChildList, DeepAndWideTreesAreFreedIteratively) {
  auto root = MakeNode(nullptr);
  CHtmlNode* cur = root.get();
  for (int i = 0; i < 1'000'000; ++i) cur = cur->children.PushBack(Named(cur, "div"));
  for (int i = 0; i < 1'000'000; ++i) cur->children.PushBack(Named(cur, "b"));
  root.reset();
  SUCCEED();
}

// Names and texts change storage at 16 bytes; a value survives copies and moves, and taking a
// part of itself.
TEST(CompactString, KeepsEveryLength) {
  for (const std::string& value : std::vector<std::string>{"", "p", std::string(15, 'a'), std::string(16, 'b')}) {
    CCompactString copy(value);
    CCompactString moved(std::move(copy));
    copy = moved;  // NOLINT(bugprone-use-after-move): assigning revives it
    EXPECT_EQ(moved, value);
    copy = copy.view().substr(value.empty() ? 0 : 1);
    EXPECT_EQ(copy, value.substr(value.empty() ? 0 : 1));
  }
}

}  // namespace
}  // namespace trimvale
