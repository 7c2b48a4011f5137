// The empty-tag pass: the "auto" rule removes only what renders nothing and does no work, the
// "alle" rule removes every empty element.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "engine/cleanup_passes.h"
#include "engine/optimize_job.h"
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

// A page body holding the given nodes; the body itself is never removed by the "auto" rule, so
// what happens to its content shows on its own.
template <class... TChildren>
std::unique_ptr<CHtmlNode> Body(TChildren&&... children) {
  return Doc(E("body", std::forward<TChildren>(children)...));
}
std::string InBody(const std::string& inner) { return "<body>" + inner + "</body>"; }

TEST(RemoveEmptyTags, AutoRuleKeepsWhatWorksWhileEmpty) {
  const CTreeCase cases[] = {
      {"named anchor stays, link anchor goes", AutoRule(),
       [] { return Body(E("a").Rest(" name=_Toc1"), E("a").Rest(" href=x.htm"), E("a").Rest(" NAME=x")); },
       InBody("<a name=_Toc1></a><a NAME=x></a>")},
      {"td and tr empty from the start stay", AutoRule(),
       [] { return Body(E("table", E("tr", E("td"), E("td", E("span"))))); },
       InBody("<table><tr><td></td></tr></table>")},
      {"td whose only content was an empty span goes, then its row and table", AutoRule(),
       [] { return Body(E("table", E("tr", E("td", E("span"))))); }, InBody("")},
      {"self-closing tags, text and comments survive", AutoRule(),
       [] { return Body(E("p").Void(), E("br").Void(), T(""), T("x"), C(" c --")); }, InBody("<p><br>x<!-- c -->")},
      {"working elements stay", AutoRule(),
       [] {
         return Body(E("script").Rest(" src=\"app.js\""), E("IFRAME").Rest(" src=a.htm"), E("textarea"), E("object"),
                     E("embed"), E("video"), E("audio"), E("canvas"));
       },
       InBody("<script src=\"app.js\"></script><IFRAME src=a.htm></IFRAME><textarea></textarea><object></object>"
              "<embed></embed><video></video><audio></audio><canvas></canvas>")},
      {"ids and names are jump targets", AutoRule(),
       [] {
         return Body(E("div").Rest(" id=\"top\""), E("span").Rest(" ID = x"), E("p").Rest(" name='n'"),
                     E("div").Rest(" data-id=x"), E("div").Rest(" title=\"id=x\""), E("div").Rest(" grid=1"),
                     E("div").Rest(" id"));
       },
       InBody("<div id=\"top\"></div><span ID = x></span><p name='n'></p>")},
      {"namespaced markup with ids goes", AutoRule(),
       [] { return Body(E("v:shape").Rest(" id=_x0000_s1025"), E("o:p").Rest(" id=x"), E("w:Sdt").Rest(" name=x")); },
       InBody("")},
      {"protection holds for elements emptied by the pass", AutoRule(),
       [] {
         return Body(E("div", E("span")).Rest(" id=top"), E("a", E("b")).Rest(" name=x"), E("td", E("i")).Rest(" id=c"),
                     E("script", E("span")), E("span", E("b")).Class("x"));
       },
       InBody("<div id=top></div><a name=x></a><td id=c></td><script></script>")},
      {"empty elements nested deeply go as a whole", AutoRule(),
       [] { return Body(E("div", E("p", E("b", E("i"))), E("font")), T("after")); }, InBody("after")},
      {"deleteEmptyTags alone uses the auto rule", ManualAutoRule(),
       [] { return Body(E("a").Rest(" name=_Toc1"), E("div").Rest(" id=top"), E("p")); },
       InBody("<a name=_Toc1></a><div id=top></div>")},
      {"automatic overrides alle", AutomaticWithAll(), [] { return Body(E("td"), E("p")); }, InBody("<td></td>")},
  };
  for (const auto& c : cases) EXPECT_EQ(test::RunOnTree(c, &RemoveEmptyTags), c.expected) << c.name;
}

