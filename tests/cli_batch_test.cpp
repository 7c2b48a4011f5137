// trimvale-cli files and dir, run as separate processes over temporary trees.

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <map>

#include "tests/cli_runner.h"
#include "tests/test_util.h"

namespace trimvale {
namespace {

namespace fs = std::filesystem;
using test::RunCli;

const std::string kSummaryStart = "Optimieren beendet. Anzahl optimierter Dateien: ";
const std::string kDone = "Optimiert, alte Grösse";

std::string Summary(int count, int failed = 0) {
  return kSummaryStart + std::to_string(count) + "\nFehlgeschlagen: " + std::to_string(failed) + "\n\n";
}

int CountOf(const std::string& text, const std::string& part) {
  int n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
  return n;
}

// A word-processor page that optimization visibly shrinks.
std::string WordPage(int variant, int paragraphs = 2) {
  std::string page = "<html><body>\r\n";
  for (int i = 0; i < paragraphs; ++i) {
    page += "<P class=MsoNormal style='mso-margin-top-alt:auto'><span style='mso-bidi-font-size:12.0pt'>Absatz " +
            std::to_string(variant) + "." + std::to_string(i) + "<o:p></o:p></span></P>\r\n";
  }
  return page + "</body></html>\r\n";
}

class CliBatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(rules_);
    test::WriteFile(rules_ / "tageinst.txt",
                    "[vorlagen]\r\n1=standard\r\n[standard]\r\n0=p\\#2\\#10000001\r\n1=span\\#1\\#00000000\r\n");
    // An empty exclusion list, so that a directory run has nothing to complain about.
    test::WriteFile(rules_ / "lst.dat", std::string(4, '\0'));
    // The command line resolves "." and ".." against the real current directory, which has no links.
    root_ = fs::weakly_canonical(tmp_.path());
  }

  std::vector<std::string> Args(std::vector<std::string> args) const {
    args.insert(args.begin() + 1, {"--rules-dir", rules_.string(), "--settings", settings_.string()});
    return args;
  }
  std::vector<std::string> ProcessArgs(const std::vector<std::string>& args) const {
    std::vector<std::string> argv = Args(args);
    argv.insert(argv.begin(), test::CliPath());
    return argv;
  }

