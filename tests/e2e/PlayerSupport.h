// SPDX-License-Identifier: GPL-3.0-or-later
// What the end-to-end tests of a player at a display share: waiting on the
// program, and finding the notes it played in the WAV the built-in
// synthesizer wrote.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/AudioSupport.h"

namespace tangrel::e2e {

inline double NoteFrequency(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

inline std::string Capture(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
    pclose(pipe);
  }
  return out;
}

// Whether the program still runs; once it has ended, `status` tells how.
inline bool Alive(pid_t pid, int& status) { return pid > 0 && waitpid(pid, &status, WNOHANG) == 0; }

inline std::string Describe(int status) {
  if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
  return "exit code " + std::to_string(WEXITSTATUS(status));
}

inline bool WaitFor(const std::function<bool()>& ready, std::chrono::seconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (ready()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// The first line a descriptor delivers within the timeout.
inline std::string ReadLine(int fd, std::chrono::milliseconds timeout) {
  std::string line;
  char c = 0;
  pollfd p{fd, POLLIN, 0};
  while (poll(&p, 1, int(timeout.count())) > 0 && read(fd, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

// Xvfb on a display number it picks itself and writes out once it takes
// connections, so no other server can be taken for ours: its pid, and the
// display's name in `display` ("" when it did not start). -noreset: Debian
// 13's Xvfb, resetting after its last client was killed, now and then takes
// no connection any more (1 start in 6 here).
inline pid_t StartXvfb(std::string& display) {
  int fds[2];
  display.clear();
  if (pipe2(fds, O_CLOEXEC) != 0) return -1;
  const pid_t pid = testaudio::Spawn(
      {"Xvfb", "-displayfd", "1", "-noreset", "-screen", "0", "1280x800x24", "-nolisten", "tcp"},
      {}, fds[1]);
  close(fds[1]);
  const std::string number = ReadLine(fds[0], std::chrono::seconds(15));
  close(fds[0]);
  if (!number.empty()) display = ":" + number;
  return pid;
}

// Notes differ in loudness by a factor of two or so: a note begins where the
// level rises above a fifth of the loudest 10 ms after 300 ms of quiet.
inline std::vector<size_t> NoteStarts(const testaudio::WavSound& sound) {
  double loudest = 0;
  const size_t frame = static_cast<size_t>(sound.rate / 100);
  for (size_t at = 0; at + frame <= sound.samples.size(); at += frame) {
    loudest = std::max(loudest, testaudio::Rms(sound.samples, at, at + frame));
  }
  if (loudest < 0.005) return {};
  return testaudio::Onsets(sound.samples, sound.rate, loudest / 5, 30);
}

inline std::string Times(const std::vector<size_t>& starts, int rate) {
  std::string text;
  for (size_t at : starts) text += " " + std::to_string(at * 1000 / size_t(rate)) + " ms";
  return text;
}

// How much a held note rose again over `seconds` from its start: a struck
// note only dies away, and a new strike lifts the level well above the lowest
// it had come down to.
inline double RiseWithin(const testaudio::WavSound& sound, size_t onset, double seconds) {
  const size_t frame = static_cast<size_t>(sound.rate / 50);
  const size_t end = std::min(onset + static_cast<size_t>(sound.rate * seconds), sound.samples.size());
  double lowest = 1.0, rise = 1.0;
  for (size_t at = onset + frame * 5; at + frame <= end; at += frame) {
    const double level = testaudio::Rms(sound.samples, at, at + frame);
    lowest = std::min(lowest, level);
    rise = std::max(rise, level / lowest);
  }
  return rise;
}

}  // namespace tangrel::e2e