TEST(RemoveEmptyTags, AutoRuleKeepsWhatRenders) {
  const CTreeCase cases[] = {
      {"page frame stays when empty or emptied", AutoRule(),
       [] { return Doc(E("HTML", E("head", E("title"), E("noscript", E("b"))), E("Body", E("span")))); },
       "<HTML><head><title></title></head><Body></Body></HTML>"},
      {"body and head below a top-level wrapper", AutoRule(),
       [] { return Doc(E("div", E("body", E("i")), E("head"))); }, "<div><body></body><head></head></div>"},
      {"drawings and formulas keep their empty shapes", AutoRule(),
       [] {
         return Body(E("svg", E("g", E("path").Rest(" d=\"M0,0\"")), E("defs")).Rest(" viewBox=\"0 0 9 9\""), E("SVG"),
                     E("math", E("mrow", E("mi"))), E("b", E("svg", E("rect"))));
       },
       InBody("<svg viewBox=\"0 0 9 9\"><g><path d=\"M0,0\"></path></g><defs></defs></svg><SVG></SVG>"
              "<math><mrow><mi></mi></mrow></math><b><svg><rect></rect></svg></b>")},
      {"a style with a size, an area, a frame or an inner space gives a box", AutoRule(),
       [] {
         return Body(E("span").Style("height:50px"), E("b").Style("color:red; Width: 2em"),
                     E("i").Style("background:red"), E("span").Style("border-top: 1px solid"),
                     E("font").Style("padding-left:3pt"), E("em").Style("BACKGROUND-COLOR:yellow;mso-highlight:yellow"),
                     E("li").Style("min-height:1em"),
                     E("a", E("span")).Rest(" href=x").Style("display:block;height:9px"));
       },
       InBody(
           "<span style=\"height:50px\"></span><b style=\"color:red; Width: 2em\"></b><i style=\"background:red\"></i>"
           "<span style=\"border-top: 1px solid\"></span><font style=\"padding-left:3pt\"></font>"
           "<em style=\"BACKGROUND-COLOR:yellow;mso-highlight:yellow\"></em><li style=\"min-height:1em\"></li>"
           "<a href=x style=\"display:block;height:9px\"></a>")},
      {"box words inside other property names or values give none", AutoRule(),
       [] {
         return Body(E("span").Style("mso-border-alt:solid windowtext .5pt;mso-padding-alt:0cm"),
                     E("span").Style("line-height:150%"), E("b").Style("font-family:\"height width\""),
                     E("i").Style("borderx:1px"), E("li").Style("max-width:3em;text-indent:0"), E("u").Style("height"));
       },
       InBody("")},
      {"a style left in the tag rest counts too", AutoRule(),
       [] { return Body(E("span").Rest(" STYLE=\"height:5px\""), E("span").Rest(" Style='color:red'")); },
       InBody("<span STYLE=\"height:5px\"></span>")},
      {"inline formatting with a class renders nothing", AutoRule(),
       [] {
         return Body(E("span").Class("SpellE"), E("font").Class("x"), E("b").Class("x"), E("I").Class("x"),
                     E("u").Class("x"), E("strong").Class("x"), E("em").Class("x"), E("o:p").Class("x"),
                     E("a").Rest(" href=y").Class("x"), E("span").Style("mso-spacerun:yes").Lang("DE"));
       },
       InBody("")},
      {"other elements with a class may get a box from the style sheet", AutoRule(),
       [] {
         return Body(E("p").Class("MsoNormal"), E("DIV").Class("x"), E("li").Class("x"), E("h1").Class("x"),
                     E("td", E("span")).Class("x"), E("p", E("o:p")).Class("MsoNormal"), E("p").Rest(" CLASS=y"));
       },
       InBody("<p class=\"MsoNormal\"></p><DIV class=\"x\"></DIV><li class=\"x\"></li><h1 class=\"x\"></h1>"
              "<td class=\"x\"></td><p class=\"MsoNormal\"></p><p CLASS=y></p>")},
      {"p and div keep a style that may set margins, other blocks and mso- styles do not", AutoRule(),
       [] {
         return Body(E("p").Style("margin-top:24pt"), E("div", E("b")).Style("text-align:center"),
                     E("p").Style("mso-margin-top-alt:auto;mso-pagination:none"), E("h2").Style("margin-top:2em"),
                     E("p").Class("").Style(" ; "), E("p").Rest(" align=center"));
       },
       InBody("<p style=\"margin-top:24pt\"></p><div style=\"text-align:center\"></div>")},
  };
  for (const auto& c : cases) EXPECT_EQ(test::RunOnTree(c, &RemoveEmptyTags), c.expected) << c.name;
}

