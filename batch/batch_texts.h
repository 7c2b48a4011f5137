#pragma once
// Every German text the batch writes to the output sink or shows in a message box. Texts that
// end a line carry their own "\r\n"; message-box texts do not, since a box has no lines.

#include <string>
#include <string_view>

namespace trimvale::batch_text {

inline constexpr std::string_view kOptimizing = "Optimiere: ";  // + path + "\r\n"
inline constexpr std::string_view kBackupFolderRefused =
    "WARNUNG: Es wurde versucht das Sicherungskopieverzeichnis zu optimieren. Vorgang wurde nicht durchgeführt.\r\n";
inline constexpr std::string_view kCannotOpen = "Kann Datei nicht öffnen.";  // message box
inline constexpr std::string_view kNotInWeb =
    "Das zu optimierende Verzeichnis liegt nicht im aktuellen Web. Die Option 'Webstruktur beibehalten' wird "
    "ignoriert.\r\n";
inline constexpr std::string_view kOldSize = "Optimiert, alte Grösse: ";  // + N + kOldSizeEnd
inline constexpr std::string_view kOldSizeEnd = " Byte,";
inline constexpr std::string_view kNewSize = " neue Grösse: ";  // + M + kNewSizeEnd
inline constexpr std::string_view kNewSizeEnd = " Byte\r\n\r\n";
inline constexpr std::string_view kWriteFailed = "Fehler beim Schreiben der Datei ";  // + path + ": " + reason
inline constexpr std::string_view kCancelled = "Vorgang vom Benutzer abgebrochen.\r\n";
inline constexpr std::string_view kCancelling = "Breche ab...\r\n";
inline constexpr std::string_view kSummary = "Optimieren beendet. Anzahl optimierter Dateien: ";  // + N + "\r\n\r\n"
inline constexpr std::string_view kWriteProtected = "Datei ist schreibgeschützt: ";               // + path + "\r\n"
inline constexpr std::string_view kBackupRenamed = "Sicherungskopie unter neuem Namen gespeichert: ";   // + path
inline constexpr std::string_view kResultRenamed = "Optimierte Datei unter neuem Namen gespeichert: ";  // + path
inline constexpr std::string_view kWrittenThisRun =
    "Datei wurde in diesem Durchgang geschrieben und wird nicht optimiert: ";            // + path + "\r\n"
inline constexpr std::string_view kCannotListFolder = "Kann Verzeichnis nicht lesen: ";  // + path + "\r\n"
inline constexpr std::string_view kFailedCount = "Fehlgeschlagen: ";  // + N + "\r\n", after the summary line
// Shown on the sink and, where a message-box callback is set, in a box as well.
inline constexpr std::string_view kExclusionListUnreadable =
    "Fehler beim Lesen der Liste der nicht zu optimierenden Verzeichnisse. Diese Option wird ignoriert.";
// The settings page's own text for a backup folder that is empty or not an existing directory.
inline constexpr std::string_view kInvalidBackupFolder =
    "Bitte wählen Sie einen gültigen Namen für den Ordner für die Sicherungskopie";
// The settings page's own text for a SameFolder copy without an ending.
inline constexpr std::string_view kMissingBackupEnding = "Bitte geben Sie eine Dateiendung für die Sicherungskopie an.";

// `text` + the path fit for printing + "\r\n".
std::string PathLine(std::string_view text, std::string_view path);

// "Fehler beim Schreiben der Datei <path>: <reason>\r\n"
std::string WriteFailed(std::string_view path, std::string_view reason);

}  // namespace trimvale::batch_text
