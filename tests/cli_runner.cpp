#include "tests/cli_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>

namespace trimvale::test {

std::string CliPath() {
  if (const char* env = std::getenv("TRIMVALE_CLI")) return env;
  return std::string(TRIMVALE_BINARY_DIR) + "/trimvale-cli";
}

CChildProcess::CChildProcess(const std::vector<std::string>& argv, const std::string& input, int errFd)
    : input_(input) {
  // A child that exits before reading its input must not kill the test with SIGPIPE.
  ::signal(SIGPIPE, SIG_IGN);
  int in[2], out[2], err[2] = {-1, -1};
  if (::pipe(in) || ::pipe(out) || (errFd < 0 && ::pipe(err))) return;
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    ::dup2(errFd >= 0 ? errFd : err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
      if (fd >= 0) ::close(fd);
    }
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  if (err[1] >= 0) ::close(err[1]);
  in_ = in[1];
  out_ = out[0];
  err_ = err[0];
  ::fcntl(in_, F_SETFL, O_NONBLOCK);
  if (input_.empty()) {
    ::close(in_);
    in_ = -1;
  }
}

CChildProcess::~CChildProcess() {
  if (pid_ > 0 && result.status < 0) {
    ::kill(pid_, SIGKILL);
    Wait();
  }
  for (int fd : {in_, out_, err_}) {
    if (fd >= 0) ::close(fd);
  }
}

bool CChildProcess::Pump(int timeoutMs) {
  if (out_ < 0 && err_ < 0) return false;
  pollfd fds[3] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}, {in_, POLLOUT, 0}};
  if (::poll(fds, 3, timeoutMs) <= 0) return true;
  int* const reads[2] = {&out_, &err_};
  std::string* const texts[2] = {&result.out, &result.err};
  char buffer[65536];
  for (int i = 0; i < 2; ++i) {
    if (*reads[i] < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
    const ssize_t n = ::read(*reads[i], buffer, sizeof buffer);
    if (n <= 0) {
      ::close(*reads[i]);
      *reads[i] = -1;
    } else {
      texts[i]->append(buffer, static_cast<std::size_t>(n));
    }
  }
  if (in_ >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
    const ssize_t n = ::write(in_, input_.data() + written_, input_.size() - written_);
    if (n > 0) written_ += static_cast<std::size_t>(n);
    if (n < 0 || written_ == input_.size()) {
      ::close(in_);
      in_ = -1;
    }
  }
  return true;
}

void CChildProcess::ReadUntil(const std::function<bool(const std::string&)>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done(result.err) && std::chrono::steady_clock::now() < deadline && Pump(100)) {
  }
}

void CChildProcess::Signal(int sig) const { ::kill(pid_, sig); }

const CCliResult& CChildProcess::Wait() {
  while (Pump(-1)) {
  }
  int status = 0;
  if (pid_ > 0 && result.status < 0 && ::waitpid(pid_, &status, 0) == pid_) {
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  return result;
}

CCliResult RunCli(const std::vector<std::string>& args, const std::string& input) {
  std::vector<std::string> argv{CliPath()};
  argv.insert(argv.end(), args.begin(), args.end());
  return CChildProcess(argv, input).Wait();
}

}  // namespace trimvale::test
