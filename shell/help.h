#pragma once
// The German help topics: HTML pages installed beside the program (help/ beside the executable
// in the build tree, share/trimvale/help in an installation), shown in the system's browser or,
// where there is none, in a help window of the program's own.

#include <QString>

class QWidget;

namespace trimvale::shell {

// Topic file names, one per window that has a "?" button or a help command.
namespace topic {
inline constexpr const char* kIndex = "index.htm";
inline constexpr const char* kMainWindow = "das_hauptfenster.htm";
inline constexpr const char* kOptimizeDialog = "das_dialogfeld_optimieren.htm";
inline constexpr const char* kSettings = "das_dialogfeld_einstellungen.htm";
inline constexpr const char* kBatch = "mehrere_dateien_optimieren.htm";
inline constexpr const char* kTagLayout = "das_dialogfeld_tageigenschaften.htm";
inline constexpr const char* kTagOptimization = "das_dialogfeld_erweiterte_tagoptimierungen.htm";
inline constexpr const char* kMessages = "fehlerstufen_und_meldungen.htm";
}  // namespace topic

// The installed page of `topic` (a file name as above, optionally with "#anchor"); empty when
// no installed help folder holds it.
QString HelpTopicPath(const QString& topic);

// Shows `topic`. A topic that is not installed is reported in a message box over `parent`.
void ShowHelpTopic(QWidget* parent, const QString& topic);

}  // namespace trimvale::shell
