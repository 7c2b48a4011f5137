#include "engine/html_node.h"

#include <gtest/gtest.h>

namespace trimvale {
namespace {

std::unique_ptr<CHtmlNode> Named(CHtmlNode* parent, const std::string& name) {
  auto node = MakeNode(parent);
  node->name = name;
  return node;
}

std::string Names(const CChildList& list) {
  std::string out;
  for (CHtmlNode* c = list.front(); c; c = c->NextSibling()) out += c->name;
  return out;
}

TEST(ChildList, InsertUnlinkAndNthKeepOrderAndCount) {
  CHtmlNode parent;
  CHtmlNode* a = parent.children.PushBack(Named(&parent, "a"));
  parent.children.PushBack(Named(&parent, "c"));
  parent.children.InsertAfter(a, Named(&parent, "b"));
  parent.children.InsertAfter(nullptr, Named(&parent, "0"));
  EXPECT_EQ(Names(parent.children), "0abc");
  EXPECT_EQ(parent.children.size(), 4u);
  EXPECT_EQ(parent.children.Nth(2)->name, "b");
  EXPECT_EQ(parent.children.Nth(3)->name, "c");
  EXPECT_EQ(parent.children.Nth(4), nullptr);
  auto b = parent.children.Unlink(parent.children.Nth(2));
  EXPECT_EQ(b->name, "b");
  EXPECT_EQ(parent.children.PopBack()->name, "c");
  EXPECT_EQ(Names(parent.children), "0a");
  EXPECT_EQ(parent.children.back()->name, "a");
}

TEST(ChildList, MovesTakeTheNewHolderAsParent) {
  CHtmlNode from, to;
  for (const char* n : {"a", "b", "c", "d"}) from.children.PushBack(Named(&from, n));
  to.children.PushBack(Named(&to, "x"));
  to.children.PushBack(Named(&to, "y"));
  from.children.MoveTailTo(from.children.Nth(2), to.children, &to);
  EXPECT_EQ(Names(from.children), "ab");
  EXPECT_EQ(Names(to.children), "xycd");
  from.children.MoveAllAfter(to.children, to.children.front(), &to);
  EXPECT_EQ(Names(to.children), "xabycd");
  EXPECT_TRUE(from.children.empty());
  for (CHtmlNode* c = to.children.front(); c; c = c->NextSibling()) EXPECT_EQ(c->parent, &to);
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
