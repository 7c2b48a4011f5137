#pragma once
// The per-user settings store: named sections of named integer and string values. Names compare
// without regard to ASCII case. Every reader passes its own default for a value never written.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace trimvale {

class ISettingsStore {
 public:
  virtual ~ISettingsStore() = default;
  virtual std::int32_t ReadInt(std::string_view section, std::string_view name, std::int32_t def) const = 0;
  virtual std::string ReadString(std::string_view section, std::string_view name, std::string_view def) const = 0;
  virtual bool WriteInt(std::string_view section, std::string_view name, std::int32_t value) = 0;
  virtual bool WriteString(std::string_view section, std::string_view name, std::string_view value) = 0;
};

// A store held in memory only: for tests and for runs that must not touch the user's file.
class CMemorySettingsStore : public ISettingsStore {
 public:
  std::int32_t ReadInt(std::string_view section, std::string_view name, std::int32_t def) const override;
  std::string ReadString(std::string_view section, std::string_view name, std::string_view def) const override;
  bool WriteInt(std::string_view section, std::string_view name, std::int32_t value) override;
  bool WriteString(std::string_view section, std::string_view name, std::string_view value) override;

 private:
  static std::string Key(std::string_view section, std::string_view name);
  std::map<std::string, std::string> values_;  // lower-cased "section\nname" -> value text
};

}  // namespace trimvale
