#pragma once
// Every German text about the rule files and the settings file: reasons a file is refused, and
// the lines a run prints when its rule files are missing, unreadable or lack what was asked for.
// Lines for the output pane carry their own "\r\n"; reasons and usage texts do not.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trimvale::file_text {

// Reasons, appended after "...: " like the system's own texts.
inline constexpr std::string_view kNotARegularFile = "keine gewöhnliche Datei";
inline std::string TooLarge(std::uint64_t maxBytes) {
  return "Datei ist größer als " + std::to_string(maxBytes >> 20) + " MB";
}

// The start-up warning when the layout file is missing; the program goes on with an empty table.
inline constexpr std::string_view kTagLayoutMissing =
    "Die Datei 'tageinst.txt' wurde nicht gefunden! Installieren Sie neu.\r\n";

// A rule file that is there but cannot be read is reported where a missing one is.
inline std::string RuleFileUnreadable(std::string_view path, std::string_view reason) {
  std::string text = "Die Datei '";
  text.append(path).append("' kann nicht gelesen werden: ").append(reason).append("\r\n");
  return text;
}

// Without a line end: the command line prints it, the desktop program shows it in a box.
inline std::string SettingsUnreadable(std::string_view path, std::string_view reason) {
  std::string text = "Die Einstellungsdatei '";
  text.append(path).append("' kann nicht gelesen werden: ").append(reason);
  return text;
}

inline std::string UnknownLayoutProfile(std::string_view name, std::string_view path) {
  std::string text = "Layoutprofil '";
  text.append(name).append("' nicht in ").append(path).append(" gefunden");
  return text;
}

inline std::string UnknownProfile(std::string_view name, std::string_view path,
                                  const std::vector<std::string>& existing) {
  std::string text = "Optimierungsprofil '";
  text.append(name).append("' nicht in ").append(path).append(" gefunden. Vorhandene Profile: ");
  if (existing.empty()) text += "keine";
  for (std::size_t i = 0; i < existing.size(); ++i) {
    if (i > 0) text += ", ";
    text += existing[i];
  }
  return text;
}

// Changes to the rule files. Without a line end: the editors show them in a box, the command
// line prints them.
inline constexpr std::string_view kUnwritableValue = "Name oder Wert enthält einen Zeilenumbruch";
inline std::string RuleFileUnwritable(std::string_view path, std::string_view reason) {
  std::string text = "Die Datei '";
  text.append(path).append("' kann nicht geschrieben werden: ").append(reason);
  return text;
}
inline constexpr std::string_view kNameForbiddenCharacters =
    "Der Name darf weder \\# noch =, [, ] oder einen Zeilenumbruch enthalten. Bitte wählen Sie einen anderen "
    "Namen.";
inline constexpr std::string_view kNameBlankAtEnds = "Der Name darf nicht mit einem Leerzeichen beginnen oder enden.";
inline std::string NameReserved(std::string_view name) {
  std::string text = "Der Name '";
  text.append(name).append("' ist für die Liste der Profile reserviert. Bitte wählen Sie einen anderen Namen.");
  return text;
}
inline constexpr std::string_view kNameExists = "Dieser Name ist bereits vorhanden. Bitte wählen Sie einen anderen Namen.";
inline std::string ProfileNotListed(std::string_view name) {
  std::string text = "Das Profil '";
  text.append(name).append("' ist nicht vorhanden.");
  return text;
}
inline constexpr std::string_view kStandardProfileProtected =
    "Dies ist ein Standardprofil. Sie können nur benutzerdefinierte Profile löschen.";

}  // namespace trimvale::file_text
