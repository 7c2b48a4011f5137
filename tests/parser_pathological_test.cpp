#include <chrono>
#include <string>

#include "tests/parser_harness.h"

namespace trimvale::test {
namespace {

constexpr const char* kEndOfInput = "HTML Fehler: Dateiende erreicht ohne dass Inhalt dem Tag folgt\r\n";

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

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(ParserPathological, MillionNestedElements) {
  constexpr std::size_t kDepth = 1000000;
  const std::string severe =
      "Schwerer HTML Fehler in der Tagstruktur. Die neu erzeugte Seite kann fehlerhaft sein. Überprüfen Sie vor allem "
      "kreuzverschachtelte Tags.\r\n";
  struct Row {
    std::string input;
    std::size_t depth;
    int level;
    std::size_t messageBytes;
  } rows[] = {
      {Repeat("<div>", kDepth), kDepth, 1, std::string_view(kEndOfInput).size()},
      // One end tag closes them all: every level reports its missing end tag.
      {"<div>" + Repeat("<b>", kDepth) + "x</div>", kDepth + 2, 2,
       kDepth * std::string_view("Ein Endtag fehlt zu <b >\n").size() + severe.size()},
  };
  for (const Row& row : rows) {
    auto root = MakeNode(nullptr);
    const CParseOutcome got = ParseWith(row.input, *root);
    EXPECT_EQ(Depth(*root), row.depth);
    EXPECT_EQ(got.level, row.level);
    EXPECT_EQ(got.messages.size(), row.messageBytes);
    if (row.messageBytes == std::string_view(kEndOfInput).size()) {
      EXPECT_EQ(got.messages, kEndOfInput);
    }
  }
}

TEST(ParserPathological, LongListWithoutEndTagsBecomesSiblingsInLinearTime) {
  constexpr std::size_t kItems = 200000;
  auto root = MakeNode(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const CParseOutcome got = ParseWith("<ul>" + Repeat("<li>x", kItems) + "</ul>", *root);
  EXPECT_LT(SecondsSince(start), 30.0);  // moving level by level would take hours
  ASSERT_EQ(root->children.size(), 1u);
  EXPECT_EQ(root->children.front()->children.size(), kItems);
  EXPECT_EQ(got.messages, "");
}

TEST(ParserPathological, ManyWrongEndTagsDoNotRescanThePage) {
  // Every "</div>" has to look ahead, and each look-ahead would walk to the end of the page.
  constexpr std::size_t kUnits = 100000;
  auto root = MakeNode(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const CParseOutcome got = ParseWith("<div><span><b>" + Repeat("</div><div><span><b>", kUnits), *root);
  EXPECT_LT(SecondsSince(start), 30.0);
  EXPECT_EQ(root->children.size(), kUnits + 1);
  EXPECT_EQ(got.level, 2);
}

// Keeping the look copies formatting around blocks and reopens it before text; neither may grow
// with the product of two parts of the page.
TEST(ParserPathological, KeepingTheLookStaysLinear) {
  constexpr std::size_t kUnits = 100000;
  std::string manyFonts = "<div><p>";
  for (std::size_t i = 0; i < 20000; ++i) manyFonts += "<font color=#" + std::to_string(100000 + i) + ">";
  const std::string rows[] = {
      // Every end tag would cross every paragraph.
      Repeat("<b>", kUnits) + Repeat("<p>", kUnits) + "x" + Repeat("</b>", kUnits) + "y",
      // Every paragraph would reopen every font.
      manyFonts + "</p>" + Repeat("<p>x</p>", kUnits) + "</div>",
      // Every end tag would look through the whole depth to the cell's edge.
      "<b><table><tr><td>" + Repeat("<i>", kUnits) + Repeat("</b>", kUnits),
  };
  CParseSetup keepLook;
  keepLook.keepLook = true;
  for (const std::string& input : rows) {
    const auto start = std::chrono::steady_clock::now();
    const CParseOutcome got = Parse(input, keepLook);
    EXPECT_LT(SecondsSince(start), 30.0);
    EXPECT_LT(got.tree.size(), 2 * input.size()) << "copies beyond the page's own size";
  }
}

TEST(ParserPathological, LongRunsFoldInLinearTime) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Parse("a" + Repeat(" \r\n\t\n\r", 400000) + "b").tree, R"("a b")");
  EXPECT_EQ(Parse("<p" + Repeat(" \r\n ", 400000) + "class=x>y</p>").tree, R"(p{c:x}["y"])");
  EXPECT_LT(SecondsSince(start), 30.0);
}

}  // namespace
}  // namespace trimvale::test
