#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>

#include "rules/file_settings_store.h"
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
      {"optimize", "--line-ends", "mac"},
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

// --positions puts the place before each parse report, on a line of its own, and changes
// nothing else; the file is named as given, "-" for standard input.
TEST_F(CliTest, PositionsPrefixEachParseReport) {
  const std::string page = "<p>a\r\n</td>Preis <5</p>";
  const std::string report = "Ein Endtag zuviel, td wird gelöscht\n";
  const auto plain = RunCli(Args({"optimize", "--options", "0"}), page);
  const auto placed = RunCli(Args({"optimize", "--options", "0", "--positions"}), page);
  EXPECT_EQ(plain.out, placed.out);
  EXPECT_EQ(placed.err.substr(0, placed.err.find(report) + report.size()), "Parse Datei\n-:2:1: " + report);
  EXPECT_EQ(placed.err.substr(placed.err.find(report)), plain.err.substr(plain.err.find(report)));

  const std::string file = (dir_ / "seite.htm").string();
  test::WriteFile(file, "\xEF\xBB\xBF<ul><li>\xC3\xA4</b>");
  EXPECT_EQ(RunCli(Args({"tree", "--positions", file})).err, file + ":1:10: Ein Endtag zuviel, b wird gelöscht\n");
  const auto batch = RunCli(Args({"files", "--positions", "--backup", "0", "-j", "2", file}));
  EXPECT_NE(batch.err.find("\n" + file + ":1:10: Ein Endtag zuviel, b wird gelöscht\n"), std::string::npos)
      << batch.err;
}

// A page nested a million deep must not print a square of blanks: from 64 levels on, the
// indentation stays and the line names its depth.
TEST_F(CliTest, TreeIndentsAtMost64Levels) {
  std::string page;
  for (int i = 0; i < 70; ++i) page += "<b>";
  auto result = RunCli(Args({"tree"}), page + "x");
  ASSERT_EQ(result.status, 0) << result.err;
  const std::string deepest(128, ' ');
  EXPECT_NE(result.out.find("\n" + deepest + "b\n" + deepest + "[66] b\n"), std::string::npos);
  EXPECT_EQ(result.out.substr(result.out.size() - 136), "\n" + deepest + "[71] x\n");
}

// Rule and settings files that are there but cannot be used are reported, and the run goes on
// as without them; a FIFO must not hang the run and a link to /dev/zero must not fill memory.
TEST_F(CliTest, UnusableRuleAndSettingsFilesAreReported) {
  const std::string layout = (dir_ / "tageinst.txt").string(), profile = (dir_ / "profile.txt").string();
  std::filesystem::remove(layout);
  ASSERT_EQ(::mkfifo(layout.c_str(), 0600), 0);
  std::filesystem::remove(profile);
  std::filesystem::create_symlink("/dev/zero", profile);
  ASSERT_EQ(::mkfifo((dir_ / "s.ini").c_str(), 0600), 0);
  const std::string settingsLine =
      "Die Einstellungsdatei '" + (dir_ / "s.ini").string() + "' kann nicht gelesen werden: keine gewöhnliche Datei\n";
  const std::string layoutLine = "Die Datei '" + layout + "' kann nicht gelesen werden: keine gewöhnliche Datei\n";

  auto plain = RunCli(Args({"optimize", "--options", "0"}), "<p>x</p>");
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(plain.err.substr(0, settingsLine.size() + layoutLine.size()), settingsLine + layoutLine);
  EXPECT_EQ(plain.out, "<p>x</p>");
  auto withProfile = RunCli(Args({"tree", "--profile", "fett"}), "<p>x</p>");
  EXPECT_EQ(withProfile.status, 2);
  EXPECT_EQ(withProfile.err, settingsLine + layoutLine + "Die Datei '" + profile +
                                 "' kann nicht gelesen werden: keine gewöhnliche Datei\n"
                                 "Fehler: Optimierungsprofil 'fett' nicht in " +
                                 profile + " gefunden. Vorhandene Profile: keine\n");
  auto set = RunCli(Args({"settings", "set", "Einstellungen", "Baumart", "1"}));
  EXPECT_EQ(set.status, 1) << set.err;
}

