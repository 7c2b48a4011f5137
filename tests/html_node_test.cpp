#include "engine/html_node.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace trimvale
