// The formatting pass: strong, style sheets, spans and headings, blank-line formats, vendor
// declarations and the removal of all styles, by switch.
#include <gtest/gtest.h>

#include "engine/cleanup_passes.h"
#include "tests/cleanup_test_tree.h"

namespace trimvale::test {
namespace {

OptimizeOptions With(bool OptimizeOptions::*sw, bool OptimizeOptions::*second = nullptr) {
  OptimizeOptions options;
  options.*sw = true;
  if (second) options.*second = true;
  return options;
}

TEST(CleanFormatting, BoldSplitTakesTwoSweeps) {
  CPassHarness harness(kAuto);
  auto root = Doc(E("b", T("x"), E("span", T("y")).Style("font-weight:normal"), T("z")).Layout(0x81));
  CleanFormatting(harness.ctx, *root);
  EXPECT_EQ(Render(*root), "<b>x</b><span>y</span><b>z</b>");
  const CHtmlNode* span = root->children.front()->NextSibling();
  EXPECT_TRUE(span->isBare);
  const CHtmlNode* copy = span->NextSibling();
  EXPECT_EQ(copy->kind, TagKind::B);
  EXPECT_EQ(copy->layoutBits, 0x81);
  CleanFormatting(harness.ctx, *root);
  EXPECT_EQ(Render(*root), "<b>x</b>y<b>z</b>");
}

TEST(CleanFormatting, SplitsAndSpansBySweep) {
  const CTreeCase oneSweep[] = {
      {"span last in its b leaves an empty copy", kAuto,
       [] { return Doc(E("b", T("x"), E("span", T("y")).Style("font-weight:normal"))); },
       "<b>x</b><span>y</span><b></b>"},
      {"strong renamed to b is split too", kAuto,
       [] { return Doc(E("strong", E("span", T("y")).Style("color:red;font-weight:normal"), T("z"))); },
       "<b></b><span style=\"color:red\">y</span><b>z</b>"},
      {"split at the grandparent through a sole child", kAuto,
       [] { return Doc(E("b", E("i", E("span", T("y")).Style("font-weight:normal")), T("z"))); },
       "<b></b><i><span>y</span></i><b>z</b>"},
      {"no split through a parent with more children", kAuto,
       [] { return Doc(E("b", E("i", T("w"), E("span", T("y")).Style("font-weight:normal")))); },
       "<b><i>w<span style=\"font-weight:normal\">y</span></i></b>"},
      {"no split outside b and strong", kAuto,
       [] { return Doc(E("em", E("span", T("y")).Style("font-weight:normal"))); },
       "<em><span style=\"font-weight:normal\">y</span></em>"},
  };
  for (const auto& c : oneSweep) EXPECT_EQ(RunOnTree(c, &CleanFormatting), c.expected) << c.name;

  const CTreeCase wholeRun[] = {
      {"vendor bold reset: empty b elements go at the end", kAuto,
       [] { return Doc(E("p", E("b", E("span", T("x")).Style("mso-bidi-font-weight:normal;font-weight:normal")))); },
       "<p>x</p>"},
      {"grandparent split, then the bare span dissolves", kAuto,
       [] { return Doc(E("p", E("b", E("i", E("span", T("y")).Style("font-weight:normal")), T("z")))); },
       "<p><i>y</i><b>z</b></p>"},
  };
  for (const auto& c : wholeRun) EXPECT_EQ(RunOnTree(c, nullptr), c.expected) << c.name;
}

TEST(CleanFormatting, HeadingsAndSpans) {
  const CTreeCase cases[] = {
      {"formatting inside a heading goes", kAuto,
       [] { return Doc(E("h1", E("font", E("b", T("Titel"))).Rest(" size=5"))); }, "<h1>Titel</h1>"},
      {"a coloured font stays in a heading", kAuto, [] { return Doc(E("h1", E("font", T("x")).Rest(" color=red"))); },
       "<h1><font color=red>x</font></h1>"},
      {"anchors, images, breaks and scripts stay in a heading", kAuto,
       [] {
         return Doc(E("h2", E("a", T("y")).Rest(" href=x"), E("img").Void().Rest(" src=l.gif"), E("br").Void(),
                      E("script", T("f()")), C(" webbot --")));
       },
       "<h2><a href=x>y</a><img src=l.gif><br><script>f()</script><!-- webbot --></h2>"},
      {"span with lang only dissolves", kAuto, [] { return Doc(E("p", E("span", T("Text")).Lang("EN-US"))); },
       "<p>Text</p>"},
      {"span with a class stays", kAuto, [] { return Doc(E("span", T("Wort")).Class("SpellE")); },
       "<span class=\"SpellE\">Wort</span>"},
      {"bare span dissolves", kAuto, [] { return Doc(E("span", T("x"), E("b", T("y")))); }, "x<b>y</b>"},
      {"vendor declarations leave a span", kAuto,
       [] {
         return Doc(E("span", T("a")).Style("mso-ansi-language:DE"), E("span", T("b")).Style("color:red;mso-x:1"),
                    E("span", T("c")).Style("mso-a:1; mso-b:2; color:red"));
       },
       "a<span style=\"color:red\">b</span><span style=\"color:red\">c</span>"},
      {"font and colour of blanks go", kAuto,
       [] {
         return Doc(E("span", T("&nbsp;")).Style("font-size:10pt;font-family:Arial"),
                    E("span", T(" ")).Style("color:blue"), E("span", T("")).Style("font-size:1pt"),
                    E("span", T("&nbsp;x")).Style("color:blue"));
       },
       "&nbsp; <span style=\"color:blue\">&nbsp;x</span>"},
      {"removal starts where the word occurs", kAuto,
       [] { return Doc(E("span", T("&nbsp;")).Style("background-color:red")); },
       "<span style=\"background\">&nbsp;</span>"},
      {"spans by the auto rule without automatic", With(&OptimizeOptions::spanDelete),
       [] { return Doc(E("span", T("a")).Class("x"), E("span", T("b")), E("h1", E("b", T("c")))); },
       "<span class=\"x\">a</span>b<h1>c</h1>"},
      {"spans by the alle rule", With(&OptimizeOptions::spanDelete, &OptimizeOptions::spanAll),
       [] { return Doc(E("span", T("a")).Class("x"), E("span", T("b")), E("h1", E("b", T("c")))); },
       "ab<h1><b>c</b></h1>"},
      {"spans stay when the switch is off", OptimizeOptions{},
       [] { return Doc(E("span", T("b")), E("h1", E("b", T("c")))); }, "<span>b</span><h1><b>c</b></h1>"},
  };
  for (const auto& c : cases) EXPECT_EQ(RunOnTree(c, &CleanFormatting), c.expected) << c.name;
}

TEST(CleanFormatting, StrongBlankLinesVendorAndAllStyles) {
  OptimizeOptions allStylesAndAutomatic = With(&OptimizeOptions::deleteAllStyles, &OptimizeOptions::automatic);
  const CTreeCase cases[] = {
      {"strong becomes b", With(&OptimizeOptions::strongToB), [] { return Doc(E("strong", T("x"))); }, "<b>x</b>"},
      {"strong stays", OptimizeOptions{}, [] { return Doc(E("strong", T("x"))); }, "<strong>x</strong>"},
      {"bold and italic around blanks dissolve", With(&OptimizeOptions::blankLineFormats),
       [] {
         return Doc(E("i", T("&nbsp;")), E("b", T(" &nbsp; ")), E("strong", T("")), E("i", T("&nbsp;x")),
                    E("u", T("&nbsp;")), E("b", T("&nbsp;"), T(" ")));
       },
       "&nbsp; &nbsp; <i>&nbsp;x</i><u>&nbsp;</u><b>&nbsp; </b>"},
      {"a renamed strong keeps its kind", With(&OptimizeOptions::blankLineFormats, &OptimizeOptions::strongToB),
       [] { return Doc(E("strong", T("&nbsp;"))); }, "&nbsp;"},
      {"vendor declarations go from every element", With(&OptimizeOptions::unneededFormats),
       [] {
         return Doc(E("p", T("mso-x:1")).Style("mso-margin-top-alt:auto;margin:0"), E("td").Style("mso-a:1;mso-b:2"),
                    C(" mso-c:1 --"));
       },
       "<p style=\"margin:0\">mso-x:1</p><td></td><!-- mso-c:1 -->"},
      {"all styles: bare span and div dissolve", With(&OptimizeOptions::deleteAllStyles),
       [] {
         return Doc(E("div", T("a")).Class("x").Style("y"), E("p", T("b")).Class("x"),
                    E("div", T("c")).Class("x").Rest(" id=d"), E("span", T("d")).Style("color:red"));
       },
       "a<p>b</p><div id=d>c</div>d"},
      {"all styles is ignored with automatic", allStylesAndAutomatic, [] { return Doc(E("p", T("b")).Class("x")); },
       "<p class=\"x\">b</p>"},
  };
  for (const auto& c : cases) EXPECT_EQ(RunOnTree(c, &CleanFormatting), c.expected) << c.name;
}

TEST(CleanFormatting, StyleSheetsInStyleElements) {
  const CTreeCase cases[] = {
      {"comment inside a style element", With(&OptimizeOptions::unneededFormats),
       [] {
         return Doc(
             E("style", C("\r\np.MsoNormal {mso-style-parent:\"\"; margin:0cm;}\r\n--")).Rest(" type=\"text/css\""));
       },
       "<style type=\"text/css\"><!--\r\np.MsoNormal {margin:0cm;}\r\n--></style>"},
      {"sheet written without a comment", kAuto,
       [] { return Doc(E("style", T("p {mso-x:1; color:red}")).Rest(" media=print")); },
       "<style media=print>p {color:red}</style>"},
      {"a sheet emptied to the end keeps the comment closed", kAuto,
       [] { return Doc(E("style", C(" p {x:1}\r\n@page Section1 {size:1pt --")), E("style", C(" @page {x --"))); },
       "<style><!--p {x:1}\r--></style><style><!----></style>"},
      {"comments and texts elsewhere are not sheets", kAuto,
       [] { return Doc(C(" mso-x:1; --"), E("p", T("@page x {}"))); }, "<!-- mso-x:1; --><p>@page x {}</p>"},
      {"untouched without the switch", OptimizeOptions{},
       [] { return Doc(E("style", C(" a {mso-x:1} --")).Rest(" type=x")); },
       "<style type=x><!-- a {mso-x:1} --></style>"},
  };
  for (const auto& c : cases) EXPECT_EQ(RunOnTree(c, &CleanFormatting), c.expected) << c.name;
}

}  // namespace
}  // namespace trimvale::test
