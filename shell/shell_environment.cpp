#include "shell/shell_environment.h"

#include <algorithm>

#include "rules/file_settings_store.h"
#include "rules/program_folder.h"
#include "rules/section_file.h"
#include "rules/settings_table.h"

namespace trimvale::shell {

CShellEnvironment::CShellEnvironment(const CShellStartOptions& options)
    : ownedStore_(std::make_unique<CFileSettingsStore>(DefaultSettingsPath(options.settingsPath))),
      store_(ownedStore_.get()),
      programFolder_(ResolveProgramFolder(options.rulesDir, ExecutablePath())) {}

CShellEnvironment::CShellEnvironment(ISettingsStore& store, std::string programFolder)
    : store_(&store), programFolder_(std::move(programFolder)) {}

bool CShellEnvironment::LayoutFileExists() const { return CSectionFile::FileExists(RuleFilePath("tageinst.txt")); }

void CShellEnvironment::LoadAtCreation() {
  const ISettingsStore& store = *store_;
  options = OptimizeOptions::FromVector(static_cast<std::uint32_t>(ReadSetting(store, setting::kOptionsVector)));
  layout.mode = ReadSetting(store, setting::kLayoutMode);
  layout.wrap = ReadSetting(store, setting::kWrapLines) != 0;
  // The value is kept in 16 bits; widths the settings page would refuse are brought back into
  // its range, so a hand-edited store cannot make every line break.
  layout.width =
      std::clamp(static_cast<int>(static_cast<std::uint16_t>(ReadSetting(store, setting::kLineWidth))), 20, 2048);
  layout.indentUnit =
      MakeIndentUnit(ReadSetting(store, setting::kIndentKind), ReadSetting(store, setting::kIndentSpaces));
  showParseTree = ReadSetting(store, setting::kShowParseTree) != 0;
  layoutTable_.Clear();
  if (LayoutFileExists()) {
    CSectionFile file(RuleFilePath("tageinst.txt"));
    LoadLayoutProfile(layoutTable_, file, "standard");
  }
}

void CShellEnvironment::WriteAtClose() {
  ISettingsStore& store = *store_;
  store.WriteInt(setting::kOptionsVector.section, setting::kOptionsVector.name,
                 static_cast<std::int32_t>(options.ToVector()));
  store.WriteInt(setting::kLayoutMode.section, setting::kLayoutMode.name, layout.mode);
  store.WriteInt(setting::kWrapLines.section, setting::kWrapLines.name, layout.wrap ? 1 : 0);
  store.WriteInt(setting::kLineWidth.section, setting::kLineWidth.name, layout.width);
}

CRunConfig CShellEnvironment::MakeRunConfig() const {
  CRunConfig config;
  config.layoutTable = &layoutTable_;
  config.options = options;
  config.rules = &rules;
  config.layout = layout;
  return config;
}

}  // namespace trimvale::shell
