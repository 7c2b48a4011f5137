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
  const OptimizeOptions keepLook = With(&OptimizeOptions::automatic, &OptimizeOptions::keepLook);
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
      {"inside a heading only formatting that shows nothing goes", kAuto,
       [] {
         return Doc(E("h1", E("font", E("b", T("T"))).Rest(" size=5"), E("strong", E("font", T("u"))),
                      E("span", T("v")).Style("font-size:36pt;mso-x:1"), E("span", T("w")).Lang("EN-US"),
                      E("b", T("x")).Class("c"), E("i", T("y")), E("SPAN", T("z")).Style("mso-x:1")));
       },
       "<h1><font size=5><b>T</b></font>u<span style=\"font-size:36pt\">v</span>w<b class=\"c\">x</b><i>y</i>z</h1>"},
      {"blanks keep what shows and lose their colour", kAuto,
       [] {
         return Doc(E("span", T("&nbsp;")).Style("font:7.0pt \"Times New Roman\""),
                    E("span", T(" ")).Style("color:blue;mso-x:1"), E("span", T("")).Style("font-size:14pt"),
                    E("span", T("&nbsp;")).Style("background-color:red;color:blue"),
                    E("span", T("&nbsp;x")).Style("color:blue"));
       },
       "<span style=\"font:7pt \"Times New Roman\"\">&nbsp;</span> <span style=\"font-size:14pt\"></span>"
       "<span style=\"background-color:red\">&nbsp;</span><span style=\"color:blue\">&nbsp;x</span>"},
      {"lang stays where the text or its holder is Chinese, Japanese or Korean", kAuto,
       [] {
         return Doc(E("div", E("span", T("a")).Lang("EN-US"), E("p", E("span", T("b")).Lang("EN-US"))).Lang("ZH-TW"),
                    E("span", T("c")).Lang("ja"), E("span", T("d")).Lang("EN-US"), E("span", T("e")).Lang("kok"));
       },
       "<div lang=\"ZH-TW\"><span lang=\"EN-US\">a</span><p><span lang=\"EN-US\">b</span></p></div>"
       "<span lang=\"ja\">c</span>de"},
      {"keeping the look keeps every lang and the smart tags", keepLook,
       [] { return Doc(E("span", T("d")).Lang("EN-US"), E("st1:City", T("c"))); },
       "<span lang=\"EN-US\">d</span><st1:City>c</st1:City>"},
      {"word-processor leftovers go, what is not the word processor's stays", kAuto,
       [] {
         return Doc(E("head", E("meta").Void().Rest(" name=Generator content=x"),
                      E("link").Void().Rest(" rel=themeData href=t.thmx"), E("link").Void().Rest(" rel=stylesheet href=s"),
                      E("style", C("\r\n/* Font */\r\np.MsoNormal {margin:0;tab-stops:1in}\r\n"
                                   "span.SpellE {mso-spl-e:yes}\r\n.x {color:red}\r\n--"))),
                    E("p", E("span", T("a")).Class("SpellE"), E("span", T("b")).Class("x SpellE"), E("st1:City", T("c")),
                      E("svg", E("st1:x", T("d"))))
                        .Class("MsoNormal")
                        .Style("margin-bottom:0in;margin-bottom:2pt"));
       },
       "<head><link rel=stylesheet href=s><style>p.MsoNormal {margin:0}\r\n.x {color:red}\r\n</style></head>"
       "<p class=\"MsoNormal\" style=\"margin-bottom:2pt\">a<span class=\"x\">b</span>c<svg><st1:x>d</st1:x></svg></p>"},
      {"what only the word processor reads or the style overrides goes, not in a drawing", kAuto,
       [] {
         return Doc(E("img").Void().Rest(" src=a.gif v:shapes=\"_x0000_i1025\" o:title=\"\" xmlns:o=u"),
                    E("td", E("p", T("a")).Style("text-align:center").Rest(" align=center"))
                        .Style("width:204.75pt")
                        .Rest(" WIDTH=341 valign=top height=9"),
                    E("td").Style("width:341").Rest(" width=341"),
                    E("svg", E("use").Void().Rest(" xlink:href=#a o:x=b")), E("button", T("b")).Rest(" v-on:click=f"));
       },
       "<img src=a.gif xmlns:o=u><td valign=top height=9 style=\"width:204.75pt\"><p style=\"text-align:center\">a</p>"
       "</td><td width=341 style=\"width:341\"></td><svg><use xlink:href=#a o:x=b></svg><button v-on:click=f>b</button>"},
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
      {"a sheet emptied to the end leaves no comment end behind", kAuto,
       [] { return Doc(E("style", C(" p {x:1}\r\n@page Section1 {size:1pt --")), E("style", C(" @page {x --"))); },
       "<style>p {x:1}\r</style><style></style>"},
  };
  for (const auto& c : cases) EXPECT_EQ(RunOnTree(c, &CleanFormatting), c.expected) << c.name;
}

}  // namespace
}  // namespace trimvale::test
