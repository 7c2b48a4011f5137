#include <charconv>

#include "rules/settings_store.h"
#include "rules/text_util.h"

namespace trimvale {

std::string CMemorySettingsStore::Key(std::string_view section, std::string_view name) {
  return ToLowerAscii(section) + '\n' + ToLowerAscii(name);
}

std::int32_t CMemorySettingsStore::ReadInt(std::string_view section, std::string_view name, std::int32_t def) const {
  auto it = values_.find(Key(section, name));
  if (it == values_.end()) return def;
  std::int32_t value = def;
  const std::string& s = it->second;
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return (ec == std::errc() && ptr == s.data() + s.size()) ? value : def;
}

std::string CMemorySettingsStore::ReadString(std::string_view section, std::string_view name,
                                             std::string_view def) const {
  auto it = values_.find(Key(section, name));
  return it == values_.end() ? std::string(def) : it->second;
}

bool CMemorySettingsStore::WriteInt(std::string_view section, std::string_view name, std::int32_t value) {
  values_[Key(section, name)] = std::to_string(value);
  return true;
}

bool CMemorySettingsStore::WriteString(std::string_view section, std::string_view name, std::string_view value) {
  values_[Key(section, name)] = std::string(value);
  return true;
}

}  // namespace trimvale
