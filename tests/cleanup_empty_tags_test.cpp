// The empty-tag pass: the "auto" rule removes only what renders nothing and does no work, the
// "alle" rule removes every empty element.
#include <gtest/gtest.h>

#include <string>

#include "engine/cleanup_passes.h"
#include "tests/cleanup_test_tree.h"

namespace trimvale::test {
namespace {

OptimizeOptions EmptyTags(bool all, bool automatic = false) {
  OptimizeOptions options;
  options.deleteEmptyTags = true;
  options.emptyTagsAll = all;
  options.automatic = automatic;
  return options;
}
const OptimizeOptions kManualAuto = EmptyTags(false);
const OptimizeOptions kAll = EmptyTags(true);

// The body itself is never removed by the "auto" rule, so what happens to its content shows alone.
template <class... TChildren>
std::unique_ptr<CHtmlNode> Body(TChildren&&... children) {
  return Doc(E("body", std::forward<TChildren>(children)...));
}
std::string InBody(const std::string& inner) { return "<body>" + inner + "</body>"; }

TEST(RemoveEmptyTags, AutoRuleKeepsWhatWorksWhileEmpty) {
  const CTreeCase cases[] = {
      {"named anchor stays, link anchor goes", kAuto,
       [] { return Body(E("a").Rest(" name=_Toc1"), E("a").Rest(" href=x.htm"), E("a").Rest(" NAME=x")); },
       InBody("<a name=_Toc1></a><a NAME=x></a>")},
      {"td and tr empty from the start stay", kAuto,
       [] { return Body(E("table", E("tr", E("td"), E("td", E("span"))))); },
       InBody("<table><tr><td></td></tr></table>")},
      {"td whose only content was an empty span goes, then its row and table", kAuto,
       [] { return Body(E("table", E("tr", E("td", E("span"))))); }, InBody("")},
      {"self-closing tags, text and comments survive", kAuto,
       [] { return Body(E("p").Void(), E("br").Void(), T(""), T("x"), C(" c --")); }, InBody("<p><br>x<!-- c -->")},
      {"working elements stay", kAuto,
       [] {
         return Body(E("script").Rest(" src=\"app.js\""), E("IFRAME").Rest(" src=a.htm"), E("textarea"), E("object"),
                     E("embed"), E("video"), E("audio"), E("canvas"));
       },
       InBody("<script src=\"app.js\"></script><IFRAME src=a.htm></IFRAME><textarea></textarea><object></object>"
              "<embed></embed><video></video><audio></audio><canvas></canvas>")},
      {"ids and names are jump targets", kAuto,
       [] {
         return Body(E("div").Rest(" id=\"top\""), E("span").Rest(" ID = x"), E("p").Rest(" name='n'"),
                     E("div").Rest(" data-id=x"), E("div").Rest(" title=\"id=x\""), E("div").Rest(" grid=1"),
                     E("div").Rest(" id"));
       },
       InBody("<div id=\"top\"></div><span ID = x></span><p name='n'></p>")},
      {"namespaced markup with ids goes", kAuto,
       [] { return Body(E("v:shape").Rest(" id=_x0000_s1025"), E("o:p").Rest(" id=x"), E("w:Sdt").Rest(" name=x")); },
       InBody("")},
      {"protection holds for elements emptied by the pass", kAuto,
       [] {
         return Body(E("div", E("span")).Rest(" id=top"), E("a", E("b")).Rest(" name=x"), E("td", E("i")).Rest(" id=c"),
                     E("script", E("span")), E("span", E("b")).Class("x"));
       },
       InBody("<div id=top></div><a name=x></a><td id=c></td><script></script>")},
      {"deleteEmptyTags alone uses the auto rule", kManualAuto,
       [] { return Body(E("a").Rest(" name=_Toc1"), E("div").Rest(" id=top"), E("p")); },
       InBody("<a name=_Toc1></a><div id=top></div>")},
      {"automatic overrides alle", EmptyTags(true, true), [] { return Body(E("td"), E("p")); }, InBody("<td></td>")},
  };
  for (const auto& c : cases) EXPECT_EQ(RunOnTree(c, &RemoveEmptyTags), c.expected) << c.name;
}

TEST(RemoveEmptyTags, AutoRuleKeepsWhatRenders) {
  const CTreeCase cases[] = {
      {"page frame stays when empty or emptied", kAuto,
       [] { return Doc(E("HTML", E("head", E("title"), E("noscript", E("b"))), E("Body", E("span")))); },
       "<HTML><head><title></title></head><Body></Body></HTML>"},
      {"body and head below a top-level wrapper", kAuto, [] { return Doc(E("div", E("body", E("i")), E("head"))); },
       "<div><body></body><head></head></div>"},
      {"drawings and formulas keep their empty shapes", kAuto,
       [] {
         return Body(E("svg", E("g", E("path").Rest(" d=\"M0,0\"")), E("defs")).Rest(" viewBox=\"0 0 9 9\""), E("SVG"),
                     E("math", E("mrow", E("mi"))), E("b", E("svg", E("rect"))));
       },
       InBody("<svg viewBox=\"0 0 9 9\"><g><path d=\"M0,0\"></path></g><defs></defs></svg><SVG></SVG>"
              "<math><mrow><mi></mi></mrow></math><b><svg><rect></rect></svg></b>")},
      {"a style with a size, an area, a frame or an inner space gives a box", kAuto,
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
      {"box words inside other property names or values give none", kAuto,
       [] {
         return Body(E("span").Style("mso-border-alt:solid windowtext .5pt;mso-padding-alt:0cm"),
                     E("span").Style("line-height:150%"), E("b").Style("font-family:\"height width\""),
                     E("i").Style("borderx:1px"), E("li").Style("max-width:3em;text-indent:0"), E("u").Style("height"));
       },
       InBody("")},
      {"a style left in the tag rest counts too", kAuto,
       [] { return Body(E("span").Rest(" STYLE=\"height:5px\""), E("span").Rest(" Style='color:red'")); },
       InBody("<span STYLE=\"height:5px\"></span>")},
      {"inline formatting with a class renders nothing", kAuto,
       [] {
         return Body(E("span").Class("SpellE"), E("font").Class("x"), E("b").Class("x"), E("I").Class("x"),
                     E("u").Class("x"), E("strong").Class("x"), E("em").Class("x"), E("o:p").Class("x"),
                     E("a").Rest(" href=y").Class("x"), E("span").Style("mso-spacerun:yes").Lang("DE"));
       },
       InBody("")},
      {"other elements with a class may get a box from the style sheet", kAuto,
       [] {
         return Body(E("p").Class("MsoNormal"), E("DIV").Class("x"), E("li").Class("x"), E("h1").Class("x"),
                     E("td", E("span")).Class("x"), E("p", E("o:p")).Class("MsoNormal"), E("p").Rest(" CLASS=y"));
       },
       InBody("<p class=\"MsoNormal\"></p><DIV class=\"x\"></DIV><li class=\"x\"></li><h1 class=\"x\"></h1>"
              "<td class=\"x\"></td><p class=\"MsoNormal\"></p><p CLASS=y></p>")},
      {"p and div keep a style that may set margins, other blocks and mso- styles do not", kAuto,
       [] {
         return Body(E("p").Style("margin-top:24pt"), E("div", E("b")).Style("text-align:center"),
                     E("p").Style("mso-margin-top-alt:auto;mso-pagination:none"), E("h2").Style("margin-top:2em"),
                     E("p").Class("").Style(" ; "), E("p").Rest(" align=center"));
       },
       InBody("<p style=\"margin-top:24pt\"></p><div style=\"text-align:center\"></div>")},
  };
  for (const auto& c : cases) EXPECT_EQ(RunOnTree(c, &RemoveEmptyTags), c.expected) << c.name;
}

TEST(RemoveEmptyTags, AutoRuleNeverRemovesTopLevelElements) {
  const CTreeCase cases[] = {
      {"empty top-level elements stay", kAuto, [] { return Doc(E("p"), E("a").Rest(" href=x.htm"), E("b"), E("o:p")); },
       "<p></p><a href=x.htm></a><b></b><o:p></o:p>"},
      {"emptied top-level elements stay, their empty content goes", kAuto,
       [] { return Doc(E("table", E("tr", E("td", E("span")))), E("div", E("p", E("b")), E("i"))); },
       "<table></table><div></div>"},
      {"manual auto rule alike", kManualAuto, [] { return Doc(E("span", E("span"))); }, "<span></span>"},
  };
  for (const auto& c : cases) EXPECT_EQ(RunOnTree(c, &RemoveEmptyTags), c.expected) << c.name;
}

TEST(RemoveEmptyTags, AllRuleRemovesEveryEmptyElement) {
  const CTreeCase cases[] = {
      {"anchors of both kinds", kAll, [] { return Doc(E("a").Rest(" name=_Toc1"), E("a").Rest(" href=x")); }, ""},
      {"working elements and jump targets too", kAll,
       [] { return Doc(E("script").Rest(" src=a.js"), E("div").Rest(" id=top"), E("textarea")); }, ""},
      {"td and tr, empty or emptied", kAll, [] { return Doc(E("tr", E("td"), E("td", E("span")))); }, ""},
      {"what takes no end tag stays", kAll, [] { return Doc(E("img").Void(), E("p", T(" "))); }, "<img><p> </p>"},
      {"boxes, drawings and the page frame too", kAll,
       [] { return Doc(E("html", E("body", E("div").Style("height:5px"), E("p").Class("x"), E("svg", E("path"))))); },
       ""},
      {"an empty root stays", kAll, [] { return Doc(); }, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(RunOnTree(c, &RemoveEmptyTags), c.expected) << c.name;
}

// Pages that lost their drawing or their boxes when rendered after optimizing, through every
// pass of an automatic run.
TEST(RemoveEmptyTags, AutomaticRunKeepsRenderedPages) {
  const CTreeCase cases[] = {
      {"a drawing of empty shapes keeps the page", kAuto,
       [] {
         return Doc(E("html",
                      E("body", E("svg", E("g", E("path").Rest(" d=\"M0,0 L10,0\""))).Rest(" viewBox=\"0 0 10 10\""))));
       },
       "<html><body><svg viewBox=\"0 0 10 10\"><g><path d=\"M0,0 L10,0\"></path></g></svg></body></html>"},
      {"a coloured box stays", kAuto,
       [] { return Doc(E("html", E("body", E("div").Style("height:50px;background:red")))); },
       "<html><body><div style=\"height:50px;background:red\"></div></body></html>"},
      {"word leftovers still go: empty spans, o:p, b, a mso-only paragraph", kAuto,
       [] {
         return Doc(
             E("html", E("body", E("p", E("span").Class("SpellE"), E("o:p"), T("x"), E("b")),
                         E("p").Style("mso-margin-top-alt:auto"), E("table", E("tr", E("td", E("span").Lang("DE")))))));
       },
       "<html><body><p>x</p></body></html>"},
      {"an empty page frame stays rather than vanish", kAuto,
       [] { return Doc(E("html", E("head"), E("body", E("p", E("span"))))); },
       "<html><head></head><body></body></html>"},
  };
  for (const auto& c : cases) EXPECT_EQ(RunOnTree(c, nullptr), c.expected) << c.name;
}

}  // namespace
}  // namespace trimvale::test
