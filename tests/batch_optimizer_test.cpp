#include "batch/batch_optimizer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "batch/exclusion_list.h"
#include "rules/settings_table.h"
#include "tests/test_util.h"

namespace trimvale {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kCancelledNote = "Vorgang vom Benutzer abgebrochen.\r\n";

std::string Summary(int n, const char* failedLine = "Fehlgeschlagen: 0\r\n") {
  return "Optimieren beendet. Anzahl optimierter Dateien: " + std::to_string(n) + "\r\n" + failedLine + "\r\n";
}

// Waits (bounded) until `flag` is set; a simulated job that runs until it is cancelled.
void WaitFor(const std::atomic<bool>& flag) {
  for (int i = 0; i < 2000 && !flag.load(); ++i) std::this_thread::sleep_for(5ms);
}

CDirectoryRun DirRun(std::string directory, std::optional<BatchSettings> settings = {}) {
  CDirectoryRun run;
  run.directory = std::move(directory);
  run.includeSubfolders = true;
  run.settings = std::move(settings);
  return run;
}

// A batch over a temporary folder whose optimization is simulated: the result is "OPT[" + input + "]".
class BatchOptimizerTest : public ::testing::Test {
 protected:
  BatchOptimizerTest() {
    callbacks.runJob = [this](COptimizeJob& job, const CRunConfig&, IOutputSink&, const std::atomic<bool>& flag) {
      if (onRun) onRun(job.text, flag);
      job.text = "OPT[" + job.text + "]";
      return CJobRunResult{1, 0};
    };
    store.WriteString(setting::kGeneral, "Sikop Endung", ".bak");
    EXPECT_TRUE(WriteExclusionList((programFolder / "lst.dat").string(), {}));
  }
  std::unique_ptr<CBatchOptimizer> Make(int jobs = 1) {
    return std::make_unique<CBatchOptimizer>(store, config, sink, programFolder.path().string(), jobs, callbacks);
  }
  std::string P(const std::string& rel) const { return (dir / rel).string(); }
  void Make(const std::string& rel, const std::string& bytes) {
    fs::create_directories((dir / rel).parent_path());
    test::WriteFile(dir / rel, bytes);
  }
  std::string Read(const std::string& rel) const { return test::ReadFile(dir / rel); }
  void Finish(CBatchOptimizer& batch, RunStart start, bool summary = true) {
    ASSERT_EQ(start, RunStart::Started);
    batch.WaitUntilIdle();
    if (summary) batch.PrintSummary();
  }

