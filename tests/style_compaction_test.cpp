// Declaration lists written shorter with the same meaning, and style-sheet rules that no element
// of the page matches.
#include <gtest/gtest.h>

#include <string>

#include "engine/sheet_pruning.h"
#include "engine/style_compaction.h"

namespace trimvale {
namespace {

TEST(CompactDeclarations, SameMeaningFewerBytes) {
  struct Case {
    const char* name;
    std::string value, expected;  // expected empty: left as it is
  } cases[] = {
      {"Word's four margins", "margin-top:0cm;margin-right:0cm;margin-bottom:10.0pt;margin-left:0cm",
       "margin:0 0 10pt"},
      {"sides in any order, one pair equal", "margin-left:1in; margin-bottom:.0001pt; margin-top:6pt; margin-right:1in",
       "margin:6pt 1in 0"},
      {"a later side overrides an earlier", "margin-bottom:0in;margin-top:0;margin-right:0;margin-bottom:2pt;margin-left:0",
       "margin:0 0 2pt"},
      {"a shorthand's own sides", "padding:0pt 0pt 0pt 0pt;margin:0cm 0cm .0001pt 0cm", "padding:0;margin:0"},
      {"a side invalid in standards mode would void the shorthand", "margin-top:0;margin-right:0;margin-bottom:0;margin-left:5", ""},
      {"negative padding is invalid", "padding-top:-1pt;padding-right:0;padding-bottom:0;padding-left:0", ""},
      {"important sides stay", "padding-top:1pt !important;padding-right:0;padding-bottom:0;padding-left:0", ""},
      {"the shorthand beside its sides keeps the order", "margin:0;margin-top:1pt;margin-right:0;margin-bottom:0;margin-left:0",
       ""},
      {"numbers lose needless zeros, only zero margins their unit",
       "font:7.0pt 'Times New Roman';line-height:0pt;text-indent:-0.50in;z-index:-156",
       "font:7pt 'Times New Roman';line-height:0pt;text-indent:-.5in;z-index:-156"},
      {"margins below what browsers lay out are zero", "margin-bottom:.0001pt;padding-left:0.0009px;line-height:.0001pt",
       "margin-bottom:0;padding-left:0;line-height:.0001pt"},
      {"digits inside words and colours stay", "color:#1000F0;font-family:Font2.0", ""},
      {"strings, addresses and escapes stay", "content:'1.0pt  x';background:url(a 1.0.png);font-family:\\5B8B  1.0", ""},
      {"font names that read the same unquoted", "font-family:'Times New Roman', 'sans-serif','Wingdings 3',\"Arial\"",
       "font-family:Times New Roman,'sans-serif','Wingdings 3',Arial"},
      {"a fallback for older browsers stays", "background:red;background:linear-gradient(red,blue)", ""},
      {"not a declaration list", "color red;margin-top:1.0pt", ""},
      {"an open string", "font-family:'Arial;margin-top:1.0pt", ""},
  };
  for (auto& c : cases) {
    std::string value = c.value;
    CompactDeclarations(value, DeclarationLayout::Attribute);
    EXPECT_EQ(value, c.expected.empty() ? c.value : c.expected) << c.name;
  }
}

TEST(CompactDeclarations, SheetRuleKeepsItsLines) {
  std::string body = "\r\n\tmargin-top:0cm;\r\n\tmargin-right:0cm;\r\n\tmargin-bottom:10.0pt;\r\n\tmargin-left:0cm;\r\n"
                     "\tfont-family:\"Calibri\",\"sans-serif\";\r\n";
  CompactDeclarations(body, DeclarationLayout::SheetRule);
  EXPECT_EQ(body, "\r\n\tmargin:0 0 10pt;\r\n\tfont-family:Calibri,\"sans-serif\";\r\n");
}

TEST(RemoveUnmatchedRules, OnlySimpleSelectorsThatMatchNothing) {
  CPageSelectors page;
  page.AddElement("P", "\"MsoNormal Extra\"");
  page.AddElement("span", "");
  page.AddElement("table", "");
  struct Case {
    const char* name;
    std::string sheet, expected;  // expected empty: left as it is
  } cases[] = {
      {"unused parts of a list go", "p.MsoNormal, li.MsoNormal, div.MsoNormal\r\n\t{margin:0}",
       "p.MsoNormal\r\n\t{margin:0}"},
      {"unused rules go with the line before", "h1 {color:red}\r\n.msonormal {x:1}\r\n.MsoChpDefault\r\n\t{font-size:10pt}",
       "\r\n.msonormal {x:1}"},
      {"elements the browser adds", "body {margin:0}\ntbody {x:1}\ncolgroup {x:1}", "body {margin:0}\ntbody {x:1}"},
      {"what is not certain stays",
       "div p.x {a:1}\na:link, span.MsoHyperlink {b:1}\n#x {c:1}\np.a.b {d:1}\n.1x {e:1}\nv\\:* {behavior:url(#v)}",
       "div p.x {a:1}\na:link {b:1}\n#x {c:1}\np.a.b {d:1}\n.1x {e:1}\nv\\:* {behavior:url(#v)}"},
      {"at-rules stay whole", "@media print { h2 {color:red} }\n@import url(x.css);", ""},
      {"braces in strings", "q:before {content:\"}{\"}\nh2 {x:\"}\"}", "q:before {content:\"}{\"}"},
      {"an unclosed block stays", "h2 {color:red", ""},
  };
  for (auto& c : cases) {
    std::string sheet = c.sheet;
    RemoveUnmatchedRules(sheet, page);
    EXPECT_EQ(sheet, c.expected.empty() ? c.sheet : c.expected) << c.name;
  }
}

}  // namespace
}  // namespace trimvale