// A result that cannot be written to standard output is a failure, never a success.
TEST_F(CliTest, FailedStandardOutputExitsWithOne) {
  const std::vector<std::vector<std::string>> cases = {
      {"optimize", "--options", "0"}, {"tree"}, {"settings", "get", "Einstellungen", "Baumart"}};
  for (const auto& args : cases) {
    std::vector<std::string> argv = {"/bin/sh", "-c", "exec \"$0\" \"$@\" >/dev/full", test::CliPath()};
    for (const std::string& arg : Args(args)) argv.push_back(arg);
    test::CChildProcess child(argv, "<p>x</p>");
    const auto& result = child.Wait();
    EXPECT_EQ(result.status, 1) << args[0] << "\n" << result.err;
    EXPECT_NE(result.err.find("Fehler: Die Standardausgabe kann nicht geschrieben werden: "), std::string::npos)
        << result.err;
  }
}

// Twenty programs writing the store at once: each value reaches the file.
TEST_F(CliTest, ConcurrentSettingsWritesKeepEveryValue) {
  std::vector<std::unique_ptr<test::CChildProcess>> children;
  for (int i = 0; i < 20; ++i) {
    std::vector<std::string> argv = Args({"settings", "set", "Test", "Wert" + std::to_string(i), std::to_string(i)});
    argv.insert(argv.begin(), test::CliPath());
    children.push_back(std::make_unique<test::CChildProcess>(argv));
  }
  for (auto& child : children) EXPECT_EQ(child->Wait().status, 0) << child->result.err;
  CFileSettingsStore store((dir_ / "s.ini").string());
  for (int i = 0; i < 20; ++i) EXPECT_EQ(store.ReadInt("Test", "Wert" + std::to_string(i), -1), i);
}

// A settings file that is a symbolic link stays one; the value goes to the file it names. Disabled
// until the atomic writer writes through links (the store hands it the path as given).
TEST_F(CliTest, SettingsWriteThroughALink) {
  std::filesystem::create_directory(dir_ / "echt");
  test::WriteFile(dir_ / "echt" / "t.ini", "[Einstellungen]\nBaumart=0\n");
  std::filesystem::create_symlink(dir_ / "echt" / "t.ini", dir_ / "s.ini");
  ASSERT_EQ(RunCli(Args({"settings", "set", "Einstellungen", "Baumart", "2"})).status, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(dir_ / "s.ini"));
  EXPECT_EQ(test::ReadFile(dir_ / "echt" / "t.ini"), "[Einstellungen]\nBaumart=2\n");
}

// The store's layout values are the defaults that flags override; profile rules apply only when
// a profile is named. One kind of line end throughout, but inside pre (and textarea and script)
// byte for byte.
TEST_F(CliTest, OptionsFromTheFlagOrTheStore) {
  const std::string lf = "<p>a</p>\n<!-- x\ny -->\n<pre>a\r\nb</pre>";
  const std::string cr = "<p>a</p>\r<!-- x\ry -->\r<pre>a\r\nb</pre>";
  const std::string crlf = "<p>a</p>\r\n<!-- x\r\ny -->\r\n<pre>a\r\nb</pre>";
  const std::string tree = "Baumart=2\nAnz Leerzeichen Einschub=4\n";
  struct Case {
    std::string stored;  // entries of [Einstellungen]
    std::vector<std::string> flags;
    std::string page, expected;
  } cases[] = {
      {"", {"--options", "0"}, lf, crlf},
      {"", {"--options", "0", "--line-ends", "lf"}, cr, lf},
      {"", {"--options", "0", "--line-ends", "keep"}, lf, lf},
      {"", {"--options", "0", "--line-ends", "keep"}, cr, cr},
      {"Zeilenende=2\n", {"--options", "0"}, lf, lf},
      {tree, {"--options", "0"}, "<ul><li>a</ul>", "<ul>\r\n    <li>\r\n        a\r\n    </li>\r\n</ul>\r\n"},
      {tree, {"--options", "0", "--layout-mode", "1"}, "<ul><li>a</ul>", "<ul><li>a</li></ul>"},
      {"Darstellung bewahren=1\n", {}, "<p><span lang=DE>x</span></p>", "<p><span lang=\"DE\">x</span></p>\r\n"},
      {"", {"--options", "0"}, "<b>x</b>", "<b>x</b>"},
      {"", {"--options", "0", "--profile", "fett"}, "<b>x</b>", "<strong>x</strong>"},
  };
  for (auto& c : cases) {
    test::WriteFile(dir_ / "s.ini", "[Einstellungen]\n" + c.stored);
    std::vector<std::string> args = {"optimize"};
    args.insert(args.end(), c.flags.begin(), c.flags.end());
    EXPECT_EQ(RunCli(Args(args), c.page).out, c.expected)
        << c.stored << testing::PrintToString(c.flags) << " " << testing::PrintToString(c.page);
  }
}

}  // namespace
}  // namespace trimvale
