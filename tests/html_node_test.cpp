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

// The last child is kept in the first child's back link: insertions and removals at either end
// must keep both directions and the count right.
TEST(ChildList, KeepsBothDirectionsAtEitherEnd) {
  auto root = MakeNode(nullptr);
  CChildList& list = root->children;
  auto order = [&] {
    std::string forward, backward;
    for (CHtmlNode* n = list.front(); n; n = n->NextSibling()) forward += n->name.view();
    for (CHtmlNode* n = list.back(); n; n = n->PrevSibling()) backward.insert(0, n->name.view());
    return forward == backward && forward.size() == list.size() ? forward : forward + "|" + backward;
  };
  CHtmlNode* b = list.PushBack(Named(root.get(), "b"));
  list.InsertAfter(nullptr, Named(root.get(), "a"));
  CHtmlNode* d = list.InsertAfter(b, Named(root.get(), "d"));
  list.InsertAfter(b, Named(root.get(), "c"));
  EXPECT_EQ(order(), "abcd");
  list.Unlink(list.front());
  list.Unlink(d);
  EXPECT_EQ(order(), "bc");
  list.PopBack();
  list.PushBack(Named(root.get(), "e"));
  list.Unlink(b);
  EXPECT_EQ(order(), "e");
}

// Names and texts change storage at 8 bytes; a value survives copies and moves, and taking a
// part of itself.
TEST(CompactString, KeepsEveryLength) {
  for (const std::string& value : std::vector<std::string>{"", "p", std::string(7, 'a'), std::string(8, 'b')}) {
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
