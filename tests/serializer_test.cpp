#include "engine/serializer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <random>
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
CWritten Write(const CHtmlNode& root, const CLayoutSettings& layout, bool cancelled = false) {
  CRunConfig config;
  config.layout = layout;
  CNullSink sink;
  std::atomic<bool> cancel{cancelled};
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

TEST(Serializer, LayoutBitsPlaceBreaksAndIndentation) {
  ExpectRows(
      {
          {"break before the tag", [] { return Doc(T("a"), E("p", T("x")).Layout(0x80)); }, "a\r\n<p>x</p>"},
          {"no break before the first tag of the output", [] { return Doc(E("p", T("x")).Layout(0x80)); }, "<p>x</p>"},
          {"no second break before at a line start",
           [] { return Doc(E("br").Void().Layout(0x20), E("p", T("x")).Layout(0x80)); }, "<br>\r\n<p>x</p>"},
          {"one break after the start tag", [] { return Doc(E("p", T("x")).Layout(0x20)); }, "<p>\r\nx</p>"},
          {"two breaks after the start tag", [] { return Doc(E("p", T("x")).Layout(0x60)); }, "<p>\r\n\r\nx</p>"},
          {"second break after the start tag alone adds nothing", [] { return Doc(E("p", T("x")).Layout(0x40)); },
           "<p>x</p>"},
          {"children one level deeper", [] { return Doc(E("ul", T("x")).Layout(0x34)); }, "<ul>\r\n  x\r\n</ul>"},
          {"children at the same level without the indent bit", [] { return Doc(E("ul", T("x")).Layout(0x24)); },
           "<ul>\r\nx\r\n</ul>"},
          {"indentation accumulates", [] { return Doc(E("div", E("div", T("x")).Layout(0x34)).Layout(0x34)); },
           "<div>\r\n  <div>\r\n    x\r\n  </div>\r\n</div>"},
          {"two breaks before the end tag", [] { return Doc(E("p", T("x")).Layout(0x0C)); }, "<p>x\r\n\r\n</p>"},
          {"second break before the end tag alone adds nothing mid-line",
           [] { return Doc(E("p", T("x")).Layout(0x08)); }, "<p>x</p>"},
          {"at a line start the second break before the end tag adds one",
           [] { return Doc(E("p", E("br").Void().Layout(0x20)).Layout(0x28)); }, "<p>\r\n<br>\r\n\r\n</p>"},
          {"an end tag at a line start is indented at the element's level",
           [] { return Doc(E("div", E("ul", E("br").Void().Layout(0x20)).Layout(0x30)).Layout(0x30)); },
           "<div>\r\n  <ul>\r\n    <br>\r\n  </ul></div>"},
          {"one break after the end tag", [] { return Doc(E("p", T("x")).Layout(0x01), T("y")); }, "<p>x</p>\r\ny"},
          {"two breaks after the end tag", [] { return Doc(E("p", T("x")).Layout(0x03), T("y")); },
           "<p>x</p>\r\n\r\ny"},
          {"second break after the end tag alone adds nothing", [] { return Doc(E("p", T("x")).Layout(0x02), T("y")); },
           "<p>x</p>y"},
          {"no end tag: neither children nor end tag nor the breaks after it",
           [] { return Doc(E("br", T("lost")).Void().Layout(0x23), T("y")); }, "<br>\r\ny"},
          {"optional end tag is written", [] { return Doc(E("li", T("x")).EndTag(kEndTagOptional)); }, "<li>x</li>"},
          {"downlevel-hidden conditional comment",
           [] { return Doc(E("!--[if", T("x")).Rest(" gte mso 9]").Layout(0x0F), T("y")); },
           "<!--[if gte mso 9]>x\r\n\r\n<![endif]-->y"},
          {"downlevel-revealed conditional section",
           [] { return Doc(E("![if", T("x")).Rest(" !supportLists]").Layout(0x03), T("y")); },
           "<![if !supportLists]>x<![endif]>y"},
          {"xmp content raw, breaks after it",
           [] { return Doc(T("a"), E("xmp").Rest("a  <b>\r\n  c").Layout(0x83), T("y")); },
           "a\r\n<xmp>a  <b>\r\n  c</xmp>\r\n\r\ny"},
          {"plaintext breaks whatever its bits and ends the output",
           [] { return Doc(T("a"), E("plaintext").Rest("raw <p>"), T("never")); }, "a\r\n<plaintext>raw <p>", false},
          {"plaintext inside an element leaves the element open",
           [] { return Doc(E("div", T("x"), E("plaintext").Rest("raw"), T("never")).Layout(0x35)); },
           "<div>\r\n  x\r\n  <plaintext>raw", false},
          {"plaintext as the first node", [] { return Doc(E("plaintext").Rest("raw").Layout(0x80)); }, "<plaintext>raw",
           false},
      },
      Layout(kLayoutStandard, false));
}

TEST(Serializer, IndentationKinds) {
  const std::pair<std::string, std::string> rows[] = {
      {"  ", "<ul>\r\n  <li>\r\n    a\r\n  </li>\r\n  <li>\r\n    b\r\n  </li>\r\n</ul>\r\n"},
      {MakeIndentUnit(0, 4), "<ul>\r\n\t<li>\r\n\t\ta\r\n\t</li>\r\n\t<li>\r\n\t\tb\r\n\t</li>\r\n</ul>\r\n"},
      {MakeIndentUnit(1, 3), "<ul>\r\n   <li>\r\n      a\r\n   </li>\r\n   <li>\r\n      b\r\n   </li>\r\n</ul>\r\n"},
      {MakeIndentUnit(2, 4), "<ul>\r\n<li>\r\na\r\n</li>\r\n<li>\r\nb\r\n</li>\r\n</ul>\r\n"},
  };
  for (const auto& [unit, expected] : rows) {
    auto root = Doc(
        E("ul", E("li", T("a")).Layout(kTree).EndTag(kEndTagOptional), E("li", T("b")).Layout(kTree)).Layout(kTree));
    EXPECT_EQ(Write(*root, Layout(kLayoutTree, true, 70, unit)).text, expected) << "[" << unit << "]";
  }
}

TEST(Serializer, AttributesInFixedOrderBeforeTheRest) {
  struct Row {
    std::string cssClass, style, lang, rest;
    std::string expected;
  } rows[] = {
      {"MsoNormal", "margin:0", "DE", " align=center",
       "<p class=MsoNormal style=\"margin:0\" lang=\"DE\" align=center>"},
      {"", "", "", " id=x", "<p id=x>"},
      {"", "", "EN-US", "", "<p lang=\"EN-US\">"},
      {"Mso Normal", "", "", "", "<p class=\"Mso Normal\">"},
      {"'a b'", "", "", "", "<p class='a b'>"},
      // A double quote inside a value must not end the attribute early.
      {"", "font-family:\"Arial\"", "", "", "<p style=\"font-family:&quot;Arial&quot;\">"},
      {"", "", "de\" onclick=x", "", "<p lang=\"de&quot; onclick=x\">"},
  };
  for (const Row& row : rows) {
    auto root = Doc(E("p").Void().Rest(row.rest));
    CHtmlNode& p = *root->children.front();
    p.cssClass = row.cssClass;
    p.style = row.style;
    p.lang = row.lang;
    EXPECT_EQ(Write(*root, Layout(kLayoutStandard, true)).text, row.expected);
  }
}

TEST(Serializer, Comments) {
  ExpectRows(
      {
          {"break before when not at a line start", [] { return Doc(T("x"), C(" c --").Layout(0x80)); },
           "x\r\n<!-- c -->"},
          {"no second break at a line start", [] { return Doc(E("br").Void().Layout(0x20), C(" c --").Layout(0x80)); },
           "<br>\r\n<!-- c -->"},
          {"pulled back onto the previous line", [] { return Doc(E("p", T("x")).Layout(0x01), C(" c --"), T("y")); },
           "<p>x</p><!-- c -->y"},
          {"break after", [] { return Doc(C(" c --").Layout(0x01), T("y")); }, "<!-- c -->\r\ny"},
          {"never indented",
           [] { return Doc(E("ul", E("br").Void().Layout(0x20), C(" c --").Layout(0x81)).Layout(0x34)); },
           "<ul>\r\n  <br>\r\n<!-- c -->\r\n</ul>"},
          {"line breaks inside are kept", [] { return Doc(C(" a \r\n b --")); }, "<!-- a \r\n b -->"},
          {"a lone line feed is taken back without the character before it", [] { return Doc(T("a\n"), C("--")); },
           "a<!---->"},
      },
      Layout(kLayoutStandard, false));
}

TEST(Serializer, ModesDifferInCommentsAndWrapping) {
  auto root =
      Doc(T("one two three four five six seven eight nine ten"), C(" a \r\n  b\r\nc --").Layout(0x81), T("end"));
  const std::string wrapped = "one two three four\r\nfive six seven eight nine ten\r\n<!-- a \r\n  b\r\nc -->\r\nend";
  struct Row {
    int mode;
    bool wrap;
    std::string expected;
  } rows[] = {
      {kLayoutStandard, true, wrapped},
      {kLayoutOneLine, true, "one two three four five six seven eight nine ten<!-- a b c -->end"},
      {kLayoutTree, true, wrapped},
      {kLayoutUserProfile, true, wrapped},
      {kLayoutStandard, false, "one two three four five six seven eight nine ten\r\n<!-- a \r\n  b\r\nc -->\r\nend"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Write(*root, Layout(row.mode, row.wrap, 20)).text, row.expected) << row.mode << row.wrap;
  }
  // One-line mode folds comments, but not one that holds a script's code.
  auto script = Doc(E("script", C("\r\nfunction f() {}\r\n//--").Layout(0x81)), C(" a \r\n b --").Layout(0x81));
  EXPECT_EQ(Write(*script, Layout(kLayoutOneLine, true)).text,
            "<script><!--\r\nfunction f() {}\r\n//--></script><!-- a b -->");
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

std::string Wrap(const CWrapRow& row, std::int32_t* lineStart = nullptr) {
  CRunConfig config;
  config.layout = Layout(row.mode, row.wrap, row.width, row.indent);
  CNullSink sink;
  std::atomic<bool> cancel{false};
  CRunContext ctx(config, sink, cancel);
  const std::size_t lf = row.prefix.rfind('\n');
  ctx.lineStart = lf == std::string::npos ? 0 : static_cast<std::int32_t>(lf + 1);
  std::string out = row.prefix;
  AppendWrapped(ctx, out, row.text, row.level);
  if (lineStart) *lineStart = ctx.lineStart;
  return out;
}

TEST(Serializer, WrappingAtTheLineWidth) {
  const std::string a17 = Rep('a', 17), c20 = Rep('c', 20);
  const std::string ten = "one two three four five six seven eight nine ten";
  const std::vector<CWrapRow> rows = {
      {"a space followed by 19 characters is no break point", 20, "", Rep('a', 25) + " " + Rep('b', 19),
       Rep('a', 25) + " " + Rep('b', 19)},
      {"a space followed by 20 characters is", 20, "", Rep('a', 25) + " " + Rep('b', 20),
       Rep('a', 25) + "\r\n" + Rep('b', 20)},
      {"ties go to the later candidate", 20, "", Rep('a', 18) + " bbb " + c20, Rep('a', 18) + " bbb\r\n" + c20},
      {"the nearer earlier candidate wins; wrapped lines are indented", 20, "", a17 + " bbbbbb " + c20,
       a17 + "\r\n    bbbbbb " + c20, "  ", 2},
      {"tabs are no break points", 20, "", a17 + "\tbbbbbb\t" + c20, a17 + "\tbbbbbb\t" + c20},
      {"a long text starts its own line when fewer than 20 columns are left", 70, Rep('x', 55),
       "hello world how are you, friend", "\r\n  hello world how are you, friend", "  ", 1},
      {"at exactly W - 20 columns the text stays on the line", 70, Rep('x', 50), "hello world how are you!!",
       "hello world how are you!!"},
      {"the start of the text is the earlier candidate when the line began before it", 70, Rep('x', 45),
       Rep('a', 55) + " " + Rep('b', 20), "\r\n" + Rep('a', 55) + " " + Rep('b', 20)},
      {"the start of the text is no candidate when the text began the line", 70, Rep('x', 55),
       Rep('a', 150) + " " + Rep('b', 20), "\r\n" + Rep('a', 150) + "\r\n" + Rep('b', 20)},
      {"skipped spaces count towards the next line", 20, "",
       Rep('a', 19) + "   " + Rep('b', 10) + " " + Rep('c', 8) + " " + Rep('d', 20),
       Rep('a', 19) + " \r\n" + Rep('b', 10) + " " + Rep('c', 8) + "\r\n" + Rep('d', 20)},
      {"a short text at exactly the width goes to the next line", 70, Rep('x', 70), "tail", "\r\n  tail", "  ", 1},
      {"a short text one column before the width stays", 70, Rep('x', 69), "tail", "tail"},
      {"a short text that overruns stays on the line", 70, Rep('x', 60), "0123456789 abcdefghi",
       "0123456789 abcdefghi"},
      {"leading spaces dropped after a space", 70, "abc ", "   def", "def"},
      {"leading spaces dropped after a line feed", 70, "abc\r\n", "  def", "def"},
      {"leading spaces kept after other characters", 70, "abc", "  def", "  def"},
      {"leading spaces dropped after indentation of spaces", 70, Rep('x', 55), "  " + Rep('e', 25),
       "\r\n  " + Rep('e', 25), "  ", 1},
      {"leading spaces kept after a tab", 70, Rep('x', 55), "  " + Rep('e', 25), "\r\n\t  " + Rep('e', 25), "\t", 1},
      {"a text beginning with CR starts at column 0", 70, Rep('x', 60), "\r" + Rep('f', 29), "\r" + Rep('f', 29)},
      {"wrapping off", 20, Rep('x', 60), ten, ten, "  ", 0, false},
      {"one line mode never wraps", 20, Rep('x', 60), ten, ten, "  ", 0, true, kLayoutOneLine},
      {"empty text", 20, Rep('x', 60), "", ""},
  };
  for (const CWrapRow& row : rows) EXPECT_EQ(Wrap(row), row.prefix + row.expected) << row.name;
}

// Whatever the width, wrapping ends, breaks only where a space or the text's start was, keeps
// every other character in order, and leaves the mark after the last line feed.
TEST(Serializer, WrappingKeepsTheTextForAnyWidth) {
  auto collapse = [](const std::string& s) {
    std::string out;
    for (char c : s) {
      if (c != ' ' && c != '\r' && c != '\n' && c != '\t') {
        out += c;
      } else if (!out.empty() && out.back() != ' ') {
        out += ' ';
      }
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
  };
  std::mt19937 rng(7);
  for (int round = 0; round < 3000; ++round) {
    CWrapRow row{"", 0, "", "", ""};
    row.width = std::vector<int>{1, 2, 5, 19, 20, 21, 70}[rng() % 7];
    row.prefix = Rep('p', static_cast<int>(rng() % 90));
    const int length = static_cast<int>(rng() % 300);
    for (int i = 0; i < length; ++i) row.text += "ab  b"[rng() % 5];
    row.indent = std::vector<std::string>{"", "  ", "\t"}[rng() % 3];
    row.level = static_cast<int>(rng() % 4);
    std::int32_t mark = -1;
    const std::string out = Wrap(row, &mark);
    ASSERT_EQ(out.compare(0, row.prefix.size(), row.prefix), 0);
    EXPECT_EQ(collapse(out.substr(row.prefix.size())), collapse(row.text)) << row.width << " " << row.text;
    const std::size_t lf = out.rfind('\n');
    EXPECT_EQ(mark, lf == std::string::npos ? 0 : static_cast<std::int32_t>(lf + 1));
  }
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
          {"script inside an indented block",
           [] { return Doc(E("div", E("script", T("\r\nvar a = 1;\r\n")).Layout(kTree)).Layout(kTree)); },
           "<div>\r\n  <script>\r\nvar a = 1;\r\n</script>\r\n</div>\r\n"},
          {"names in any letter case",
           [] {
             return Doc(E("SCRIPT", T("x")).Layout(kTree), E("Pre", T("y")).Layout(kTree),
                        E("TextArea", T("z")).Layout(kTree));
           },
           "<SCRIPT>x</SCRIPT>\r\n<Pre>y</Pre>\r\n<TextArea>z</TextArea>\r\n"},
          {"at any depth", [] { return Doc(E("pre", E("span", E("i", T("x")).Layout(kTree)).Layout(kTree))); },
           "<pre><span><i>x</i></span></pre>"},
          {"a comment after a line feed stays where it is", [] { return Doc(E("pre", T("a\r\n"), C(" c --"))); },
           "<pre>a\r\n<!-- c --></pre>"},
          {"conditional markers and xmp inside",
           [] {
             return Doc(E("pre", E("!--[if", T("x")).Rest(" IE]").Layout(0xFF), E("xmp").Rest("<y>").Layout(0xFF)));
           },
           "<pre><!--[if IE]>x<![endif]--><xmp><y></xmp></pre>"},
          {"plaintext inside still ends the output, without a break",
           [] { return Doc(E("textarea", T("a"), E("plaintext").Rest("raw").Layout(0x80))); },
           "<textarea>a<plaintext>raw", false},
          {"a self-closing script keeps the breaks after its tag",
           [] { return Doc(E("script").Void().Rest(" src=x /").Layout(0x20), T("y")); }, "<script src=x />\r\ny"},
          {"only these names", [] { return Doc(E("prefix", T("x")).Layout(0x20)); }, "<prefix>\r\nx</prefix>"},
      },
      Layout(kLayoutStandard, true, 20));
}

// Site builders set white-space:pre on paragraphs that hold only a <br>: one added break would
// show as a second empty line. Whether an element's own style keeps white space decides it.
TEST(Serializer, ElementWhoseStyleKeepsWhiteSpaceIsWrittenAsItStands) {
  const std::pair<const char*, bool> rows[] = {
      {"white-space:pre;", true},        {"color:red; WHITE-SPACE : Pre-Wrap", true},
      {"white-space:pre-line", true},    {"white-space: break-spaces", true},
      {"-webkit-white-space:pre", true}, {"white-space:normal", false},
      {"white-space:nowrap", false},     {"white-space-collapse:preserve", false},
      {"font-family:pre", false},        {"", false},
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

TEST(Serializer, MarkFollowsTheLastLineFeedWritten) {
  struct Row {
    const char* name;
    std::function<std::unique_ptr<CHtmlNode>()> tree;
    std::string expected;
    std::int32_t mark;
  };
  const Row rows[] = {
      {"content written as it stands", [] { return Doc(E("pre", T("abc\r\nde"))); }, "<pre>abc\r\nde</pre>", 10},
      {"a comment pulled back onto the previous line",
       [] { return Doc(E("p", T("aaa")).Layout(0x01), E("p", T("bbbb")).Layout(0x01), C("--")); },
       "<p>aaa</p>\r\n<p>bbbb</p><!---->", 12},
      // A line too long to continue: the text after the comment goes to the next line, as it would
      // after any line at or past the width.
      {"a comment pulled back onto a long line",
       [] { return Doc(E("p", T(Rep('a', 5000))).Layout(0x01), C("--"), T("tail")); },
       "<p>" + Rep('a', 5000) + "</p><!---->\r\ntail", 5016},
  };
  for (const Row& row : rows) {
    const CWritten got = Write(*row.tree(), Layout(kLayoutStandard, true));
    EXPECT_EQ(got.text, row.expected) << row.name;
    EXPECT_EQ(got.lineStart, row.mark) << row.name;
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

TEST(Serializer, CancelStopsBeforeWritingAnything) {
  const CWritten got = Write(*Doc(E("p", T("x")).Layout(0x80)), Layout(kLayoutStandard, true), true);
  EXPECT_FALSE(got.completed);
  EXPECT_EQ(got.text, "");
}

TEST(Serializer, MillionLevelsDeepAndMillionWide) {
  constexpr int kCount = 1'000'000;
  auto deep = Doc();
  CHtmlNode* cur = deep.get();
  for (int i = 0; i < kCount; ++i) cur = &Add(*cur, E("b").Layout(0x30));
  Add(*cur, T("x"));
  // An empty indentation unit: no time goes into writing nothing a million times per line.
  std::string expected;
  for (int i = 0; i < kCount; ++i) expected += "<b>\r\n";
  expected += "x";
  for (int i = 0; i < kCount; ++i) expected += "</b>";
  EXPECT_EQ(Write(*deep, Layout(kLayoutStandard, false, 70, "")).text, expected);

  auto wide = Doc(E("div"));
  for (int i = 0; i < kCount; ++i) Add(*wide->children.front(), E("br").Void().Layout(0x20));
  const CWritten wideOut = Write(*wide, Layout(kLayoutStandard, true));
  EXPECT_EQ(wideOut.text.size(), 5u + 6u * kCount + 6u);
  EXPECT_EQ(wideOut.text.substr(wideOut.text.size() - 12), "<br>\r\n</div>");
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
          {"a blank before the text lets it move", [&] { return Doc(E("p", E("b", T(word)), T(" " + longText))); },
           "<p><b>" + word + "</b>\r\nabcdefghij klmnopqrst uvwxyz0123</p>"},
          {"a block start tag moves after a word",
           [&] { return Doc(T(word), E("div", T("x")).Rest(" class=\"abcdefghijklmnopqrstuvwxyz\"")); },
           word + "\r\n<div class=\"abcdefghijklmnopqrstuvwxyz\">x</div>"},
          {"text at the start of a block may move",
           [&] { return Doc(E("td", T(longText)).Rest(" width=" + Rep('9', 56)).EndTag(kEndTagOptional)); },
           "<td width=" + Rep('9', 56) + ">\r\nabcdefghij klmnopqrst uvwxyz0123</td>"},
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
