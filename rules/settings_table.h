#pragma once
// Every value of the settings store in one declarative table: section, name, type and default.
// Where two readers use different defaults for the same value (the settings page and the batch
// run), the table holds both, so no caller repeats a name or a default.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "rules/settings_store.h"

namespace trimvale {

struct CSettingDef {
  std::string_view section;
  std::string_view name;
  bool isString;
  std::int32_t intDefault;       // default of the settings pages and the main window
  std::int32_t intDefaultBatch;  // default when a batch run reads it (usually the same)
  std::string_view stringDefault;
};

namespace setting {
inline constexpr std::string_view kGeneral = "Einstellungen";
inline constexpr std::string_view kWizard = "Assistent";
inline constexpr std::string_view kFont = "Schriftart";
inline constexpr std::string_view kTip = "Tip";

// Section "Einstellungen".
inline constexpr CSettingDef kLayoutMode{kGeneral, "Baumart", false, 0, 0, ""};
inline constexpr CSettingDef kWrapLines{kGeneral, "HTML Umbrechen", false, 1, 1, ""};
inline constexpr CSettingDef kLineWidth{kGeneral, "Zeilenbreite", false, 70, 70, ""};
inline constexpr CSettingDef kIndentKind{kGeneral, "Einschubart", false, 1, 1, ""};
inline constexpr CSettingDef kIndentSpaces{kGeneral, "Anz Leerzeichen Einschub", false, 2, 2, ""};
inline constexpr CSettingDef kLineEnds{kGeneral, "Zeilenende", false, 0, 0, ""};  // 0 CR LF, 1 LF, 2 as the page
inline constexpr CSettingDef kKeepLook{kGeneral, "Darstellung bewahren", false, 0, 0, ""};
inline constexpr CSettingDef kLastLayoutProfile{kGeneral, "Letztes profil", false, 0, 0, ""};
inline constexpr CSettingDef kOptionsVector{kGeneral, "Optimieren BoolVektor", false, 1040, 1040, ""};
inline constexpr CSettingDef kOptimizeProfile{kGeneral, "Profil opt", false, 0, 0, ""};
inline constexpr CSettingDef kShowParseTree{kGeneral, "Html Baum", false, 0, 0, ""};
inline constexpr CSettingDef kClearOutput{kGeneral, "Ausgabe Loeschen", false, 1, 1, ""};
inline constexpr CSettingDef kAllowedLevel{kGeneral, "Fehlerbehandlung", false, 0, 1, ""};
inline constexpr CSettingDef kWindowPlacement{kGeneral, "FensterPos", true, 0, 0, ""};
inline constexpr CSettingDef kEditorWordWrap{kGeneral, "Zeilenumbruch", false, 0, 0, ""};
inline constexpr CSettingDef kTabStops{kGeneral, "TabStops", false, 32, 32, ""};
inline constexpr CSettingDef kCreateBackup{kGeneral, "Sikop erstellen", false, 1, 1, ""};
inline constexpr CSettingDef kBackupEnding{kGeneral, "Sikop Endung", true, 0, 0, ".bak"};
inline constexpr CSettingDef kBackupFolder{kGeneral, "Neuordnername", true, 0, 0, ""};
inline constexpr CSettingDef kKeepFolderStructure{kGeneral, "Ordnerstruktur behalten", false, 1, 1, ""};
inline constexpr CSettingDef kBackupMode{kGeneral, "Sikop Art", false, 2, 0, ""};
inline constexpr CSettingDef kKeepWebStructure{kGeneral, "Webstruktur behalten", false, 0, 0, ""};
inline constexpr CSettingDef kWebRoot{kGeneral, "Webordner", true, 0, 0, ""};
inline constexpr CSettingDef kExistingBackup{kGeneral, "Sikop besteht", false, 0, 0, ""};
inline constexpr CSettingDef kFilterByDate{kGeneral, "Nach Datum durchsuchen", false, 0, 0, ""};
inline constexpr CSettingDef kDateCreated{kGeneral, "Erstellt", false, 0, 0, ""};
inline constexpr CSettingDef kDateChanged{kGeneral, "Geaendert", false, 0, 0, ""};
inline constexpr CSettingDef kDays{kGeneral, "Tage", false, 1, 1, ""};
inline constexpr CSettingDef kSkipDirStrings{kGeneral, "Verz Str opt", false, 0, 0, ""};
inline constexpr CSettingDef kDirStrings{kGeneral, "Verzeichnisstrings", true, 0, 0, "%_vti_cnf;"};
inline constexpr CSettingDef kSkipListedDirs{kGeneral, "Verz nach Liste n opt", false, 0, 0, ""};
inline constexpr CSettingDef kUseFileStrings{kGeneral, "Dat Str opt", false, 0, 0, ""};
inline constexpr CSettingDef kFileStrings{kGeneral, "Dateistrings", true, 0, 0, ""};
inline constexpr CSettingDef kAnyString{kGeneral, "ODER", false, 0, 0, ""};
inline constexpr CSettingDef kOnlyMatching{kGeneral, "Nur diese opt", false, 0, 0, ""};

// Section "Assistent".
inline constexpr CSettingDef kWizardAtStart{kWizard, "Beim Start zeigen", false, 1, 1, ""};
inline constexpr CSettingDef kWizardChoice{kWizard, "Auswahl", false, 0, 0, ""};
inline constexpr CSettingDef kFirstStart{kWizard, "Erststart", false, 1, 1, ""};
inline constexpr CSettingDef kLastFileFolder{kWizard, "Verz Mehrere", true, 0, 0, ""};
inline constexpr CSettingDef kLastDirectory{kWizard, "Verzeichnis", true, 0, 0, ""};
inline constexpr CSettingDef kSubfolders{kWizard, "Unterordner", false, 0, 0, ""};
inline constexpr CSettingDef kExtensions{kWizard, "Erweiterungen", true, 0, 0, ".htm;.html;"};

// Section "Schriftart".
inline constexpr CSettingDef kFontHeight{kFont, "Höhe", false, -13, -13, ""};
inline constexpr CSettingDef kFontWeight{kFont, "Dicke", false, 400, 400, ""};
inline constexpr CSettingDef kFontItalic{kFont, "Kursiv", false, 0, 0, ""};
inline constexpr CSettingDef kFontUnderline{kFont, "Unterstrichen", false, 0, 0, ""};
inline constexpr CSettingDef kFontPitch{kFont, "PitchAndFamily", false, 49, 49, ""};
inline constexpr CSettingDef kFontCharSet{kFont, "CharSet", false, 1, 1, ""};
inline constexpr CSettingDef kFontFace{kFont, "Art", true, 0, 0, "Courier"};

// Section "Tip".
inline constexpr CSettingDef kTipStartUp{kTip, "StartUp", false, 0, 0, ""};
inline constexpr CSettingDef kTipFilePos{kTip, "FilePos", false, 0, 0, ""};
inline constexpr CSettingDef kTipTimeStamp{kTip, "TimeStamp", true, 0, 0, ""};
}  // namespace setting

// Every value above, in table order.
const std::vector<const CSettingDef*>& AllSettings();

// Which default a reader uses.
enum class SettingReader { Page, Batch };

std::int32_t ReadSetting(const ISettingsStore& store, const CSettingDef& def, SettingReader reader = SettingReader::Page);
std::string ReadStringSetting(const ISettingsStore& store, const CSettingDef& def);

// Finds a value by section and name without regard to case, or nullptr.
const CSettingDef* FindSetting(std::string_view section, std::string_view name);

}  // namespace trimvale
