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
// no connection any more (1 start in 6 here). A `repeatDelayMs` other than 0
// makes a held key repeat after that delay, 30 times a second, where the
// server's own delay is 660 ms.
inline pid_t StartXvfb(std::string& display, int repeatDelayMs = 0) {
  int fds[2];
  display.clear();
  if (pipe2(fds, O_CLOEXEC) != 0) return -1;
  std::vector<std::string> argv = {"Xvfb", "-displayfd", "1", "-noreset", "-screen", "0",
                                   "1280x800x24", "-nolisten", "tcp"};
  if (repeatDelayMs > 0) {
    argv.insert(argv.end(), {"-ardelay", std::to_string(repeatDelayMs), "-arinterval", "33"});
  }
  const pid_t pid = testaudio::Spawn(argv, {}, fds[1]);
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

// Whether `count` notes have begun and the last of them has sounded for `ms`.
inline bool Heard(const testaudio::WavSound& sound, size_t count, int ms = 250) {
  const std::vector<size_t> starts = NoteStarts(sound);
  return starts.size() >= count &&
         sound.samples.size() >= starts[count - 1] + size_t(sound.rate) * size_t(ms) / 1000;
}

// Whether the sound has been quiet for the last `ms`, as NoteStarts needs it
// to be before the next note can begin.
inline bool Quiet(const testaudio::WavSound& sound, int ms = 320) {
  const size_t frame = static_cast<size_t>(sound.rate / 100);
  const size_t span = frame * size_t(ms) / 10;
  if (sound.rate <= 0 || sound.samples.size() < span) return false;
  double loudest = 0;
  for (size_t at = 0; at + frame <= sound.samples.size(); at += frame) {
    loudest = std::max(loudest, testaudio::Rms(sound.samples, at, at + frame));
  }
  if (loudest < 0.005) return true;
  for (size_t at = sound.samples.size() - span; at + frame <= sound.samples.size(); at += frame) {
    if (testaudio::Rms(sound.samples, at, at + frame) >= loudest / 15) return false;
  }
  return true;
}

// Waits until the WAV that the built-in synthesizer is writing at `path` is
// `ready`; the file output keeps its header up to date, so it can be read
// while it grows.
inline bool WaitForSound(const std::string& path,
                         const std::function<bool(const testaudio::WavSound&)>& ready,
                         std::chrono::seconds timeout = std::chrono::seconds(10)) {
  return WaitFor([&] { return ready(testaudio::ReadWav(path)); }, timeout);
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