  fs::path P(const std::string& rel) const { return root_ / rel; }
  std::string S(const std::string& rel) const { return P(rel).string(); }
  void Make(const std::string& rel, const std::string& bytes) const {
    fs::create_directories(P(rel).parent_path());
    test::WriteFile(P(rel), bytes);
  }
  std::string Read(const std::string& rel) const { return test::ReadFile(P(rel)); }
  void Set(const std::string& name, const std::string& value) const {
    ASSERT_EQ(RunCli(Args({"settings", "set", "Einstellungen", name, value})).status, 0) << name;
  }
  std::string Get(const std::string& section, const std::string& name) const {
    return RunCli(Args({"settings", "get", section, name})).out;
  }
  // What `optimize` makes of `page` with the same store: the text a batch run writes.
  std::string Optimized(const std::string& page) const {
    auto result = RunCli(Args({"optimize", "--allowed-level", "1"}), page);
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out;
  }
  // The files below `rel`, relative to it, sorted.
  std::vector<std::string> Listing(const std::string& rel) const {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(P(rel))) {
      if (!e.is_directory()) names.push_back(fs::relative(e.path(), P(rel)).string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  test::CTempDir tmp_;
  fs::path root_;
  fs::path rules_ = tmp_ / "programm";
  fs::path settings_ = tmp_ / "einstellungen.ini";
};

TEST_F(CliBatchTest, FilesRunPlacesCopiesAndResultsForEachBackupMode) {
  struct Case {
    std::string name;
    std::vector<std::string> flags;
    std::map<std::string, bool> expected;  // file below the case's folder -> holds the optimized page
  };
  const std::vector<Case> cases = {
      {"own ending",
       {"--backup-ending", ".alt"},
       {{"web/a.htm", true}, {"web/a.htm.alt", false}, {"web/de/b.htm", true}, {"web/de/b.htm.alt", false}}},
      // A list of files has no start directory: every copy lands directly in the folder.
      {"original moved",
       {"--backup-mode", "1", "--folder", "kopie"},
       {{"web/a.htm", true}, {"web/de/b.htm", true}, {"kopie/a.htm", false}, {"kopie/b.htm", false}}},
      {"output folder",
       {"--backup-mode", "2", "--folder", "aus"},
       {{"web/a.htm", false}, {"web/de/b.htm", false}, {"aus/a.htm", true}, {"aus/b.htm", true}}},
      {"no backup", {"--backup", "0", "--backup-mode", "2"}, {{"web/a.htm", true}, {"web/de/b.htm", true}}},
  };
  const std::string page = WordPage(1), optimized = Optimized(page);
  ASSERT_NE(optimized, page);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    const std::string base = "fall" + std::to_string(i);
    Make(base + "/web/a.htm", page);
    Make(base + "/web/de/b.htm", page);
    fs::create_directories(P(base + "/kopie"));
    fs::create_directories(P(base + "/aus"));
    // A name relative to the current directory and one with "." and ".." in it.
    std::vector<std::string> args = {"files", fs::relative(P(base + "/web/a.htm"), fs::current_path()).string(),
                                     S(base + "/web/de") + "/../de/./b.htm"};
    for (const std::string& flag : c.flags)
      args.push_back(flag == "kopie" || flag == "aus" ? S(base + "/" + flag) : flag);
    auto result = RunCli(Args(args));
    ASSERT_EQ(result.status, 0) << c.name << "\n" << result.err;
    EXPECT_NE(result.err.find("Optimiere: " + S(base + "/web/de/b.htm") + "\n"), std::string::npos) << result.err;
    EXPECT_TRUE(result.err.ends_with(Summary(2))) << c.name << "\n" << result.err;
    std::vector<std::string> expectedFiles;
    for (const auto& [file, isOptimized] : c.expected) {
      expectedFiles.push_back(file);
      EXPECT_EQ(Read(base + "/" + file), isOptimized ? optimized : page) << c.name << ": " << file;
    }
    EXPECT_EQ(Listing(base), expectedFiles) << c.name;
  }
}

TEST_F(CliBatchTest, DirRunRebuildsTheTreeAndRemembersTheChooserValues) {
  const std::string page = WordPage(3);
  Make("web/a.htm", page);
  Make("web/de/b.html", page);
  Make("web/de/c.txt", page);
  Make("web/_vti_cnf/d.htm", page);
  fs::create_directories(P("aus"));
  Set("Sikop Art", "2");
  Set("Neuordnername", S("aus"));
  Set("Verz Str opt", "1");

  auto result = RunCli(Args({"dir", "--subfolders", S("web") + "/"}));
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(result.err.starts_with("Optimiere: ")) << result.err;  // the exclusion list was found
  EXPECT_EQ(Listing("aus"), (std::vector<std::string>{"a.htm", "de/b.html"}));
  EXPECT_EQ(Read("aus/de/b.html"), Optimized(page));
  EXPECT_EQ(Read("web/de/b.html"), page);
  EXPECT_TRUE(result.err.ends_with(Summary(2))) << result.err;
  // Written back at once, as the directory chooser does, without the trailing separator.
  EXPECT_EQ(Get("Assistent", "Verzeichnis"), S("web") + "\n");
  EXPECT_EQ(Get("Assistent", "Unterordner"), "1\n");
  EXPECT_EQ(Get("Assistent", "Erweiterungen"), ".htm;.html;\n");

  // A missing exclusion list matters only to a run that uses it.
  fs::remove(rules_ / "lst.dat");
  result = RunCli(Args({"dir", "--no-subfolders", "--extensions", "HTM,html", S("web")}));
  EXPECT_TRUE(result.err.starts_with("Optimiere: " + S("web/a.htm") + "\n")) << result.err;
  EXPECT_EQ(Get("Assistent", "Erweiterungen"), ".htm;.html;\n");
  result = RunCli(Args({"dir", "--skip-listed-dirs", "1", S("web")}));
  EXPECT_TRUE(result.err.starts_with(
      "Fehler beim Lesen der Liste der nicht zu optimierenden Verzeichnisse. Diese Option wird ignoriert.\n"))
      << result.err;
}

TEST_F(CliBatchTest, RefusedSettingsAndUsageErrorsExitWithTwoAndTouchNothing) {
  const std::string page = WordPage(5);
  Make("web/a.htm", page);
  const std::string folderMessage = "Bitte wählen Sie einen gültigen Namen für den Ordner für die Sicherungskopie\n";
  struct Case {
    std::string name;
    std::vector<std::string> args;
    std::string err;  // exact, or empty when only the status counts
  };
  const std::vector<Case> cases = {
      {"mode 1 without folder", {"files", "--backup-mode", "1", S("web/a.htm")}, folderMessage},
      {"copy without ending",
       {"files", "--backup-ending", "", S("web/a.htm")},
       "Bitte geben Sie eine Dateiendung für die Sicherungskopie an.\n"},
      {"start directory missing",
       {"dir", S("fehlt")},
       "Fehler: Bitte wählen Sie ein gültiges Verzeichnis: " + S("fehlt") + "\n"},
  };
  for (const Case& c : cases) {
    auto result = RunCli(Args(c.args));
    EXPECT_EQ(result.status, 2) << c.name << "\n" << result.err;
    if (!c.err.empty()) {
      EXPECT_EQ(result.err, c.err) << c.name;
    }
  }
  EXPECT_EQ(Listing("web"), std::vector<std::string>{"a.htm"});
  EXPECT_EQ(Read("web/a.htm"), page);
}

TEST_F(CliBatchTest, EachFileIsOptimizedOnceHoweverOftenItIsNamed) {
  const std::string page = WordPage(6);
  Make("web/a.htm", page);
  fs::create_symlink(P("web/a.htm"), P("web/link.htm"));
  auto result = RunCli(
      Args({"files", "--existing-backup", "1", S("web/a.htm"), S("web/./a.htm"), S("web/link.htm"), S("web/a.htm")}));
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(CountOf(result.err, "Optimiere: "), 1) << result.err;
  EXPECT_TRUE(result.err.ends_with(Summary(1)));
  EXPECT_EQ(Read("web/a.htm.bak"), page);  // a second pass would have copied the optimized text over it
}

// The exit status tells a script what happened: 0 all written, 3 some withheld by the error gate,
// 1 as soon as one file failed.
TEST_F(CliBatchTest, ExitStatusSaysWhatHappened) {
  Make("gut.htm", "<p>gut</p>");
  Make("fehler.htm", "<p>x</b>");
  struct Case {
    std::vector<std::string> files;
    int status;
    int failed;
  };
  const Case cases[] = {
      {{"gut.htm"}, 0, 0},
      {{"gut.htm", "fehler.htm"}, 3, 0},
      {{"fehlt.htm", "fehler.htm", "gut.htm"}, 1, 1},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"files", "--backup", "0", "--allowed-level", "0"};
    for (const std::string& f : c.files) args.push_back(S(f));
    auto result = RunCli(Args(args));
    EXPECT_EQ(result.status, c.status) << result.err;
    EXPECT_TRUE(result.err.ends_with(Summary(1, c.failed))) << result.err;
  }
  EXPECT_EQ(Read("fehler.htm"), "<p>x</b>");
}

