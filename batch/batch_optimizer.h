#pragma once
// The batch controller: owns the worker thread that runs every batch optimization (a list of
// files, a directory tree, or the editor's own document) in the background, independent of any
// window. The caller's thread prepares a run and hands it over; the worker reports through the
// output sink and the callbacks.
//
// How a command line drives it:
//
//   CFileSettingsStore store(...);                        // any ISettingsStore
//   BatchSettings settings = ReadBatchSettings(store);    // batch defaults
//   DirectoryFilters filters;
//   LoadDirectoryFilters(store, programFolder, filters);  // failure is reported by the run
//   settings.backupMode = BackupMode::OutputFolder;       // flags override single fields
//   if (auto why = ValidateBatchSettings(settings)) { print *why; return 2; }
//   CBatchCallbacks callbacks;
//   callbacks.progress = [&](const CBatchProgress& p) { draw a line on a terminal };
//   CBatchOptimizer batch(store, config, sink, programFolder, jobs, callbacks);
//   signal handler: batch.CancelFlag().store(true)        // lock-free, safe in a handler
//   batch.RunFileList(paths, settings);                   // or RunDirectory(CDirectoryRun{...})
//   batch.WaitUntilIdle();
//   batch.PrintSummary();
//   return batch.LastRunCancelled() ? 130 : batch.FailedCount() ? 1 : batch.WithheldCount() ? 3 : 0;
//
// Paths are handed in as absolute native paths; messages name them as given.
//
// Several workers: with jobs > 1 the worker feeds a queue (the file list in order, or the walk
// as it finds files) that `jobs` file workers drain, each with its own optimization job. A
// file's messages are collected and reach the sink together when the file is done; lines that
// concern no single file (refused folders, the notes of the run) go to the sink directly. With
// one job every line reaches the sink at once, in order.
//
// Stopping: Quit (and the destructor) sets the cancel flag before it ends the worker, so the file
// in hand is either finished or abandoned before anything is renamed; the worker is joined, never
// killed.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "batch/batch_settings.h"
#include "batch/directory_walk.h"
#include "batch/one_file_job.h"
#include "engine/output_sink.h"
#include "engine/run_context.h"
#include "rules/settings_store.h"

namespace trimvale {

enum class BatchCommand { RunDirectory = 0, RunFileList = 1, Quit = 2, RunDocument = 3 };

// What a run entry did.
enum class RunStart {
  Started,          // handed to the worker; the completion callback follows
  Busy,             // another run is under way
  InvalidSettings,  // refused; the reason was shown (see ValidateBatchSettings)
  NoWorker,         // the worker thread could not be started, or Quit was called
};

struct CBatchProgress {
  int filesDone = 0;        // files finished (optimized or not)
  int filesFound = 0;       // files to do so far: the list's length, or what the walk admitted
  std::string currentFile;  // the file just started or finished
};

struct CBatchRunResult {
  BatchCommand command = BatchCommand::RunFileList;
  int optimizedCount = 0;
  int failedCount = 0;    // files that could not be read or written, folders that could not be listed
  int withheldCount = 0;  // files whose errors were above the allowed level
  bool cancelled = false;
};

struct CBatchCallbacks {
  // Called on the worker thread when a command has ended, after all its output. The run still
  // counts as busy while it runs: do not wait for idleness in it.
  std::function<void(const CBatchRunResult&)> completed;
  // Called when a file starts and when it ends; from worker threads, one call at a time.
  std::function<void(const CBatchProgress&)> progress;
  // Message boxes ("Kann Datei nicht öffnen.", refused settings, an unreadable exclusion list).
  // Empty: the text goes to the sink as a line (where the sink has not got it already).
  MessageBoxFunction messageBox;
  // Runs each optimization job; empty: RunOptimizeJob. For tests.
  RunJobFunction runJob;
};

// A directory run. Without `settings` or `filters` they are read from the store when the run
// starts; with them, they are used as given (LoadDirectoryFilters' failure flag included).
struct CDirectoryRun {
  std::string directory;  // the start directory, absolute, without a trailing separator
  bool includeSubfolders = false;
  std::string extensions = ".htm;.html;";  // endings, each ended by ";", used as given
  std::optional<BatchSettings> settings;
  std::optional<DirectoryFilters> filters;
};

// The editor's optimization of its document, run on the worker.
using DocumentFunction = std::function<void(IOutputSink& sink, const std::atomic<bool>& cancelRequested)>;

class CBatchOptimizer {
 public:
  // `store` and `sink` are not owned and must outlive the optimizer. `programFolder` holds
  // lst.dat. `jobs` files are optimized at once (at least 1). Starts the worker thread.
  CBatchOptimizer(ISettingsStore& store, const CRunConfig& config, IOutputSink& sink, std::string programFolder,
                  int jobs = 1, CBatchCallbacks callbacks = {});
  ~CBatchOptimizer();
  CBatchOptimizer(const CBatchOptimizer&) = delete;
  CBatchOptimizer& operator=(const CBatchOptimizer&) = delete;

