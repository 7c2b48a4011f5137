// The whole sequence of passes: progress lines, the charset note, cancelling, the profile's
// rules, and trees far too deep or wide for a recursive walk.
#include <gtest/gtest.h>

#include <chrono>

#include "engine/cleanup_passes.h"
#include "tests/cleanup_test_tree.h"

namespace trimvale::test {
namespace {

constexpr const char* kBegin = "Beginne Optimierung\r\n";
constexpr const char* kDone = "Datei optimiert, setze Dokument zusammen...\r\n\r\n";

// A rule with its seven flags written as in the profile file: deleteTag, moveSubtags,
// deleteClass, deleteStyle, deleteRest, replace, deleteSubtags.
CTagRule MakeRule(std::string name, std::string_view flags, std::string replacement = "") {
  CTagRule rule;
  rule.name = std::move(name);
  bool* fields[] = {&rule.deleteTag,  &rule.moveSubtags, &rule.deleteClass,  &rule.deleteStyle,
                    &rule.deleteRest, &rule.replace,     &rule.deleteSubtags};
  for (std::size_t i = 0; i < 7; ++i) *fields[i] = flags[i] == '1';
  rule.replacement = std::move(replacement);
  return rule;
}

const CTagRule kDissolveFont = MakeRule("font", "1100000");

// The conversion follows the page's encoding; a page in another charset is left alone, and said so.
TEST(RunCleanupPasses, ProgressLinesAndCharsetNote) {
  OptimizeOptions chars = OptimizeOptions::FromVector(kDefaultOptionsVector);
  chars.specialChars = true;
  const std::string plain = std::string(kBegin) + kDone;
  struct Case {
    OptimizeOptions options;
    PageEncoding encoding;
    std::string messages, tree;
  } cases[] = {
      {chars, PageEncoding::Unconverted,
       std::string(kBegin) +
           "Hinweis: Sonderzeichen werden nicht umgewandelt, da die Seite den Zeichensatz koi8-r verwendet.\r\n" +
           kDone,
       "<p>\xC3\xA4</p>"},
      {chars, PageEncoding::Utf8, plain, "<p>&auml;</p>"},
  };
  for (auto& c : cases) {
    CPassHarness harness(c.options);
    harness.ctx.pageEncoding = c.encoding;
    harness.ctx.declaredCharset = "koi8-r";
    auto root = Doc(E("p", T("\xC3\xA4")));
    RunCleanupPasses(harness.ctx, *root);
    EXPECT_EQ(harness.sink.Text(), c.messages) << c.tree;
    EXPECT_EQ(Render(*root), c.tree);
  }
}

TEST(RunCleanupPasses, CancelledRunLeavesTheTreeWhole) {
  CPassHarness harness(kAuto);
  harness.cancel = true;
  auto root = Doc(E("p", E("span", T("x")), E("o:p")), E("xml"), C(" c --"));
  const std::string before = Render(*root);
  RunCleanupPasses(harness.ctx, *root);
  EXPECT_EQ(harness.sink.Text(), kBegin);
  EXPECT_EQ(Render(*root), before);
  for (auto pass : {&RemoveEmptyTags, &RemoveWordLinks, &CleanWordMarkup, &CleanFormatting, &ApplyTagRules}) {
    EXPECT_EQ(pass(harness.ctx, *root), PassResult::Keep);
  }
  EXPECT_EQ(Render(*root), before);
}

// Only once the passes are done is it known which classes the page still uses; a script may
// give classes of its own, so a page with one keeps every rule.
TEST(RemoveUnmatchedStyleRules, AfterTheLastPassAndNotWithScripts) {
  const auto page = [](CNodeBuilder extra) {
    return Doc(E("style", C("\r\np.MsoNormal, li.MsoNormal {margin:0}\r\nspan.SpellE {mso-x:1}\r\nh1 {color:red}\r\n--")),
               E("p", E("span", T("x")).Class("SpellE")).Class("MsoNormal"), std::move(extra));
  };
  const CTreeCase cases[] = {
      {"unused rules go", kAuto, [&] { return page(T("y")); }, "<style>p.MsoNormal {margin:0}\r\n</style><p class=\"MsoNormal\">x</p>y"},
      {"a script keeps them", kAuto, [&] { return page(E("script").Rest(" src=s.js")); },
       "<style>p.MsoNormal, li.MsoNormal {margin:0}\r\nh1 {color:red}\r\n</style><p class=\"MsoNormal\">x</p>"
       "<script src=s.js></script>"},
      {"an event handler too", kAuto, [&] { return page(E("a", T("y")).Rest(" ONCLICK=f()")); },
       "<style>p.MsoNormal, li.MsoNormal {margin:0}\r\nh1 {color:red}\r\n</style><p class=\"MsoNormal\">x</p>"
       "<a ONCLICK=f()>y</a>"},
  };
  for (const auto& c : cases) {
    CPassHarness harness(c.options);
    auto root = c.tree();
    RunCleanupPasses(harness.ctx, *root);
    EXPECT_EQ(Render(*root), c.expected) << c.name;
  }
}

TEST(ApplyTagRules, EachFlagOfARule) {
  static const CTagRule& dissolve = kDissolveFont;
  static const CTagRule remove = MakeRule("blink", "1000000");
  static const CTagRule clear = MakeRule("p", "0011100");
  static const CTagRule rename = MakeRule("i", "0000010", "em");
  static const CTagRule emptyIt = MakeRule("ul", "0000001");
  OptimizeOptions profile;
  profile.useProfile = true;
  const CTreeCase cases[] = {
      {"dissolve moves the content up, and it is visited next", profile,
       [] {
         return Doc(E("font", T("a"), E("font", T("b")).Rule(&dissolve), E("i", T("c")).Rule(&rename)).Rule(&dissolve));
       },
       "ab<em>c</em>"},
      {"delete goes with the content; nothing else of the rule applies", profile,
       [] { return Doc(E("blink", T("x")).Rule(&remove), T("y")); }, "y"},
      {"class, style and the rest of the tag", profile,
       [] { return Doc(E("p", T("x")).Class("c").Style("s").Lang("DE").Rest(" align=center").Rule(&clear)); },
       "<p lang=\"DE\">x</p>"},
      {"subtags removed", profile, [] { return Doc(E("ul", E("li", T("x")), T("y")).Rule(&emptyIt)); }, "<ul></ul>"},
  };
  for (const auto& c : cases) EXPECT_EQ(RunOnTree(c, &ApplyTagRules), c.expected) << c.name;
}

// A chain of `depth` elements built by `make`, with `leaf` at the bottom (may be null).
std::unique_ptr<CHtmlNode> Chain(int depth, const std::function<CNodeBuilder()>& make,
                                 std::unique_ptr<CHtmlNode> leaf) {
  auto root = Doc();
  CHtmlNode* holder = root.get();
  for (int i = 0; i < depth; ++i) {
    CHtmlNode* node = holder->children.PushBack(make().Take());
    node->parent = holder;
    holder = node;
  }
  if (leaf) holder->children.PushBack(std::move(leaf))->parent = holder;
  return root;
}

constexpr int kDeep = 1000000;

TEST(CleanupWalk, MillionLevelsDeep) {
  struct Case {
    const char* name;
    std::function<CNodeBuilder()> make;
    bool withText;
    CPassFunction pass;
    std::string expected;
  } cases[] = {
      {"bare spans dissolve into the text", [] { return E("span"); }, true, &CleanFormatting, "x"},
      {"empty divs all go", [] { return E("div"); }, false, &RemoveEmptyTags, ""},
      {"xml islands go", [] { return E("xml"); }, true, &RemoveWordLinks, ""},
  };
  for (auto& c : cases) {
    CPassHarness harness(kAuto);
    auto root = Chain(kDeep, c.make, c.withText ? T("x").Take() : nullptr);
    c.pass(harness.ctx, *root);
    EXPECT_EQ(Render(*root), c.expected) << c.name;
  }
}

TEST(CleanupWalk, WideLevelsStayLinear) {
  constexpr int kWide = 200000;
  CPassHarness harness(kAuto);
  auto root = Doc();
  for (int i = 0; i < kWide; ++i) {
    AppendChildren(*root, E("span", T("a"), E("o:p", T("b"))));
  }
  const auto start = std::chrono::steady_clock::now();
  RunCleanupPasses(harness.ctx, *root);
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(root->children.size(), 2u * kWide);
  EXPECT_EQ(root->children.front()->text, "a");
  EXPECT_EQ(root->children.back()->text, "b");
  EXPECT_LT(seconds, 30.0);  // quadratic work on this width would take hours
}

}  // namespace
}  // namespace trimvale::test
