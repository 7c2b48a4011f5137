// Declaration removal and style-sheet cleaning.
#include "engine/style_cleaning.h"

#include <gtest/gtest.h>

#include <string>

namespace trimvale {
namespace {

TEST(RemoveDeclarationsIf, WholeNamesOnly) {
  struct Case {
    std::string value;
    std::string_view name;  // ends with "-": a prefix
    std::string expected;
  } cases[] = {
      {"mso-a:1; MSO-B:2; color:red", "mso-", "color:red"},
      {"color:red; mso-x:1", "mso-", "color:red"},
      {"margin:0;mso-x:1;", "mso-", "margin:0;"},
      {"background-color:red; color:blue", "color", "background-color:red"},
      {"x-mso-a:1;font-family:\"a;mso-b:1\";background:url(x;mso-c:1)", "mso-", ""},
  };
  for (auto& c : cases) {
    std::string value = c.value;
    RemoveDeclarationsIf(value, [&](std::string_view property, std::string_view) {
      return c.name.ends_with('-') ? HasPropertyPrefix(property, c.name) : property == c.name;
    });
    EXPECT_EQ(value, c.expected.empty() ? c.value : c.expected) << c.value;
  }
}

TEST(RemoveWordOnlyRules, EmptiedRulesAndTheirClasses) {
  std::string sheet =
      "/* a */p {tab-stops:1in;color:red}\r\nspan.GramE {}\r\n@media print {.x {page:a}\r\n.y {color:blue}}\n"
      "b {page:x}\rq:before {content:\"}{\";mso-x:1}";
  CSheetClasses classes;
  RemoveWordOnlyRules(sheet, classes);
  EXPECT_EQ(sheet, "p {color:red}\r\n@media print {\r\n.y {color:blue}}\rq:before {content:\"}{\"}");
  EXPECT_TRUE(classes.IsEmptied("grame"));
  EXPECT_FALSE(classes.IsEmptied("Y"));
}

TEST(RemoveOverriddenDeclarations, TheLastOrTheImportantWins) {
  struct Case {
    std::string value, expected;
  } cases[] = {
      {"margin-bottom:0in;Margin-Bottom:.0001pt", "Margin-Bottom:.0001pt"},
      {"color:red !important;color:blue", "color:red !important;color:blue"},
      {"color:red;color:blue ! IMPORTANT", "color:blue ! IMPORTANT"},
  };
  for (auto& c : cases) {
    std::string value = c.value;
    RemoveOverriddenDeclarations(value);
    EXPECT_EQ(value, c.expected) << c.value;
  }
}

TEST(CleanStyleSheet, Examples) {
  struct Case {
    const char* name;
    std::string text;
    StyleSheetHolder holder;
    std::string expected;
  } cases[] = {
      {"font face loses panose, then goes whole", "@font-face {font-family:Wingdings; panose-1:5 0 0 0 0 0 0 0 0 0;}",
       StyleSheetHolder::Text, ""},
      {"a line of its own goes with its line break", "p\r\n\t{margin:0;\r\n\tmso-pagination:none;\r\n\tcolor:red;}",
       StyleSheetHolder::Text, "p\r\n\t{margin:0;\r\n\tcolor:red;}"},
      {"... a line feed too", "p\n{margin:0;\n\tmso-x:1;\n\tcolor:red;}", StyleSheetHolder::Text, "p\n{margin:0;\n\tcolor:red;}"},
      {"a last declaration keeps the closing brace", "p {margin:0; mso-x:y}\r\ndiv {color:red}", StyleSheetHolder::Text,
       "p {margin:0;}\r\ndiv {color:red}"},
      {"page and list blocks", "@page Section1 {size:595pt;}\r\ndiv.Section1 {page:Section1;}\r\n@list l0 {x:1}",
       StyleSheetHolder::Text, "\r\ndiv.Section1 {page:Section1;}\r\n"},
      {"a block without end runs to the end", "a {x:1}\r\n@list l0 {y:1", StyleSheetHolder::Text, "a {x:1}\r"},
      {"a comment keeps its closing dashes", "\r\np {mso-x:1\r\n--", StyleSheetHolder::Comment, "\r\np--"},
  };
  for (auto& c : cases) {
    std::string text = c.text;
    CleanStyleSheet(text, c.holder);
    EXPECT_EQ(text, c.expected) << c.name;
  }
}

}  // namespace
}  // namespace trimvale
