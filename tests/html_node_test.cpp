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

// Names and texts change storage at 16 bytes; every way of setting one keeps its bytes, also
// when the new value is a part of the old one.
TEST(CompactString, KeepsEveryLengthAcrossCopiesMovesAndSelfAssignment) {
  for (const std::string& value :
       std::vector<std::string>{"", "p", std::string(15, 'a'), std::string(16, 'b'), std::string(5000, 'c') + "d"}) {
    CCompactString s(value);
    CCompactString copy(s);
    CCompactString moved(std::move(copy));
    copy = moved;  // NOLINT(bugprone-use-after-move): assigning revives it
    EXPECT_EQ(moved, value);
    EXPECT_EQ(copy, value);
    copy = copy.view().substr(value.empty() ? 0 : 1);
    EXPECT_EQ(copy, value.substr(value.empty() ? 0 : 1));
    s.Edit([](std::string& text) { text += '\0'; });
    EXPECT_EQ(s, value + '\0');
  }
}

}  // namespace
}  // namespace trimvale
