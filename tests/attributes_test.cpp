#include "engine/attributes.h"

#include <gtest/gtest.h>

#include <atomic>

#include "engine/output_sink.h"

namespace trimvale {
namespace {

struct CExtracted {
  std::string cssClass, style, lang, text, messages;
  int level;
};

CExtracted Extract(const std::string& tagName, const std::string& rest) {
  CRunConfig config;
  CStringSink sink;
  std::atomic<bool> cancel{false};
  CRunContext ctx(config, sink, cancel);
  CHtmlNode node;
  node.name = tagName;
  node.text = rest;
  EXPECT_EQ(ExtractAttributes(ctx, node, 0), 1);
  return {node.CssClass(), node.Style(), node.Lang(), node.text.str(), sink.Text(), ctx.errorLevel};
}

TEST(Attributes, TakesClassStyleAndLangOutOfTheTagRest) {
  struct Row {
    const char* name;
    const char* rest;
    const char* cssClass;
    const char* style;
    const char* lang;
    const char* text;
  } rows[] = {
      {"bare and single-quoted", " class=MsoNormal style='margin:0'", "MsoNormal", "margin:0", "", ""},
      {"double quotes become single", " style='font-family:\"Arial\"'", "", "font-family:'Arial'", "", ""},
      {"other attributes stay in place", " align=center class=x lang=EN-US id=y", "x", "", "EN-US",
       " align=center id=y"},
      {"name inside a value is no name", " title=\"a class b\" class=x", "x", "", "", " title=\"a class b\""},
      {"unclosed quote runs to the end", " class=\"a b", "a b", "", "", ""},
      {"equals sign at the end gives an empty value", " id=1 class=", "", "", "", " id=1"},
      {"names compare letter case", " CLASS=x Style=y", "", "", "", " CLASS=x Style=y"},
      {"name without value is passed over", " class nowrap class=k", "k", "", "", " class nowrap"},
  };
  for (const auto& row : rows) {
    const CExtracted got = Extract("p", row.rest);
    EXPECT_EQ(got.cssClass, row.cssClass) << row.name;
    EXPECT_EQ(got.style, row.style) << row.name;
    EXPECT_EQ(got.lang, row.lang) << row.name;
    EXPECT_EQ(got.text, row.text) << row.name;
    EXPECT_EQ(got.messages + std::to_string(got.level), "0") << row.name;
  }
}

// The name without "=" is reported in the parser's message table; here the other warning.
TEST(Attributes, EqualsSignFollowedOnlyByBlanksIsReportedAndLeft) {
  const CExtracted got = Extract("td", " style=  ");
  EXPECT_EQ(got.messages, "HTML Warnung: bei td, Argument style folgt kein Eintrag (Tagende erreicht).\r\n");
  EXPECT_EQ(got.text + "|" + got.style + "|" + std::to_string(got.level), " style=  ||1");
}

}  // namespace
}  // namespace trimvale
