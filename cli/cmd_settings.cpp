// `trimvale-cli settings`: reads and writes the settings store the GUI and the batch use.

#include "cli/commands.h"
#include "cli/common.h"
#include "rules/settings_table.h"

namespace trimvale::cli {

namespace {

struct CSettingsCommand {
  CCommonOptions common;
  CLI::App* get = nullptr;
  CLI::App* set = nullptr;
  CLI::App* list = nullptr;
  std::string section, name, value;

  int Run() {
    CEnvironment env;
    env.LoadStore(common);
    ISettingsStore& store = env.Store();
    if (list->parsed()) {
      std::string out, current;
      for (const CSettingDef* def : AllSettings()) {
        if (def->section != current) {
          current = std::string(def->section);
          out += (out.empty() ? "[" : "\n[") + current + "]\n";
        }
        out += std::string(def->name) + "=" + Read(store, *def) + "\n";
      }
      return Print(out);
    }
    const CSettingDef* def = FindSetting(section, name);
    if (get->parsed()) return Print((def ? Read(store, *def) : store.ReadString(section, name, "")) + "\n");
    bool ok = false;
    if (def && !def->isString) {
      std::size_t used = 0;
      long long number = 0;
      try {
        number = std::stoll(value, &used, 10);
      } catch (const std::exception&) {
        used = 0;
      }
      if (used == 0 || used != value.size() || number < INT32_MIN || number > INT32_MAX) {
        throw CUsageError{"'" + std::string(def->name) + "' erwartet eine ganze Zahl: " + value};
      }
      ok = store.WriteInt(def->section, def->name, static_cast<std::int32_t>(number));
    } else {
      ok = def ? store.WriteString(def->section, def->name, value) : store.WriteString(section, name, value);
    }
    if (!ok) {
      WriteStderr("Fehler: Die Einstellungsdatei '" + env.SettingsPath() + "' kann nicht geschrieben werden.\n");
      return kExitIoError;
    }
    return kExitOk;
  }

  static int Print(std::string_view text) {
    std::string error;
    if (WriteStdout(text, &error) && CloseStdout(&error)) return kExitOk;
    WriteStderr(StdoutFailed(error) + "\n");
    return kExitIoError;
  }

  static std::string Read(const ISettingsStore& store, const CSettingDef& def) {
    return def.isString ? ReadStringSetting(store, def) : std::to_string(ReadSetting(store, def));
  }
};

}  // namespace

CommandRunner RegisterSettings(CLI::App& app) {
  auto command = std::make_shared<CSettingsCommand>();
  CLI::App* sub = app.add_subcommand("settings", "Einstellungen lesen und schreiben");
  AddStoreOptions(*sub, command->common);
  sub->require_subcommand(1);
  command->get = sub->add_subcommand("get", "Wert lesen");
  command->get->add_option("SECTION", command->section)->required();
  command->get->add_option("NAME", command->name)->required();
  command->set = sub->add_subcommand("set", "Wert schreiben");
  command->set->add_option("SECTION", command->section)->required();
  command->set->add_option("NAME", command->name)->required();
  command->set->add_option("VALUE", command->value)->required();
  command->list = sub->add_subcommand("list", "alle bekannten Werte ausgeben");
  return [command, sub]() -> int { return sub->parsed() ? command->Run() : -1; };
}

}  // namespace trimvale::cli
