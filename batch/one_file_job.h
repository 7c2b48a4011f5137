#pragma once
// Optimizing one file on disk inside a batch run: read it, make the backup copy the settings ask
// for, run the optimization with the batch's allowed error level, and write the result back or
// into the output folder. Every file this writes (result, output file, backup copy) goes through
// WriteFileAtomically, so a failure or a crash leaves each file either as it was or complete.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

#include "batch/batch_settings.h"
#include "engine/optimize_job.h"
#include "engine/output_sink.h"
#include "engine/run_context.h"

namespace trimvale {

// What the optimization of one text reported: Run's result (0: no result) and the highest error
// level the run reached.
struct CJobRunResult {
  int result = 0;
  std::int8_t errorLevel = 0;
};

// Runs one optimization job. The batch uses RunOptimizeJob; tests put in their own to simulate
// error levels and cancellation.
using RunJobFunction = std::function<CJobRunResult(COptimizeJob& job, const CRunConfig& config, IOutputSink& sink,
                                                   const std::atomic<bool>& cancelRequested)>;
CJobRunResult RunOptimizeJob(COptimizeJob& job, const CRunConfig& config, IOutputSink& sink,
                             const std::atomic<bool>& cancelRequested);

// Shows a message box with `text`. `sink` is where the messages of the file in hand go; a caller
// without boxes writes the text there as a line (what DefaultMessageBox does).
using MessageBoxFunction = std::function<void(std::string_view text, IOutputSink& sink)>;
void DefaultMessageBox(std::string_view text, IOutputSink& sink);

// How OptimizeFile ended.
enum class FileOutcome {
  Optimized,  // the result was written; the file counts as optimized
  Skipped,    // refused as the backup folder or as a file of this run; nothing was written
  Withheld,   // the page's errors were above the allowed level (or it gave no result); maybe a copy
  Cancelled,  // the cancel flag was seen; the source is untouched
  Failed,     // unreadable, write-protected, or a folder, copy or result could not be written
              // (reported); the source is untouched
};

// The files one run has written (copies and results), shared by all its file workers. Two pages
// of the same name may be sent to the same place (two index.htm into one backup folder); the
// later one must never replace what the run wrote for the earlier.
class CRunWrites {
 public:
  // The name to write instead of `target`: `target` itself while this run has not claimed it,
  // otherwise the first "name (2).ext", "name (3).ext", ... that is neither claimed nor on disk.
  // The name returned is claimed.
  std::string Claim(const std::string& target);
  // Claims `path` itself; false when this run has claimed it before.
  bool TryClaim(const std::string& path);
  bool Written(const std::string& path) const;

 private:
  mutable std::mutex mutex_;
  std::set<std::string> claimed_;  // resolved paths
};

class COneFileJob {
 public:
  // All references must outlive the job; nothing of them is changed.
  COneFileJob(const BatchSettings& settings, const CRunConfig& config, IOutputSink& sink,
              const std::atomic<bool>& cancelRequested);

  IParseObserver* treeTarget = nullptr;  // not owned; handed to every optimization job
  RunJobFunction runJob;                 // empty: RunOptimizeJob
  MessageBoxFunction messageBox;         // empty: DefaultMessageBox
  CRunWrites* runWrites = nullptr;       // not owned; the run's written files; null: no run to share

  // Optimizes the file at the full path `path`.
  FileOutcome OptimizeFile(const std::string& path);

  // Writes one backup copy of `bytes` (the content of `sourcePath`) to `target` as the
  // existing-backup policy says. A copy skipped on purpose is success; false only when a write
  // failed, which is reported.
  bool WriteBackupCopy(const std::string& target, const std::string& sourcePath, std::string_view bytes);

  // The file's place below the backup or output folder: below the web root, below the start
  // directory, or the file name alone (see the settings' keep flags).
  std::string RelativeTarget(const std::string& path);

  // Creates the missing folders for `rel` below the settings' folder; false after a failure,
  // which has been reported.
  bool EnsureFolders(const std::string& rel);

  // Appends the text of message `messageId` and the system's text for errno value `code`.
  void ReportSystemError(int code, int messageId);

 private:
  bool Cancelled() const { return cancelRequested_.load(std::memory_order_relaxed); }
  // Writes `bytes` to `target` made like `sourcePath`; a failure is reported.
  bool WriteReported(const std::string& target, std::string_view bytes, const std::string& sourcePath);
  // As WriteReported, but under a new name when this run has already written `target`; the new
  // name is reported with `renamedText`.
  bool WriteClaimed(const std::string& target, std::string_view bytes, const std::string& sourcePath,
                    std::string_view renamedText);

  const BatchSettings& settings_;
  const CRunConfig& config_;
  IOutputSink& sink_;
  const std::atomic<bool>& cancelRequested_;
};

}  // namespace trimvale
