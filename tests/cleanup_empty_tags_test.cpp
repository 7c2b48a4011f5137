// The empty-tag pass: the "auto" rule keeps what works while empty, the "alle" rule removes all.
#include <gtest/gtest.h>

#include "engine/cleanup_passes.h"
#include "tests/cleanup_test_tree.h"

namespace trimvale {
namespace {

using test::C;
using test::CTreeCase;
using test::Doc;
using test::E;
using test::T;

OptimizeOptions AutoRule() { return test::AutomaticOptions(); }

OptimizeOptions ManualAutoRule() {
  OptimizeOptions options;
  options.deleteEmptyTags = true;
  return options;
}

OptimizeOptions AllRule() {
  OptimizeOptions options;
  options.deleteEmptyTags = true;
  options.emptyTagsAll = true;
  return options;
}

// "Automatisch" overrides the "alle" radio button.
OptimizeOptions AutomaticWithAll() {
  OptimizeOptions options = AllRule();
  options.automatic = true;
  return options;
}

TEST(RemoveEmptyTags, AutoRuleKeepsWhatWorksWhileEmpty) {
  const CTreeCase cases[] = {
      {"named anchor stays, link anchor goes", AutoRule(),
       [] { return Doc(E("a").Rest(" name=_Toc1"), E("a").Rest(" href=x.htm"), E("a").Rest(" NAME=x")); },
       "<a name=_Toc1></a><a NAME=x></a>"},
      {"td and tr empty from the start stay", AutoRule(),
       [] { return Doc(E("table", E("tr", E("td"), E("td", E("span"))))); }, "<table><tr><td></td></tr></table>"},
      {"td whose only content was an empty span goes, then its row", AutoRule(),
       [] { return Doc(E("table", E("tr", E("td", E("span"))))); }, ""},
      {"self-closing tags, text and comments survive", AutoRule(),
       [] { return Doc(E("p").Void(), E("br").Void(), T(""), T("x"), C(" c --")); }, "<p><br>x<!-- c -->"},
      {"working elements stay", AutoRule(),
       [] {
         return Doc(E("script").Rest(" src=\"app.js\""), E("IFRAME").Rest(" src=a.htm"), E("textarea"), E("object"),
                    E("embed"), E("video"), E("audio"), E("canvas"));
       },
       "<script src=\"app.js\"></script><IFRAME src=a.htm></IFRAME><textarea></textarea><object></object>"
       "<embed></embed><video></video><audio></audio><canvas></canvas>"},
      {"ids and names are jump targets", AutoRule(),
       [] {
         return Doc(E("div").Rest(" id=\"top\""), E("span").Rest(" ID = x"), E("p").Rest(" name='n'"),
                    E("div").Rest(" data-id=x"), E("div").Rest(" title=\"id=x\""), E("div").Rest(" grid=1"),
                    E("div").Rest(" id"));
       },
       "<div id=\"top\"></div><span ID = x></span><p name='n'></p>"},
      {"namespaced markup with ids goes", AutoRule(),
       [] { return Doc(E("v:shape").Rest(" id=_x0000_s1025"), E("o:p").Rest(" id=x"), E("w:Sdt").Rest(" name=x")); },
       ""},
      {"protection holds for elements emptied by the pass", AutoRule(),
       [] {
         return Doc(E("div", E("span")).Rest(" id=top"), E("a", E("b")).Rest(" name=x"), E("td", E("i")).Rest(" id=c"),
                    E("script", E("span")), E("div", E("span")).Rest(" class=x"));
       },
       "<div id=top></div><a name=x></a><td id=c></td><script></script>"},
      {"empty elements nested deeply go as a whole", AutoRule(),
       [] { return Doc(E("div", E("p", E("b", E("i"))), E("font")), T("after")); }, "after"},
      {"deleteEmptyTags alone uses the auto rule", ManualAutoRule(),
       [] { return Doc(E("a").Rest(" name=_Toc1"), E("div").Rest(" id=top"), E("p")); },
       "<a name=_Toc1></a><div id=top></div>"},
      {"automatic overrides alle", AutomaticWithAll(), [] { return Doc(E("td"), E("p")); }, "<td></td>"},
  };
  for (const auto& c : cases) EXPECT_EQ(test::RunOnTree(c, &RemoveEmptyTags), c.expected) << c.name;
}

TEST(RemoveEmptyTags, AllRuleRemovesEveryEmptyElement) {
  const CTreeCase cases[] = {
      {"anchors of both kinds", AllRule(), [] { return Doc(E("a").Rest(" name=_Toc1"), E("a").Rest(" href=x")); }, ""},
      {"working elements and jump targets too", AllRule(),
       [] { return Doc(E("script").Rest(" src=a.js"), E("div").Rest(" id=top"), E("textarea")); }, ""},
      {"td and tr, empty or emptied", AllRule(), [] { return Doc(E("tr", E("td"), E("td", E("span")))); }, ""},
      {"what takes no end tag stays", AllRule(), [] { return Doc(E("img").Void(), E("p", T(" "))); }, "<img><p> </p>"},
  };
  for (const auto& c : cases) EXPECT_EQ(test::RunOnTree(c, &RemoveEmptyTags), c.expected) << c.name;
}

TEST(RemoveEmptyTags, RootIsNeverRemoved) {
  test::CPassHarness harness(AutoRule());
  auto root = Doc(E("p"));
  RemoveEmptyTags(harness.ctx, *root);
  EXPECT_TRUE(root->children.empty());
  RemoveEmptyTags(harness.ctx, *root);
  EXPECT_TRUE(root->children.empty());
}

}  // namespace
}  // namespace trimvale
