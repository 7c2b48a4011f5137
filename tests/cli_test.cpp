#include <gtest/gtest.h>

#include "tests/cli_runner.h"
#include "tests/test_util.h"

namespace trimvale {
namespace {

using test::RunCli;

// A program folder and settings file of the test's own, so the user's files never matter.
class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteFile(dir_ / "tageinst.txt",
                    "[vorlagen]\r\n1=standard\r\n[standard]\r\n0=p\\#2\\#10000001\r\n1=b\\#1\\#00000000\r\n"
                    "2=br\\#0\\#00100000\r\n5=!--\\#0\\#00000000\r\n3=ul\\#1\\#10110101\r\n4=li\\#2\\#10000001\r\n");
    test::WriteFile(dir_ / "profile.txt", "[#profile]\r\n1=fett\r\n[fett]\r\n0=b\\#strong\\#0000010\r\n");
  }
  std::vector<std::string> Args(std::vector<std::string> args) const {
    args.insert(args.begin() + 1, {"--rules-dir", dir_.path().string(), "--settings", (dir_ / "s.ini").string()});
    return args;
  }
  test::CTempDir dir_;
};

TEST_F(CliTest, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"optimize", "--width", "19"},
      {"optimize", "--in-place"},
      {"tree", "--layout-profile", "fehlt"},
      {"settings", "set", "Einstellungen", "Baumart", "zwei"},
  };
  for (const auto& args : cases) {
    auto result = RunCli(Args(args), "<p>x</p>");
    EXPECT_EQ(result.status, 2) << args[1] << " " << args.back() << "\n" << result.err;
    EXPECT_TRUE(result.out.empty());
  }
  EXPECT_EQ(RunCli({}).status, 2);
}

TEST_F(CliTest, UnreadableInputExitsWithOneNamingTheFile) {
  const std::string missing = (dir_ / "fehlt.htm").string();
  for (const char* command : {"optimize", "tree"}) {
    auto result = RunCli(Args({command, missing}));
    EXPECT_EQ(result.status, 1) << command;
    EXPECT_NE(result.err.find(missing), std::string::npos) << result.err;
  }
}

TEST_F(CliTest, OptimizeWritesTheResultToStandardOutputAndMessagesWithLineFeeds) {
  auto result = RunCli(Args({"optimize", "--options", "0"}), "<p>Hallo</p>");
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "<p>Hallo</p>\r\n");
  EXPECT_EQ(result.err, "Parse Datei\nBeginne Optimierung\nDatei optimiert, setze Dokument zusammen...\n\n");
}

// A result held back by the error gate never replaces the output file or the page itself.
TEST_F(CliTest, OutputFileAndInPlaceOnlyWhenTheResultIsWritten) {
  const auto page = dir_ / "seite.htm", target = dir_ / "ziel.htm";
  test::WriteFile(page, "");
  test::WriteFile(target, "alt");
  for (const std::string& where : {std::string("-o"), std::string("--in-place")}) {
    std::vector<std::string> args = {"optimize", "--allowed-level", "0", where, page.string()};
    if (where == "-o") args.insert(args.begin() + 4, target.string());
    auto result = RunCli(Args(args));
    EXPECT_EQ(result.status, 3) << result.err;
    EXPECT_NE(result.err.find("Datei wird nicht optimiert"), std::string::npos);
  }
  EXPECT_EQ(test::ReadFile(target), "alt");
  EXPECT_EQ(test::ReadFile(page), "");

  test::WriteFile(page, "<P>eins</P>");
  ASSERT_EQ(RunCli(Args({"optimize", "--options", "0", "-o", target.string(), page.string()})).status, 0);
  ASSERT_EQ(RunCli(Args({"optimize", "--options", "0", "--in-place", page.string()})).status, 0);
  EXPECT_EQ(test::ReadFile(target), "<P>eins</P>\r\n");
  EXPECT_EQ(test::ReadFile(page), "<P>eins</P>\r\n");
}

TEST_F(CliTest, TreePrintsOneLinePerNodeIndentedByDepth) {
  auto result = RunCli(Args({"tree"}), "<ul><li class=a>x\r\n  y<li>z</ul><!-- k -->\r\n</b>");
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            "ul\n"
            "  li class=a\n"
            "    x y\n"
            "    li\n"
            "      z\n"
            "!-- k --\n");
  EXPECT_EQ(result.err, "Stack-unterlauf beim Parsen des HTML Codes\n");
  // A UTF-16 page is shown decoded; its byte-order mark is no text node.
  EXPECT_EQ(RunCli(Args({"tree"}), std::string("\xFF\xFE<\0p\0>\0\xE4\0", 10)).out, "p\n  \xC3\xA4\n");
}

TEST_F(CliTest, ProfileRulesApplyOnlyWhenAProfileIsNamed) {
  auto plain = RunCli(Args({"optimize", "--options", "0"}), "<b>x</b>");
  auto withProfile = RunCli(Args({"optimize", "--options", "0", "--profile", "fett"}), "<b>x</b>");
  EXPECT_EQ(plain.out, "<b>x</b>");
  EXPECT_EQ(withProfile.out, "<strong>x</strong>");
}

TEST_F(CliTest, SettingsRoundTripThroughTheStore) {
  EXPECT_EQ(RunCli(Args({"settings", "get", "Einstellungen", "Zeilenbreite"})).out, "70\n");
  EXPECT_EQ(RunCli(Args({"settings", "set", "einstellungen", "ZEILENBREITE", "100"})).status, 0);
  EXPECT_EQ(RunCli(Args({"settings", "set", "Einstellungen", "Sikop Endung", " .alt "})).status, 0);
  EXPECT_EQ(RunCli(Args({"settings", "get", "Einstellungen", "Sikop Endung"})).out, " .alt \n");
  auto list = RunCli(Args({"settings", "list"}));
  EXPECT_NE(list.out.find("[Einstellungen]\nBaumart=0\n"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("Zeilenbreite=100\n"), std::string::npos);
}

TEST_F(CliTest, StoredLayoutSettingsAreTheDefaults) {
  ASSERT_EQ(RunCli(Args({"settings", "set", "Einstellungen", "Baumart", "2"})).status, 0);
  ASSERT_EQ(RunCli(Args({"settings", "set", "Einstellungen", "Anz Leerzeichen Einschub", "4"})).status, 0);
  auto result = RunCli(Args({"optimize", "--options", "0"}), "<ul><li>a</ul>");
  EXPECT_EQ(result.out, "<ul>\r\n    <li>\r\n        a\r\n    </li>\r\n</ul>\r\n");
  auto oneLine = RunCli(Args({"optimize", "--options", "0", "--layout-mode", "1"}), "<ul><li>a</ul>");
  EXPECT_EQ(oneLine.out, "<ul><li>a</li></ul>");
}

}  // namespace
}  // namespace trimvale
