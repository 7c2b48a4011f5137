// Fuzz target: the rule-file reader and writer on any file content. The input becomes a file;
// every section found in it is read entry by entry (also as a layout profile and as an
// optimization profile), then one entry is written, read back and deleted, and a section is
// deleted, while every entry the edits do not touch must read the same before and after.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rules/ini_text.h"
#include "rules/optimize_options.h"
#include "rules/section_file.h"
#include "rules/tag_layout.h"

namespace {

using namespace trimvale;

// Enough to reach every kind of line; more only slows each input down.
constexpr std::size_t kMaxSections = 48;

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "section_file_fuzz: broken invariant: %s\n", what);
    std::abort();
  }
}

// One folder per process, removed at exit; the file in it is rewritten for every input.
class CScratchFile {
 public:
  CScratchFile() {
    std::string pattern = (std::filesystem::temp_directory_path() / "trimvale-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
      std::perror("section_file_fuzz: mkdtemp");
      std::abort();
    }
    dir_ = pattern;
    path_ = (dir_ / "rules.txt").string();
  }
  ~CScratchFile() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  const std::string& path() const { return path_; }
  void Write(std::string_view bytes) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Check(static_cast<bool>(out), "scratch file not written");
  }

 private:
  std::filesystem::path dir_;
  std::string path_;
};

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// Section names as a careless reader would see them: what stands between '[' at a line's start
// and the next ']'. Names the file format does not accept are kept too: reading them must be
// harmless.
std::vector<std::string> SectionNames(std::string_view text) {
  std::vector<std::string> names{"", "#profile"};
  std::size_t pos = 0;
  while (pos < text.size() && names.size() < kMaxSections) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (!line.empty() && line.front() == '[') {
      const std::size_t close = line.find(']');
      std::string_view name = line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1);
      // Blanks around a name are not part of it; trimming keeps one section from being seen
      // under two names, which would look like an edit reaching the wrong section.
      while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.remove_prefix(1);
      while (!name.empty() && (name.back() == ' ' || name.back() == '\t' || name.back() == '\r')) name.remove_suffix(1);
      names.emplace_back(name);
    }
    pos = end + 1;
  }
  return names;
}

using CSnapshot = std::map<std::pair<std::string, std::int32_t>, std::vector<std::string>>;

// Every entry of every named section as ReadEntry sees it, keyed by lower-cased section name
// (section names compare without regard to case, so two spellings are one section).
CSnapshot ReadAll(const std::string& path, const std::vector<std::string>& sections) {
  CSnapshot snapshot;
  CSectionFile file(path);
  for (const std::string& section : sections) {
    if (!file.ReadKeys(section)) continue;
    const std::vector<std::int32_t> keys = file.Keys();
    for (std::int32_t key : keys) {
      const int length = file.ReadEntry(key, section);
      Check(length >= 0, "negative entry length");
      auto& fields = snapshot[{Lower(section.empty() ? "standard" : section), key}];
      // A missing entry leaves the third field as the previous read left it: not comparable.
      fields = {std::to_string(length)};
      if (length > 0) fields.insert(fields.end(), {file.GetField1(), file.GetField2(), file.GetField3()});
    }
  }
  return snapshot;
}

// Entries outside `section`, or of `section` with another key, must not change by an edit.
void CheckUntouched(const CSnapshot& before, const CSnapshot& after, const std::string& section, std::int32_t key,
                    bool wholeSection) {
  const std::string lowered = Lower(section.empty() ? "standard" : section);
  for (const auto& [where, fields] : before) {
    if (where.first == lowered && (wholeSection || where.second == key)) continue;
    const auto found = after.find(where);
    Check(found != after.end(), "an entry the edit did not touch disappeared");
    Check(found->second == fields, "an entry the edit did not touch changed");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const CScratchFile scratch;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  scratch.Write(text);
  CSectionFile file(scratch.path());

  std::string field1, field2, field3;
  CSectionFile::SplitValue(text, field1, field2, field3);

  const std::vector<std::string> sections = SectionNames(text);
  const CSnapshot before = ReadAll(scratch.path(), sections);
  for (const std::string& section : sections) {
    CTagLayoutTable table;
    LoadLayoutProfile(table, file, section);
    for (const CTagLayout& record : table.Records()) Check(table.Find(record.name) != nullptr, "record not found");
    CTagRuleList rules;
    LoadProfileRules(rules, file, section);
  }
  ListProfiles(file);


  // The write round goes to the last section found (or "standard") under a key from the input.
  const std::string& section = sections.size() > 2 ? sections.back() : sections.front();
  const std::int32_t key = size > 0 ? static_cast<std::int32_t>(data[size - 1]) - 64 : 7;
  const bool writable = CIniText::IsValidSectionName(section.empty() ? "standard" : section);

  const bool written = file.WriteEntry(key, "neu", "alt", "10110101", section);
  Check(written == writable, "write refused for a valid section or accepted for an invalid one");
  if (written) {
    Check(file.ReadEntry(key, section) == 18, "written entry read back with another length");
    Check(file.GetField1() == "neu" && file.GetField2() == "alt" && file.GetField3() == "10110101",
          "written entry read back with other fields");
  }
  const CSnapshot afterWrite = ReadAll(scratch.path(), sections);
  CheckUntouched(before, afterWrite, section, key, false);

  // A value from the input itself: refused only for a line break; whatever is accepted reads
  // back as the value without the blanks at its ends.
  const std::string_view value = text.substr(0, text.size() < 64 ? text.size() : 64);
  const bool valueWritten = file.WriteValue(key, value, section);
  Check(valueWritten == (writable && CIniText::IsValidValue(value)), "value write refused or accepted wrongly");

  Check(file.DeleteEntry(key, section), "entry delete failed");
  Check(file.ReadEntry(key, section) == 0, "deleted entry still read");
  CheckUntouched(before, ReadAll(scratch.path(), sections), section, key, false);

  Check(file.DeleteSection(section), "section delete failed");
  Check(!file.ReadKeys(section), "deleted section still has keys");
  CheckUntouched(before, ReadAll(scratch.path(), sections), section, key, true);
  return 0;
}
