#pragma once
// What the desktop program loads at start and hands to its windows: the program folder, the
// settings store, the tag layout table of the profile "standard", the chosen optimization
// profile's rules, and the program-wide optimization and layout values the main window reads at
// creation and writes back at close.

#include <memory>
#include <optional>
#include <string>

#include "engine/run_context.h"
#include "engine/run_setup.h"
#include "rules/optimize_options.h"
#include "rules/settings_store.h"
#include "rules/tag_layout.h"

namespace trimvale::shell {

// Keeps the memory of a page that goes (its text, its editor document, the run's tree) for the
// next one, rather than handing it back to the system and faulting it in again page by page:
// a window works on the same large pages again and again. Call once, before any thread starts.
void KeepFreedMemoryForReuse();

struct CShellStartOptions {
  std::string rulesDir;      // --rules-dir; empty: the usual search
  std::string settingsPath;  // --settings; empty: TRIMVALE_SETTINGS or the per-user file
};

class CShellEnvironment {
 public:
  // Opens the store and resolves the program folder. Does not read any rule file yet.
  explicit CShellEnvironment(const CShellStartOptions& options);
  // For tests: a store the caller owns (not owned here) and a given program folder.
  CShellEnvironment(ISettingsStore& store, std::string programFolder);

  ISettingsStore& Store() { return *store_; }
  const std::string& ProgramFolder() const { return programFolder_; }
  std::string RuleFilePath(const char* name) const { return programFolder_ + "/" + name; }
  // A file the program ships but never writes (tips.txt, vnm.htm): the program folder's own
  // copy when it holds one, else the installation's. The installed folder is read-only, and a
  // per-user program folder holds only the rule files it was seeded with.
  std::string ShippedFilePath(const char* name) const;

  bool LayoutFileExists() const;
  // Reads the program-wide values and loads the layout profile "standard" through the core's
  // run set-up, as the command line does. Returns its warnings (lines ending in "\r\n").
  std::vector<std::string> LoadAtCreation();
  // Loads `layoutProfile` from tageinst.txt again, so that the next run lays out by what the
  // layout editor saved. Returns its warnings (lines ending in "\r\n").
  std::vector<std::string> ReloadLayoutTable();
  // Writes the options vector, "Baumart", "HTML Umbrechen" and "Zeilenbreite".
  void WriteAtClose();
  // Replaces the layout table by the profile `section` of tageinst.txt. When the file or the
  // section cannot be read, the table in use stays and the reason is returned (ending "\r\n").
  std::optional<std::string> LoadLayoutTable(const std::string& section);

  // The run configuration of the next optimization. It shares the layout table and the rules,
  // which are immutable, so a run keeps what it was given whatever is loaded later.
  CRunConfig MakeRunConfig() const;

  OptimizeOptions options;                    // the switches of the next run, changed by the "Optimieren" dialog
  std::shared_ptr<const CTagRuleList> rules;  // the chosen profile's rules; used while options.useProfile
  CLayoutSettings layout;                     // mode, wrap, width and indentation unit read at creation
  bool showParseTree = false;                 // "Html Baum"
  std::string layoutProfile = "standard";     // the section of tageinst.txt the layout table holds

 private:
  std::unique_ptr<ISettingsStore> ownedStore_;
  ISettingsStore* store_ = nullptr;  // ownedStore_ or the caller's
  std::string programFolder_;
  std::shared_ptr<const CTagLayoutTable> layoutTable_;
};

}  // namespace trimvale::shell
