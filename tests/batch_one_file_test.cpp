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
#include "rules/text_util.h"
#include "tests/test_util.h"

namespace trimvale {
namespace {

namespace fs = std::filesystem;

std::string ToUpper(std::string s) {
  for (char& c : s) c = AsciiUpper(c);
  return s;
}

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
  bool Exists(const std::string& rel) const { return fs::exists(fs::symlink_status(dir / rel)); }

  test::CTempDir dir;
  BatchSettings settings;
  CRunConfig config;
  CStringSink sink;
  std::atomic<bool> cancel{false};
  std::int8_t level = 0;
  int runs = 0;
  std::function<void()> onRun;
};

TEST_F(OneFileJobTest, SameFolderCopyBesideAndResultInPlaceWithExactMessages) {
  for (const auto& [name, text, sizes] : {std::tuple{"index.html", "<p>hallo</p>", "12 Byte, neue Grösse: 17"},
                                          std::tuple{"leer.htm", "", "0 Byte, neue Grösse: 5"}}) {
    Write(name, text);
    sink.Clear();
    auto job = MakeJob();
    EXPECT_EQ(job.OptimizeFile(Path(name)), FileOutcome::Optimized);
    EXPECT_EQ(Read(std::string(name) + ".bak"), text);
    EXPECT_EQ(Read(name), "OPT[" + std::string(text) + "]");
    EXPECT_EQ(sink.Text(), "Optimiere: " + Path(name) + "\r\nOptimiert, alte Grösse: " + sizes + " Byte\r\n\r\n");
  }
}

TEST_F(OneFileJobTest, ExistingBackupPolicies) {
  struct Case {
    const char* name;
    ExistingBackupPolicy policy;
    bool copyExists;
    int copyAgeSeconds;  // how much older the existing copy is than the source
    bool overwritten;
  };
  const Case cases[] = {
      {"older-9s-kept", ExistingBackupPolicy::OverwriteIfOlder, true, 9, false},
      {"older-10s-replaced", ExistingBackupPolicy::OverwriteIfOlder, true, 10, true},
      {"newer-kept", ExistingBackupPolicy::OverwriteIfOlder, true, -30, false},
      {"missing-written", ExistingBackupPolicy::OverwriteIfOlder, false, 0, true},
      {"always", ExistingBackupPolicy::AlwaysOverwrite, true, -30, true},
      {"unknown-value-is-always", static_cast<ExistingBackupPolicy>(7), true, -30, true},
      {"keep-existing", ExistingBackupPolicy::KeepExisting, true, 100, false},
      {"keep-existing-missing", ExistingBackupPolicy::KeepExisting, false, 0, true},
  };
  const std::time_t base = std::time(nullptr) - 1000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = std::string(c.name) + ".htm";
    Write(name, "neu");
    SetMtime(dir / name, base);
    if (c.copyExists) {
      Write(name + ".bak", "alte kopie");
      SetMtime(dir / (name + ".bak"), base - c.copyAgeSeconds);
    }
    settings.existingBackupPolicy = c.policy;
    auto job = MakeJob();
    EXPECT_EQ(job.OptimizeFile(Path(name)), FileOutcome::Optimized);
    EXPECT_EQ(Read(name + ".bak"), c.overwritten ? "neu" : "alte kopie");
    EXPECT_EQ(Read(name), "OPT[neu]");
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
  EXPECT_EQ(Read("a.htm.bak"), "kopie");
  EXPECT_EQ(Read("a.htm0.bak"), "kopie0");

  // An ending without a dot: the number goes behind the name's last dot, never into a folder name.
  settings.backupEnding = "bak";
  Write("ordner.x/seite", "s");
  Write("ordner.x/seitebak", "alt");
  EXPECT_EQ(job.OptimizeFile(Path("ordner.x/seite")), FileOutcome::Optimized);
  EXPECT_EQ(Read("ordner.x/seitebak0"), "s");
}

TEST_F(OneFileJobTest, OutputFolderKeepsStructureCreatesFoldersAndLeavesSource) {
  settings.backupMode = BackupMode::OutputFolder;
  settings.folder = Path("aus") + "/";  // a trailing separator is not doubled
  settings.startDirectory = Path("web");
  fs::create_directory(dir / "aus");
  Write("web/de/x/a.htm", "inhalt");
  auto job = MakeJob();
  EXPECT_EQ(job.OptimizeFile(Path("web/de/x/a.htm")), FileOutcome::Optimized);
  EXPECT_EQ(Read("aus/de/x/a.htm"), "OPT[inhalt]");
  EXPECT_EQ(Read("web/de/x/a.htm"), "inhalt");
  EXPECT_FALSE(Exists("web/de/x/a.htm.bak"));

  // The output file is always overwritten, whatever the backup policy says.
  settings.existingBackupPolicy = ExistingBackupPolicy::KeepExisting;
  Write("web/de/x/a.htm", "zwei");
  EXPECT_EQ(job.OptimizeFile(Path("web/de/x/a.htm")), FileOutcome::Optimized);
  EXPECT_EQ(Read("aus/de/x/a.htm"), "OPT[zwei]");
}

TEST_F(OneFileJobTest, RelativeTargets) {
  const std::string notInWeb =
      "Das zu optimierende Verzeichnis liegt nicht im aktuellen Web. Die Option 'Webstruktur beibehalten' wird "
      "ignoriert.\r\n";
  struct Case {
    const char* name;
    bool keepWeb;
    std::string webRoot;
    bool keepFolders;
    std::string start;
    std::string path;
    std::string expected;
    std::string message;
  };
  const Case cases[] = {
      {"web-root-in-front", true, "/srv/web", true, "/srv/web/de", "/srv/web/de/a.htm", "/de/a.htm", ""},
      {"web-root-case-sensitive", true, "/srv/Web", true, "", "/srv/web/de/a.htm", "a.htm", notInWeb},
      {"web-root-further-in", true, "/web", false, "", "/mnt/web/de/a.htm", "/de/a.htm", ""},
      {"folder-structure", false, "", true, "/srv/web", "/srv/web/de/x/a.htm", "/de/x/a.htm", ""},
      {"folder-structure-off", false, "", false, "/srv/web", "/srv/web/de/a.htm", "a.htm", ""},
      {"file-list-run", false, "", true, "", "/srv/web/de/a.htm", "a.htm", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings.keepWebStructure = c.keepWeb;
    settings.webRoot = c.webRoot;
    settings.keepFolderStructure = c.keepFolders;
    settings.startDirectory = c.start;
    sink.Clear();
    auto job = MakeJob();
    EXPECT_EQ(job.RelativeTarget(c.path), c.expected);
    EXPECT_EQ(sink.Text(), c.message);
  }
}

TEST(BatchPaths, JoinPutsExactlyOneSeparator) {
  struct Case {
    const char* folder;
    const char* rel;
    const char* expected;
  };
  const Case cases[] = {
      {"/sicherung", "seite.htm", "/sicherung/seite.htm"},
      {"/sicherung//", "//sub/seite.htm", "/sicherung/sub/seite.htm"},
      {"/", "seite.htm", "/seite.htm"},
      {"/sicherung", "", "/sicherung"},
  };
  for (const Case& c : cases) EXPECT_EQ(JoinPath(c.folder, c.rel), c.expected) << c.folder << " + " << c.rel;
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
      {"/web/alt/a.htm", "/web/alt", true},
      {"/web/alt", "/web/alt", true},
      {"/WEB/Alt/sub/a.htm", "/web/alt/", true},
      {"/spiegel/web/alt/a.htm", "/web/alt", true},
      {"/web/alternativ/a.htm", "/web/alt", false},
      {"/web/alt.htm", "/web/alt", false},
      {"/web/altalt/alt/a.htm", "/web/alt", false},
      {"/web/a.htm", "", false},
      {"/web/a.htm", "/", true},
  };
  for (const Case& c : cases) EXPECT_EQ(PathIsInFolder(c.path, c.folder), c.inside) << c.path << " in " << c.folder;
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
  EXPECT_EQ(Read("web/de/sub/a.htm"), "inhalt");

  // With MoveOriginal the file is not optimized at all.
  settings.backupMode = BackupMode::MoveOriginal;
  runs = 0;
  EXPECT_EQ(job.OptimizeFile(Path("web/de/sub/a.htm")), FileOutcome::Failed);
  EXPECT_EQ(runs, 0);
  EXPECT_EQ(Read("web/de/sub/a.htm"), "inhalt");
}

TEST_F(OneFileJobTest, ErrorGate) {
  struct Case {
    const char* name;
    std::int8_t allowed;
    std::int8_t reached;
    bool written;
  };
  const Case cases[] = {
      {"severe-above-small", 1, 2, false}, {"small-allowed", 1, 1, true}, {"none-allowed-clean", 0, 0, true},
      {"none-allowed-small", 0, 1, false}, {"all-allowed", 2, 2, true},   {"negative-allowed", -1, 0, false},
  };
  settings.backupMode = BackupMode::MoveOriginal;
  settings.folder = Path("sicherung");
  fs::create_directory(dir / "sicherung");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = std::string(c.name) + ".htm";
    Write(name, "quelle");
    settings.allowedLevel = c.allowed;
    level = c.reached;
    auto job = MakeJob();
    EXPECT_EQ(job.OptimizeFile(Path(name)), c.written ? FileOutcome::Optimized : FileOutcome::Skipped);
    EXPECT_EQ(Read(name), c.written ? "OPT[quelle]" : "quelle");
    EXPECT_EQ(Read("sicherung/" + name), "quelle");  // the copy made before the run stays
  }
}