  test::CTempDir dir;
  test::CTempDir programFolder;
  CMemorySettingsStore store;
  CRunConfig config;
  CStringSink sink;
  CBatchCallbacks callbacks;
  std::function<void(const std::string& text, const std::atomic<bool>& flag)> onRun;
};

// A file-list run has no start directory, even right after a directory run or when one is handed in.
TEST_F(BatchOptimizerTest, SummaryEmptiesTheStartDirectoryForTheNextFileListRun) {
  Make("web/de/a.htm", "a");
  Make("web/de/b.htm", "b");
  fs::create_directory(dir / "aus");
  BatchSettings settings = ReadBatchSettings(store);
  settings.backupMode = BackupMode::OutputFolder;
  settings.folder = P("aus");
  auto batch = Make();
  Finish(*batch, batch->RunDirectory(DirRun(P("web"), settings)), false);
  EXPECT_EQ(batch->StartDirectory(), P("web"));
  batch->PrintSummary();
  EXPECT_EQ(batch->StartDirectory(), "");
  fs::remove_all(dir / "aus/de");
  settings.startDirectory = P("web");
  Finish(*batch, batch->RunFileList({P("web/de/b.htm")}, settings), false);
  EXPECT_EQ(Read("aus/b.htm"), "OPT[b]");
  EXPECT_FALSE(fs::exists(dir / "aus/de"));
}

TEST_F(BatchOptimizerTest, QuitStopsARunningFileWithoutWritingIt) {
  Make("a.htm", "quelle");
  std::atomic<bool> inRun{false};
  onRun = [&](const std::string&, const std::atomic<bool>& flag) {
    inRun = true;
    WaitFor(flag);
  };
  auto batch = Make();
  ASSERT_EQ(batch->RunFileList({P("a.htm")}), RunStart::Started);
  WaitFor(inRun);
  EXPECT_EQ(batch->RunFileList({P("a.htm")}), RunStart::Busy);
  batch->Quit();
  EXPECT_EQ(Read("a.htm"), "quelle");
  EXPECT_EQ(sink.Text(), "Optimiere: " + P("a.htm") + "\r\n" + kCancelledNote);
  EXPECT_EQ(batch->RunFileList({P("a.htm")}), RunStart::NoWorker);
  batch.reset();  // a second Quit through the destructor is harmless
}

TEST_F(BatchOptimizerTest, DocumentRunCountsOneUnlessCancelled) {
  auto batch = Make();
  Finish(*batch, batch->RunDocument([](IOutputSink& s, const std::atomic<bool>&) { s.AppendText("Dokument\r\n"); }));
  EXPECT_EQ(sink.Text(), "Dokument\r\n" + Summary(1, ""));
  sink.Clear();
  Finish(*batch, batch->RunDocument([&](IOutputSink&, const std::atomic<bool>&) { batch->Cancel(); }));
  EXPECT_EQ(sink.Text(), "Breche ab...\r\n" + kCancelledNote + Summary(0, ""));
}

// Two pages of one name sent to one folder: the later copy or result never replaces the earlier
// one, whatever the existing-copy policy, also with several workers.
TEST_F(BatchOptimizerTest, SameNamesInOneRunGetNumberedNames) {
  struct Case {
    BackupMode mode;
    ExistingBackupPolicy policy;
    int jobs;
    const char* message;
  };
  const Case cases[] = {
      {BackupMode::MoveOriginal, ExistingBackupPolicy::KeepExisting, 1,
       "Sicherungskopie unter neuem Namen gespeichert: "},
      {BackupMode::MoveOriginal, ExistingBackupPolicy::AlwaysOverwrite, 3,
       "Sicherungskopie unter neuem Namen gespeichert: "},
      {BackupMode::OutputFolder, ExistingBackupPolicy::OverwriteIfOlder, 2,
       "Optimierte Datei unter neuem Namen gespeichert: "},
  };
  for (const Case& c : cases) {
    fs::remove_all(dir / "aus");
    fs::create_directory(dir / "aus");
    for (const char* f : {"a/index.htm", "b/index.htm", "c/index.htm"}) Make(f, f);
    BatchSettings settings = ReadBatchSettings(store);
    settings.backupMode = c.mode;
    settings.existingBackupPolicy = c.policy;
    settings.folder = P("aus");
    sink.Clear();
    auto batch = Make(c.jobs);
    Finish(*batch, batch->RunFileList({P("a/index.htm"), P("b/index.htm"), P("c/index.htm")}, settings));
    const std::string prefix = c.mode == BackupMode::OutputFolder ? "OPT[" : "";
    const std::string suffix = c.mode == BackupMode::OutputFolder ? "]" : "";
    std::set<std::string> kept;
    for (const char* name : {"index.htm", "index (2).htm", "index (3).htm"})
      kept.insert(Read("aus/" + std::string(name)));
    EXPECT_EQ(kept, (std::set<std::string>{prefix + "a/index.htm" + suffix, prefix + "b/index.htm" + suffix,
                                           prefix + "c/index.htm" + suffix}));
    EXPECT_NE(sink.Text().find(c.message + P("aus/index (3).htm") + "\r\n"), std::string::npos) << sink.Text();
    EXPECT_TRUE(sink.Text().ends_with(Summary(3))) << sink.Text();
  }
}

// A copy the run has written is never optimized in the same run, which would replace the only
// copy of the original with optimized text.
TEST_F(BatchOptimizerTest, ACopyWrittenInTheRunIsNotOptimized) {
  Make("a.htm", "quelle");
  auto batch = Make();
  Finish(*batch, batch->RunFileList({P("a.htm"), P("a.htm.bak")}));
  EXPECT_EQ(Read("a.htm.bak"), "quelle");
  EXPECT_NE(sink.Text().find("Datei wurde in diesem Durchgang geschrieben und wird nicht optimiert: " + P("a.htm.bak")),
            std::string::npos)
      << sink.Text();
}

// An allowed level beyond 8 bits is clamped, not wrapped round to 0.
TEST(BatchSettings, AllowedLevelIsClamped) {
  CMemorySettingsStore store;
  store.WriteInt(setting::kGeneral, "Fehlerbehandlung", 256);
  EXPECT_EQ(ReadBatchSettings(store).allowedLevel, 127);
}

}  // namespace
}  // namespace trimvale
