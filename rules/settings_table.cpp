#include "rules/settings_table.h"

#include "rules/text_util.h"

namespace trimvale {

const std::vector<const CSettingDef*>& AllSettings() {
  using namespace setting;
  static const std::vector<const CSettingDef*> kAll = {
      &kLayoutMode,     &kWrapLines,       &kLineWidth,      &kIndentKind,      &kIndentSpaces,
      &kLineEnds,       &kKeepLook,
      &kLastLayoutProfile, &kOptionsVector, &kOptimizeProfile, &kShowParseTree, &kClearOutput,
      &kAllowedLevel,   &kWindowPlacement, &kEditorWordWrap, &kTabStops,        &kCreateBackup,
      &kBackupEnding,   &kBackupFolder,    &kKeepFolderStructure, &kBackupMode, &kKeepWebStructure,
      &kWebRoot,        &kExistingBackup,  &kFilterByDate,   &kDateCreated,     &kDateChanged,
      &kDays,           &kSkipDirStrings,  &kDirStrings,     &kSkipListedDirs,  &kUseFileStrings,
      &kFileStrings,    &kAnyString,       &kOnlyMatching,   &kWizardAtStart,   &kWizardChoice,
      &kFirstStart,     &kLastFileFolder,  &kLastDirectory,  &kSubfolders,      &kExtensions,
      &kFontHeight,     &kFontWeight,      &kFontItalic,     &kFontUnderline,   &kFontPitch,
      &kFontCharSet,    &kFontFace,        &kTipStartUp,     &kTipFilePos,      &kTipTimeStamp,
  };
  return kAll;
}

std::int32_t ReadSetting(const ISettingsStore& store, const CSettingDef& def, SettingReader reader) {
  return store.ReadInt(def.section, def.name, reader == SettingReader::Batch ? def.intDefaultBatch : def.intDefault);
}

std::string ReadStringSetting(const ISettingsStore& store, const CSettingDef& def) {
  return store.ReadString(def.section, def.name, def.stringDefault);
}

const CSettingDef* FindSetting(std::string_view section, std::string_view name) {
  for (const CSettingDef* def : AllSettings()) {
    if (EqualsNoCase(def->section, section) && EqualsNoCase(def->name, name)) return def;
  }
  return nullptr;
}

}  // namespace trimvale