TEST_F(OneFileJobTest, JobWithoutResultIsNotWritten) {
  Write("a.htm", "quelle");
  auto job = MakeJob();
  job.runJob = [](COptimizeJob& j, const CRunConfig&, IOutputSink&, const std::atomic<bool>&) {
    j.text = "teilweise";
    return CJobRunResult{0, 0};
  };
  EXPECT_EQ(job.OptimizeFile(Path("a.htm")), FileOutcome::Skipped);
  EXPECT_EQ(Read("a.htm"), "quelle");
}

TEST_F(OneFileJobTest, BackupFolderIsRefusedOnlyForANamedFolder) {
  struct Case {
    const char* name;
    bool createBackup;
    BackupMode mode;
    std::string folder;
    bool refused;
  };
  const std::string folder = Path("Sicherung");
  const Case cases[] = {
      {"mode-1", true, BackupMode::MoveOriginal, folder, true},
      {"mode-2-other-case", true, BackupMode::OutputFolder, ToUpper(folder), true},
      {"mode-2-backup-off", false, BackupMode::OutputFolder, folder, true},
      {"mode-0", true, BackupMode::SameFolder, folder, false},
      {"empty-folder", false, BackupMode::OutputFolder, "", false},
  };
  Write("Sicherung/a.htm", "x");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings.createBackup = c.createBackup;
    settings.backupMode = c.mode;
    settings.folder = c.folder;
    settings.backupEnding = ".bak";
    sink.Clear();
    auto job = MakeJob();
    const FileOutcome outcome = job.OptimizeFile(Path("Sicherung/a.htm"));
    if (c.refused) {
      EXPECT_EQ(outcome, FileOutcome::Skipped);
      EXPECT_EQ(sink.Text(),
                "WARNUNG: Es wurde versucht das Sicherungskopieverzeichnis zu optimieren. Vorgang wurde nicht "
                "durchgeführt.\r\n");
    } else {
      EXPECT_EQ(outcome, FileOutcome::Optimized);
    }
  }
}

