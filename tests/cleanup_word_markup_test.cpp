// The word-markup pass: office tags, conditional comments, comments, special characters, and
// the links and islands of the word-link pass.
#include <gtest/gtest.h>

#include "engine/cleanup_passes.h"
#include "tests/cleanup_test_tree.h"

namespace trimvale::test {
namespace {

OptimizeOptions Manual(bool removeWordIf) {
  OptimizeOptions options;
  options.removeWordIf = removeWordIf;
  return options;
}

// A downlevel-hidden conditional comment as the parser leaves it: named "!--[if", the condition
// in its tag rest.
CNodeBuilder HiddenIf(std::string condition, CNodeBuilder content) {
  return E("!--[if", std::move(content)).Rest(std::move(condition));
}

TEST(CleanWordMarkup, OfficeTagsStrikeAndConditionalComments) {
  const CTreeCase cases[] = {
      {"any hidden conditional goes with its content", kAuto,
       [] { return Doc(HiddenIf(" gte vml 1]", E("v:shape", T("pic"))), HiddenIf(" IE]", T("y")), T("x")); }, "x"},
      {"downlevel-revealed block keeps its content", kAuto,
       [] { return Doc(E("![if", E("img").Void().Rest(" src=a.gif")).Rest(" !vml]")); }, "<img src=a.gif>"},
      {"office tag dissolves to its text only with automatic", kAuto, [] { return Doc(E("p", E("o:p", T("&nbsp;")))); },
       "<p>&nbsp;</p>"},
      {"dissolved children are visited by the same walk", kAuto,
       [] { return Doc(E("![if", E("o:p", E("o:p", T("a"))), E("![if", T("b")))); }, "ab"},
      {"removeWordIf alone removes conditionals", Manual(true),
       [] { return Doc(HiddenIf(" gte vml 1]", T("v")), E("![if", T("k"))); }, "k"},
  };
  for (const auto& c : cases) EXPECT_EQ(RunOnTree(c, &CleanWordMarkup), c.expected) << c.name;
}

// A page with one comment of each group.
std::unique_ptr<CHtmlNode> CommentPage() {
  return Doc(E("style", C(" p {} --")), E("script", C(" code --")), C(" webbot bot=x --"), C(" note --"),
             E("![if", T("k")));
}

TEST(CleanWordMarkup, CommentRules) {
  auto manual = [](bool style, bool script, bool webbot, bool rest) {
    OptimizeOptions options;
    options.deleteComments = true;
    options.commentsStyle = style;
    options.commentsScript = script;
    options.commentsWebbot = webbot;
    options.commentsRest = rest;
    return options;
  };

  const CTreeCase cases[] = {
      {"automatic keeps style, script and webbot comments", kAuto, &CommentPage,
       "<style><!-- p {} --></style><script><!-- code --></script><!-- webbot bot=x -->k"},
      {"style kind", manual(true, false, false, false), &CommentPage,
       "<style></style><script><!-- code --></script><!-- webbot bot=x --><!-- note --><![if>k</![if>"},
      {"all four kinds delete every comment, not the conditional", manual(true, true, true, true), &CommentPage,
       "<style></style><script></script><![if>k</![if>"},
  };
  for (const auto& c : cases) EXPECT_EQ(RunOnTree(c, &CleanWordMarkup), c.expected) << c.name;
}

TEST(CleanWordMarkup, SpecialCharactersOnlyInTextOutsideScriptsAndStyles) {
  OptimizeOptions options;
  options.specialChars = true;
  const CTreeCase cases[] = {
      {"text converted, attributes and comments not", options,
       [] { return Doc(E("p", T("\x80\xA9\xE4")).Rest(" title=\xA9"), C(" \xA9 --")); },
       "<p title=\xA9>\x80&copy;&auml;</p><!-- \xA9 -->"},
      {"script and style text stays", options,
       [] { return Doc(E("SCRIPT", T("\xA9")), E("style", T("\xA9")), E("script", E("b", T("\xA9")))); },
       "<SCRIPT>\xA9</SCRIPT><style>\xA9</style><script><b>\xA9</b></script>"},
  };
  for (const auto& c : cases) EXPECT_EQ(RunOnTree(c, &CleanWordMarkup), c.expected) << c.name;
}

TEST(RemoveWordLinks, IslandsLinksAndNamespaces) {
  const CTreeCase cases[] = {
      {"html keeps only its lang", kAuto,
       [] { return Doc(E("html", E("body")).Rest(" xmlns:v=\"urn:schemas-microsoft-com:vml\"").Lang("DE")); },
       "<html lang=\"DE\"><body></body></html>"},
      {"html keeps its writing direction", kAuto,
       [] { return Doc(E("html", E("body")).Rest(" xmlns:o=\"urn:x\" DIR=rtl")); },
       "<html dir=\"rtl\"><body></body></html>"},
      {"editor links go, quoted ones and others stay", kAuto,
       [] {
         return Doc(E("link").Void().Rest(" rel=File-List href=a_files/filelist.xml"),
                    E("link").Void().Rest(" rel=Edit-Time-Data href=x"),
                    E("link").Void().Rest(" rel=\"File-List\" href=b"), E("link").Void().Rest(" rel=stylesheet"));
       },
       "<link rel=\"File-List\" href=b><link rel=stylesheet>"},
  };
  for (const auto& c : cases) EXPECT_EQ(RunOnTree(c, &RemoveWordLinks), c.expected) << c.name;
}

}  // namespace
}  // namespace trimvale::test
