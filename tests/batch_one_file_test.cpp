#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <ctime>
#include <filesystem>
#include <string>

#include "batch/batch_paths.h"
#include "batch/one_file_job.h"
#include "rules/file_io.h"
#include "tests/test_util.h"

namespace trimvale {
namespace {

namespace fs = std::filesystem;

const std::string kBackupFolderRefused =
    "WARNUNG: Es wurde versucht das Sicherungskopieverzeichnis zu optimieren. Vorgang wurde nicht durchgeführt.\r\n";

void SetMtime(const fs::path& path, std::time_t t) {
  timespec times[2] = {{t, 0}, {t, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// A one-file job over a temporary folder whose optimization is simulated: the result is
// "OPT[" + input + "]" at the error level the test chooses.
class OneFileJobTest : public ::testing::Test {
 protected:
  COneFileJob MakeJob() {
    COneFileJob job(settings, config, sink, cancel);
    job.runJob = [this](COptimizeJob& j, const CRunConfig&, IOutputSink&, const std::atomic<bool>&) {
      ++runs;
      if (onRun) onRun();
      j.text = "OPT[" + j.text + "]";
      return CJobRunResult{1, level};
    };
    return job;
  }
  std::string Path(const std::string& rel) const { return (dir / rel).string(); }
  void Write(const std::string& rel, const std::string& bytes) {
    fs::create_directories((dir / rel).parent_path());
    test::WriteFile(dir / rel, bytes);
  }
  std::string Read(const std::string& rel) const { return test::ReadFile(dir / rel); }

  test::CTempDir dir;
  BatchSettings settings;
  CRunConfig config;
  CStringSink sink;
  std::atomic<bool> cancel{false};
  std::int8_t level = 0;
  int runs = 0;
  std::function<void()> onRun;
};

TEST_F(OneFileJobTest, ExistingBackupPolicies) {
  struct Case {
    const char* name;
    ExistingBackupPolicy policy;
    int copyAgeSeconds;  // how much older the existing copy is than the source
    bool overwritten;
  };
  const Case cases[] = {
      {"older-9s-kept", ExistingBackupPolicy::OverwriteIfOlder, 9, false},
      {"older-10s-replaced", ExistingBackupPolicy::OverwriteIfOlder, 10, true},
      {"keep-existing", ExistingBackupPolicy::KeepExisting, 100, false},
  };
  const std::time_t base = std::time(nullptr) - 1000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = std::string(c.name) + ".htm";
    Write(name, "neu");
    SetMtime(dir / name, base);
    Write(name + ".bak", "alte kopie");
    SetMtime(dir / (name + ".bak"), base - c.copyAgeSeconds);
    settings.existingBackupPolicy = c.policy;
    EXPECT_EQ(MakeJob().OptimizeFile(Path(name)), FileOutcome::Optimized);
    EXPECT_EQ(Read(name + ".bak"), c.overwritten ? "neu" : "alte kopie");
  }
}

TEST_F(OneFileJobTest, NumberedNameTakesFirstFreeNumberBeforeTheEnding) {
  settings.existingBackupPolicy = ExistingBackupPolicy::NumberedName;
  Write("a.htm", "quelle");
  Write("a.htm.bak", "kopie");
  Write("a.htm0.bak", "kopie0");
  auto job = MakeJob();
  EXPECT_EQ(job.OptimizeFile(Path("a.htm")), FileOutcome::Optimized);
  EXPECT_EQ(Read("a.htm1.bak"), "quelle");

  // An ending without a dot: the number goes behind the name's last dot, never into a folder name.
  settings.backupEnding = "bak";
  Write("ordner.x/seite", "s");
  Write("ordner.x/seitebak", "alt");
  EXPECT_EQ(job.OptimizeFile(Path("ordner.x/seite")), FileOutcome::Optimized);
  EXPECT_EQ(Read("ordner.x/seitebak0"), "s");
}

// The web root and the start directory hold a page only from the front of its path, also when
// reached through a link; a name that recurs further in is no web root.
TEST_F(OneFileJobTest, RelativeTargets) {
  fs::create_directories(dir / "srv/web/de");
  fs::create_directory_symlink(dir / "srv/web", dir / "alias");
  auto target = [&](bool keepWeb, const std::string& webRoot, const std::string& start) {
    settings.keepWebStructure = keepWeb;
    settings.webRoot = webRoot;
    settings.keepFolderStructure = true;
    settings.startDirectory = start;
    return MakeJob().RelativeTarget(Path("srv/web/de/a.htm"));
  };
  EXPECT_EQ(target(true, Path("alias"), ""), "/de/a.htm");
  EXPECT_EQ(target(false, "", Path("alias/de")), "/a.htm");
  EXPECT_EQ(sink.Text(), "");
  EXPECT_EQ(target(true, "/web", Path("srv")), "a.htm");
  EXPECT_EQ(sink.Text(),
            "Das zu optimierende Verzeichnis liegt nicht im aktuellen Web. Die Option 'Webstruktur beibehalten' wird "
            "ignoriert.\r\n");
}

// Folders are compared resolved and as whole names from the front: a folder that merely recurs
// further in, or begins the same, covers nothing; one reached through a link covers its pages.
TEST(BatchPaths, PathIsInFolderComparesResolvedPrefixes) {
  test::CTempDir dir;
  fs::create_directories(dir / "src");
  fs::create_directory_symlink(dir / "src", dir / "link");
  const std::string d = dir.path().string();
  struct Case {
    std::string path;
    std::string folder;
    bool inside;
  };
  const Case cases[] = {
      {"/data/opt/p.htm", "/opt", false},
      {"/optik/p.htm", "/opt", false},
      {"/opt", "/opt/", true},
      {d + "/src/a.htm", d + "/link", true},
      {d + "/link/neu/a.htm", d + "/src/neu", true},
      {d + "/src/a.htm", "", false},
  };
  for (const Case& c : cases) EXPECT_EQ(PathIsInFolder(c.path, c.folder), c.inside) << c.path << " in " << c.folder;
}

TEST(BatchPaths, ControlCharactersOfNamesArePrintedEscaped) {
  EXPECT_EQ(PrintablePath("/a/\x1b]0;x\x07\x9b"
                          "2J\xc2\x9b/b\x7f.htm"),
            "/a/\\x1B]0;x\\x07\\x9B2J\\xC2\\x9B/b\\x7F.htm");
  EXPECT_EQ(PrintablePath("/grüße/\xe2\x80\x9c\xfc.htm"), "/grüße/\xe2\x80\x9c\xfc.htm");  // UTF-8 and Latin-1 stay
}

// A file of the backup folder, here named through a link, is refused before anything is read.
TEST_F(OneFileJobTest, BackupFolderIsRefused) {
  Write("Sicherung/a.htm", "x");
  fs::create_directory_symlink(dir / "Sicherung", dir / "alias");
  settings.backupMode = BackupMode::OutputFolder;
  settings.folder = Path("alias");
  EXPECT_EQ(MakeJob().OptimizeFile(Path("Sicherung/a.htm")), FileOutcome::Skipped);
  EXPECT_EQ(sink.Text(), kBackupFolderRefused);
  EXPECT_EQ(runs, 0);
}

TEST_F(OneFileJobTest, FolderCreationFailureIsReportedAndNothingWritten) {
  // A file stands where a folder of the output structure should be.
  settings.backupMode = BackupMode::OutputFolder;
  settings.folder = Path("aus");
  settings.startDirectory = Path("web");
  Write("aus/de", "ich bin eine Datei");
  Write("web/de/sub/a.htm", "inhalt");
  auto job = MakeJob();
  EXPECT_EQ(job.OptimizeFile(Path("web/de/sub/a.htm")), FileOutcome::Failed);
  EXPECT_EQ(sink.Text(), "Optimiere: " + Path("web/de/sub/a.htm") +
                             "\r\nFehler beim Erstellen eines Verzeichnisses für die Sicherungskopie: " +
                             SystemErrorText(ENOTDIR) + "\r\n");
  // With MoveOriginal the file is not optimized at all.
  settings.backupMode = BackupMode::MoveOriginal;
  runs = 0;
  EXPECT_EQ(job.OptimizeFile(Path("web/de/sub/a.htm")), FileOutcome::Failed);
  EXPECT_EQ(runs, 0);
  EXPECT_EQ(Read("web/de/sub/a.htm"), "inhalt");
}

// A result above the allowed error level is not written (a negative allowance allows nothing);
// the copy made before the run stays.
TEST_F(OneFileJobTest, ErrorGateKeepsSourceAndCopy) {
  settings.backupMode = BackupMode::MoveOriginal;
  settings.folder = Path("sicherung");
  fs::create_directory(dir / "sicherung");
  for (const auto& [allowed, reached] : {std::pair<std::int8_t, std::int8_t>{1, 2}, {-1, 0}}) {
    const std::string name = "stufe" + std::to_string(allowed) + ".htm";
    Write(name, "quelle");
    settings.allowedLevel = allowed;
    level = reached;
    EXPECT_EQ(MakeJob().OptimizeFile(Path(name)), FileOutcome::Withheld) << name;
    EXPECT_EQ(Read(name), "quelle");
    EXPECT_EQ(Read("sicherung/" + name), "quelle");
  }
}

// A missing file and a named pipe (which would block a plain read) are both unreadable.
TEST_F(OneFileJobTest, UnreadableFilesAreReported) {
  ASSERT_EQ(::mkfifo(Path("pipe.htm").c_str(), 0600), 0);
  for (const char* rel : {"fehlt.htm", "pipe.htm"}) {
    sink.Clear();
    EXPECT_EQ(MakeJob().OptimizeFile(Path(rel)), FileOutcome::Failed);
    EXPECT_EQ(sink.Text(), "Optimiere: " + Path(rel) + "\r\nKann Datei nicht öffnen.\r\n");
  }
  EXPECT_EQ(runs, 0);
}

// The result goes through the link, and copy and results keep the private mode of the page.
TEST_F(OneFileJobTest, LinkedPrivatePageStaysLinkedAndPrivate) {
  Write("echt.htm", "inhalt");
  ::chmod(Path("echt.htm").c_str(), 0600);
  fs::create_symlink(dir / "echt.htm", dir / "link.htm");
  EXPECT_EQ(MakeJob().OptimizeFile(Path("link.htm")), FileOutcome::Optimized);
  EXPECT_TRUE(fs::is_symlink(dir / "link.htm"));
  EXPECT_EQ(Read("echt.htm"), "OPT[inhalt]");
  EXPECT_EQ(Read("link.htm.bak"), "inhalt");
  settings.backupMode = BackupMode::OutputFolder;
  settings.folder = Path("aus");
  fs::create_directory(dir / "aus");
  EXPECT_EQ(MakeJob().OptimizeFile(Path("echt.htm")), FileOutcome::Optimized);
  for (const char* rel : {"echt.htm", "link.htm.bak", "aus/echt.htm"}) {
    EXPECT_EQ(fs::status(dir / rel).permissions(), fs::perms::owner_read | fs::perms::owner_write) << rel;
  }
}

// The jobs run in a child whose file-size limit (SIGXFSZ ignored) makes writes beyond 2000
// bytes fail with EFBIG; its messages come back through a file.
TEST_F(OneFileJobTest, FailedWritesLeaveEverySourceAsItWas) {
  const std::string small(100, 's'), big(3000, 'b');
  Write("copy-fails.htm", big);
  Write("result-fails.htm", small);
  const std::string copyFails = Path("copy-fails.htm"), resultFails = Path("result-fails.htm");
  if (::fork() == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit rl{2000, 2000};
    ::setrlimit(RLIMIT_FSIZE, &rl);
    CStringSink childSink;
    std::atomic<bool> flag{false};
    COneFileJob job(settings, config, childSink, flag);
    job.runJob = [&](COptimizeJob& j, const CRunConfig&, IOutputSink&, const std::atomic<bool>&) {
      j.text = std::string(5000, 'x');
      return CJobRunResult{1, 0};
    };
    job.OptimizeFile(copyFails);
    job.OptimizeFile(resultFails);
    test::WriteFile(dir / "meldungen.txt", childSink.Text());
    ::_exit(0);
  }
  int status = 0;
  ::wait(&status);
  const std::string text = Read("meldungen.txt");

  EXPECT_EQ(Read("copy-fails.htm"), big);
  EXPECT_EQ(Read("result-fails.htm"), small);
  EXPECT_EQ(Read("result-fails.htm.bak"), small);  // the copy was fine; only the result failed
  EXPECT_FALSE(fs::exists(dir / "copy-fails.htm.bak"));
  const std::string reason = SystemErrorText(EFBIG);
  EXPECT_NE(text.find("Fehler beim Schreiben der Datei " + copyFails + ".bak: " + reason + "\r\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("Fehler beim Schreiben der Datei " + resultFails + ": " + reason + "\r\n"), std::string::npos);
  EXPECT_EQ(text.find("Optimiert"), std::string::npos);
  for (const auto& e : fs::directory_iterator(dir.path())) {
    EXPECT_FALSE(e.path().filename().string().starts_with(".tv")) << "temporary file left: " << e;
  }
}

}  // namespace
}  // namespace trimvale
