#include "tests/cli_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace trimvale::test {

std::string CliPath() {
  if (const char* env = std::getenv("TRIMVALE_CLI")) return env;
  return std::string(TRIMVALE_BINARY_DIR) + "/trimvale-cli";
}

CCliResult RunCli(const std::vector<std::string>& args, const std::string& input,
                  const std::vector<std::string>& env) {
  // A child that exits before reading its input must not kill the test with SIGPIPE.
  signal(SIGPIPE, SIG_IGN);
  int in[2], out[2], err[2];
  if (pipe(in) || pipe(out) || pipe(err)) return {};
  const std::string path = CliPath();
  std::vector<std::string> envStrings;
  for (char** e = environ; *e; ++e) envStrings.emplace_back(*e);
  for (const auto& e : env) envStrings.push_back(e);
  std::vector<char*> argv{const_cast<char*>(path.c_str())};
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& e : envStrings) envp.push_back(e.data());
  envp.push_back(nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
    execve(path.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  CCliResult result;
  std::size_t written = 0;
  fcntl(in[1], F_SETFL, O_NONBLOCK);
  if (input.empty()) {
    close(in[1]);
    in[1] = -1;
  }
  bool outOpen = true, errOpen = true;
  while (outOpen || errOpen) {
    pollfd fds[3] = {{outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}, {in[1], POLLOUT, 0}};
    poll(fds, 3, -1);
    char buffer[65536];
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n <= 0) {
        (i == 0 ? outOpen : errOpen) = false;
      } else {
        (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
      }
    }
    if (in[1] >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
      const ssize_t n = write(in[1], input.data() + written, input.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      if (n < 0 || written == input.size()) {
        close(in[1]);
        in[1] = -1;
      }
    }
  }
  if (in[1] >= 0) close(in[1]);
  close(out[0]);
  close(err[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

}  // namespace trimvale::test
