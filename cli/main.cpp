// trimvale-cli: the command-line front end of Trimvale.

#include <CLI/CLI.hpp>
#include <csignal>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "cli/common.h"

int main(int argc, char** argv) {
  using namespace trimvale::cli;
  // Beyond a file-size limit a write then fails with EFBIG and is reported, and the temporary
  // file is removed, instead of the signal ending the program without a word.
  std::signal(SIGXFSZ, SIG_IGN);
  CLI::App app{"Trimvale: macht von Textverarbeitungen gespeichertes HTML klein und sauber"};
  app.require_subcommand(1);
  // Registering every subcommand with all its options costs a third of the start-up of a run on
  // a small page, and scripts start the program once per page. When the first argument names a
  // subcommand, only that one is registered; the general help and the error for an unknown
  // command still see them all.
  struct CCommand {
    std::string_view name;
    CommandRunner (*registerCommand)(CLI::App&);
  };
  static constexpr CCommand kCommands[] = {{"tree", RegisterTree},
                                           {"optimize", RegisterOptimize},
                                           {"settings", RegisterSettings},
                                           {"files", RegisterFiles},
                                           {"dir", RegisterDir},
                                           {"exclude", RegisterExclude}};
  std::vector<CommandRunner> runners;
  for (const CCommand& command : kCommands) {
    if (argc > 1 && command.name == argv[1]) runners.push_back(command.registerCommand(app));
  }
  if (runners.empty()) {
    for (const CCommand& command : kCommands) runners.push_back(command.registerCommand(app));
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kExitUsage;
  }
  try {
    for (const auto& runner : runners) {
      const int status = runner();
      if (status >= 0) return status;
    }
  } catch (const CUsageError& e) {
    WriteStderr("Fehler: " + e.message + "\n");
    return kExitUsage;
  }
  return kExitUsage;
}
