#pragma once
// Runs the built trimvale-cli as a separate process and captures what it writes.

#include <sys/types.h>

#include <functional>
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

// A child process (argv[0] is the program's path) whose output the test reads while it runs.
// `input` is fed to its standard input; standard error goes to `errFd` instead of a pipe when one
// is given. A child still running when the object goes is killed.
class CChildProcess {
 public:
  explicit CChildProcess(const std::vector<std::string>& argv, const std::string& input = {}, int errFd = -1);
  ~CChildProcess();
  CChildProcess(const CChildProcess&) = delete;
  CChildProcess& operator=(const CChildProcess&) = delete;

  // Pumps input and output until `done(result.err)` holds, the output ends, or 20 s have passed.
  void ReadUntil(const std::function<bool(const std::string&)>& done);
  void Signal(int sig) const;
  // Reads to the end and waits for the child.
  const CCliResult& Wait();

  CCliResult result;

 private:
  bool Pump(int timeoutMs);  // one round of poll; false once both outputs have ended

  pid_t pid_ = -1;
  int in_ = -1, out_ = -1, err_ = -1;
  std::string input_;
  std::size_t written_ = 0;
};

// Runs trimvale-cli with `args` to its end.
CCliResult RunCli(const std::vector<std::string>& args, const std::string& input = {});

}  // namespace trimvale::test
