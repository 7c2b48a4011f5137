#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "batch/directory_walk.h"
#include "batch/exclusion_list.h"
#include "rules/settings_table.h"
#include "tests/test_util.h"

namespace trimvale {
namespace {

namespace fs = std::filesystem;

TEST(SplitTokens, TokensEndWithSemicolonAndAreTrimmed) {
  struct Case {
    const char* text;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"bak;alt", {"bak"}},
      {"entwurf", {}},
      {"", {}},
      {"_vti_cnf;", {"_vti_cnf"}},
      {" a ;\tb\t; c;", {"a", "b", "c"}},
      {";;", {"", ""}},
      {"a;;b;rest", {"a", "", "b"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitTokens(c.text), c.expected) << c.text;
}

TEST(CurrentHistoryEntry, FirstEntryLowerCased) {
  struct Case {
    const char* history;
    const char* expected;
  };
  const Case cases[] = {
      {"%_vti_cnf;", "_vti_cnf;"},
      {"%Entwurf;Alt;%x;%y;", "entwurf;alt;"},
      {"", ""},
      {"%", ""},
      {"ohne;Prozent;", "ohne;prozent;"},
      {"vorn%A;%B;", "a;"},
  };
  for (const Case& c : cases) EXPECT_EQ(CurrentHistoryEntry(c.history), c.expected) << c.history;
}

// A walk over a temporary tree that records the files it hands on, relative to the tree.
class WalkTest : public ::testing::Test {
 protected:
  void Make(const std::string& rel) {
    fs::create_directories((dir / rel).parent_path());
    test::WriteFile(dir / rel, "x");
  }
  std::string Root() const { return (dir / "web").string(); }
  std::vector<std::string> Walk(const std::string& start = "") {
    std::vector<std::string> seen;
    CWalkOptions options{filters, settings, subfolders, extensions, sink, cancel};
    const std::string from = start.empty() ? Root() : start;
    WalkDirectory(from, options, [&](const std::string& file) {
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
  EXPECT_EQ(Walk(), (std::vector<std::string>{"web/a1.htm", "web/A2.htm", "web/b.htm", "web/m/sub/y.htm", "web/m/x.htm",
                                              "web/n.htm", "web/Z.htm", "web/_z.htm"}));
  subfolders = false;
  EXPECT_EQ(Walk(), (std::vector<std::string>{"web/a1.htm", "web/A2.htm", "web/b.htm", "web/n.htm", "web/Z.htm",
                                              "web/_z.htm"}));
}

TEST_F(WalkTest, DirectoryStringsSkipWholeSubtrees) {
  for (const char* f : {"web/_vti_cnf/a.htm", "web/de/_vti_cnf/b.htm", "web/de/c.htm", "web/d.htm"}) Make(f);
  filters.skipDirStrings = true;  // with the default string _vti_cnf;
  EXPECT_EQ(Walk(), (std::vector<std::string>{"web/d.htm", "web/de/c.htm"}));
  filters.skipDirStrings = false;
  EXPECT_EQ(Walk().size(), 4u);
  // A token that occurs in the start directory's own path skips every sub-directory, never the start.
  filters.skipDirStrings = true;
  filters.dirStrings = "web;";
  EXPECT_EQ(Walk(), (std::vector<std::string>{"web/d.htm"}));
  // An empty token occurs everywhere.
  filters.dirStrings = ";";
  EXPECT_EQ(Walk(), (std::vector<std::string>{"web/d.htm"}));
}

TEST_F(WalkTest, ExclusionListIgnoresCaseAndTakesTheSubtree) {
  for (const char* f : {"web/alt/a.htm", "web/alt/tief/b.htm", "web/neu/c.htm"}) Make(f);
  filters.excludedDirs = {(dir / "WEB/Alt").string(), (dir / "web/neu/").string()};
  filters.skipListedDirs = true;
  EXPECT_EQ(Walk(), std::vector<std::string>{});
  filters.excludedDirs = {(dir / "WEB/Alt").string()};
  EXPECT_EQ(Walk(), std::vector<std::string>{"web/neu/c.htm"});
  filters.skipListedDirs = false;
  EXPECT_EQ(Walk().size(), 3u);
  // The start directory itself is never tested against the list.
  filters.skipListedDirs = true;
  filters.excludedDirs = {Root()};
  EXPECT_EQ(Walk().size(), 3u);
}

TEST_F(WalkTest, AgeTest) {
  const std::time_t now = std::time(nullptr);
  struct Case {
    const char* name;
    long minutesAgo;
    bool passes;
  };
  const Case cases[] = {{"1439.htm", 1439, true}, {"1441.htm", 1441, false}, {"zukunft.htm", -10, false}};
  for (const Case& c : cases) {
    Make(std::string("web/") + c.name);
    const std::time_t t = now - c.minutesAgo * 60;
    timespec times[2] = {{t, 0}, {t, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "web" / c.name).c_str(), times, 0), 0);
  }
  filters.byDate = true;
  filters.byChanged = true;
  filters.days = 1;
  EXPECT_EQ(Walk(), std::vector<std::string>{"web/1439.htm"});
  filters.days = 2;
  EXPECT_EQ(Walk(), (std::vector<std::string>{"web/1439.htm", "web/1441.htm"}));
  filters.days = -1;
  EXPECT_EQ(Walk(), std::vector<std::string>{});
  // Both times set: both must pass (every file was created just now).
  filters.days = 1;
  filters.byCreated = true;
  EXPECT_EQ(Walk(), std::vector<std::string>{"web/1439.htm"});
  filters.byChanged = false;
  EXPECT_EQ(Walk().size(), 3u);
  // Neither time chosen: no age test.
  filters.byCreated = false;
  EXPECT_EQ(Walk().size(), 3u);
  filters.byDate = false;
  filters.byChanged = true;
  EXPECT_EQ(Walk().size(), 3u);
}

TEST(FileFilters, Endings) {
  struct Case {
    const char* name;
    const char* extensions;
    bool passes;
  };
  const Case cases[] = {
      {"a.htm", ".htm;.html;", true},      {"b.HTML", ".htm;.html;", true}, {"c.shtml", ".htm;.html;", false},
      {"d.htm.bak", ".htm;.html;", false}, {"htm", ".htm;.html;", true},    {"x.HTM", ".HTM;", false},
      {"e.asp", ".htm;.asp;", true},       {"f.ht", ".htm;.html;", false},
  };
  DirectoryFilters filters;
  for (const Case& c : cases) {
    EXPECT_EQ(PassesFileFilters(filters, c.extensions, "/nirgends/" + std::string(c.name), c.name, 0), c.passes)
        << c.name << " in " << c.extensions;
  }
}

TEST(FileFilters, NameStrings) {
  struct Case {
    bool onlyMatching;
    bool anyString;
    const char* strings;
    const char* name;
    bool passes;
  };
  const Case cases[] = {
      // skip matching, all must occur (UND)
      {false, false, "entwurf;alt;", "entwurf_alt.htm", false},
      {false, false, "entwurf;alt;", "entwurf.htm", true},
      // skip matching, one suffices (ODER)
      {false, true, "entwurf;alt;", "entwurf.htm", false},
      {false, true, "entwurf;alt;", "index.htm", true},
      // only matching, one suffices
      {true, true, "entwurf;alt;", "entwurf.htm", true},
      {true, true, "entwurf;alt;", "Alt.htm", true},
      {true, true, "entwurf;alt;", "index.htm", false},
      // only matching, all must occur
      {true, false, "entwurf;alt;", "alt_entwurf.htm", true},
      {true, false, "entwurf;alt;", "entwurf.htm", false},
      // without a final ";" there is no token and nothing is filtered
      {true, true, "entwurf", "index.htm", true},
      {false, true, "entwurf", "entwurf.htm", true},
  };
  for (const Case& c : cases) {
    DirectoryFilters filters;
    filters.useFileStrings = true;
    filters.fileStrings = c.strings;
    filters.onlyMatching = c.onlyMatching;
    filters.anyString = c.anyString;
    EXPECT_EQ(PassesFileFilters(filters, ".htm;", c.name, c.name, 0), c.passes)
        << c.name << " only=" << c.onlyMatching << " or=" << c.anyString;
    filters.useFileStrings = false;
    EXPECT_TRUE(PassesFileFilters(filters, ".htm;", c.name, c.name, 0));
  }
}

TEST_F(WalkTest, FiltersCombine) {
  for (const char* f : {"web/entwurf.htm", "web/entwurf.txt", "web/_vti_cnf/entwurf.htm", "web/de/index.htm",
                        "web/de/entwurf_2.html"}) {
    Make(f);
  }
  filters.skipDirStrings = true;
  filters.useFileStrings = true;
  filters.fileStrings = "entwurf;";
  filters.onlyMatching = true;
  filters.anyString = true;
  EXPECT_EQ(Walk(), (std::vector<std::string>{"web/de/entwurf_2.html", "web/entwurf.htm"}));
}

TEST_F(WalkTest, BackupFolderIsNotWalkedWhenNamed) {
  for (const char* f : {"web/a.htm", "web/sicherung/a.htm", "web/sicherung/tief/b.htm"}) Make(f);
  settings.backupMode = BackupMode::OutputFolder;
  settings.folder = (dir / "web/Sicherung").string();
  EXPECT_EQ(Walk(), std::vector<std::string>{"web/a.htm"});
  EXPECT_EQ(sink.Text(),
            "WARNUNG: Es wurde versucht das Sicherungskopieverzeichnis zu optimieren. Vorgang wurde nicht "
            "durchgeführt.\r\n");
  // An empty folder setting names no folder: nothing is refused.
  settings.folder.clear();
  sink.Clear();
  EXPECT_EQ(Walk().size(), 3u);
  EXPECT_EQ(sink.Text(), "");
  // The start directory below the backup folder is refused as a whole.
  settings.folder = Root();
  EXPECT_EQ(Walk(), std::vector<std::string>{});
}

TEST_F(WalkTest, LinksAreNotFollowed) {
  Make("web/a.htm");
  Make("draussen/b.htm");
  fs::create_directory_symlink(dir / "web", dir / "web/schleife");
  fs::create_directory_symlink(dir / "draussen", dir / "web/verweis");
  fs::create_symlink(dir / "draussen/b.htm", dir / "web/link.htm");
  EXPECT_EQ(Walk(), std::vector<std::string>{"web/a.htm"});
}

TEST_F(WalkTest, UnlistableAndMissingDirectoriesYieldNothing) {
  EXPECT_EQ(Walk((dir / "fehlt").string()), std::vector<std::string>{});
  Make("datei.htm");
  EXPECT_EQ(Walk((dir / "datei.htm").string()), std::vector<std::string>{});
  EXPECT_EQ(sink.Text(), "");
}

TEST_F(WalkTest, CancelStopsTheWalk) {
  for (const char* f : {"web/a.htm", "web/b.htm", "web/c/d.htm", "web/e.htm"}) Make(f);
  onFile = [&](const std::string&) { cancel = true; };
  EXPECT_EQ(Walk(), std::vector<std::string>{"web/a.htm"});
  EXPECT_EQ(Walk(), std::vector<std::string>{});
}

TEST_F(WalkTest, DeepTreeIsWalkedWithoutRecursion) {
  std::string rel = "web";
  for (int i = 0; i < 400; ++i) rel += "/d";
  Make(rel + "/tief.htm");
  const auto seen = Walk();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], rel + "/tief.htm");
}

TEST(LoadDirectoryFilters, ReadsStoreAndExclusionList) {
  test::CTempDir programFolder;
  CMemorySettingsStore store;
  using namespace setting;
  store.WriteInt(kGeneral, "Nach Datum durchsuchen", 1);
  store.WriteInt(kGeneral, "geaendert", 1);
  store.WriteInt(kGeneral, "Tage", 7);
  store.WriteInt(kGeneral, "Verz Str opt", 1);
  store.WriteString(kGeneral, "Dateistrings", "%Entwurf;%alt;");
  store.WriteInt(kGeneral, "ODER", 1);
  store.WriteInt(kGeneral, "Nur diese opt", 1);

  DirectoryFilters filters;
  filters.excludedDirs = {"/alt"};
  EXPECT_FALSE(LoadDirectoryFilters(store, programFolder.path().string(), filters));
  EXPECT_TRUE(filters.exclusionListFailed);
  EXPECT_TRUE(filters.excludedDirs.empty());
  EXPECT_TRUE(filters.byDate);
  EXPECT_TRUE(filters.byChanged);
  EXPECT_FALSE(filters.byCreated);
  EXPECT_EQ(filters.days, 7);
  EXPECT_TRUE(filters.skipDirStrings);
  EXPECT_EQ(filters.dirStrings, "_vti_cnf;");
  EXPECT_EQ(filters.fileStrings, "entwurf;");
  EXPECT_TRUE(filters.anyString);
  EXPECT_TRUE(filters.onlyMatching);
  EXPECT_FALSE(filters.useFileStrings);

  ASSERT_TRUE(WriteExclusionList((programFolder / "lst.dat").string(), {"/srv/web/alt", "/srv/web/tmp"}));
  EXPECT_TRUE(LoadDirectoryFilters(store, programFolder.path().string(), filters));
  EXPECT_FALSE(filters.exclusionListFailed);
  EXPECT_EQ(filters.excludedDirs, (std::vector<std::string>{"/srv/web/alt", "/srv/web/tmp"}));
}

}  // namespace
}  // namespace trimvale
