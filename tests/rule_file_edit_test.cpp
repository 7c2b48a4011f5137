// The editors' changes to the rule files: what each leaves in the file, byte for byte, and what
// it refuses.
#include "rules/rule_file_edit.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <functional>

#include "rules/ini_text.h"
#include "rules/rule_texts.h"
#include "tests/test_util.h"

namespace trimvale {
namespace {

using test::CTempDir;
using test::ReadFile;
using test::WriteFile;

constexpr const char* kLayouts =
    "[vorlagen]\n1=standard\n2=Eine Zeile\n3=Baum\n4=Mein\n5=Zweit\n"
    "[standard]\n0=p\\#2\\#10000101\n"
    "[Mein]\n0=a\\#1\\#00000000\n1=b\\#1\\#00000000\n2=c\\#1\\#00000000\n3=d\\#1\\#00000000\n"
    "[Zweit]\n0=x\\#0\\#\"\\#\"\n";

// kLayouts with the first occurrence of each `from` replaced by its `to`.
std::string Changed(std::initializer_list<std::pair<std::string_view, std::string_view>> changes) {
  std::string text = kLayouts;
  for (const auto& [from, to] : changes) text.replace(text.find(from), from.size(), to);
  return text;
}

TEST(RuleFileEdit, ChangesLeaveExactlyTheExpectedFile) {
  using Edit = std::function<std::string(CSectionFile&)>;
  struct Row {
    const char* name;
    Edit edit;
    std::string expected;
  } rows[] = {
      {"save three of four tags: the fourth place is removed, the rest stays where it stood",
       [](CSectionFile& f) {
         return WriteLayoutProfile(f, "mein", {{"a", "1", "00000000"}, {"c", "2", "11111111"}, {"d", "1", "00000000"}},
                                   1);
       },
       Changed({{"1=b\\#1\\#00000000\n2=c\\#1\\#00000000\n3=d", "1=c\\#2\\#11111111\n2=d"}})},
      {"save two tags of a profile that had one: the second is added after the first",
       [](CSectionFile& f) {
         return WriteLayoutProfile(f, "Zweit", {{"x", "0", "00000000"}, {"y", "1", "11111111"}}, 0);
       },
       Changed({{"0=x\\#0\\#\"\\#\"\n", "0=x\\#0\\#00000000\n1=y\\#1\\#11111111\n"}})},
      {"new profile from a template: the list gets key 6, the copy the template's text unchanged",
       [](CSectionFile& f) { return AddProfileToList(f, kLayoutProfileList, "Kopie", "Zweit"); },
       Changed({{"5=Zweit\n", "5=Zweit\n6=Kopie\n"}}) + "\n[Kopie]\n0=x\\#0\\#\"\\#\"\n"},
      {"delete the fourth of five: the list reads 1 to 4, the section is gone",
       [](CSectionFile& f) { return DeleteProfileFromList(f, kLayoutProfileList, "Mein"); },
       Changed({{"4=Mein\n5=Zweit\n", "4=Zweit\n"},
                {"[Mein]\n0=a\\#1\\#00000000\n1=b\\#1\\#00000000\n2=c\\#1\\#00000000\n3=d\\#1\\#00000000\n", ""}})},
  };
  for (const Row& row : rows) {
    CTempDir dir;
    WriteFile(dir / "tageinst.txt", kLayouts);
    CSectionFile file((dir / "tageinst.txt").string());
    EXPECT_EQ(row.edit(file), "") << row.name;
    EXPECT_EQ(ReadFile(dir / "tageinst.txt"), row.expected) << row.name;
  }
}

// Every refusal leaves the file as it was.
TEST(RuleFileEdit, RefusesNamesThatWouldBreakTheFile) {
  const std::string forbidden(file_text::kNameForbiddenCharacters);
  struct Row {
    const char* name;
    std::function<std::string(CSectionFile&)> edit;
    std::string reason;
  } rows[] = {
      {"a spelling of an existing section",
       [](CSectionFile& f) { return AddProfileToList(f, kLayoutProfileList, "STANDARD"); },
       std::string(file_text::kNameExists)},
      {"the list's own name", [](CSectionFile& f) { return AddProfileToList(f, kLayoutProfileList, "Vorlagen"); },
       file_text::NameReserved("Vorlagen")},
      {"a section bracket", [](CSectionFile& f) { return AddProfileToList(f, kProfileList, "neu]"); }, forbidden},
      {"an equals sign", [](CSectionFile& f) { return AddProfileToList(f, kProfileList, "a=b"); }, forbidden},
      {"the field separator in a tag name",
       [](CSectionFile& f) {
         return WriteLayoutProfile(f, "Mein", {{"a\\#b", "1", "00000000"}}, 0);
       },
       forbidden},
      {"a line break in a tag name",
       [](CSectionFile& f) {
         return WriteLayoutProfile(f, "Mein", {{"a\n[x]", "1", "00000000"}}, 0);
       },
       forbidden},
      {"a standard profile", [](CSectionFile& f) { return DeleteProfileFromList(f, kLayoutProfileList, "Baum"); },
       std::string(file_text::kStandardProfileProtected)},
  };
  for (const Row& row : rows) {
    CTempDir dir;
    WriteFile(dir / "tageinst.txt", kLayouts);
    CSectionFile file((dir / "tageinst.txt").string());
    EXPECT_EQ(row.edit(file), row.reason) << row.name;
    EXPECT_EQ(ReadFile(dir / "tageinst.txt"), kLayouts) << row.name;
  }
  EXPECT_EQ(CheckTagName("!--[if"), "");
  for (const char* typed : {"a=b", "![if", "x]"}) EXPECT_FALSE(CheckNewTagName(typed).empty()) << typed;
}

// The one-pass update at the edges of a text without a final line end: it keeps none.
TEST(RuleFileEdit, UpdateKeepsAMissingFinalLineEnd) {
  using Entries = std::vector<std::pair<std::string, std::string>>;
  struct Row {
    const char* before;
    Entries set;
    std::vector<std::string> remove;
    const char* after;
  } rows[] = {
      {"[a]\r\n0=x\r\n1=y", {{"0", "x2"}}, {"1"}, "[a]\r\n0=x2\r\n"},
      {"[a]\r\n0=x", {{"0", "x"}, {"1", "y"}}, {}, "[a]\r\n0=x\r\n1=y"},
      {"[a]\r\n0=x\r\n5=z", {{"0", "x"}, {"1", "y"}, {"2", "w"}}, {"5"}, "[a]\r\n0=x\r\n1=y\r\n2=w"},
      {"[a]", {{"0", "x"}}, {}, "[a]\r\n0=x"},
  };
  for (const Row& row : rows) {
    CIniText text{std::string(row.before)};
    EXPECT_TRUE(text.Update("a", row.set, row.remove)) << row.before;
    EXPECT_EQ(text.Text(), row.after) << row.before;
  }
}

// Saving a profile parses and writes the file once, however many entries it has.
TEST(RuleFileEdit, LargeProfileSavesInOnePass) {
  CTempDir dir;
  CSectionFile file((dir / "profile.txt").string());
  const CTagRuleList rules(100000, CTagRule{"font", true, true, false, false, false, false, "", false});
  ASSERT_EQ(WriteProfileRules(file, "Gross", rules, 0), "");
  ASSERT_EQ(WriteProfileRules(file, "Gross", CTagRuleList(rules.begin(), rules.end() - 2), 2), "");
  ASSERT_TRUE(file.ReadKeys("Gross"));
  EXPECT_EQ(file.Keys().size(), rules.size() - 2);
  EXPECT_EQ(file.Keys().back(), static_cast<std::int32_t>(rules.size() - 3));
}

// A write that fails (here: the file-size limit, as a full disk would) is reported with the
// system's reason and leaves the old file whole.
TEST(RuleFileEdit, FailedWriteIsReportedAndChangesNothing) {
  CTempDir dir;
  const std::string path = (dir / "profile.txt").string();
  WriteFile(dir / "profile.txt", "[#profile]\n1=A\n");
  CSectionFile file(path);
  CTagRuleList rules(50, CTagRule{"font", true, true, false, false, false, false, "", false});
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 64;
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  const std::string error = WriteProfileRules(file, "A", rules, 0);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(error, file_text::RuleFileUnwritable(path, "Datei zu groß"));
  EXPECT_EQ(ReadFile(dir / "profile.txt"), "[#profile]\n1=A\n");
}

}  // namespace
}  // namespace trimvale
