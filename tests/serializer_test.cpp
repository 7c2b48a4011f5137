#include "engine/serializer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>

#include "tests/cleanup_test_tree.h"

namespace trimvale::test {
namespace {

constexpr std::uint8_t kTree = kTreeLayoutBits;

std::string Rep(char c, int n) { return std::string(static_cast<std::size_t>(n), c); }

CLayoutSettings Layout(int mode, bool wrap, int width = 70, std::string indent = "  ") {
  CLayoutSettings layout;
  layout.mode = mode;
  layout.wrap = wrap;
  layout.width = width;
  layout.indentUnit = std::move(indent);
  return layout;
}

struct CWritten {
  std::string text;
  bool completed = true;
  std::int32_t lineStart = 0;
};

// Runs the serializer over the root's children as the optimization run does.
CWritten Write(const CHtmlNode& root, const CLayoutSettings& layout) {
  CRunConfig config;
  config.layout = layout;
  CNullSink sink;
  std::atomic<bool> cancel{false};
  CRunContext ctx(config, sink, cancel);
  ctx.lineStart = 0;
  CWritten result;
  for (CHtmlNode* top = root.children.front(); top && result.completed; top = top->NextSibling()) {
    result.completed = SerializeNode(ctx, *top, result.text, 0);
  }
  result.lineStart = ctx.lineStart;
  return result;
}

struct CTreeRow {
  const char* name;
  std::function<std::unique_ptr<CHtmlNode>()> tree;
  std::string expected;
  bool completed = true;
};

void ExpectRows(const std::vector<CTreeRow>& rows, const CLayoutSettings& layout) {
  for (const CTreeRow& row : rows) {
    const CWritten got = Write(*row.tree(), layout);
    EXPECT_EQ(got.text, row.expected) << row.name;
    EXPECT_EQ(got.completed, row.completed) << row.name;
  }
}

TEST(Serializer, LayoutBitsBreaksCommentsAndAttributes) {
  ExpectRows(
      {
          {"break before the tag", [] { return Doc(T("a"), E("p", T("x")).Layout(0x80)); }, "a\r\n<p>x</p>"},
          {"an end tag at a line start is indented at the element's level",
           [] { return Doc(E("div", E("ul", E("br").Void().Layout(0x20)).Layout(0x30)).Layout(0x30)); },
           "<div>\r\n  <ul>\r\n    <br>\r\n  </ul></div>"},
          {"no end tag: neither children nor end tag nor the breaks after it",
           [] { return Doc(E("br", T("lost")).Void().Layout(0x23), T("y")); }, "<br>\r\ny"},
          {"downlevel-hidden conditional comment",
           [] { return Doc(E("!--[if", T("x")).Rest(" gte mso 9]").Layout(0x0F), T("y")); },
           "<!--[if gte mso 9]>x\r\n\r\n<![endif]-->y"},
          {"plaintext breaks whatever its bits and ends the output",
           [] { return Doc(T("a"), E("plaintext").Rest("raw <p>"), T("never")); }, "a\r\n<plaintext>raw <p>", false},
          {"attributes in a fixed order before the rest of the tag",
           [] { return Doc(E("p").Void().Rest(" align=center").Class("MsoNormal").Style("margin:0").Lang("DE")); },
           "<p class=MsoNormal style=\"margin:0\" lang=\"DE\" align=center>"},
          // A double quote inside a value must not end the attribute early.
          {"double quote inside a value", [] { return Doc(E("p").Void().Style("font-family:\"Arial\"")); },
           "<p style=\"font-family:&quot;Arial&quot;\">"},
          {"comment pulled back onto the previous line",
           [] { return Doc(E("p", T("x")).Layout(0x01), C(" c --"), T("y")); }, "<p>x</p><!-- c -->y"},
          {"a lone line feed is taken back without the character before it", [] { return Doc(T("a\n"), C("--")); },
           "a<!---->"},
      },
      Layout(kLayoutStandard, false));
}

// One-line mode folds comments, but not one that holds a script's code.
TEST(Serializer, OneLineModeFoldsCommentsOutsideScripts) {
  auto root = Doc(E("script", C("\r\nfunction f() {}\r\n//--").Layout(0x81)), C(" a \r\n b --").Layout(0x81));
  EXPECT_EQ(Write(*root, Layout(kLayoutOneLine, true)).text,
            "<script><!--\r\nfunction f() {}\r\n//--></script><!-- a b -->");
}

// A sheet's own lines are wrapped each from its start: short lines get no break, however long
// the sheet.
TEST(Serializer, StyleSheetsBreakOutsideQuotedStringsAndWithinTheirLines) {
  const std::string sheet = "p:before {content: \"eins zwei drei vier\"} q {font-family:'Times New Roman'}";
  auto root = Doc(E("style", T(sheet)), E("style", T("p\r\n  {margin:0 0 10pt;\r\n  color:red}\r\n  h1 {x:1}")));
  EXPECT_EQ(Write(*root, Layout(kLayoutStandard, true, 20)).text,
            "<style>\r\np:before {content:\r\n\"eins zwei drei vier\"}\r\nq {font-family:'Times New Roman'}</style>\r\n"
            "<style>p\r\n  {margin:0 0 10pt;\r\n  color:red}\r\n  h1 {x:1}</style>");
}

// AppendWrapped behind an existing output whose mark stands after its last line feed.
struct CWrapRow {
  const char* name;
  int width;
  std::string prefix;
  std::string text;
  std::string expected;  // what follows the prefix
  std::string indent = "  ";
  int level = 0;
  bool wrap = true;
  int mode = kLayoutStandard;
};

std::string Wrap(const CWrapRow& row) {
  CRunConfig config;
  config.layout = Layout(row.mode, row.wrap, row.width, row.indent);
  CNullSink sink;
  std::atomic<bool> cancel{false};
  CRunContext ctx(config, sink, cancel);
  const std::size_t lf = row.prefix.rfind('\n');
  ctx.lineStart = lf == std::string::npos ? 0 : static_cast<std::int32_t>(lf + 1);
  std::string out = row.prefix;
  AppendWrapped(ctx, out, row.text, row.level);
  return out;
}

TEST(Serializer, WrappingAtTheLineWidth) {
  const std::string a17 = Rep('a', 17), c20 = Rep('c', 20);
  const std::vector<CWrapRow> rows = {
      {"a space followed by 20 characters is", 20, "", Rep('a', 25) + " " + Rep('b', 20),
       Rep('a', 25) + "\r\n" + Rep('b', 20)},
      {"the nearer earlier candidate wins; wrapped lines are indented", 20, "", a17 + " bbbbbb " + c20,
       a17 + "\r\n    bbbbbb " + c20, "  ", 2},
      {"the start of the text is no candidate when the text began the line", 70, Rep('x', 55),
       Rep('a', 150) + " " + Rep('b', 20), "\r\n" + Rep('a', 150) + "\r\n" + Rep('b', 20)},
      {"a short text at exactly the width goes to the next line", 70, Rep('x', 70), "tail", "\r\n  tail", "  ", 1},
  };
  for (const CWrapRow& row : rows) EXPECT_EQ(Wrap(row), row.prefix + row.expected) << row.name;
}

TEST(Serializer, WrappingIsLinearInTheTextLength) {
  std::string text;
  for (int i = 0; i < 2'000'000; ++i) text += "word ";
  text += Rep('z', 3'000'000) + " " + Rep('y', 30);
  const std::string out = Wrap({"", 70, "", text, ""});
  EXPECT_GT(out.size(), text.size());
  EXPECT_EQ(out.substr(out.size() - 32), "\r\n" + Rep('y', 30));
}

// Whatever the layout bits say, script, pre and textarea content reaches the page unchanged;
// only the breaks before and after these elements follow the bits.
TEST(Serializer, ContentOfScriptPreAndTextareaIsWrittenAsItStands) {
  const std::string longLine = "  a  long line that would be wrapped somewhere else  ";
  ExpectRows(
      {
          {"pre: no wrapping, no breaks, no indentation inside",
           [&] {
             return Doc(
                 T("before"),
                 E("pre", T(longLine), E("b", T("bold")).Layout(kTree), C(" c --").Layout(0x81), T("\r\n  end  "))
                     .Layout(kTree),
                 T("after"));
           },
           "before\r\n<pre>" + longLine + "<b>bold</b><!-- c -->\r\n  end  </pre>\r\nafter"},
          {"plaintext inside still ends the output, without a break",
           [] { return Doc(E("textarea", T("a"), E("plaintext").Rest("raw").Layout(0x80))); },
           "<textarea>a<plaintext>raw", false},
      },
      Layout(kLayoutStandard, true, 20));
}

// Site builders set white-space:pre on paragraphs that hold only a <br>: one added break would
// show as a second empty line. Whether an element's own style keeps white space decides it.
TEST(Serializer, ElementWhoseStyleKeepsWhiteSpaceIsWrittenAsItStands) {
  const std::pair<const char*, bool> rows[] = {
      {"color:red; WHITE-SPACE : Pre-Wrap", true}, {"white-space: break-spaces", true},
      {"-webkit-white-space:pre", true},           {"white-space:nowrap", false},
      {"white-space-collapse:preserve", false},    {"font-family:pre", false},
  };
  for (const auto& [style, kept] : rows) {
    auto root =
        Doc(E("div", E("p", E("br").Void().Layout(0x20), E("span", T("x")).Layout(kTree)).Layout(kTree).Style(style))
                .Layout(kTree));
    const std::string text = Write(*root, Layout(kLayoutStandard, true)).text;
    const std::size_t start = text.find("<br>");
    const std::size_t end = text.find("</p>");
    ASSERT_TRUE(start != std::string::npos && end != std::string::npos) << style;
    const std::string inside = text.substr(start, end - start);
    EXPECT_EQ(inside == "<br><span>x</span>", kept) << style << ": " << inside;
    EXPECT_NE(text.find("\r\n  <p"), std::string::npos) << "the breaks around the element follow its bits";
  }
}

CHtmlNode& Add(CHtmlNode& parent, CNodeBuilder node) {
  CHtmlNode* added = parent.children.PushBack(std::move(node).Take());
  added->parent = &parent;
  return *added;
}

TEST(Serializer, ManyCommentsPulledBackOntoOneLineStayLinear) {
  auto root = Doc();
  for (int i = 0; i < 200'000; ++i) {
    Add(*root, E("br").Void().Layout(0x20));
    Add(*root, C("--"));
  }
  const CWritten got = Write(*root, Layout(kLayoutStandard, false));
  EXPECT_EQ(got.text.size(), 200'000u * 11);
  EXPECT_EQ(got.text.find('\n'), std::string::npos);
}

TEST(Serializer, MillionLevelsDeep) {
  constexpr int kCount = 1'000'000;
  auto deep = Doc();
  CHtmlNode* cur = deep.get();
  for (int i = 0; i < kCount; ++i) cur = &Add(*cur, E("b").Layout(0x30));
  Add(*cur, T("x"));
  // Indentation stops growing at level 64: the output grows with the depth, not its square.
  std::string expected;
  for (int i = 0; i < kCount; ++i) expected += Rep(' ', 2 * std::min(i, 64)) + "<b>\r\n";
  expected += Rep(' ', 2 * 64) + "x";
  for (int i = 0; i < kCount; ++i) expected += "</b>";
  EXPECT_EQ(Write(*deep, Layout(kLayoutStandard, false)).text, expected);
}

// Wrapping must never add white space where the page had none between words and inline tags:
// a line break there renders as a space. At block edges and next to blanks it may break.
TEST(Serializer, WrappingBreaksOnlyWhereWhiteSpaceDoesNotShow) {
  const std::string word = Rep('w', 60);
  const std::string longText = "abcdefghij klmnopqrst uvwxyz0123";
  ExpectRows(
      {
          {"text glued to an inline end tag stays on the line",
           [&] { return Doc(E("p", E("b", T(word)), T(longText))); },
           "<p><b>" + word + "</b>abcdefghij\r\nklmnopqrst uvwxyz0123</p>"},
          // The only space outside the quoted value comes before the limit: no break at all.
          {"inline start tag glued to a word stays on the line",
           [&] { return Doc(E("p", T(word), E("i", T("x")).Rest(" title=\"ein langer Titel der nicht passt\""))); },
           "<p>" + word + "<i title=\"ein langer Titel der nicht passt\">x</i></p>"},
      },
      Layout(kLayoutStandard, true));
}

TEST(Serializer, WrappingNeverBreaksInsideAQuotedAttributeValue) {
  auto root = Doc(E("p", T(Rep('w', 50)),
                    E("span", T("x"))
                        .Rest(" title='a b c d e f g h' data-x=\"1 2 3\" id=q")
                        .Style("font-family:'Times New Roman',serif; color:red")));
  const std::string out = Write(*root, Layout(kLayoutStandard, true, 20)).text;
  for (const char* quoted : {"'Times New Roman'", "'a b c d e f g h'", "\"1 2 3\""}) {
    EXPECT_NE(out.find(quoted), std::string::npos) << out;
  }
  EXPECT_NE(out.find("\r\n"), std::string::npos) << "the tag still breaks between attributes: " << out;
}

}  // namespace
}  // namespace trimvale::test
