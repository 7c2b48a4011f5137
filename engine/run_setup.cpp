#include "engine/run_setup.h"

#include <algorithm>

#include "rules/rule_texts.h"
#include "rules/settings_table.h"

namespace trimvale {

namespace {
constexpr std::string_view kDefaultLayoutProfile = "standard";
}  // namespace

void ApplyRunOverrides(CRunConfig& config, const CRunOverrides& overrides) {
  if (overrides.layoutMode) config.layout.mode = *overrides.layoutMode;
  if (overrides.optionsVector) {
    const bool useProfile = config.options.useProfile;
    const bool keepLook = config.options.keepLook;
    config.options = OptimizeOptions::FromVector(*overrides.optionsVector);
    config.options.useProfile = useProfile;
    config.options.keepLook = keepLook;
  }
  if (overrides.keepLook) config.options.keepLook = *overrides.keepLook;
  if (overrides.lineEnds) config.layout.lineEnds = *overrides.lineEnds;
  config.options.deleteComments = overrides.deleteComments;
  if (overrides.wrap) config.layout.wrap = *overrides.wrap;
  if (overrides.width) config.layout.width = *overrides.width;
  if (overrides.indentUnit) config.layout.indentUnit = *overrides.indentUnit;
}

CRunSetup LoadRunSetup(const ISettingsStore& store, const std::string& programFolder, const CRunOverrides& overrides) {
  CRunSetup setup;
  CRunConfig& config = setup.config;
  config.options =
      OptimizeOptions::FromVector(static_cast<std::uint32_t>(ReadSetting(store, setting::kOptionsVector)));
  config.layout.mode = ReadSetting(store, setting::kLayoutMode);
  config.layout.wrap = ReadSetting(store, setting::kWrapLines) != 0;
  // Stored widths outside the range the settings page allows are brought back into it.
  config.layout.width = std::clamp(ReadSetting(store, setting::kLineWidth), 20, 2048);
  config.layout.indentUnit =
      MakeIndentUnit(ReadSetting(store, setting::kIndentKind), ReadSetting(store, setting::kIndentSpaces));
  // A stored kind the program does not know is read as the default.
  const int lineEnds = ReadSetting(store, setting::kLineEnds);
  config.layout.lineEnds = lineEnds >= 0 && lineEnds <= 2 ? static_cast<LineEnds>(lineEnds) : LineEnds::CrLf;
  config.options.keepLook = ReadSetting(store, setting::kKeepLook) != 0;

  const std::string layoutFile = programFolder + "/tageinst.txt";
  const std::string section = overrides.layoutProfile.empty() ? std::string(kDefaultLayoutProfile)
                                                               : overrides.layoutProfile;
  CLayoutProfileRead layout = ReadLayoutProfile(layoutFile, section);
  if (layout.file == FileState::Missing) {
    // The run goes on with an empty table: every tag then takes the lookup's defaults.
    setup.warnings.emplace_back(file_text::kTagLayoutMissing);
  } else if (layout.file == FileState::Unreadable) {
    setup.warnings.push_back(file_text::RuleFileUnreadable(layoutFile, layout.readError));
  } else if (!layout.found && !overrides.layoutProfile.empty()) {
    setup.refusal = RunSetupRefusal::UnknownLayoutProfile;
    setup.refusalText = file_text::UnknownLayoutProfile(section, layoutFile);
    return setup;
  }
  config.layoutTable = std::make_shared<const CTagLayoutTable>(std::move(layout.table));

  if (!overrides.profile.empty()) {
    const std::string profileFile = programFolder + "/profile.txt";
    CProfileRulesRead profile = ReadProfileRules(profileFile, overrides.profile);
    if (profile.file == FileState::Unreadable) {
      setup.warnings.push_back(file_text::RuleFileUnreadable(profileFile, profile.readError));
    }
    if (!profile.listed) {
      setup.refusal = RunSetupRefusal::UnknownProfile;
      setup.refusalText = file_text::UnknownProfile(overrides.profile, profileFile, profile.profiles);
      return setup;
    }
    config.rules = std::make_shared<const CTagRuleList>(std::move(profile.rules));
    config.options.useProfile = true;
  }
  ApplyRunOverrides(config, overrides);
  return setup;
}

}  // namespace trimvale