TEST(RemoveEmptyTags, AutoRuleNeverRemovesTopLevelElements) {
  const CTreeCase cases[] = {
      {"empty top-level elements stay", AutoRule(),
       [] { return Doc(E("p"), E("a").Rest(" href=x.htm"), E("b"), E("o:p")); },
       "<p></p><a href=x.htm></a><b></b><o:p></o:p>"},
      {"emptied top-level elements stay, their empty content goes", AutoRule(),
       [] { return Doc(E("table", E("tr", E("td", E("span")))), E("div", E("p", E("b")), E("i"))); },
       "<table></table><div></div>"},
      {"manual auto rule alike", ManualAutoRule(), [] { return Doc(E("span", E("span"))); }, "<span></span>"},
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
      {"boxes, drawings and the page frame too", AllRule(),
       [] { return Doc(E("html", E("body", E("div").Style("height:5px"), E("p").Class("x"), E("svg", E("path"))))); },
       ""},
  };
  for (const auto& c : cases) EXPECT_EQ(test::RunOnTree(c, &RemoveEmptyTags), c.expected) << c.name;
}

TEST(RemoveEmptyTags, RootIsNeverRemoved) {
  test::CPassHarness harness(AllRule());
  auto root = Doc(E("p"));
  RemoveEmptyTags(harness.ctx, *root);
  EXPECT_TRUE(root->children.empty());
  RemoveEmptyTags(harness.ctx, *root);
  EXPECT_TRUE(root->children.empty());
}

// Pages that lost their drawing or their boxes when rendered after optimizing, through every
// pass of an automatic run.
TEST(RemoveEmptyTags, AutomaticRunKeepsRenderedPages) {
  const CTreeCase cases[] = {
      {"a drawing of empty shapes keeps the page", AutoRule(),
       [] {
         return Doc(E("html",
                      E("body", E("svg", E("g", E("path").Rest(" d=\"M0,0 L10,0\""))).Rest(" viewBox=\"0 0 10 10\""))));
       },
       "<html><body><svg viewBox=\"0 0 10 10\"><g><path d=\"M0,0 L10,0\"></path></g></svg></body></html>"},
      {"a coloured box stays", AutoRule(),
       [] { return Doc(E("html", E("body", E("div").Style("height:50px;background:red")))); },
       "<html><body><div style=\"height:50px;background:red\"></div></body></html>"},
      {"a clip path keeps its outline", AutoRule(),
       [] {
         return Doc(E("html",
                      E("body", E("svg", E("defs", E("clipPath", E("path").Rest(" d=\"M0,0 L9,9\"")).Rest(" id=\"c\"")),
                                  E("g", E("rect").Rest(" width=\"9\"")).Rest(" clip-path=\"url(#c)\"")))));
       },
       "<html><body><svg><defs><clipPath id=\"c\"><path d=\"M0,0 L9,9\"></path></clipPath></defs>"
       "<g clip-path=\"url(#c)\"><rect width=\"9\"></rect></g></svg></body></html>"},
      {"word leftovers still go: empty spans, o:p, b, a mso-only paragraph", AutoRule(),
       [] {
         return Doc(
             E("html", E("body", E("p", E("span").Class("SpellE"), E("o:p"), T("x"), E("b")),
                         E("p").Style("mso-margin-top-alt:auto"), E("table", E("tr", E("td", E("span").Lang("DE")))))));
       },
       "<html><body><p>x</p></body></html>"},
      {"an empty page frame stays rather than vanish", AutoRule(),
       [] { return Doc(E("html", E("head"), E("body", E("p", E("span"))))); },
       "<html><head></head><body></body></html>"},
  };
  for (const auto& c : cases) EXPECT_EQ(test::RunOnTree(c, nullptr), c.expected) << c.name;
}

// The same page parsed, optimized with the default options and written: it must not come out empty.
TEST(RemoveEmptyTags, OptimizedDrawingPageIsNotEmpty) {
  const std::string page =
      "<html><body><svg viewBox=\"0 0 10 10\"><g><path d=\"M0,0 L10,0\"></path></g></svg></body></html>";
  CRunConfig config;
  config.options = test::AutomaticOptions();
  CStringSink sink;
  std::atomic<bool> cancel{false};
  COptimizeJob job;
  job.text = page;
  ASSERT_EQ(job.Run(config, sink, cancel), 1);
  for (const char* part :
       {"<svg viewBox=\"0 0 10 10\">", "<g>", "<path d=\"M0,0 L10,0\">", "</path>", "</svg>", "<body>", "</html>"}) {
    EXPECT_NE(job.text.find(part), std::string::npos) << part << " missing in: " << job.text;
  }
}

}  // namespace
}  // namespace trimvale
