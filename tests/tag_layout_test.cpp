#include "rules/tag_layout.h"

#include <gtest/gtest.h>

#include <vector>

#include "rules/optimize_options.h"

namespace trimvale {
namespace {

TEST(TagLayout, ClassifiesNamesInTheFixedOrder) {
  struct Row {
    TagKind kind;
    std::vector<const char*> names;
  } rows[] = {
      {TagKind::CommentIf, {"!--[if"}},
      {TagKind::DownlevelIf, {"![if"}},
      {TagKind::Heading, {"h", "H1", "h:"}},
      {TagKind::Comment, {"!--", "!--x"}},
      {TagKind::Other, {"![endif]--", "h;", "head", "hr", "o:x", ""}},
  };
  for (const Row& row : rows) {
    for (const char* name : row.names) EXPECT_EQ(ClassifyTagName(name), row.kind) << name;
  }
}

CTagLayoutTable Table(std::initializer_list<CTagLayout> records) {
  CTagLayoutTable table;
  for (auto r : records) {
    r.kind = ClassifyTagName(r.name);
    table.Append(r);
  }
  return table;
}

TEST(TagLayout, FirstRecordWinsAndCaseIsIgnored) {
  auto table = Table({{"P", 0x85, 2, 0, {}}, {"td", 1, 1, 1, {}}, {"TD", 2, 0, 2, {}}});
  auto p = FindTagLayout(table, "p", kLayoutStandard);
  EXPECT_EQ(p.layoutBits, 0x85);
  EXPECT_EQ(p.kind, TagKind::P);
  EXPECT_EQ(FindTagLayout(table, "Td", kLayoutStandard).layoutBits, 1);
  EXPECT_EQ(FindEndTagKind(table, "td"), std::optional<std::uint8_t>(1));
  EXPECT_EQ(FindEndTagKind(table, "h3"), std::nullopt);
}

TEST(TagLayout, FallbackRecordsAndDefaults) {
  CTagLayoutTable empty;
  EXPECT_EQ(FindTagLayout(empty, "o:smarttag", kLayoutStandard).kind, TagKind::Office);
  EXPECT_EQ(FindTagLayout(empty, "blink", kLayoutStandard).endTagKind, 2);
  auto table = Table({{"h", 0x90, 1, 0, {}}, {"!--", 0x81, 0, 1, {}}, {"o:", 0x10, 1, 2, {}}});
  auto h3 = FindTagLayout(table, "H3", kLayoutStandard);
  EXPECT_EQ(h3.layoutBits, 0x90);
  EXPECT_EQ(h3.kind, TagKind::Heading);
  auto comment = FindTagLayout(table, "!--x", kLayoutStandard);
  EXPECT_EQ(comment.layoutBits, 0x81);
  EXPECT_EQ(comment.endTagKind, 0);
  // The "o:" record's own kind (Other) replaces the provisional office kind.
  EXPECT_EQ(FindTagLayout(table, "o:p", kLayoutStandard).kind, TagKind::Other);
}

TEST(TagLayout, LayoutModeOverridesBitsButNotEndTagKind) {
  auto table = Table({{"br", 0x81, 0, 0, {}}});
  EXPECT_EQ(FindTagLayout(table, "br", kLayoutOneLine).layoutBits, 0);
  auto tree = FindTagLayout(table, "br", kLayoutTree);
  EXPECT_EQ(tree.layoutBits, 181);
  EXPECT_EQ(tree.endTagKind, 0);
}

}  // namespace
}  // namespace trimvale
