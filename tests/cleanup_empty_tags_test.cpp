// The empty-tag pass: the "auto" rule removes only what renders nothing and does no work, the
// "alle" rule removes every empty element.
#include <gtest/gtest.h>

#include <string>

#include "engine/cleanup_passes.h"
#include "tests/cleanup_test_tree.h"

namespace trimvale::test {
namespace {

OptimizeOptions AllRule() {
  OptimizeOptions options;
  options.deleteEmptyTags = true;
  options.emptyTagsAll = true;
  return options;
}
const OptimizeOptions kAll = AllRule();

// The body itself is never removed by the "auto" rule, so what happens to its content shows alone.
template <class... TChildren>
std::unique_ptr<CHtmlNode> Body(TChildren&&... children) {
  return Doc(E("body", std::forward<TChildren>(children)...));
}
std::string InBody(const std::string& inner) { return "<body>" + inner + "</body>"; }

TEST(RemoveEmptyTags, WhatEachRuleKeeps) {
  const CTreeCase cases[] = {
      {"named anchor stays, link anchor goes", kAuto,
       [] { return Body(E("a").Rest(" name=_Toc1"), E("a").Rest(" href=x.htm"), E("a").Rest(" NAME=x")); },
       InBody("<a name=_Toc1></a><a NAME=x></a>")},
      {"cells and rows stay, empty or emptied, under either rule", kAll,
       [] { return Body(E("table", E("tr", E("td", E("span")), E("TH")), E("tr"))); },
       InBody("<table><tr><td></td><TH></TH></tr><tr></tr></table>")},
      {"ids and names are jump targets", kAuto,
       [] {
         return Body(E("span").Rest(" ID = x"), E("p").Rest(" name='n'"), E("div").Rest(" data-id=x"),
                     E("div").Rest(" title=\"id=x\""), E("div").Rest(" id"));
       },
       InBody("<span ID = x></span><p name='n'></p>")},
      {"protection holds for elements emptied by the pass", kAuto,
       [] { return Body(E("div", E("span")).Rest(" id=top"), E("script", E("span")), E("span", E("b")).Class("x")); },
       InBody("<div id=top></div><script></script>")},
      {"a fragment loses what a page loses: the top level protects nothing", kAuto,
       [] { return Doc(E("p"), E("b"), E("o:p"), E("ul", E("li", E("span")))); }, ""},
      {"page frame stays when empty or emptied", kAuto,
       [] { return Doc(E("HTML", E("head", E("title"), E("noscript", E("b"))), E("Body", E("span")))); },
       "<HTML><head><title></title></head><Body></Body></HTML>"},
      {"drawings and formulas keep their empty shapes", kAuto,
       [] { return Body(E("SVG", E("g", E("path"))), E("math", E("mi")), E("b", E("svg", E("rect")))); },
       InBody("<SVG><g><path></path></g></SVG><math><mi></mi></math><b><svg><rect></rect></svg></b>")},
      // Word ends every paragraph with <span style='font-size:12pt;line-height:150%'><o:p></o:p></span>:
      // the empty span still sets the height of the paragraph's last line.
      {"a style with a size, an area, a frame, an inner space or a line height keeps the element", kAuto,
       [] {
         return Body(E("b").Style("color:red; Width: 2em"), E("span").Style("border-top: 1px solid"),
                     E("em").Style("BACKGROUND-COLOR:yellow"), E("li").Style("min-height:1em"),
                     E("span").Rest(" STYLE=\"height:5px\""), E("span", E("o:p")).Style("font-size:12.0pt;line-height:150%;font-family:Arial;color:red"),
                     E("i").Style("line-height:150%"));
       },
       InBody("<b style=\"Width: 2em\"></b><span style=\"border-top: 1px solid\"></span>"
              "<em style=\"BACKGROUND-COLOR:yellow\"></em><li style=\"min-height:1em\"></li>"
              "<span STYLE=\"height:5px\"></span><span style=\"font-size:12.0pt;line-height:150%\"></span>"
              "<i style=\"line-height:150%\"></i>")},
      // Without a line height of its own, an empty span's font leaves the line as it is.
      {"box words inside other property names or values give none, nor a font alone", kAuto,
       [] {
         return Body(E("span").Style("mso-border-alt:solid;mso-line-height-rule:exactly"),
                     E("b").Style("text-align:\"height width\""), E("li").Style("max-width:3em"),
                     E("u").Style("height"), E("span", E("o:p")).Style("font-size:14pt;font-family:Arial"));
       },
       InBody("")},
      {"inline formatting with a class renders nothing", kAuto,
       [] {
         return Body(E("span").Class("SpellE"), E("I").Class("x"), E("o:p").Class("x"),
                     E("a").Rest(" href=y").Class("x"), E("span").Style("mso-spacerun:yes").Lang("DE"),
                     E("v:group", E("v:shape").Style("width:9pt;height:9pt")).Style("width:9pt"));
       },
       InBody("")},
      {"other elements with a class may get a box from the style sheet", kAuto,
       [] { return Body(E("DIV").Class("x"), E("td", E("span")).Class("x"), E("p").Rest(" CLASS=y")); },
       InBody("<DIV class=\"x\"></DIV><td class=\"x\"></td><p CLASS=y></p>")},
      {"p and div keep a style that may set margins, other blocks and mso- styles do not", kAuto,
       [] {
         return Body(E("p").Style("margin-top:24pt"), E("div", E("b")).Style("text-align:center"),
                     E("p").Style("mso-margin-top-alt:auto"), E("h2").Style("margin-top:2em"), E("p").Style(" ; "));
       },
       InBody("<p style=\"margin-top:24pt\"></p><div style=\"text-align:center\"></div>")},
  };
  for (const auto& c : cases) EXPECT_EQ(RunOnTree(c, &RemoveEmptyTags), c.expected) << c.name;
}

}  // namespace
}  // namespace trimvale::test
