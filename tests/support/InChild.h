// SPDX-License-Identifier: GPL-3.0-or-later
// Runs part of a test in a forked child, for what must not touch the test
// process itself: a memory cap, a signal, a mount namespace, a load that might wait.
#pragma once

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace tangrel::testing {

// How the child ended: the body's result as its exit code, or 128 + the
// signal that ended it. An alarm ends a child that waits too long.
inline int RunInChild(const std::function<int()>& body, unsigned seconds = 30) {
  const pid_t child = fork();
  if (child == 0) {
    alarm(seconds);
    _exit(body());
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Gives this process (a child) a mount namespace of its own: what it mounts
// there (a tmpfs with device nodes, a folder over /proc) is seen by it and its
// children alone. Needs root; a child that cannot returns kNoPrivateMounts.
constexpr int kNoPrivateMounts = 77;
inline bool EnterPrivateMounts() {
  return geteuid() == 0 && unshare(CLONE_NEWNS) == 0 &&
         mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

}  // namespace tangrel::testing
