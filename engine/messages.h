#pragma once
// The string table: German message texts addressed by number. Texts are UTF-8 in the source and
// reach the output sink exactly as they stand here.

#include <string_view>
#include <vector>

namespace trimvale {

namespace msg {
inline constexpr int kParseFile = 61461;           // "Parse Datei"
inline constexpr int kUnknownError = 61477;        // "Ein unbekannter Fehler ist aufgetreten"
inline constexpr int kCreateFolderFailed = 61478;  // folder for a backup copy could not be created
inline constexpr int kEndOfInputNoContent = 61479;  // input ended where a tag's content was due
inline constexpr int kLevelTooHigh = 61481;        // result withheld: errors above the allowed level
}  // namespace msg

// Text of message `id`; empty for an unknown id.
std::string_view MessageText(int id);

// Every id in the table, for the test that checks each has its text.
std::vector<int> MessageIds();

}  // namespace trimvale
