#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <ctime>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "batch/directory_walk.h"
#include "tests/test_util.h"

namespace trimvale {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// A walk over a temporary tree that records the files it hands on, relative to the tree.
class WalkTest : public ::testing::Test {
 protected:
  void Make(const std::string& rel) {
    fs::create_directories((dir / rel).parent_path());
    test::WriteFile(dir / rel, "x");
  }
  std::string Root() const { return (dir / "web").string(); }
  Names Walk() {
    Names seen;
    CWalkOptions options{filters, settings, subfolders, extensions, sink, cancel};
    WalkDirectory(Root(), options, [&](const std::string& file) {
      seen.push_back(file.substr(dir.path().string().size() + 1));
      if (onFile) onFile(file);
    });
    return seen;
  }

  test::CTempDir dir;
  DirectoryFilters filters;
  BatchSettings settings;
  bool subfolders = true;
  std::string extensions = ".htm;.html;";
  CStringSink sink;
  std::atomic<bool> cancel{false};
  std::function<void(const std::string&)> onFile;
};

TEST_F(WalkTest, DepthFirstInUpperCasedOrdinalOrder) {
  // Upper-cased, '_' sorts after the letters; a sub-directory is finished before its next sibling.
  for (const char* f : {"web/b.htm", "web/A2.htm", "web/a1.htm", "web/_z.htm", "web/Z.htm", "web/m/x.htm",
                        "web/m/sub/y.htm", "web/n.htm"}) {
    Make(f);
  }
  EXPECT_EQ(Walk(), (Names{"web/a1.htm", "web/A2.htm", "web/b.htm", "web/m/sub/y.htm", "web/m/x.htm", "web/n.htm",
                           "web/Z.htm", "web/_z.htm"}));
}

TEST_F(WalkTest, DirectoryStringsAndExclusionListSkipWholeSubtrees) {
  for (const char* f :
       {"web/_vti_cnf/a.htm", "web/de/_vti_cnf/b.htm", "web/de/c.htm", "web/alt/tief/e.htm", "web/altneu/f.htm"}) {
    Make(f);
  }
  filters.skipDirStrings = true;  // with the default string _vti_cnf;
  filters.skipListedDirs = true;
  // A listed folder is skipped however it is named (here through a link); a folder that only
  // begins like a listed one is walked.
  fs::create_directory_symlink(dir / "web", dir / "verweis");
  filters.excludedDirs = {(dir / "verweis/alt/").string()};
  EXPECT_EQ(Walk(), (Names{"web/altneu/f.htm", "web/de/c.htm"}));
  // A token that occurs in the start directory's own path skips every sub-directory, never the start.
  filters.dirStrings = "web;";
  EXPECT_EQ(Walk(), Names{});
}

TEST_F(WalkTest, AgeTestCountsWholeMinutes) {
  const std::time_t now = std::time(nullptr);
  for (const auto& [name, minutesAgo] : {std::pair{"1439.htm", 1439}, {"1441.htm", 1441}, {"zukunft.htm", -10}}) {
    Make(std::string("web/") + name);
    const std::time_t t = now - minutesAgo * 60;
    timespec times[2] = {{t, 0}, {t, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "web" / name).c_str(), times, 0), 0);
  }
  filters.byDate = true;
  filters.byChanged = true;
  filters.days = 1;
  EXPECT_EQ(Walk(), Names{"web/1439.htm"});
  // Both times set: both must pass (every file was created just now).
  filters.days = 2;
  filters.byCreated = true;
  EXPECT_EQ(Walk(), (Names{"web/1439.htm", "web/1441.htm"}));
}

TEST(FileFilters, EndingsAndNameStrings) {
  DirectoryFilters filters;
  // Endings in any letter case, with or without the dot, separated by ";" or ",".
  for (const auto& [list, name, passes] : {std::tuple{".htm;.html;", "b.HTML", true},
                                           {".htm;.html;", "d.htm.bak", false},
                                           {"htm,html", "x.Html", true},
                                           {" .php , htm", "x.htm", true},
                                           {".htm;.html;", "x.ml", false},
                                           {".htm;", "htm", true}}) {
    EXPECT_EQ(PassesFileFilters(filters, list, name, name, 0), passes) << list << " " << name;
  }
  EXPECT_EQ(NormalizeExtensions("HTM,.Html;"), ".htm;.html;");
  struct Strings {
    bool onlyMatching;
    bool anyString;
    const char* strings;
    const char* name;
    bool passes;
  };
  const Strings strings[] = {
      {false, false, "entwurf;alt;", "entwurf_alt.htm", false},  // skip when all occur
      {false, false, "entwurf;alt;", "entwurf.htm", true},
      {true, true, "entwurf;alt;", "Alt.htm", true},  // only where one occurs
      {false, true, "entwurf", "entwurf.htm", true},  // without a final ";" there is no token
  };
  for (const Strings& c : strings) {
    filters.useFileStrings = true;
    filters.fileStrings = c.strings;
    filters.onlyMatching = c.onlyMatching;
    filters.anyString = c.anyString;
    EXPECT_EQ(PassesFileFilters(filters, ".htm;", c.name, c.name, 0), c.passes)
        << c.name << " only=" << c.onlyMatching << " or=" << c.anyString;
  }
}

TEST_F(WalkTest, BackupFolderIsNotWalkedWhenNamed) {
  for (const char* f : {"web/a.htm", "web/sicherung/a.htm", "web/sicherung/tief/b.htm"}) Make(f);
  settings.backupMode = BackupMode::OutputFolder;
  // Named through a link, as a user may well do.
  fs::create_directory_symlink(dir / "web/sicherung", dir / "kopien");
  settings.folder = (dir / "kopien").string();
  EXPECT_EQ(Walk(), Names{"web/a.htm"});
  EXPECT_EQ(sink.Text(),
            "WARNUNG: Es wurde versucht das Sicherungskopieverzeichnis zu optimieren. Vorgang wurde nicht "
            "durchgeführt.\r\n");
  // The start directory below the backup folder is refused as a whole.
  settings.folder = Root();
  EXPECT_EQ(Walk(), Names{});
}

TEST_F(WalkTest, LinksAreNotFollowed) {
  Make("web/a.htm");
  Make("draussen/b.htm");
  fs::create_directory_symlink(dir / "web", dir / "web/schleife");
  fs::create_directory_symlink(dir / "draussen", dir / "web/verweis");
  fs::create_symlink(dir / "draussen/b.htm", dir / "web/link.htm");
  EXPECT_EQ(Walk(), Names{"web/a.htm"});
}

TEST_F(WalkTest, CancelStopsTheWalk) {
  for (const char* f : {"web/a.htm", "web/b.htm", "web/c/d.htm"}) Make(f);
  onFile = [&](const std::string&) { cancel = true; };
  EXPECT_EQ(Walk(), Names{"web/a.htm"});
}

TEST_F(WalkTest, DeepTreeIsWalkedWithoutRecursion) {
  std::string rel = "web";
  for (int i = 0; i < 400; ++i) rel += "/d";
  Make(rel + "/tief.htm");
  EXPECT_EQ(Walk(), Names{rel + "/tief.htm"});
}

}  // namespace
}  // namespace trimvale
