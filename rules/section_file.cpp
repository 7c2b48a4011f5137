// Placeholder until the rule-file reader lands.
#include "rules/section_file.h"

namespace trimvale {

CSectionFile::CSectionFile() {}
CSectionFile::CSectionFile(const std::string& path) : path_(path) {}
bool CSectionFile::FileExists(const std::string&) { return false; }
std::string CSectionFile::CurrentPath() { return {}; }
bool CSectionFile::ReadKeys(std::string_view) { return false; }
int CSectionFile::ReadEntry(std::int32_t, std::string_view) {
  field1_ = "---";
  field2_ = "----";
  return 0;
}
bool CSectionFile::WriteEntry(std::int32_t, std::string_view, std::string_view, std::string_view, std::string_view) {
  return false;
}
bool CSectionFile::WriteValue(std::int32_t, std::string_view, std::string_view) { return false; }
bool CSectionFile::DeleteEntry(std::int32_t, std::string_view) { return false; }
bool CSectionFile::DeleteSection(std::string_view) { return false; }
void CSectionFile::SplitValue(std::string_view, std::string&, std::string&, std::string&) {}

}  // namespace trimvale