// Root ignores permissions, so the run is made as nobody. A protected page is left as it is
// (no copy either), a folder that cannot be listed is named, and both make the run fail.
TEST_F(CliBatchTest, ProtectedPagesAndUnreadableFoldersFailTheRun) {
  if (::geteuid() != 0 || ::access("/usr/bin/setpriv", X_OK) != 0) {
    GTEST_SKIP() << "needs root and setpriv to run as nobody";
  }
  const std::string page = WordPage(9);
  Make("web/offen.htm", page);
  Make("web/geschuetzt.htm", page);
  Make("web/zu/c.htm", page);
  for (const char* rel : {"web/offen.htm", "web/geschuetzt.htm"}) fs::permissions(P(rel), fs::perms::all);
  fs::permissions(P("web/geschuetzt.htm"), fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
  fs::permissions(P("web/zu"), fs::perms::none);
  for (const fs::path& p : {tmp_.path(), P("web"), rules_, settings_}) {
    if (fs::exists(p)) fs::permissions(p, fs::perms::all);
  }
  std::vector<std::string> argv = ProcessArgs({"dir", "--subfolders", "--skip-listed-dirs", "0", S("web")});
  argv.insert(argv.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
  test::CChildProcess child(argv);
  const test::CCliResult& result = child.Wait();
  fs::permissions(P("web/zu"), fs::perms::owner_all);
  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_NE(result.err.find("Datei ist schreibgeschützt: " + S("web/geschuetzt.htm") + "\n"), std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("Kann Verzeichnis nicht lesen: " + S("web/zu") + "\n"), std::string::npos);
  EXPECT_TRUE(result.err.ends_with(Summary(1, 2))) << result.err;
  EXPECT_EQ(Read("web/geschuetzt.htm"), page);
  EXPECT_FALSE(fs::exists(P("web/geschuetzt.htm.bak")));
  EXPECT_NE(Read("web/offen.htm"), page);
}

// Under a file-size limit the write fails, is reported in German, and leaves neither a damaged
// page nor a temporary file.
TEST_F(CliBatchTest, FileSizeLimitIsReportedNotFatal) {
  const std::string page = "<p>" + std::string(3000, 'x') + "</p>";
  Make("seite/gross.htm", page);
  std::string command = "ulimit -f 1; exec";
  for (const std::string& arg : ProcessArgs({"optimize", "--in-place", S("seite/gross.htm")})) {
    command += " '" + arg + "'";
  }
  test::CChildProcess child({"/bin/sh", "-c", command});
  const test::CCliResult& result = child.Wait();
  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_TRUE(result.err.ends_with("Fehler: Die Datei '" + S("seite/gross.htm") +
                                   "' kann nicht geschrieben werden: Datei zu groß\n"))
      << result.err;
  EXPECT_EQ(Read("seite/gross.htm"), page);
  EXPECT_EQ(Listing("seite"), (std::vector<std::string>{"gross.htm"}));
}

TEST_F(CliBatchTest, ExcludeCommandEditsTheListDirectoryRunsSkip) {
  Make("web/a.htm", "<p>a</p>");
  Make("web/alt/b.htm", "<p>b</p>");
  auto exclude = [&](std::vector<std::string> args) {
    args.insert(args.begin(), "exclude");
    return RunCli(Args(args));
  };
  EXPECT_EQ(exclude({"add", S("web/alt")}).status, 0);
  EXPECT_EQ(exclude({"add", S("web") + "/../web/alt"}).err,
            "Das Verzeichnis steht bereits in der Liste: " + S("web/alt") + "\n");
  EXPECT_EQ(exclude({"add", "/srv/andere"}).status, 0);
  EXPECT_EQ(exclude({"list"}).out, S("web/alt") + "\n/srv/andere\n");
  auto result = RunCli(Args({"dir", "--subfolders", "--skip-listed-dirs", "1", "--backup", "0", S("web")}));
  EXPECT_EQ(CountOf(result.err, "Optimiere: "), 1) << result.err;
  EXPECT_EQ(Read("web/alt/b.htm"), "<p>b</p>");
  EXPECT_EQ(exclude({"remove", "/srv/andere"}).status, 0);
  EXPECT_EQ(exclude({"remove", "/srv/andere"}).status, 1);
  EXPECT_EQ(exclude({"list"}).out, S("web/alt") + "\n");
  // A damaged list is left as it is: its entries would be lost.
  test::WriteFile(rules_ / "lst.dat", std::string("\x05\0\0\0", 4));
  result = exclude({"add", "/srv"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(test::ReadFile(rules_ / "lst.dat"), std::string("\x05\0\0\0", 4));
}

// On a terminal of 50 columns the progress line is redrawn in place and cut to fit; through a
// pipe it never appears.
TEST_F(CliBatchTest, ProgressLineOnlyOnATerminal) {
  const std::string name = "web/seite-mit-einem-recht-langen-namen";
  for (int i = 0; i < 2; ++i) Make(name + std::to_string(i) + ".htm", "<p>x</p>");
  EXPECT_EQ(RunCli(Args({"dir", S("web")})).err.find_first_of("\r\x1b"), std::string::npos);

  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_TRUE(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
  const int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  winsize size{};
  size.ws_col = 50;
  ::ioctl(terminal, TIOCSWINSZ, &size);
  std::string out;
  {
    test::CChildProcess child(ProcessArgs({"files", "--backup", "0", S(name + "0.htm"), S(name + "1.htm")}), {},
                              terminal);
    ::close(terminal);
    EXPECT_EQ(child.Wait().status, 0);
    char buffer[4096];
    for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(master);
  EXPECT_NE(out.find("\r\x1b[K2 von 2 Dateien fertig: ..."), std::string::npos) << out;
  EXPECT_TRUE(out.ends_with("\r\x1b[K" + kSummaryStart + "2\r\nFehlgeschlagen: 0\r\n\r\n")) << out;
}

// A run stopped in the middle of a large directory, by Ctrl-C or killed outright, leaves each page
// whole or completely optimized, and every copy made is the whole original. Ctrl-C ends with the
// note, a summary that counts exactly the pages written, and status 130.
TEST_F(CliBatchTest, StoppedRunLeavesEachPageWholeOrOptimized) {
  constexpr int kFiles = 2000, kVariants = 4;
  std::vector<std::string> originals, results;
  for (int v = 0; v < kVariants; ++v) {
    originals.push_back(WordPage(v, 1 + v));
    results.push_back(Optimized(originals.back()));
  }
  for (const int sig : {SIGKILL, SIGINT}) {
    const std::string web = "web" + std::to_string(sig);
    for (int i = 0; i < kFiles; ++i) Make(web + "/p" + std::to_string(i) + ".htm", originals[i % kVariants]);
    test::CChildProcess child(ProcessArgs({"dir", "-j", "2", S(web)}));
    child.ReadUntil([](const std::string& err) { return CountOf(err, kDone) >= 40; });
    child.Signal(sig);
    const test::CCliResult& result = child.Wait();
    int written = 0;
    for (int i = 0; i < kFiles; ++i) {
      const std::string name = web + "/p" + std::to_string(i) + ".htm";
      const std::string content = Read(name);
      const bool done = content == results[i % kVariants];
      EXPECT_TRUE(done || content == originals[i % kVariants]) << name;
      if (fs::exists(P(name + ".bak"))) {
        EXPECT_EQ(Read(name + ".bak"), originals[i % kVariants]) << name;
      }
      written += done ? 1 : 0;
    }
    EXPECT_GE(written, 40) << sig;
    EXPECT_LT(written, kFiles) << sig;
    if (sig == SIGKILL) {
      EXPECT_EQ(result.status, 128 + SIGKILL);
      continue;
    }
    EXPECT_EQ(result.status, 130) << result.err;
    const auto cancelling = result.err.find("Breche ab...\n");
    EXPECT_LT(cancelling, result.err.find("Vorgang vom Benutzer abgebrochen.\n")) << result.err;
    EXPECT_TRUE(result.err.ends_with("Vorgang vom Benutzer abgebrochen.\n" + Summary(written))) << result.err;
  }
}

}  // namespace
}  // namespace trimvale
