#pragma once
// Runs the built trimvale-cli as a separate process and captures what it writes.

#include <string>
#include <vector>

namespace trimvale::test {

struct CCliResult {
  int status = -1;  // exit status, or 128 + signal number
  std::string out;
  std::string err;
};

// Path of the trimvale-cli under test (TRIMVALE_CLI, else the build folder's).
std::string CliPath();

// Runs trimvale-cli with `args`, feeding `input` to its standard input. `env` entries
// ("NAME=value") are added to the environment.
CCliResult RunCli(const std::vector<std::string>& args, const std::string& input = {},
                  const std::vector<std::string>& env = {});

}  // namespace trimvale::test
