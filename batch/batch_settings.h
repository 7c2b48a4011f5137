#pragma once
// The settings one batch run works with, read from the settings store at the start of each run
// with the batch readers' defaults ("Sikop Art" 0 and "Fehlerbehandlung" 1).

#include <cstdint>
#include <optional>
#include <string>

#include "rules/settings_store.h"

namespace trimvale {

// Where the backup copy and the optimized text go. The stored value is kept as it is, so an
// unknown number behaves like none of the three (no copy, result in place) but still counts as
// "not SameFolder" for the backup-folder test.
enum class BackupMode : std::int32_t {
  SameFolder = 0,    // copy beside the source (path + ending), result in place
  MoveOriginal = 1,  // copy below the folder, result in place
  OutputFolder = 2,  // no copy, result below the folder; the source is kept
};

// What happens when a backup copy already exists. Unknown values behave as AlwaysOverwrite.
enum class ExistingBackupPolicy : std::int32_t {
  OverwriteIfOlder = 0,  // replace a copy at least 10 s older than the source
  AlwaysOverwrite = 1,
  NumberedName = 2,  // keep the old one, write a.htm0.bak, a.htm1.bak, ...
  KeepExisting = 3,  // keep the old one, write none
};

struct BatchSettings {
  bool createBackup = true;                        // "Sikop erstellen"; also decides whether OutputFolder applies
  std::string backupEnding = ".bak";               // "Sikop Endung": appended to the full name of a SameFolder copy
  std::string folder;                              // "Neuordnername": backup or output folder, an existing directory
  bool keepFolderStructure = true;                 // "Ordnerstruktur behalten": rebuild the start directory's tree
  BackupMode backupMode = BackupMode::SameFolder;  // "Sikop Art"
  bool keepWebStructure = false;                   // "Webstruktur behalten": rebuild below the web root
  std::string webRoot;                             // "Webordner"
  ExistingBackupPolicy existingBackupPolicy = ExistingBackupPolicy::OverwriteIfOlder;  // "Sikop besteht"
  std::int8_t allowedLevel = 1;  // "Fehlerbehandlung": highest error level with which a file is written
  std::string startDirectory;    // the start of a directory run; empty in a file-list run
};

// Reads every stored field with the batch defaults; startDirectory stays empty.
BatchSettings ReadBatchSettings(const ISettingsStore& store);

// Writes the stored fields back (what the batch settings page does on Apply).
void WriteBatchSettings(ISettingsStore& store, const BatchSettings& settings);

// The reason a run with these settings must not start, or nullopt when it may. With backups on
// and mode 1 or 2, copies or results would land below an empty or missing folder, that is below
// the root of the file system; such a run is refused with the settings page's message. So is a
// copy beside the source (mode 0) without an ending, which would be the source itself.
std::optional<std::string> ValidateBatchSettings(const BatchSettings& settings);

// The directory chooser's values of a directory run, kept in section "Assistent".
struct CDirectoryChoice {
  std::string directory;                   // "Verzeichnis"
  bool includeSubfolders = false;          // "Unterordner"
  std::string extensions = ".htm;.html;";  // "Erweiterungen": endings, each ended by ";"
};

CDirectoryChoice ReadDirectoryChoice(const ISettingsStore& store);
// Written as soon as a directory run is chosen, so the next run starts from it.
void WriteDirectoryChoice(ISettingsStore& store, const CDirectoryChoice& choice);

}  // namespace trimvale
