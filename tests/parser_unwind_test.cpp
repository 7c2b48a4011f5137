#include <random>

#include "engine/attributes.h"
#include "rules/text_util.h"
#include "tests/parser_harness.h"

namespace trimvale::test {
namespace {

TEST(ParserUnwind, ClosesElementsImplicitlyAndLiftsSameNamedRuns) {
  ExpectRows({
      {"list items without end tags", "<ul><li>a<li>b<li>c</ul>", R"(ul[li["a"] li["b"] li["c"]])", "", 0},
      {"every element extracted once", "<ul class=u><li class=a>x<li class=b>y</ul>",
       R"(ul{c:u}[li{c:a}["x"] li{c:b}["y"]])", "", 0},
      {"nested lists", "<ul><li>a<ul><li>b<li>c</ul><li>d</ul>", R"(ul[li["a" ul[li["b"] li["c"]]] li["d"]])", "", 0},
      {"missing required end tag deep in a list leaves the level", "<ul><li><b>x<li>y</ul>",
       R"(ul[li[b["x" li["y"]]]])", "Ein Endtag fehlt zu <b >\n", 0},
      {"element between the same-named runs", "<ul><li>a<li>b<p>c</ul>", R"(ul[li["a"] li["b" p["c"]]])", "", 0},
      {"moves counted across a level that moved nothing", "<div><p>q<p>r<li>a<li>b</div>",
       R"(div[p "q" p["r" li["a"] li["b"]]])", "", 0},
  });
}

// The element parser as a plain recursion that moves nodes level by level, the way the
// structure repair is defined, built on the same tokenizer. The real parser must give the same
// tree, messages and level on any input.
int ReferenceParse(CRunContext& ctx, CHtmlNode& node, std::string_view text) {
  const auto len = static_cast<std::int32_t>(text.size());
  const std::int32_t used = ReadToken(ctx, node, text);
  if (used < 0) {
    if (!node.skip) ctx.parsePos = len;
    return 1;
  }
  ctx.parsePos += used;
  if (node.skip) return 1;
  if (node.isEndTag) return 0;
  if (node.endTagKind == kEndTagNone) return 1;
  ctx.tagStack.push_back(EqualsNoCase(node.name, "![if")     ? "![endif]"
                         : EqualsNoCase(node.name, "!--[if") ? "![endif]--"
                                                             : node.name);
  for (;;) {
    CHtmlNode* child = node.children.PushBack(MakeNode(&node));
    if (ReferenceParse(ctx, *child, text) == 0) {
      node.children.PopBack();
      return 1;
    }
    if (child->skip) {
      node.children.Unlink(child);
    } else {
      if (child->kind != TagKind::Text) ExtractAttributes(ctx, *child);
      if (ctx.unwindCount > 0) break;
    }
    if (ctx.parsePos >= len) return 1;
  }
  const CHtmlNode* last = node.children.back();
  if (ctx.unwindCount == 1 && last->endTagKind == kEndTagRequired) {
    ctx.sink.AppendText(
        "Schwerer HTML Fehler in der Tagstruktur. Die neu erzeugte Seite kann fehlerhaft sein. Überprüfen Sie vor "
        "allem kreuzverschachtelte Tags.\r\n");
    ctx.RaiseLevel(2);
  }
  --ctx.unwindCount;
  if (last->endTagKind == kEndTagRequired) {
    ctx.sink.AppendText("Ein Endtag fehlt zu <" + last->name + " " + last->text + ">\n");
  } else if (EqualsNoCase(last->name, node.name)) {
    ++ctx.sameNameMoves;
    const auto count = static_cast<std::int64_t>(node.children.size());
    const std::int64_t from = count - ctx.sameNameMoves;
    if (from >= 0 && from < count) {
      node.children.MoveTailTo(node.children.Nth(static_cast<std::size_t>(from)), node.parent->children, node.parent);
    }
  }
  if (ctx.unwindCount == 0) ctx.sameNameMoves = 0;
  return 1;
}

CParseOutcome ReferenceOutcome(std::string_view input) {
  static const CTagLayoutTable table = SmallLayoutTable();
  CRunConfig config;
  config.layoutTable = &table;
  CStringSink sink;
  std::atomic<bool> cancel{false};
  CRunContext ctx(config, sink, cancel);
  auto root = MakeNode(nullptr);
  const auto len = static_cast<std::int32_t>(input.size());
  for (;;) {
    CHtmlNode* node = root->children.PushBack(MakeNode(root.get()));
    ReferenceParse(ctx, *node, input);
    if (node->skip) {
      root->children.Unlink(node);
    } else if (node->kind != TagKind::Text) {
      ExtractAttributes(ctx, *node);
    }
    if (ctx.parsePos >= len) break;
  }
  return {RenderChildren(*root), sink.Text(), ctx.errorLevel};
}

TEST(ParserUnwind, MatchesTheLevelByLevelRepairOnRandomTagSoup) {
  const char* pieces[] = {"<li>",   "</li>", "<LI>",  "<p>",   "</p>",   "</P>", "<b>",    "</b>",    "<div>",
                          "</div>", "<ul>",  "</ul>", "x",     "<br>",   "<td>", "</td>",  "<i>",     "</i>",
                          " ",      "<tr>",  "</tr>", "<pre>", "</pre>", "\r\n", "<span>", "</span>", "<li class=k>"};
  std::mt19937 random(20240611);
  for (int round = 0; round < 3000; ++round) {
    std::string input;
    const int length = 1 + static_cast<int>(random() % 40);
    for (int i = 0; i < length; ++i) input += pieces[random() % std::size(pieces)];
    const CParseOutcome expected = ReferenceOutcome(input);
    const CParseOutcome got = Parse(input);
    ASSERT_EQ(got.tree, expected.tree) << Escape(input);
    ASSERT_EQ(got.messages, expected.messages) << Escape(input);
    ASSERT_EQ(got.level, expected.level) << Escape(input);
  }
}

}  // namespace
}  // namespace trimvale::test
