#include "rules/section_file.h"

#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <climits>

#include "rules/file_io.h"
#include "rules/ini_text.h"
#include "rules/rule_texts.h"
#include "rules/text_util.h"

namespace trimvale {

namespace {

constexpr std::string_view kSeparator = "\\#";
constexpr std::string_view kQuotedSeparator = "\"\\#\"";
constexpr std::string_view kDefaultSection = "standard";

// Counts the writes of every object. A parse is reused only while no object has written since,
// so objects that take turns on one file always see each other's writes, even where the file
// system's time stamps are too coarse to show two quick writes of the same size.
std::atomic<std::uint64_t>& WriteGeneration() {
  static std::atomic<std::uint64_t> generation{0};
  return generation;
}

std::string_view SectionOrDefault(std::string_view section) { return section.empty() ? kDefaultSection : section; }

// What identifies one version of a file on disk. The atomic writer replaces the file by a new
// one, so a change shows at least in the inode and the change time.
struct CFileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  long long modified = 0, changed = 0;  // nanoseconds

  bool operator==(const CFileStamp&) const = default;
};

FileState StatFile(const std::string& path, CFileStamp& stamp, std::string* error = nullptr) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return FileState::Missing;
    if (error) *error = SystemErrorText(errno);
    return FileState::Unreadable;
  }
  if (S_ISDIR(st.st_mode)) {
    if (error) *error = SystemErrorText(EISDIR);
    return FileState::Unreadable;
  }
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = st.st_size;
  stamp.modified = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  stamp.changed = static_cast<long long>(st.st_ctim.tv_sec) * 1000000000LL + st.st_ctim.tv_nsec;
  return FileState::Present;
}

// Inside one field: "\#" in quotes stands for the two characters \# ; any other \# that is not
// the field's last two characters is dropped, and the character after it is taken as it stands.
std::string UnescapeField(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  std::size_t i = 0;
  while (i < field.size()) {
    if (field.substr(i, kQuotedSeparator.size()) == kQuotedSeparator) {
      out += kSeparator;
      i += kQuotedSeparator.size();
    } else if (field.substr(i, kSeparator.size()) == kSeparator && i + 2 < field.size()) {
      out += field[i + 2];
      i += 3;
    } else {
      out += field[i++];
    }
  }
  return out;
}

}  // namespace

struct CSectionFile::CLoaded {
  std::string path;
  CFileStamp stamp;
  std::uint64_t generation = 0;
  bool exists = false;
  CIniText text;
};

CSectionFile::CSectionFile(std::string path) : path_(std::move(path)) {}

bool CSectionFile::FileExists(const std::string& path) {
  CFileStamp stamp;
  return StatFile(path, stamp) == FileState::Present;
}

std::shared_ptr<const CSectionFile::CLoaded> CSectionFile::Load() {
  const std::string& path = path_;
  const std::uint64_t generation = WriteGeneration().load();
  CFileStamp stamp;
  readError_.clear();
  state_ = path.empty() ? FileState::Missing : StatFile(path, stamp, &readError_);
  if (state_ == FileState::Unreadable) {
    loaded_.reset();
    return nullptr;
  }
  if (loaded_ && loaded_->path == path && loaded_->exists == (state_ == FileState::Present) && loaded_->stamp == stamp &&
      loaded_->generation == generation) {
    return loaded_;
  }
  auto loaded = std::make_shared<CLoaded>();
  loaded->path = path;
  loaded->generation = generation;
  if (state_ == FileState::Present) {
    std::string bytes;
    // Not a plain file (a FIFO would hang the read, /dev/zero never ends) or too large: the file
    // is treated as unreadable, so it is reported and never overwritten blind.
    if (!ReadRegularFile(path, bytes, kMaxRuleFileSize, &readError_)) {
      state_ = FileState::Unreadable;
      loaded_.reset();
      return nullptr;
    }
    loaded->exists = true;
    loaded->stamp = stamp;
    loaded->text = CIniText(std::move(bytes));
  }
  loaded_ = loaded;
  return loaded_;
}

template <typename EditFn>
bool CSectionFile::Modify(EditFn edit) {
  writeError_.clear();
  std::shared_ptr<const CLoaded> current = Load();
  if (!current || current->path.empty()) {
    writeError_ = current ? SystemErrorText(ENOENT) : readError_;
    return false;
  }
  auto next = std::make_shared<CLoaded>(*current);
  const bool changed = edit(next->text);
  if (!changed) return true;
  if (!WriteFileAtomically(next->path, next->text.Text(), &writeError_)) {
    loaded_.reset();
    return false;
  }
  next->generation = ++WriteGeneration();
  next->exists = StatFile(next->path, next->stamp) == FileState::Present;
  state_ = FileState::Present;
  loaded_ = next;
  return true;
}

