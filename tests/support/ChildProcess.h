#pragma once
// A program run by a test: its standard input is a pipe we write lines to,
// its standard output and error come back through one pipe we read lines
// from. Reads give up after a time-out so a hang fails the test instead of
// blocking it.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace instala::testing {

// build/bin: every executable of the build and the bundle sit there.
inline std::filesystem::path binaryDirectory() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return exe.parent_path();
}

class ChildProcess {
 public:
  ChildProcess(const std::filesystem::path& program, std::vector<std::string> arguments,
               std::vector<std::string> environment = {}) {
    int input[2], output[2];
    if (pipe(input) != 0 || pipe(output) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      // A test that dies without running destructors (a sanitizer abort, a
      // signal) must not leave its servers running.
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      dup2(input[0], STDIN_FILENO);
      dup2(output[1], STDOUT_FILENO);
      dup2(output[1], STDERR_FILENO);
      for (int fd : {input[0], input[1], output[0], output[1]}) close(fd);
      for (auto& variable : environment) putenv(variable.data());
      std::string path = program.string();
      std::vector<char*> argv{path.data()};
      for (auto& argument : arguments) argv.push_back(argument.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(input[0]);
    close(output[1]);
    input_ = input[1];
    output_ = output[0];
  }
  ~ChildProcess() {
    if (input_ >= 0) close(input_);
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    if (output_ >= 0) close(output_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }

  bool writeLine(const std::string& line) {
    std::string text = line + "\n";
    return write(input_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  }
  void closeInput() {
    if (input_ >= 0) close(input_);
    input_ = -1;
  }

  // One line of output; nothing when the output ended or stayed silent too long.
  std::optional<std::string> readLine(std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    std::string line;
    char c = 0;
    for (;;) {
      pollfd ready{output_, POLLIN, 0};
      if (poll(&ready, 1, static_cast<int>(timeout.count())) <= 0 || read(output_, &c, 1) != 1) {
        if (!line.empty()) return line;
        return std::nullopt;
      }
      if (c == '\n') return line;
      line += c;
    }
  }
  // Lines up to and including the first one that contains `marker`; nothing on a time-out.
  std::optional<std::string> readUntil(const std::string& marker,
                                       std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    std::string all;
    while (auto line = readLine(timeout)) {
      all += *line + "\n";
      if (line->find(marker) != std::string::npos) return all;
    }
    return std::nullopt;
  }
  std::string readAll(std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    std::string all;
    while (auto line = readLine(timeout)) all += *line + "\n";
    return all;
  }
  // The exit status, or -1 when killed by a signal; `usage` gets the child's
  // resource use (peak memory, CPU time) when given.
  int wait(struct rusage* usage = nullptr) {
    int status = 0;
    wait4(pid_, &status, 0, usage);
    exited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  bool exited_ = false;
};

}  // namespace instala::testing
