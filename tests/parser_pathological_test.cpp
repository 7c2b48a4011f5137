#include <chrono>

#include "tests/parser_harness.h"

namespace trimvale::test {
namespace {

std::string Repeat(std::string_view unit, std::size_t times) {
  std::string out;
  out.reserve(unit.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += unit;
  return out;
}

std::size_t Depth(const CHtmlNode& root) {
  std::size_t depth = 0;
  for (const CHtmlNode* n = root.children.front(); n; n = n->children.front()) ++depth;
  return depth;
}

TEST(ParserPathological, MillionNestedElementsParseWalkAndFree) {
  constexpr std::size_t kDepth = 1000000;
  {
    auto root = MakeNode(nullptr);
    const CParseOutcome got = ParseWith(Repeat("<div>", kDepth), *root);
    EXPECT_EQ(Depth(*root), kDepth);
    EXPECT_EQ(got.messages, "HTML Fehler: Dateiende erreicht ohne dass Inhalt dem Tag folgt\r\n");
  }
  {
    auto root = MakeNode(nullptr);
    const CParseOutcome got = ParseWith(Repeat("<div>", kDepth) + "x" + Repeat("</div>", kDepth), *root);
    EXPECT_EQ(Depth(*root), kDepth + 1);
    EXPECT_EQ(got.messages, "");
  }
}

TEST(ParserPathological, MillionUnclosedRequiredElements) {
  constexpr std::size_t kDepth = 1000000;
  {
    auto root = MakeNode(nullptr);
    const CParseOutcome got = ParseWith(Repeat("<b>", kDepth) + "x", *root);
    EXPECT_EQ(Depth(*root), kDepth + 1);
    EXPECT_EQ(got.level, 0);
  }
  {
    // One end tag closes them all: every level reports its missing end tag.
    auto root = MakeNode(nullptr);
    const CParseOutcome got = ParseWith("<div>" + Repeat("<b>", kDepth) + "x</div>", *root);
    EXPECT_EQ(Depth(*root), kDepth + 2);
    EXPECT_EQ(got.level, 2);
    EXPECT_EQ(got.messages.size(), kDepth * std::string_view("Ein Endtag fehlt zu <b >\n").size() +
                                       std::string_view("Schwerer HTML Fehler in der Tagstruktur. Die neu erzeugte "
                                                        "Seite kann fehlerhaft sein. Überprüfen Sie vor allem "
                                                        "kreuzverschachtelte Tags.\r\n")
                                           .size());
  }
}

TEST(ParserPathological, LongListWithoutEndTagsBecomesSiblingsInLinearTime) {
  constexpr std::size_t kItems = 200000;
  auto root = MakeNode(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const CParseOutcome got = ParseWith("<ul>" + Repeat("<li>x", kItems) + "</ul>", *root);
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_EQ(root->children.size(), 1u);
  const CHtmlNode* ul = root->children.front();
  EXPECT_EQ(ul->children.size(), kItems);
  EXPECT_EQ(got.messages, "");
  EXPECT_LT(seconds, 30.0);  // moving level by level would take hours
}

TEST(ParserPathological, ManyWrongEndTagsDoNotRescanThePage) {
  // Every "</div>" has to look ahead, and each look-ahead would walk to the end of the page.
  constexpr std::size_t kUnits = 100000;
  const std::string page = "<div><span><b>" + Repeat("</div><div><span><b>", kUnits);
  auto root = MakeNode(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const CParseOutcome got = ParseWith(page, *root);
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(root->children.size(), kUnits + 1);
  EXPECT_EQ(got.level, 2);
  EXPECT_LT(seconds, 30.0);
}

TEST(ParserPathological, LongRunsFoldInLinearTime) {
  const std::string run = "a" + Repeat(" \r\n\t\n\r", 400000) + "b";
  const std::string tag = "<p" + Repeat(" \r\n ", 400000) + "class=x>y</p>";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Parse(run).tree, R"("a b")");
  EXPECT_EQ(Parse(tag).tree, R"(p{c:x}["y"])");
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 30.0);
}

}  // namespace
}  // namespace trimvale::test
