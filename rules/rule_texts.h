#pragma once
// Every German text about the rule files: the lines a run prints when its rule files are missing
// or lack what was asked for. Lines for the output pane carry their own "\r\n"; usage texts do not.

#include <string>
#include <string_view>

namespace trimvale::file_text {

// The start-up warning when the layout file is missing; the program goes on with an empty table.
inline constexpr std::string_view kTagLayoutMissing =
    "Die Datei 'tageinst.txt' wurde nicht gefunden! Installieren Sie neu.\r\n";

inline std::string UnknownLayoutProfile(std::string_view name, std::string_view path) {
  std::string text = "Layoutprofil '";
  text.append(name).append("' nicht in ").append(path).append(" gefunden");
  return text;
}

}  // namespace trimvale::file_text