TEST_F(OneFileJobTest, UnreadableFilesGiveTheMessageBox) {
  Write("ordner/x.htm", "x");
  ASSERT_EQ(::mkfifo(Path("pipe.htm").c_str(), 0600), 0);
  for (const char* rel : {"fehlt.htm", "ordner", "pipe.htm"}) {
    SCOPED_TRACE(rel);
    sink.Clear();
    auto job = MakeJob();
    EXPECT_EQ(job.OptimizeFile(Path(rel)), FileOutcome::Skipped);
    EXPECT_EQ(sink.Text(), "Optimiere: " + Path(rel) + "\r\nKann Datei nicht öffnen.\r\n");
  }
  std::string boxed;
  auto job = MakeJob();
  job.messageBox = [&](std::string_view text, IOutputSink&) { boxed = std::string(text); };
  sink.Clear();
  job.OptimizeFile(Path("fehlt.htm"));
  EXPECT_EQ(boxed, "Kann Datei nicht öffnen.");
  EXPECT_EQ(sink.Text(), "Optimiere: " + Path("fehlt.htm") + "\r\n");
  EXPECT_EQ(runs, 0);
}

TEST_F(OneFileJobTest, CancelLeavesTheSourceUntouched) {
  Write("a.htm", "quelle");
  cancel = true;
  auto job = MakeJob();
  EXPECT_EQ(job.OptimizeFile(Path("a.htm")), FileOutcome::Cancelled);
  EXPECT_EQ(sink.Text(), "");

  // Cancelled while the job runs: its (partial) text is never written and the file not counted.
  cancel = false;
  onRun = [this] { cancel = true; };
  EXPECT_EQ(job.OptimizeFile(Path("a.htm")), FileOutcome::Cancelled);
  EXPECT_EQ(Read("a.htm"), "quelle");
}

