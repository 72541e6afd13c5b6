// Starting and stopping the programs an end-to-end test needs (Xvfb, Tangrel),
// always by their own process ids.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tangrel::testing {

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() { Stop(); }

  // Starts argv[0] (searched in PATH) with the current environment plus `extraEnv`
  // ("NAME=value" entries, which take precedence).
  bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {}) {
    std::vector<std::string> env = extraEnv;
    for (char** e = environ; *e; ++e) {
      std::string entry = *e;
      std::string name = entry.substr(0, entry.find('='));
      bool overridden = false;
      for (const std::string& extra : extraEnv) overridden |= extra.rfind(name + "=", 0) == 0;
      if (!overridden) env.push_back(entry);
    }
    std::vector<char*> args, envp;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    args.push_back(nullptr);
    envp.push_back(nullptr);
    return posix_spawnp(&pid_, args[0], nullptr, nullptr, args.data(), envp.data()) == 0;
  }

  bool Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      exitStatus_ = status;
      pid_ = -1;
      return false;
    }
    return true;
  }

  // SIGTERM, then SIGKILL after `grace`; returns the wait status.
  int Stop(std::chrono::milliseconds grace = std::chrono::milliseconds(3000)) {
    if (pid_ <= 0) return exitStatus_;
    kill(pid_, SIGTERM);
    auto deadline = std::chrono::steady_clock::now() + grace;
    while (Running() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (Running()) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &exitStatus_, 0);
      pid_ = -1;
    }
    return exitStatus_;
  }

  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int exitStatus_ = 0;
};

// Runs a shell command and returns what it printed.
inline std::string Capture(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
    pclose(pipe);
  }
  return out;
}

}  // namespace tangrel::testing
