#pragma once
// The directory run: walking a start directory depth-first, with the directory filters (strings
// in the path, the exclusion list) and the file filters (age, ending, strings in the name).
//
// Letter case: names, endings and filter strings are compared after lower-casing ASCII letters.
// Folders (the backup folder, the exclusion list) are compared resolved, as whole folders from
// the front of the path, with letter case, as the file system does.
//
// Links: a symbolically linked directory is never entered (a link to an ancestor would walk for
// ever), and a symbolically linked file is passed over as well (it may lead anywhere, also to a
// page the walk reaches a second time). Only regular files and real directories are handled.

#include <atomic>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/batch_settings.h"
#include "engine/output_sink.h"
#include "rules/settings_store.h"

namespace trimvale {

struct DirectoryFilters {
  bool byDate = false;                    // "Nach Datum durchsuchen": apply the age test to files
  bool byCreated = false;                 // "Erstellt": age test on the creation time
  bool byChanged = false;                 // "Geaendert": age test on the last-write time
  int days = 1;                           // "Tage": a file passes when its age in whole minutes is <= days * 1440;
                                          // below 0 no file passes
  bool skipDirStrings = false;            // "Verz Str opt"
  std::string dirStrings = "_vti_cnf;";   // current entry of "Verzeichnisstrings", lower-cased
  bool skipListedDirs = false;            // "Verz nach Liste n opt"
  std::vector<std::string> excludedDirs;  // lst.dat: full paths of directories not to enter
  bool useFileStrings = false;            // "Dat Str opt"
  std::string fileStrings;                // current entry of "Dateistrings", lower-cased
  bool anyString = false;                 // "ODER": one token suffices (else all must occur)
  bool onlyMatching = false;              // "Nur diese opt": optimize only matching (else skip them)
  bool exclusionListFailed = false;       // lst.dat was missing or unreadable when the filters were loaded
};

// Fills `filters` from section "Einstellungen" and `programFolder`/lst.dat. Returns false (with
// an empty list and exclusionListFailed set) when lst.dat cannot be read; the other fields are
// loaded all the same.
bool LoadDirectoryFilters(const ISettingsStore& store, const std::string& programFolder, DirectoryFilters& filters);

// The entry in use of a history value ("%x%y%z" gives x), lower-cased. A value without any "%"
// is taken whole, as a single entry.
std::string CurrentHistoryEntry(std::string_view history);

// The tokens of a filter string: each ended by ";", trimmed of blanks; text after the last ";"
// is no token.
std::vector<std::string> SplitTokens(std::string_view text);

// Whether a walk skips the sub-directory at full path `dir` (never asked for the start itself).
bool SkipsDirectory(const DirectoryFilters& filters, const std::string& dir);

// The endings of an endings list, lower-cased and without their dot: separated by ";" or ",",
// each with or without a leading dot (".HTM;", "htm,html" and ".htm;.html;" all work).
std::vector<std::string> ParseExtensions(std::string_view list);
// The list in the form the directory chooser keeps: ".htm;.html;".
std::string NormalizeExtensions(std::string_view list);

// Whether the file at `path` named `name` passes the age, ending and name-string tests at `now`.
bool PassesFileFilters(const DirectoryFilters& filters, std::string_view extensions, const std::string& path,
                       std::string_view name, std::time_t now);

// Everything a walk reads. All references must outlive the walk.
struct CWalkOptions {
  const DirectoryFilters& filters;
  const BatchSettings& settings;  // backupMode and folder: the backup folder is never walked
  bool includeSubfolders = false;
  std::string extensions = ".htm;.html;";
  IOutputSink& sink;
  const std::atomic<bool>& cancelRequested;
};

// Walks `dir` depth-first, taking each directory's entries by name compared ordinally after
// upper-casing ASCII letters (the order Windows delivers, so runs are repeatable), and calls
// `onFile` with the full path of every file the filters admit. Uses an explicit stack, so deep
// trees cannot exhaust the call stack. A directory that cannot be listed is reported ("Kann
// Verzeichnis nicht lesen: PATH"); the number of such directories is returned. After a cancel
// nothing more is entered or handed on.
int WalkDirectory(const std::string& dir, const CWalkOptions& options,
                  const std::function<void(const std::string& file)>& onFile);

}  // namespace trimvale
