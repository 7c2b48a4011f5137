#pragma once
// What the commands of trimvale-cli share: the options that locate rule and settings files,
// loading them, the sink that writes messages to standard error, and reading input.

#include <CLI/CLI.hpp>
#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "engine/output_sink.h"
#include "engine/run_context.h"
#include "engine/run_setup.h"
#include "rules/settings_store.h"

namespace trimvale::cli {

// Exit statuses shared by all commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitIoError = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitWithheld = 3;
inline constexpr int kExitCancelled = 130;

// Thrown by command code for a usage error found after parsing (a value out of range, a
// missing layout profile); main turns it into the message and exit status 2.
struct CUsageError {
  std::string message;
};

// Writes messages to standard error with each CR LF written as LF.
//
// A buffered sink collects the messages and writes them in pieces of some kilobytes, and the
// rest when it is flushed or destroyed: a broken page can bring thousands of repair messages,
// and one write each cost more than the whole parse. The batch console stays unbuffered, since
// its messages and its progress line must appear in order as they happen.
class CStderrSink : public IOutputSink {
 public:
  explicit CStderrSink(bool buffered = false) : buffered_(buffered) {}
  ~CStderrSink() override { Flush(); }
  CStderrSink(const CStderrSink&) = delete;
  CStderrSink& operator=(const CStderrSink&) = delete;

  void AppendText(std::string_view text) override;
  void Clear() override {}
  void Flush();

 private:
  bool buffered_;
  bool pendingCr_ = false;  // a CR ended the previous piece; its LF may start the next one
  std::string pending_;     // converted text not yet written
};

struct CCommonOptions {
  std::string rulesDir;      // --rules-dir: the program folder
  std::string settingsPath;  // --settings
  std::optional<int> layoutMode;
  std::string layoutProfile;  // empty: "standard"
  std::string profile;        // optimization profile; empty: none
  bool positions = false;     // --positions: "FILE:LINE:COL: " before each parse and repair message
};

// Puts "FILE:LINE:COL: " before each parse and repair message, as compilers do, and starts it
// on a line of its own (a few repair texts have no line end of their own); all other text
// passes unchanged.
class CPositionSink : public IOutputSink {
 public:
  explicit CPositionSink(IOutputSink& next) : next_(next) {}
  void AppendText(std::string_view text) override;
  void AppendReport(std::string_view text, const CMessageInfo& info) override;
  void Clear() override { next_.Clear(); }

 private:
  IOutputSink& next_;
  bool atLineStart_ = true;
};

// Registers --rules-dir and --settings.
void AddStoreOptions(CLI::App& command, CCommonOptions& options);
// Registers the store options plus --layout-mode, --layout-profile, --profile and --positions.
void AddCommonOptions(CLI::App& command, CCommonOptions& options);

// The optimize switches and layout values a command may set for one run, over the stored ones.
struct COptimizeOverrides {
  std::optional<std::string> optionsVector;  // --options: "1040" or "0x410"
  bool deleteComments = false;               // --delete-comments
  std::optional<int> wrap;                   // --wrap 0|1
  std::optional<int> width;                  // --width 20..2048
  std::optional<std::string> indent;         // --indent tabs|none|0..15
  std::optional<std::string> lineEnds;       // --line-ends crlf|lf|keep
  bool keepLook = false;                     // --keep-look

  // Throws CUsageError for a value the options cannot hold. Call before any work starts.
  void Check() const;
  // The given values as the core's overrides; throws as Check does.
  void ApplyTo(CRunOverrides& overrides) const;
};

// The settings store, the program folder and the run configuration a command works with.
class CEnvironment {
 public:
  // Opens the settings store only. A settings file that is there but cannot be read is reported
  // on standard error; the store then gives the defaults and never overwrites the file.
  void LoadStore(const CCommonOptions& options);
  // Opens the store, resolves the program folder and sets the run up: the common options and
  // `overrides` over the stored settings. Rule-file problems the run survives are reported to
  // `sink`; a profile that does not exist throws CUsageError.
  void Load(const CCommonOptions& options, const COptimizeOverrides& overrides, IOutputSink& sink);

  ISettingsStore& Store() { return *store_; }
  const std::string& ProgramFolder() const { return programFolder_; }
  const std::string& SettingsPath() const { return settingsPath_; }
  const CRunConfig& Config() const { return config_; }

 private:
  std::unique_ptr<ISettingsStore> store_;
  std::string settingsPath_;
  std::string programFolder_;
  CRunConfig config_;
};

// Registers --options, --delete-comments, --wrap, --width, --indent, --line-ends and --keep-look.
void AddOptimizeOptions(CLI::App& command, COptimizeOverrides& overrides);

// `path` made absolute against the current directory, without following links: "." and ".."
// components are resolved lexically, repeated separators fold, and no separator trails (except
// for "/" itself). Throws CUsageError when a relative path meets an unknown current directory.
std::string AbsolutePath(const std::string& path);

// Reads FILE, or standard input for "-" or an empty name. False with `error` set on failure.
bool ReadInput(const std::string& file, std::string& out, std::string& error);

// Ctrl+C sets this flag; runs poll it. Installed by InstallInterruptHandler.
std::atomic<bool>& InterruptFlag();
void InstallInterruptHandler();

// Writes bytes to standard output unchanged. False, with the system's reason in `error`, when
// they could not all be written (a full disk, /dev/full, a closed pipe).
bool WriteStdout(std::string_view bytes, std::string* error = nullptr);
// Closes standard output, so that an error the system reports only then is not lost either.
bool CloseStdout(std::string* error = nullptr);
// The message that reports a failed standard output, without a line end.
std::string StdoutFailed(std::string_view reason);
// Writes text to standard error unchanged.
void WriteStderr(std::string_view text);

}  // namespace trimvale::cli
