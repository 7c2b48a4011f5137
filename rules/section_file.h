#pragma once
// Reader and writer of the rule files (tageinst.txt, profile.txt): initialization-file text of
// [sections] with numbered `key=value` entries whose values hold up to three fields separated
// by the two characters \# . Each object reads and writes the one file it was made for, so the
// layout editor, the profile editor and a running batch may each hold their own at the same
// time. Every operation takes an empty section view to mean "standard". Reading follows the
// private-profile conventions (see rules/ini_text.h); writing keeps every line it does not touch
// byte for byte and replaces the file atomically.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace trimvale {

class CIniText;

// What a read found at a rule file's path.
enum class FileState {
  Present,
  Missing,
  Unreadable,  // there, but a folder, not permitted, not a plain file, or too large
};

class CSectionFile {
 public:
  explicit CSectionFile(std::string path);

  const std::string& Path() const { return path_; }
  // Whether a file exists at `path` (a file-status query; nothing else changes).
  static bool FileExists(const std::string& path);
  // What the last read or write found at the path, and for Unreadable the reason, in German.
  FileState State() const { return state_; }
  const std::string& ReadError() const { return readError_; }

  // Enumerates the keys of `section` (empty view means "standard") in file order into the key
  // list. False, with the list left as it was, when the section is missing or has no entry.
  bool ReadKeys(std::string_view section = {});
  const std::vector<std::int32_t>& Keys() const { return keys_; }

  // Reads entry `key` of `section` and splits it into the three fields; returns the value's
  // length. A missing or empty entry yields 0 with fields "---" and "----" (field 3 unchanged).
  int ReadEntry(std::int32_t key, std::string_view section = {});
  // ReadKeys, then ReadEntry for each key, calling `visit` with the fields of every non-empty
  // entry; the same result from one look at the file instead of one per entry (a layout profile
  // is loaded at every start of the program). False when ReadKeys would be.
  using EntryVisitor = std::function<void(std::int32_t key, const std::string& field1, const std::string& field2,
                                          const std::string& field3)>;
  bool ReadSection(std::string_view section, const EntryVisitor& visit);

  std::string GetField1() const { return field1_; }
  std::string GetField2() const { return field2_; }
  std::string GetField3() const { return field3_; }

  // Writes field1 \# field2 \# field3 unchanged. A replaced entry keeps its place; a new one goes
  // to the end of its section; a new section to the end of the file. Non-zero on success. A value
  // or section name holding a line break is refused (it would break the file apart), and so is
  // any write to a file that exists but cannot be read. Blanks at a value's ends are not read back.
  bool WriteEntry(std::int32_t key, std::string_view field1, std::string_view field2, std::string_view field3,
                  std::string_view section = {});
  bool WriteValue(std::int32_t key, std::string_view value, std::string_view section = {});
  bool DeleteEntry(std::int32_t key, std::string_view section = {});
  bool DeleteSection(std::string_view section);

  // Several changes as one: `edit` changes the file's current text (false: nothing to write)
  // and the result is written in one atomic replacement, so a reader sees all of the changes
  // or none, and a failure leaves the old file whole. Editors save through this.
  bool Edit(const std::function<bool(CIniText& text)>& edit);
  // Why the last write failed (German where the reason is common), or empty.
  const std::string& WriteError() const { return writeError_; }

  // Splits a value into its three fields with the \# separator, the "\#" escape and the
  // empty-field rules. Exposed for tests and for callers that hold a value already.
  static void SplitValue(std::string_view value, std::string& field1, std::string& field2, std::string& field3);

 private:
  struct CLoaded;
  // The file, parsed; the last parse is reused while the file on disk is unchanged, so
  // that reading a whole section entry by entry reads the file once. Null when the file exists
  // but cannot be read: reads then see nothing and writes refuse, so it is never overwritten blind.
  std::shared_ptr<const CLoaded> Load();
  // Fills the key list from an already loaded file; false when the section has no entry.
  bool ReadKeysFrom(const CLoaded& loaded, std::string_view section);
  // Applies `edit` to the current text and writes the result atomically when it changed.
  template <typename EditFn>
  bool Modify(EditFn edit);

  std::string path_;
  FileState state_ = FileState::Missing;
  std::string readError_;
  std::string writeError_;
  std::shared_ptr<const CLoaded> loaded_;
  std::vector<std::int32_t> keys_;
  std::string field1_, field2_, field3_;
};

}  // namespace trimvale