  // A multiple-files run over `paths` in list order, with the settings read from the store now
  // or the ones given.
  RunStart RunFileList(std::vector<std::string> paths);
  RunStart RunFileList(std::vector<std::string> paths, BatchSettings settings);

  // A directory run. Before the hand-over, on the caller's thread: the web-structure note (and
  // web structure off for this run) when the start directory is outside the web root, and the
  // report of an unreadable exclusion list (which is then empty).
  RunStart RunDirectory(CDirectoryRun run);

  // Runs `work` on the worker; it counts as one optimized file unless cancelled.
  RunStart RunDocument(DocumentFunction work);

  // Sets the cancel flag and ends the worker once the command in hand has stopped. Idempotent;
  // no run starts afterwards.
  void Quit();

  // "Breche ab..." on the sink, then the cancel flag. For a signal handler, which must not touch
  // the sink, set CancelFlag() alone.
  void Cancel();
  std::atomic<bool>& CancelFlag() { return cancelRequested_; }

  bool Busy() const { return busy_.load(); }
  void WaitUntilIdle();

  // "Optimieren beendet. Anzahl optimierter Dateien: N", after a file-list or directory run
  // "Fehlgeschlagen: M", and an empty line; empties the start directory, so a later file-list
  // run never sees an earlier directory run's.
  void PrintSummary();

  int OptimizedCount() const { return optimizedCount_.load(); }
  int FailedCount() const { return failedCount_.load(); }
  int WithheldCount() const { return withheldCount_.load(); }
  bool LastRunCancelled() const { return lastRunCancelled_.load(); }
  std::string StartDirectory() const;

  // Changes what later runs use; refused (false) while a run is under way.
  bool SetRunConfig(const CRunConfig& config);
  // The parse-tree window for every job (not owned; may be null); used only with one job, as
  // the window is not made for several threads.
  bool SetTreeTarget(IParseObserver* target);

 private:
  struct CPendingRun;

  RunStart Hand(std::unique_ptr<CPendingRun> run);
  void WorkerLoop();
  bool Execute(CPendingRun& run);  // true when the run was cancelled
  void RunFiles(CPendingRun& run);
  void OptimizeOne(CPendingRun& run, const std::string& path, bool buffered);
  void ReportProgress(const std::string& file);
  void ShowMessageBox(std::string_view text);

  ISettingsStore& store_;
  CRunConfig config_;
  IOutputSink& sink_;
  const std::string programFolder_;
  const int jobs_;
  const CBatchCallbacks callbacks_;
  IParseObserver* treeTarget_ = nullptr;

  std::atomic<bool> cancelRequested_{false};  // set by the caller or a signal handler; the worker clears it
  std::atomic<bool> busy_{false};             // set by a run entry, cleared by the worker
  std::atomic<int> optimizedCount_{0};        // files written in the current run
  std::atomic<int> failedCount_{0};           // see CBatchRunResult
  std::atomic<int> withheldCount_{0};
  std::atomic<bool> lastRunCancelled_{false};
  std::atomic<bool> lastRunWasFiles_{false};  // the last run was a file-list or directory run
  std::atomic<int> filesDone_{0};
  std::atomic<int> filesFound_{0};
  std::mutex progressMutex_;  // keeps progress calls one at a time

  mutable std::mutex mutex_;      // guards everything below
  std::condition_variable wake_;  // the worker waits for a command
  std::condition_variable idle_;  // callers wait for the end of a run
  std::unique_ptr<CPendingRun> pending_;
  bool quit_ = false;
  bool workerRunning_ = false;
  std::string startDirectory_;  // of the last directory run, until the summary
  std::thread worker_;
};

}  // namespace trimvale
