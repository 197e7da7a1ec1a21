#pragma once
// Runs a piece of the test in a forked copy of the test process, so that a
// fault that hangs or exhausts memory fails the test instead of taking the
// whole test program with it.

#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace instala::testing {

// The process's current virtual memory size in bytes (VmSize).
inline std::uint64_t virtualMemoryBytes() {
  std::ifstream status("/proc/self/status");
  std::string key;
  std::uint64_t kilobytes = 0;
  while (status >> key) {
    if (key == "VmSize:" && status >> kilobytes) break;
  }
  return kilobytes * 1024;
}

struct ForkedCallOptions {
  // Killed after this long: a hang fails instead of blocking the suite.
  std::chrono::milliseconds timeout = std::chrono::seconds(30);
  // When set, the child may grow its address space by this much at most, so
  // a huge allocation fails in the child instead of swamping the machine.
  std::optional<std::uint64_t> extraAddressSpace;
};

// The exit status of `body` run in the child; nothing when it was killed by
// the time-out or died of a signal (an uncaught exception, a failed allocation).
inline std::optional<int> forkedCall(const std::function<int()>& body, ForkedCallOptions options = {}) {
  const pid_t pid = fork();
  if (pid < 0) return std::nullopt;
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (options.extraAddressSpace) {
      const rlim_t limit = virtualMemoryBytes() + *options.extraAddressSpace;
      const rlimit space{limit, limit};
      setrlimit(RLIMIT_AS, &space);
    }
    _exit(body());
  }
  const auto deadline = std::chrono::steady_clock::now() + options.timeout;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (!WIFEXITED(status)) return std::nullopt;
  return WEXITSTATUS(status);
}

}  // namespace instala::testing