bool CSectionFile::ReadKeysFrom(const CLoaded& loaded, std::string_view section) {
  const auto entries = loaded.text.Entries(SectionOrDefault(section));
  if (entries.empty()) return false;
  keys_.clear();
  keys_.reserve(entries.size());
  for (const auto& entry : entries) keys_.push_back(ParseLeadingInt(entry.key));
  return true;
}

bool CSectionFile::ReadKeys(std::string_view section) {
  std::shared_ptr<const CLoaded> loaded = Load();
  return loaded && ReadKeysFrom(*loaded, section);
}

bool CSectionFile::ReadSection(std::string_view section, const EntryVisitor& visit) {
  std::shared_ptr<const CLoaded> loaded = Load();
  if (!loaded || !ReadKeysFrom(*loaded, section)) return false;
  const std::vector<std::int32_t> keys = keys_;
  for (std::int32_t key : keys) {
    // Looked up by key, as ReadEntry does: a repeated key yields its first entry each time.
    const std::optional<std::string_view> value = loaded->text.Find(SectionOrDefault(section), std::to_string(key));
    if (!value || value->empty()) continue;
    SplitValue(*value, field1_, field2_, field3_);
    visit(key, field1_, field2_, field3_);
  }
  return true;
}

int CSectionFile::ReadEntry(std::int32_t key, std::string_view section) {
  std::shared_ptr<const CLoaded> loaded = Load();
  std::optional<std::string_view> value;
  if (loaded) value = loaded->text.Find(SectionOrDefault(section), std::to_string(key));
  if (!value || value->empty()) {
    field1_ = "---";
    field2_ = "----";
    return 0;
  }
  SplitValue(*value, field1_, field2_, field3_);
  return value->size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(value->size());
}

bool CSectionFile::WriteEntry(std::int32_t key, std::string_view field1, std::string_view field2,
                              std::string_view field3, std::string_view section) {
  std::string value(field1);
  value += kSeparator;
  value += field2;
  value += kSeparator;
  value += field3;
  return WriteValue(key, value, section);
}

bool CSectionFile::WriteValue(std::int32_t key, std::string_view value, std::string_view section) {
  const std::string_view name = SectionOrDefault(section);
  // A line break in a value would cut the file's structure apart: the rest of the value would
  // be read as lines of their own, possibly as a section. Refuse it instead of writing it.
  if (!CIniText::IsValidValue(value) || !CIniText::IsValidSectionName(name)) {
    writeError_ = file_text::kUnwritableValue;
    return false;
  }
  const std::string keyText = std::to_string(key);
  return Modify([&](CIniText& text) { return text.Set(name, keyText, value); });
}

bool CSectionFile::DeleteEntry(std::int32_t key, std::string_view section) {
  const std::string_view name = SectionOrDefault(section);
  const std::string keyText = std::to_string(key);
  return Modify([&](CIniText& text) { return text.Remove(name, keyText); });
}

bool CSectionFile::Edit(const std::function<bool(CIniText& text)>& edit) {
  return Modify([&](CIniText& text) { return edit(text); });
}

bool CSectionFile::DeleteSection(std::string_view section) {
  const std::string_view name = SectionOrDefault(section);
  return Modify([&](CIniText& text) { return text.RemoveSection(name); });
}

void CSectionFile::SplitValue(std::string_view value, std::string& field1, std::string& field2, std::string& field3) {
  const std::size_t n = value.size();
  // A separator at p, unless it is the quoted form "\#" (a quote on either side). At the very
  // start there is nothing before it, so it always separates.
  auto isSeparator = [&](std::size_t p) {
    if (p + 2 > n || value[p] != '\\' || value[p + 1] != '#') return false;
    if (p == 0) return true;
    return !(value[p - 1] == '"' && p + 2 < n && value[p + 2] == '"');
  };
  std::size_t separators[2];
  int found = 0;
  for (std::size_t p = 0; p < n && found < 2; ++p) {
    if (isSeparator(p)) separators[found++] = p;
  }
  if (found == 0) {
    field1 = UnescapeField(value);
    field2.clear();
    field3.clear();
  } else if (found == 1) {
    field1 = UnescapeField(value.substr(0, separators[0]));
    field2 = UnescapeField(value.substr(separators[0] + 2));
    field3.clear();
  } else {
    field1 = UnescapeField(value.substr(0, separators[0]));
    field2 = UnescapeField(value.substr(separators[0] + 2, separators[1] - separators[0] - 2));
    field3 = UnescapeField(value.substr(separators[1] + 2));
  }
  if (field1.empty()) field1 = field2;
  if (field2.empty()) field2 = field1;
}

}  // namespace trimvale