TEST_F(OneFileJobTest, SymlinkedFileIsWrittenThroughTheLink) {
  Write("echt.htm", "inhalt");
  fs::create_symlink(dir / "echt.htm", dir / "link.htm");
  auto job = MakeJob();
  EXPECT_EQ(job.OptimizeFile(Path("link.htm")), FileOutcome::Optimized);
  EXPECT_TRUE(fs::is_symlink(dir / "link.htm"));
  EXPECT_EQ(Read("echt.htm"), "OPT[inhalt]");
  EXPECT_EQ(Read("link.htm.bak"), "inhalt");
}

// Runs `body` in a child whose file-size limit is `limit` bytes (SIGXFSZ ignored, so writes
// beyond it fail with EFBIG) and returns the child's messages, passed back through `file`.
std::string RunWithFileSizeLimit(const fs::path& file, rlim_t limit, const std::function<void(IOutputSink&)>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit rl{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &rl);
    CStringSink sink;
    body(sink);
    test::WriteFile(file, sink.Text());
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return test::ReadFile(file);
}

TEST_F(OneFileJobTest, FailedWritesLeaveEverySourceAsItWas) {
  // Sources fit below the limit; results (and, for one file, the copy) do not.
  const std::string small(100, 's');
  const std::string big(3000, 'b');
  Write("copy-fails.htm", big);
  Write("result-fails.htm", small);
  Write("output-fails.htm", small);
  fs::create_directory(dir / "aus");
  const std::string copyFails = Path("copy-fails.htm");
  const std::string resultFails = Path("result-fails.htm");
  const std::string outputFails = Path("output-fails.htm");

  const std::string text = RunWithFileSizeLimit(dir / "meldungen.txt", 2000, [&](IOutputSink& childSink) {
    BatchSettings s;
    CRunConfig c;
    std::atomic<bool> flag{false};
    auto enlarge = [&](COptimizeJob& j, const CRunConfig&, IOutputSink&, const std::atomic<bool>&) {
      j.text = std::string(5000, 'x');
      return CJobRunResult{1, 0};
    };
    COneFileJob job(s, c, childSink, flag);
    job.runJob = enlarge;
    job.OptimizeFile(copyFails);
    job.OptimizeFile(resultFails);
    BatchSettings out = s;
    out.backupMode = BackupMode::OutputFolder;
    out.folder = (dir / "aus").string();
    COneFileJob outJob(out, c, childSink, flag);
    outJob.runJob = enlarge;
    outJob.OptimizeFile(outputFails);
  });

  EXPECT_EQ(Read("copy-fails.htm"), big);
  EXPECT_EQ(Read("result-fails.htm"), small);
  EXPECT_EQ(Read("output-fails.htm"), small);
  EXPECT_EQ(Read("result-fails.htm.bak"), small);  // the copy was fine; only the result failed
  EXPECT_FALSE(Exists("copy-fails.htm.bak"));
  EXPECT_FALSE(Exists("aus/output-fails.htm"));
  const std::string reason = SystemErrorText(EFBIG);
  EXPECT_NE(text.find("Fehler beim Schreiben der Datei " + copyFails + ".bak: " + reason + "\r\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("Fehler beim Schreiben der Datei " + resultFails + ": " + reason + "\r\n"), std::string::npos);
  EXPECT_NE(text.find("Fehler beim Schreiben der Datei " + Path("aus/output-fails.htm") + ": " + reason + "\r\n"),
            std::string::npos);
  EXPECT_EQ(text.find("Optimiert"), std::string::npos);
  // No temporary file is left beside the sources.
  for (const auto& e : fs::directory_iterator(dir.path())) {
    EXPECT_EQ(e.path().filename().string().find(".trimvale-"), std::string::npos) << e.path();
  }
}

}  // namespace
}  // namespace trimvale
