// trimvale-cli: the command-line front end of Trimvale.

#include <CLI/CLI.hpp>

#include <vector>

#include "cli/commands.h"
#include "cli/common.h"

int main(int argc, char** argv) {
  using namespace trimvale::cli;
  CLI::App app{"Trimvale: macht von Textverarbeitungen gespeichertes HTML klein und sauber"};
  app.require_subcommand(1);
  std::vector<CommandRunner> runners = {RegisterTree(app), RegisterOptimize(app), RegisterSettings(app),
                                        RegisterFiles(app), RegisterDir(app)};
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
