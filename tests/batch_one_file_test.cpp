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
#include <tuple>

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

TEST_F(OneFileJobTest, SameFolderCopyBesideAndResultInPlace) {
  Write("index.html", "<p>hallo</p>");
  EXPECT_EQ(MakeJob().OptimizeFile(Path("index.html")), FileOutcome::Optimized);
  EXPECT_EQ(Read("index.html.bak"), "<p>hallo</p>");
  EXPECT_EQ(Read("index.html"), "OPT[<p>hallo</p>]");
  EXPECT_EQ(sink.Text(),
            "Optimiere: " + Path("index.html") + "\r\nOptimiert, alte Grösse: 12 Byte, neue Grösse: 17 Byte\r\n\r\n");
}

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
      {"unknown-value-is-always", static_cast<ExistingBackupPolicy>(7), -30, true},
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

TEST_F(OneFileJobTest, RelativeTargets) {
  auto target = [&](bool keepWeb, const std::string& webRoot, bool keepFolders, const std::string& start) {
    settings.keepWebStructure = keepWeb;
    settings.webRoot = webRoot;
    settings.keepFolderStructure = keepFolders;
    settings.startDirectory = start;
    return MakeJob().RelativeTarget("/srv/web/de/a.htm");
  };
  EXPECT_EQ(target(true, "/srv/web", true, "/srv/web/de"), "/de/a.htm");
  EXPECT_EQ(target(true, "/web", false, ""), "/de/a.htm");  // the web root may stand further in
  EXPECT_EQ(sink.Text(), "");
  // The web root is compared with letter case; outside it the folder structure applies instead.
  EXPECT_EQ(target(true, "/srv/Web", true, ""), "a.htm");
  EXPECT_EQ(sink.Text(),
            "Das zu optimierende Verzeichnis liegt nicht im aktuellen Web. Die Option 'Webstruktur beibehalten' wird "
            "ignoriert.\r\n");
}

// The backup folder is refused wherever it stands in a path and in any letter case, but only
// as a whole folder name: a sibling whose name merely begins the same is optimized as usual.
TEST(BatchPaths, PathIsInFolderOnlyAtFolderBoundaries) {
  struct Case {
    const char* path;
    const char* folder;
    bool inside;
  };
  const Case cases[] = {
      {"/web/alt", "/web/alt", true},
      {"/WEB/Alt/sub/a.htm", "/web/alt/", true},
      {"/spiegel/web/alt/a.htm", "/web/alt", true},
      {"/web/alternativ/a.htm", "/web/alt", false},
      {"/web/alt.htm", "/web/alt", false},
      {"/web/a.htm", "", false},
  };
  for (const Case& c : cases) EXPECT_EQ(PathIsInFolder(c.path, c.folder), c.inside) << c.path << " in " << c.folder;
}

// Refused in any letter case where the mode names the folder; mode 0 and an empty name name none.
TEST_F(OneFileJobTest, BackupFolderIsRefusedOnlyForANamedFolder) {
  Write("Sicherung/a.htm", "x");
  for (const auto& [mode, folder, refused] : {std::tuple{BackupMode::OutputFolder, Path("SICHERUNG"), true},
                                              {BackupMode::SameFolder, Path("Sicherung"), false},
                                              {BackupMode::OutputFolder, std::string(), false}}) {
    settings.backupMode = mode;
    settings.folder = folder;
    settings.createBackup = !folder.empty();
    sink.Clear();
    EXPECT_EQ(MakeJob().OptimizeFile(Path("Sicherung/a.htm")), refused ? FileOutcome::Skipped : FileOutcome::Optimized)
        << folder;
    if (refused) {
      EXPECT_EQ(sink.Text(), kBackupFolderRefused);
    }
  }
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
    EXPECT_EQ(MakeJob().OptimizeFile(Path(name)), FileOutcome::Skipped) << name;
    EXPECT_EQ(Read(name), "quelle");
    EXPECT_EQ(Read("sicherung/" + name), "quelle");
  }
}

// A missing file and a named pipe (which would block a plain read) are both unreadable.
TEST_F(OneFileJobTest, UnreadableFilesAreReported) {
  ASSERT_EQ(::mkfifo(Path("pipe.htm").c_str(), 0600), 0);
  for (const char* rel : {"fehlt.htm", "pipe.htm"}) {
    sink.Clear();
    EXPECT_EQ(MakeJob().OptimizeFile(Path(rel)), FileOutcome::Skipped);
    EXPECT_EQ(sink.Text(), "Optimiere: " + Path(rel) + "\r\nKann Datei nicht öffnen.\r\n");
  }
  EXPECT_EQ(runs, 0);
}

TEST_F(OneFileJobTest, CancelLeavesTheSourceUntouched) {
  // Cancelled while the job runs: its (partial) text is never written and the file not counted.
  Write("a.htm", "quelle");
  onRun = [this] { cancel = true; };
  EXPECT_EQ(MakeJob().OptimizeFile(Path("a.htm")), FileOutcome::Cancelled);
  EXPECT_EQ(Read("a.htm"), "quelle");
}

TEST_F(OneFileJobTest, SymlinkedFileIsWrittenThroughTheLink) {
  Write("echt.htm", "inhalt");
  fs::create_symlink(dir / "echt.htm", dir / "link.htm");
  EXPECT_EQ(MakeJob().OptimizeFile(Path("link.htm")), FileOutcome::Optimized);
  EXPECT_TRUE(fs::is_symlink(dir / "link.htm"));
  EXPECT_EQ(Read("echt.htm"), "OPT[inhalt]");
  EXPECT_EQ(Read("link.htm.bak"), "inhalt");
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
    EXPECT_EQ(e.path().filename().string().find(".trimvale-"), std::string::npos) << "temporary file left: " << e;
  }
}

}  // namespace
}  // namespace trimvale
