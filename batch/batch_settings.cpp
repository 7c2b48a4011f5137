#include "batch/batch_settings.h"

#include "batch/batch_paths.h"
#include "batch/batch_texts.h"
#include "rules/settings_table.h"

namespace trimvale {

BatchSettings ReadBatchSettings(const ISettingsStore& store) {
  using namespace setting;
  constexpr auto kBatch = SettingReader::Batch;
  BatchSettings s;
  s.createBackup = ReadSetting(store, kCreateBackup, kBatch) != 0;
  s.backupEnding = ReadStringSetting(store, kBackupEnding);
  s.folder = ReadStringSetting(store, kBackupFolder);
  s.keepFolderStructure = ReadSetting(store, kKeepFolderStructure, kBatch) != 0;
  s.backupMode = static_cast<BackupMode>(ReadSetting(store, kBackupMode, kBatch));
  s.keepWebStructure = ReadSetting(store, kKeepWebStructure, kBatch) != 0;
  s.webRoot = ReadStringSetting(store, kWebRoot);
  s.existingBackupPolicy = static_cast<ExistingBackupPolicy>(ReadSetting(store, kExistingBackup, kBatch));
  // The level is an 8-bit value; anything stored beyond its range is clamped rather than wrapped,
  // so a stored 256 does not silently become 0.
  const std::int32_t level = ReadSetting(store, kAllowedLevel, kBatch);
  s.allowedLevel = static_cast<std::int8_t>(level < -128 ? -128 : (level > 127 ? 127 : level));
  return s;
}

void WriteBatchSettings(ISettingsStore& store, const BatchSettings& s) {
  using namespace setting;
  auto writeInt = [&](const CSettingDef& def, std::int32_t v) { store.WriteInt(def.section, def.name, v); };
  auto writeString = [&](const CSettingDef& def, const std::string& v) { store.WriteString(def.section, def.name, v); };
  writeInt(kCreateBackup, s.createBackup ? 1 : 0);
  writeString(kBackupEnding, s.backupEnding);
  writeString(kBackupFolder, s.folder);
  writeInt(kKeepFolderStructure, s.keepFolderStructure ? 1 : 0);
  writeInt(kBackupMode, static_cast<std::int32_t>(s.backupMode));
  writeInt(kKeepWebStructure, s.keepWebStructure ? 1 : 0);
  writeString(kWebRoot, s.webRoot);
  writeInt(kExistingBackup, static_cast<std::int32_t>(s.existingBackupPolicy));
  writeInt(kAllowedLevel, s.allowedLevel);
}

std::optional<std::string> ValidateBatchSettings(const BatchSettings& s) {
  if (!s.createBackup) return std::nullopt;
  // Without an ending the copy's name is the source's own: no copy would survive the result.
  if (s.backupMode == BackupMode::SameFolder && s.backupEnding.empty()) {
    return std::string(batch_text::kMissingBackupEnding);
  }
  if (s.backupMode != BackupMode::MoveOriginal && s.backupMode != BackupMode::OutputFolder) return std::nullopt;
  if (s.folder.empty() || !IsDirectory(s.folder)) return std::string(batch_text::kInvalidBackupFolder);
  return std::nullopt;
}

CDirectoryChoice ReadDirectoryChoice(const ISettingsStore& store) {
  using namespace setting;
  CDirectoryChoice c;
  c.directory = ReadStringSetting(store, kLastDirectory);
  c.includeSubfolders = ReadSetting(store, kSubfolders) != 0;
  c.extensions = ReadStringSetting(store, kExtensions);
  return c;
}

void WriteDirectoryChoice(ISettingsStore& store, const CDirectoryChoice& c) {
  using namespace setting;
  store.WriteString(kLastDirectory.section, kLastDirectory.name, c.directory);
  store.WriteInt(kSubfolders.section, kSubfolders.name, c.includeSubfolders ? 1 : 0);
  store.WriteString(kExtensions.section, kExtensions.name, c.extensions);
}

}  // namespace trimvale
