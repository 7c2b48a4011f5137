#include "shell/shell_environment.h"

#include <malloc.h>

#include <algorithm>

#include "rules/file_settings_store.h"
#include "rules/program_folder.h"
#include "rules/rule_texts.h"
#include "rules/section_file.h"
#include "rules/settings_table.h"

namespace trimvale::shell {

void KeepFreedMemoryForReuse() {
  // Blocks up to 32 MB come from the heap instead of a mapping of their own, and up to 128 MB
  // freed at its top stays there. Both turn off the allocator's own adjustment of the two.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 128 << 20);
}

CShellEnvironment::CShellEnvironment(const CShellStartOptions& options)
    : ownedStore_(std::make_unique<CFileSettingsStore>(DefaultSettingsPath(options.settingsPath))),
      store_(ownedStore_.get()),
      programFolder_(ResolveProgramFolder(options.rulesDir, ExecutablePath())) {}

CShellEnvironment::CShellEnvironment(ISettingsStore& store, std::string programFolder)
    : store_(&store), programFolder_(std::move(programFolder)) {}

std::string CShellEnvironment::ShippedFilePath(const char* name) const {
  const std::string own = RuleFilePath(name);
  if (CSectionFile::FileExists(own)) return own;
  const std::string installed = InstalledDataFolder(ExecutablePath());
  if (!installed.empty() && CSectionFile::FileExists(installed + "/" + name)) return installed + "/" + name;
  return own;
}

bool CShellEnvironment::LayoutFileExists() const { return CSectionFile::FileExists(RuleFilePath("tageinst.txt")); }

std::vector<std::string> CShellEnvironment::LoadAtCreation() {
  CRunSetup setup = LoadRunSetup(*store_, programFolder_, CRunOverrides{});
  options = setup.config.options;
  layout = setup.config.layout;
  // The value is kept in 16 bits.
  layout.width =
      std::clamp(static_cast<int>(static_cast<std::uint16_t>(ReadSetting(*store_, setting::kLineWidth))), 20, 2048);
  layoutTable_ = std::move(setup.config.layoutTable);
  rules = std::move(setup.config.rules);
  showParseTree = ReadSetting(*store_, setting::kShowParseTree) != 0;
  return std::move(setup.warnings);
}

std::vector<std::string> CShellEnvironment::ReloadLayoutTable() {
  const std::string path = RuleFilePath("tageinst.txt");
  CLayoutProfileRead read = ReadLayoutProfile(path, layoutProfile);
  std::vector<std::string> warnings;
  if (read.file == FileState::Unreadable) {
    warnings.push_back(file_text::RuleFileUnreadable(path, read.readError));
    return warnings;  // the table in hand stays: a passing read error must not lose the layout
  }
  if (read.file == FileState::Missing) warnings.emplace_back(file_text::kTagLayoutMissing);
  layoutTable_ = std::make_shared<const CTagLayoutTable>(std::move(read.table));
  return warnings;
}

void CShellEnvironment::WriteAtClose() {
  ISettingsStore& store = *store_;
  store.WriteInt(setting::kOptionsVector.section, setting::kOptionsVector.name,
                 static_cast<std::int32_t>(options.ToVector()));
  store.WriteInt(setting::kKeepLook.section, setting::kKeepLook.name, options.keepLook ? 1 : 0);
  store.WriteInt(setting::kLayoutMode.section, setting::kLayoutMode.name, layout.mode);
  store.WriteInt(setting::kWrapLines.section, setting::kWrapLines.name, layout.wrap ? 1 : 0);
  store.WriteInt(setting::kLineWidth.section, setting::kLineWidth.name, layout.width);
}

std::optional<std::string> CShellEnvironment::LoadLayoutTable(const std::string& section) {
  const std::string path = RuleFilePath("tageinst.txt");
  CLayoutProfileRead read = ReadLayoutProfile(path, section);
  if (read.file == FileState::Missing) return std::string(file_text::kTagLayoutMissing);
  if (read.file == FileState::Unreadable) return file_text::RuleFileUnreadable(path, read.readError);
  if (!read.found) return file_text::UnknownLayoutProfile(section, path) + "\r\n";
  layoutTable_ = std::make_shared<const CTagLayoutTable>(std::move(read.table));
  return std::nullopt;
}

CRunConfig CShellEnvironment::MakeRunConfig() const {
  CRunConfig config;
  config.layoutTable = layoutTable_;
  config.options = options;
  config.rules = rules;
  config.layout = layout;
  return config;
}

}  // namespace trimvale::shell
