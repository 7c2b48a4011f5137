#pragma once
// The subcommands of trimvale-cli. Each Register function adds its subcommand to the app and
// returns the function that runs it once the command line has been parsed.

#include <CLI/CLI.hpp>
#include <functional>

namespace trimvale::cli {

using CommandRunner = std::function<int()>;

CommandRunner RegisterTree(CLI::App& app);
CommandRunner RegisterOptimize(CLI::App& app);
CommandRunner RegisterSettings(CLI::App& app);
CommandRunner RegisterFiles(CLI::App& app);
CommandRunner RegisterDir(CLI::App& app);
CommandRunner RegisterExclude(CLI::App& app);

}  // namespace trimvale::cli
