#include "engine/serializer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <random>
#include <string>

#include "engine/html_node.h"
#include "engine/output_sink.h"
#include "engine/run_context.h"

namespace trimvale {
namespace {

// Hand-built trees: every node gets the kind the table would give its name.
CHtmlNode& Add(CHtmlNode& parent, std::unique_ptr<CHtmlNode> node) {
  node->parent = &parent;
  return *parent.children.PushBack(std::move(node));
}

CHtmlNode& Elem(CHtmlNode& parent, const std::string& name, std::uint8_t bits,
                std::uint8_t endTagKind = kEndTagRequired, const std::string& rest = "") {
  auto node = MakeNode(&parent);
  node->name = name;
  node->kind = ClassifyTagName(name);
  node->layoutBits = bits;
  node->endTagKind = endTagKind;
  node->text = rest;
  return Add(parent, std::move(node));
}

CHtmlNode& Text(CHtmlNode& parent, const std::string& text) {
  auto node = MakeNode(&parent);
  node->kind = TagKind::Text;
  node->endTagKind = kEndTagNone;
  node->text = text;
  return Add(parent, std::move(node));
}

CHtmlNode& Comment(CHtmlNode& parent, const std::string& text, std::uint8_t bits) {
  CHtmlNode& node = Elem(parent, "!--", bits, kEndTagRequired, text);
  EXPECT_EQ(node.kind, TagKind::Comment);
  return node;
}

std::string Rep(char c, int n) { return std::string(static_cast<std::size_t>(n), c); }

CLayoutSettings Layout(int mode, bool wrap, int width = 70, std::string indent = "  ") {
  CLayoutSettings layout;
  layout.mode = mode;
  layout.wrap = wrap;
  layout.width = width;
  layout.indentUnit = std::move(indent);
  return layout;
}

// Runs the serializer over the root's children as the optimization run does.
struct CWritten {
  std::string text;
  bool completed = true;
  std::int32_t lineStart = 0;
};

CWritten Write(const CHtmlNode& root, const CLayoutSettings& layout, bool cancelled = false) {
  CRunConfig config;
  config.layout = layout;
  CNullSink sink;
  std::atomic<bool> cancel{cancelled};
  CRunContext ctx(config, sink, cancel);
  ctx.lineStart = 0;
  CWritten result;
  for (CHtmlNode* top = root.children.front(); top; top = top->NextSibling()) {
    if (!SerializeNode(ctx, *top, result.text, 0)) {
      result.completed = false;
      break;
    }
  }
  result.lineStart = ctx.lineStart;
  return result;
}

struct CTreeRow {
  const char* name;
  std::function<void(CHtmlNode&)> build;
  std::string expected;
  bool completed = true;
};

void ExpectRows(const std::vector<CTreeRow>& rows, const CLayoutSettings& layout) {
  for (const CTreeRow& row : rows) {
    auto root = MakeNode(nullptr);
    row.build(*root);
    const CWritten got = Write(*root, layout);
    EXPECT_EQ(got.text, row.expected) << row.name;
    EXPECT_EQ(got.completed, row.completed) << row.name;
  }
}

TEST(Serializer, LayoutBitsPlaceBreaksAndIndentation) {
  const std::vector<CTreeRow> rows = {
      {"break before the tag",
       [](CHtmlNode& r) {
         Text(r, "a");
         Text(Elem(r, "p", 0x80), "x");
       },
       "a\r\n<p>x</p>"},
      {"no break before the first tag of the output", [](CHtmlNode& r) { Text(Elem(r, "p", 0x80), "x"); }, "<p>x</p>"},
      {"no second break before at a line start",
       [](CHtmlNode& r) {
         Elem(r, "br", 0x20, kEndTagNone);
         Text(Elem(r, "p", 0x80), "x");
       },
       "<br>\r\n<p>x</p>"},
      {"one break after the start tag", [](CHtmlNode& r) { Text(Elem(r, "p", 0x20), "x"); }, "<p>\r\nx</p>"},
      {"two breaks after the start tag", [](CHtmlNode& r) { Text(Elem(r, "p", 0x60), "x"); }, "<p>\r\n\r\nx</p>"},
      {"second break after the start tag alone adds nothing", [](CHtmlNode& r) { Text(Elem(r, "p", 0x40), "x"); },
       "<p>x</p>"},
      {"children one level deeper", [](CHtmlNode& r) { Text(Elem(r, "ul", 0x34), "x"); }, "<ul>\r\n  x\r\n</ul>"},
      {"children at the same level without the indent bit", [](CHtmlNode& r) { Text(Elem(r, "ul", 0x24), "x"); },
       "<ul>\r\nx\r\n</ul>"},
      {"indentation accumulates", [](CHtmlNode& r) { Text(Elem(Elem(r, "div", 0x34), "div", 0x34), "x"); },
       "<div>\r\n  <div>\r\n    x\r\n  </div>\r\n</div>"},
      {"two breaks before the end tag", [](CHtmlNode& r) { Text(Elem(r, "p", 0x0C), "x"); }, "<p>x\r\n\r\n</p>"},
      {"second break before the end tag alone adds nothing mid-line",
       [](CHtmlNode& r) { Text(Elem(r, "p", 0x08), "x"); }, "<p>x</p>"},
      {"at a line start the second break before the end tag adds one",
       [](CHtmlNode& r) { Elem(Elem(r, "p", 0x28), "br", 0x20, kEndTagNone); }, "<p>\r\n<br>\r\n\r\n</p>"},
      {"an end tag at a line start is indented at the element's level",
       [](CHtmlNode& r) { Elem(Elem(Elem(r, "div", 0x30), "ul", 0x30), "br", 0x20, kEndTagNone); },
       "<div>\r\n  <ul>\r\n    <br>\r\n  </ul></div>"},
      {"one break after the end tag",
       [](CHtmlNode& r) {
         Text(Elem(r, "p", 0x01), "x");
         Text(r, "y");
       },
       "<p>x</p>\r\ny"},
      {"two breaks after the end tag",
       [](CHtmlNode& r) {
         Text(Elem(r, "p", 0x03), "x");
         Text(r, "y");
       },
       "<p>x</p>\r\n\r\ny"},
      {"second break after the end tag alone adds nothing",
       [](CHtmlNode& r) {
         Text(Elem(r, "p", 0x02), "x");
         Text(r, "y");
       },
       "<p>x</p>y"},
      {"no end tag: neither children nor end tag nor the breaks after it",
       [](CHtmlNode& r) {
         Text(Elem(r, "br", 0x23, kEndTagNone), "lost");
         Text(r, "y");
       },
       "<br>\r\ny"},
      {"optional end tag is written", [](CHtmlNode& r) { Text(Elem(r, "li", 0, kEndTagOptional), "x"); }, "<li>x</li>"},
      {"downlevel-hidden conditional comment",
       [](CHtmlNode& r) {
         Text(Elem(r, "!--[if", 0x0F, kEndTagRequired, " gte mso 9]"), "x");
         Text(r, "y");
       },
       "<!--[if gte mso 9]>x\r\n\r\n<![endif]-->y"},
      {"downlevel-revealed conditional section",
       [](CHtmlNode& r) {
         Text(Elem(r, "![if", 0x03, kEndTagRequired, " !supportLists]"), "x");
         Text(r, "y");
       },
       "<![if !supportLists]>x<![endif]>y"},
      {"xmp content raw, breaks after it",
       [](CHtmlNode& r) {
         Text(r, "a");
         Elem(r, "xmp", 0x83, kEndTagRequired, "a  <b>\r\n  c");
         Text(r, "y");
       },
       "a\r\n<xmp>a  <b>\r\n  c</xmp>\r\n\r\ny"},
      {"plaintext breaks whatever its bits and ends the output",
       [](CHtmlNode& r) {
         Text(r, "a");
         Elem(r, "plaintext", 0, kEndTagRequired, "raw <p>");
         Text(r, "never");
       },
       "a\r\n<plaintext>raw <p>", false},
      {"plaintext inside an element leaves the element open",
       [](CHtmlNode& r) {
         CHtmlNode& div = Elem(r, "div", 0x35);
         Text(div, "x");
         Elem(div, "plaintext", 0, kEndTagRequired, "raw");
         Text(div, "never");
       },
       "<div>\r\n  x\r\n  <plaintext>raw", false},
      {"plaintext as the first node", [](CHtmlNode& r) { Elem(r, "plaintext", 0x80, kEndTagRequired, "raw"); },
       "<plaintext>raw", false},
  };
  ExpectRows(rows, Layout(kLayoutStandard, false));
}

TEST(Serializer, ModeTwoListPutsEveryTagAndTextOnItsOwnLine) {
  auto root = MakeNode(nullptr);
  CHtmlNode& ul = Elem(*root, "ul", kTreeLayoutBits);
  Text(Elem(ul, "li", kTreeLayoutBits, kEndTagOptional), "a");
  Text(Elem(ul, "li", kTreeLayoutBits, kEndTagOptional), "b");
  EXPECT_EQ(Write(*root, Layout(kLayoutTree, true)).text,
            "<ul>\r\n  <li>\r\n    a\r\n  </li>\r\n  <li>\r\n    b\r\n  </li>\r\n</ul>\r\n");
}

TEST(Serializer, IndentationKinds) {
  struct Row {
    const char* name;
    std::string unit;
    std::string expected;
  } rows[] = {
      {"tab", MakeIndentUnit(0, 4), "<ul>\r\n\t<li>\r\n\t\tx\r\n\t</li>\r\n</ul>\r\n"},
      {"three spaces", MakeIndentUnit(1, 3), "<ul>\r\n   <li>\r\n      x\r\n   </li>\r\n</ul>\r\n"},
      {"none", MakeIndentUnit(2, 4), "<ul>\r\n<li>\r\nx\r\n</li>\r\n</ul>\r\n"},
  };
  for (const Row& row : rows) {
    auto root = MakeNode(nullptr);
    Text(Elem(Elem(*root, "ul", kTreeLayoutBits), "li", kTreeLayoutBits), "x");
    EXPECT_EQ(Write(*root, Layout(kLayoutTree, true, 70, row.unit)).text, row.expected) << row.name;
  }
}

TEST(Serializer, AttributesInFixedOrderBeforeTheRest) {
  struct Row {
    const char* name;
    std::string cssClass, style, lang, rest;
    std::string expected;
  } rows[] = {
      {"all three and the rest", "MsoNormal", "margin:0", "DE", " align=center",
       "<p class=MsoNormal style=\"margin:0\" lang=\"DE\" align=center>"},
      {"only the rest", "", "", "", " id=x", "<p id=x>"},
      {"lang without the others", "", "", "EN-US", "", "<p lang=\"EN-US\">"},
      {"style and class", "a", "color:red", "", "", "<p class=a style=\"color:red\">"},
      {"a class of several names is quoted", "Mso Normal", "", "", "", "<p class=\"Mso Normal\">"},
      {"a class stored with its quotes is kept", "'a b'", "", "", "", "<p class='a b'>"},
      {"a double quote cannot end the style early", "", "font-family:\"Arial\"", "", "",
       "<p style=\"font-family:&quot;Arial&quot;\">"},
      {"a double quote cannot end the lang early", "", "", "de\" onclick=x", "", "<p lang=\"de&quot; onclick=x\">"},
  };
  for (const Row& row : rows) {
    auto root = MakeNode(nullptr);
    CHtmlNode& p = Elem(*root, "p", 0, kEndTagNone, row.rest);
    p.cssClass = row.cssClass;
    p.style = row.style;
    p.lang = row.lang;
    EXPECT_EQ(Write(*root, Layout(kLayoutStandard, true)).text, row.expected) << row.name;
  }
}

TEST(Serializer, Comments) {
  const std::vector<CTreeRow> rows = {
      {"break before when not at a line start",
       [](CHtmlNode& r) {
         Text(r, "x");
         Comment(r, " c --", 0x80);
       },
       "x\r\n<!-- c -->"},
      {"no second break at a line start",
       [](CHtmlNode& r) {
         Elem(r, "br", 0x20, kEndTagNone);
         Comment(r, " c --", 0x80);
       },
       "<br>\r\n<!-- c -->"},
      {"pulled back onto the previous line",
       [](CHtmlNode& r) {
         Text(Elem(r, "p", 0x01), "x");
         Comment(r, " c --", 0);
         Text(r, "y");
       },
       "<p>x</p><!-- c -->y"},
      {"break after",
       [](CHtmlNode& r) {
         Comment(r, " c --", 0x01);
         Text(r, "y");
       },
       "<!-- c -->\r\ny"},
      {"never indented",
       [](CHtmlNode& r) {
         CHtmlNode& ul = Elem(r, "ul", 0x34);
         Elem(ul, "br", 0x20, kEndTagNone);
         Comment(ul, " c --", 0x81);
       },
       "<ul>\r\n  <br>\r\n<!-- c -->\r\n</ul>"},
      {"line breaks inside are kept", [](CHtmlNode& r) { Comment(r, " a \r\n b --", 0); }, "<!-- a \r\n b -->"},
      {"a lone line feed is taken back without the character before it",
       [](CHtmlNode& r) {
         Text(r, "a\n");
         Comment(r, "--", 0);
       },
       "a<!---->"},
  };
  ExpectRows(rows, Layout(kLayoutStandard, false));
}

TEST(Serializer, ModesDifferInCommentsAndWrapping) {
  auto root = MakeNode(nullptr);
  Text(*root, "one two three four five six seven eight nine ten");
  Comment(*root, " a \r\n  b\r\nc --", 0x81);
  Text(*root, "end");
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
  const std::string a18 = Rep('a', 18), c20 = Rep('c', 20);
  const std::vector<CWrapRow> rows = {
      {"fits on the line", 70, "", "short text", "short text"},
      {"200 characters without a space stay on one line", 70, "", Rep('a', 200), Rep('a', 200)},
      {"a last space followed by 15 characters is no break point", 70, "", Rep('a', 60) + " " + Rep('b', 15),
       Rep('a', 60) + " " + Rep('b', 15)},
      {"a space followed by 19 characters is no break point", 20, "", Rep('a', 25) + " " + Rep('b', 19),
       Rep('a', 25) + " " + Rep('b', 19)},
      {"a space followed by 20 characters is", 20, "", Rep('a', 25) + " " + Rep('b', 20),
       Rep('a', 25) + "\r\n" + Rep('b', 20)},
      {"ties go to the later candidate", 20, "", a18 + " bbb " + c20, a18 + " bbb\r\n" + c20},
      {"the nearer earlier candidate wins", 20, "", Rep('a', 17) + " bbbbbb " + c20,
       Rep('a', 17) + "\r\nbbbbbb " + c20},
      {"wrapped lines are indented at the level", 20, "", Rep('a', 17) + " bbbbbb " + c20,
       Rep('a', 17) + "\r\n    bbbbbb " + c20, "  ", 2},
      {"tabs are no break points", 20, "", Rep('a', 17) + "\tbbbbbb\t" + c20, Rep('a', 17) + "\tbbbbbb\t" + c20},
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
      {"a short text past the width goes to the next line", 20, Rep('x', 25), "end.", "\r\n  end.", "  ", 1},
      {"a short text at exactly the width goes to the next line", 70, Rep('x', 70), "tail", "\r\ntail"},
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
      {"wrapping off", 20, Rep('x', 60), "one two three four five six seven eight nine ten",
       "one two three four five six seven eight nine ten", "  ", 0, false},
      {"one line mode never wraps", 20, Rep('x', 60), "one two three four five six seven eight nine ten",
       "one two three four five six seven eight nine ten", "  ", 0, true, kLayoutOneLine},
      {"empty text", 20, Rep('x', 60), "", ""},
  };
  for (const CWrapRow& row : rows) EXPECT_EQ(Wrap(row), row.prefix + row.expected) << row.name;
}

TEST(Serializer, WrappingSetsTheMarkAfterEachBreak) {
  std::int32_t mark = -1;
  const std::string out = Wrap({"", 20, "xyz\r\nab ", Rep('a', 17) + " bbbbbb " + Rep('c', 20), "", "  ", 1}, &mark);
  EXPECT_EQ(out, "xyz\r\nab \r\n  " + Rep('a', 17) + "\r\n  bbbbbb " + Rep('c', 20));
  EXPECT_EQ(mark, 31);
}

// Whatever the width, wrapping ends, breaks only where a space or the text's start was, and keeps
// every other character in order.
TEST(Serializer, WrappingKeepsTheTextForAnyWidth) {
  auto collapse = [](const std::string& s) {
    std::string out;
    for (char c : s) {
      const bool blank = c == ' ' || c == '\r' || c == '\n' || c == '\t';
      if (!blank) {
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
  const std::vector<CTreeRow> rows = {
      {"pre: no wrapping, no breaks, no indentation inside",
       [&](CHtmlNode& r) {
         Text(r, "before");
         CHtmlNode& pre = Elem(r, "pre", kTreeLayoutBits);
         Text(pre, longLine);
         Text(Elem(pre, "b", kTreeLayoutBits), "bold");
         Comment(pre, " c --", 0x81);
         Text(pre, "\r\n  end  ");
         Text(r, "after");
       },
       "before\r\n<pre>" + longLine + "<b>bold</b><!-- c -->\r\n  end  </pre>\r\nafter"},
      {"script inside an indented block",
       [](CHtmlNode& r) {
         Text(Elem(Elem(r, "div", kTreeLayoutBits), "script", kTreeLayoutBits), "\r\nvar a = 1;\r\n");
       },
       "<div>\r\n  <script>\r\nvar a = 1;\r\n</script>\r\n</div>\r\n"},
      {"names in any letter case",
       [](CHtmlNode& r) {
         Text(Elem(r, "SCRIPT", kTreeLayoutBits), "x");
         Text(Elem(r, "Pre", kTreeLayoutBits), "y");
         Text(Elem(r, "TextArea", kTreeLayoutBits), "z");
       },
       "<SCRIPT>x</SCRIPT>\r\n<Pre>y</Pre>\r\n<TextArea>z</TextArea>\r\n"},
      {"at any depth",
       [](CHtmlNode& r) { Text(Elem(Elem(Elem(r, "pre", 0), "span", kTreeLayoutBits), "i", kTreeLayoutBits), "x"); },
       "<pre><span><i>x</i></span></pre>"},
      {"a comment after a line feed stays where it is",
       [](CHtmlNode& r) {
         CHtmlNode& pre = Elem(r, "pre", 0);
         Text(pre, "a\r\n");
         Comment(pre, " c --", 0);
       },
       "<pre>a\r\n<!-- c --></pre>"},
      {"conditional markers and xmp inside",
       [](CHtmlNode& r) {
         CHtmlNode& pre = Elem(r, "pre", 0);
         Text(Elem(pre, "!--[if", 0xFF, kEndTagRequired, " IE]"), "x");
         Elem(pre, "xmp", 0xFF, kEndTagRequired, "<y>");
       },
       "<pre><!--[if IE]>x<![endif]--><xmp><y></xmp></pre>"},
      {"plaintext inside still ends the output, without a break",
       [](CHtmlNode& r) {
         CHtmlNode& textarea = Elem(r, "textarea", 0);
         Text(textarea, "a");
         Elem(textarea, "plaintext", 0x80, kEndTagRequired, "raw");
       },
       "<textarea>a<plaintext>raw", false},
      {"a self-closing script keeps the breaks after its tag",
       [](CHtmlNode& r) {
         Elem(r, "script", 0x20, kEndTagNone, " src=x /");
         Text(r, "y");
       },
       "<script src=x />\r\ny"},
      {"only these names", [](CHtmlNode& r) { Text(Elem(r, "prefix", 0x20), "x"); }, "<prefix>\r\nx</prefix>"},
  };
  ExpectRows(rows, Layout(kLayoutStandard, true, 20));
}

// Site builders set white-space:pre on paragraphs that hold only a <br>: one added break would
// show as a second empty line. Whether an element's own style keeps white space decides it.
TEST(Serializer, ElementWhoseStyleKeepsWhiteSpaceIsWrittenAsItStands) {
  struct CRow {
    const char* style;
    bool kept;
  };
  const std::vector<CRow> rows = {
      {"white-space:pre;", true},
      {"color:red; WHITE-SPACE : Pre-Wrap", true},
      {"white-space:pre-line", true},
      {"white-space: break-spaces", true},
      {"-webkit-white-space:pre", true},
      {"white-space:normal", false},
      {"white-space:nowrap", false},
      {"white-space-collapse:preserve", false},
      {"font-family:pre", false},
      {"", false},
  };
  for (const CRow& row : rows) {
    auto root = MakeNode(nullptr);
    CHtmlNode& div = Elem(*root, "div", kTreeLayoutBits);
    CHtmlNode& p = Elem(div, "p", kTreeLayoutBits);
    p.style = row.style;
    Elem(p, "br", 0x20, kEndTagNone);
    Text(Elem(p, "span", kTreeLayoutBits), "x");
    const std::string text = Write(*root, Layout(kLayoutStandard, true)).text;
    const std::size_t start = text.find("<br>");
    const std::size_t end = text.find("</p>");
    ASSERT_TRUE(start != std::string::npos && end != std::string::npos) << row.style;
    const std::string inside = text.substr(start, end - start);
    EXPECT_EQ(inside == "<br><span>x</span>", row.kept) << row.style << ": " << inside;
    // The breaks around the element itself still follow its bits.
    EXPECT_NE(text.find("\r\n  <p"), std::string::npos) << row.style;
  }
}

TEST(Serializer, CommentInsideScriptKeepsItsLinesInOneLineMode) {
  auto root = MakeNode(nullptr);
  CHtmlNode& script = Elem(*root, "script", 0);
  Comment(script, "\r\nfunction f() {}\r\n//--", 0x81);
  Comment(*root, " a \r\n b --", 0x81);
  EXPECT_EQ(Write(*root, Layout(kLayoutOneLine, true)).text,
            "<script><!--\r\nfunction f() {}\r\n//--></script><!-- a b -->");
}

TEST(Serializer, MarkFollowsTheLastLineFeedOfContentWrittenAsItStands) {
  auto root = MakeNode(nullptr);
  Text(Elem(*root, "pre", 0), "abc\r\nde");
  const CWritten got = Write(*root, Layout(kLayoutStandard, true));
  EXPECT_EQ(got.text, "<pre>abc\r\nde</pre>");
  EXPECT_EQ(got.lineStart, 10);
}

TEST(Serializer, CommentPulledBackSetsTheMarkToThePreviousLine) {
  auto root = MakeNode(nullptr);
  Text(Elem(*root, "p", 0x01), "aaa");
  Text(Elem(*root, "p", 0x01), "bbbb");
  Comment(*root, "--", 0);
  const CWritten got = Write(*root, Layout(kLayoutStandard, true));
  EXPECT_EQ(got.text, "<p>aaa</p>\r\n<p>bbbb</p><!---->");
  EXPECT_EQ(got.lineStart, 12);

  // A line too long to continue: the text after the comment goes to the next line, as it would
  // after any line at or past the width.
  auto longLine = MakeNode(nullptr);
  Text(Elem(*longLine, "p", 0x01), Rep('a', 5000));
  Comment(*longLine, "--", 0);
  Text(*longLine, "tail");
  EXPECT_EQ(Write(*longLine, Layout(kLayoutStandard, true)).text, "<p>" + Rep('a', 5000) + "</p><!---->\r\ntail");
}

TEST(Serializer, ManyCommentsPulledBackOntoOneLineStayLinear) {
  auto root = MakeNode(nullptr);
  for (int i = 0; i < 200'000; ++i) {
    Elem(*root, "br", 0x20, kEndTagNone);
    Comment(*root, "--", 0);
  }
  const CWritten got = Write(*root, Layout(kLayoutStandard, false));
  EXPECT_EQ(got.text.size(), 200'000u * 11);
  EXPECT_EQ(got.text.find('\n'), std::string::npos);
}

TEST(Serializer, CancelStopsBeforeWritingAnything) {
  auto root = MakeNode(nullptr);
  Text(Elem(*root, "p", 0x80), "x");
  const CWritten got = Write(*root, Layout(kLayoutStandard, true), true);
  EXPECT_FALSE(got.completed);
  EXPECT_EQ(got.text, "");
}

TEST(Serializer, MillionLevelsDeepAndMillionWide) {
  constexpr int kCount = 1'000'000;
  auto deep = MakeNode(nullptr);
  CHtmlNode* cur = deep.get();
  for (int i = 0; i < kCount; ++i) cur = &Elem(*cur, "b", 0x30);
  Text(*cur, "x");
  // Indented a million levels deep with an empty indentation unit: no time goes into writing
  // nothing a million times per line.
  const CWritten deepOut = Write(*deep, Layout(kLayoutStandard, false, 70, ""));
  EXPECT_EQ(deepOut.text, [] {
    std::string s;
    for (int i = 0; i < kCount; ++i) s += "<b>\r\n";
    s += "x";
    for (int i = 0; i < kCount; ++i) s += "</b>";
    return s;
  }());

  auto wide = MakeNode(nullptr);
  CHtmlNode& div = Elem(*wide, "div", 0);
  for (int i = 0; i < kCount; ++i) Elem(div, "br", 0x20, kEndTagNone);
  const CWritten wideOut = Write(*wide, Layout(kLayoutStandard, true));
  EXPECT_EQ(wideOut.text.size(), 5u + 6u * kCount + 6u);
  EXPECT_EQ(wideOut.text.substr(wideOut.text.size() - 12), "<br>\r\n</div>");
}

}  // namespace
}  // namespace trimvale

namespace trimvale {
namespace {

// Wrapping must never add white space where the page had none between words and inline tags:
// a line break there renders as a space. At block edges and next to blanks it may break.
TEST(SerializerWrapping, BreaksOnlyWhereWhiteSpaceDoesNotShow) {
  const std::string word = Rep('w', 60);
  const std::string longText = "abcdefghij klmnopqrst uvwxyz0123";  // 32 characters
  std::vector<CTreeRow> rows = {
      {"text glued to an inline end tag stays on the line",
       [&](CHtmlNode& r) {
         CHtmlNode& p = Elem(r, "p", 0);
         CHtmlNode& b = Elem(p, "b", 0);
         Text(b, word);
         Text(p, longText);
       },
       "<p><b>" + word + "</b>abcdefghij\r\nklmnopqrst uvwxyz0123</p>"},
      {"inline start tag glued to a word stays on the line",
       [&](CHtmlNode& r) {
         CHtmlNode& p = Elem(r, "p", 0);
         Text(p, word);
         CHtmlNode& i = Elem(p, "i", 0, kEndTagRequired, " title=\"ein langer Titel der nicht passt\"");
         Text(i, "x");
       },
       // The only space outside the quoted value comes before the limit: no break at all.
       "<p>" + word + "<i title=\"ein langer Titel der nicht passt\">x</i></p>"},
      {"a blank before the text lets it move",
       [&](CHtmlNode& r) {
         CHtmlNode& p = Elem(r, "p", 0);
         CHtmlNode& b = Elem(p, "b", 0);
         Text(b, word);
         Text(p, " " + longText);
       },
       "<p><b>" + word + "</b>\r\nabcdefghij klmnopqrst uvwxyz0123</p>"},
      {"a block start tag moves after a word",
       [&](CHtmlNode& r) {
         Text(r, word);
         CHtmlNode& div = Elem(r, "div", 0, kEndTagRequired, " class=\"abcdefghijklmnopqrstuvwxyz\"");
         Text(div, "x");
       },
       word + "\r\n<div class=\"abcdefghijklmnopqrstuvwxyz\">x</div>"},
      {"text at the start of a block may move",
       [&](CHtmlNode& r) {
         CHtmlNode& td = Elem(r, "td", 0, kEndTagOptional, " width=" + Rep('9', 56));
         Text(td, longText);
       },
       "<td width=" + Rep('9', 56) + ">\r\nabcdefghij klmnopqrst uvwxyz0123</td>"},
  };
  for (const auto& row : rows) {
    CHtmlNode root;
    row.build(root);
    EXPECT_EQ(Write(root, Layout(kLayoutStandard, true)).text, row.expected) << row.name;
  }
}

TEST(SerializerWrapping, NeverBreaksInsideAQuotedAttributeValue) {
  CHtmlNode root;
  CHtmlNode& p = Elem(root, "p", 0);
  Text(p, Rep('w', 50));
  CHtmlNode& span = Elem(p, "span", 0, kEndTagRequired, " title='a b c d e f g h' data-x=\"1 2 3\" id=q");
  span.style = "font-family:'Times New Roman',serif; color:red";
  Text(span, "x");
  const std::string out = Write(root, Layout(kLayoutStandard, true, 20)).text;
  EXPECT_NE(out.find("'Times New Roman'"), std::string::npos) << out;
  EXPECT_NE(out.find("'a b c d e f g h'"), std::string::npos) << out;
  EXPECT_NE(out.find("\"1 2 3\""), std::string::npos) << out;
  EXPECT_NE(out.find("\r\n"), std::string::npos) << "the tag still breaks between attributes: " << out;
}

}  // namespace
}  // namespace trimvale
