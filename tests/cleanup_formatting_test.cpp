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

TEST(CleanFormatting, OneSweepBySwitch) {
  const OptimizeOptions allStylesAndAutomatic = With(&OptimizeOptions::deleteAllStyles, &OptimizeOptions::automatic);
  const CTreeCase cases[] = {
      {"strong renamed to b is split too", kAuto,
       [] { return Doc(E("strong", E("span", T("y")).Style("color:red;font-weight:normal"), T("z"))); },
       "<b></b><span style=\"color:red\">y</span><b>z</b>"},
      {"split at the grandparent through a sole child", kAuto,
       [] { return Doc(E("b", E("i", E("span", T("y")).Style("font-weight:normal")), T("z"))); },
       "<b></b><i><span>y</span></i><b>z</b>"},
      {"no split through a parent with more children", kAuto,
       [] { return Doc(E("b", E("i", T("w"), E("span", T("y")).Style("font-weight:normal")))); },
       "<b><i>w<span style=\"font-weight:normal\">y</span></i></b>"},
      {"formatting inside a heading goes", kAuto,
       [] { return Doc(E("h1", E("font", E("b", T("Titel"))).Rest(" size=5"))); }, "<h1>Titel</h1>"},
      {"anchors, images, breaks and scripts stay in a heading", kAuto,
       [] {
         return Doc(E("h2", E("a", T("y")).Rest(" href=x"), E("img").Void().Rest(" src=l.gif"), E("br").Void(),
                      E("script", T("f()")), C(" webbot --")));
       },
       "<h2><a href=x>y</a><img src=l.gif><br><script>f()</script><!-- webbot --></h2>"},
      {"font and colour of blanks go", kAuto,
       [] {
         return Doc(E("span", T("&nbsp;")).Style("font-size:10pt;font-family:Arial"),
                    E("span", T(" ")).Style("color:blue"), E("span", T("")).Style("font-size:1pt"),
                    E("span", T("&nbsp;x")).Style("color:blue"));
       },
       "&nbsp; <span style=\"color:blue\">&nbsp;x</span>"},
      {"spans by the alle rule", With(&OptimizeOptions::spanDelete, &OptimizeOptions::spanAll),
       [] { return Doc(E("span", T("a")).Class("x"), E("span", T("b")), E("h1", E("b", T("c")))); },
       "ab<h1><b>c</b></h1>"},
      {"bold and italic around blanks dissolve", With(&OptimizeOptions::blankLineFormats),
       [] {
         return Doc(E("i", T("&nbsp;")), E("b", T(" &nbsp; ")), E("strong", T("")), E("i", T("&nbsp;x")),
                    E("u", T("&nbsp;")), E("b", T("&nbsp;"), T(" ")));
       },
       "&nbsp; &nbsp; <i>&nbsp;x</i><u>&nbsp;</u><b>&nbsp; </b>"},
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
      {"a sheet emptied to the end keeps the comment closed", kAuto,
       [] { return Doc(E("style", C(" p {x:1}\r\n@page Section1 {size:1pt --")), E("style", C(" @page {x --"))); },
       "<style><!--p {x:1}\r--></style><style><!----></style>"},
  };
  for (const auto& c : cases) EXPECT_EQ(RunOnTree(c, &CleanFormatting), c.expected) << c.name;
}

}  // namespace
}  // namespace trimvale::test
