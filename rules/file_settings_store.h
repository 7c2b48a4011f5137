#pragma once
// The settings store kept in a per-user text file of the rule files' sectioned form:
//
//   [Einstellungen]
//   Zeilenbreite=70
//   Neuordnername=/home/anna/sicherung
//   Verzeichnisstrings="%_vti_cnf;"
//
// Section and value names compare without regard to ASCII case; a value written under another
// spelling replaces the existing line and keeps that line's spelling. Integers are decimal text.
//
// Value encoding: a value is written as it stands when it consists only of printable characters
// other than  "  \  ;  =  and neither begins nor ends with a blank. Any other value is written in
// double quotes, with  \\  for a backslash,  \"  for a quote,  \r  \n  \t  for those control
// characters and  \xHH  (two hex digits) for every other byte below 0x20 and for 0x7F. Bytes from
// 0x80 on are written as they are. On reading, a value that begins and ends with a double quote
// is decoded this way (an unknown or incomplete escape is taken literally); any other value is
// taken as it stands. So every string, line breaks and blanks at its ends included, survives a
// round trip, and a file edited by hand in the plain form still reads as expected.
//
// The file is read when the store is made; reads are answered from memory. Every write locks the
// file (flock), reads it again, so that values other programs wrote meanwhile are kept, changes
// the one value and replaces the file atomically (temporary file and rename, permission bits
// kept), creating its folders when they are missing. A file that is not a plain file or is larger
// than 16 MB is treated as unreadable.

#include <mutex>
#include <string>
#include <string_view>

#include "rules/ini_text.h"
#include "rules/settings_store.h"

namespace trimvale {

class CFileSettingsStore : public ISettingsStore {
 public:
  // Reads `path`. A missing file is an empty store. A file that cannot be read, or whose text is
  // garbage, gives the defaults; a file that exists but cannot be read is never overwritten:
  // writes then change only the values in memory and report failure. An empty path makes a
  // store that lives in memory only (writes report failure).
  explicit CFileSettingsStore(std::string path);

  const std::string& Path() const { return path_; }
  // The system's reason why an existing file could not be read; empty otherwise.
  const std::string& LoadError() const { return loadError_; }

  // A value that is not a whole decimal 32-bit number (after the blanks at its ends) reads as `def`.
  std::int32_t ReadInt(std::string_view section, std::string_view name, std::int32_t def) const override;
  std::string ReadString(std::string_view section, std::string_view name, std::string_view def) const override;
  // The value is kept in memory even when the file cannot be written; the result says whether
  // the file holds it. False without any change for a section or value name that cannot be
  // written (empty, holding a line break, '=' or ']', or with blanks at its ends).
  bool WriteInt(std::string_view section, std::string_view name, std::int32_t value) override;
  bool WriteString(std::string_view section, std::string_view name, std::string_view value) override;

 private:
  bool Store(std::string_view section, std::string_view name, const std::string& encoded);

  mutable std::mutex mutex_;  // the batch worker reads while the window thread may write
  std::string path_;
  std::string loadError_;
  bool fileWritable_ = true;  // false when an existing file could not be read
  CIniText text_;             // the file's text as last written or read
};

// The encoded form of a settings value as described above, and its inverse.
std::string EncodeSettingValue(std::string_view value);
std::string DecodeSettingValue(std::string_view stored);

// Where the settings file lives: `explicitPath` when given, else $TRIMVALE_SETTINGS, else
// $XDG_CONFIG_HOME/Harbeck/Trimvale.ini (XDG_CONFIG_HOME only when it is an absolute path), else
// <home>/.config/Harbeck/Trimvale.ini. Empty when not even a home folder is known.
std::string DefaultSettingsPath(const std::string& explicitPath);

}  // namespace trimvale
