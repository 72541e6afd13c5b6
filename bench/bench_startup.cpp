// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the built-in synthesizer with the SoundFont TANGREL_SOUNDFONT
// names (else the system default), through a private PulseAudio null sink:
// the device list, the open (the SoundFont loads in the background from the
// list on), the first note heard, resident memory, the process's CPU while the
// output idles, and instrument changes each with its first note. --cold first
// drops the SoundFont's pages from the page cache, as after a reboot.
//
//   TANGREL_SOUNDFONT=FILE bench_startup [--idle-seconds N] [--cold]
#include <fcntl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "bench/MonitorCapture.h"
#include "devices/BuiltInSynthDevice.h"
#include "devices/SystemDevices.h"
#include "model/MidiOut.h"
#include "tests/support/AudioSupport.h"

using namespace tangrel;
using namespace tangrel::testaudio;
using tangrel::bench::Clock;
using tangrel::bench::MonitorCapture;

namespace {

constexpr double kRate = PrivatePulseServer::kRate;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// A line of /proc/self/status ("VmRSS", "VmHWM") in MB.
double StatusMb(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field + ":", 0) == 0) return std::atof(line.c_str() + field.size() + 1) / 1024.0;
  }
  return 0.0;
}

// Run time of this process's threads, to the nanosecond (the scheduler's own
// account; tick-sampled times miss most of a thread that wakes often briefly).
double CpuSeconds() {
  double seconds = 0.0;
  std::error_code ignored;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", ignored)) {
    std::ifstream schedstat(task.path() / "schedstat");
    double nanoseconds = 0.0;
    if (schedstat >> nanoseconds) seconds += nanoseconds / 1e9;
  }
  return seconds;
}

void Send(MidiDevices& devices, uint8_t status, int channel, int data1, int data2) {
  devices.ShortMessage(
      ShortMessageWord(status, uint32_t(channel), uint32_t(data1), uint32_t(data2)));
}

// From `sent` to the first sound the monitor heard after it; -1 when none
// came within half a second.
double HeardAfter(MonitorCapture& capture, Clock::time_point sent) {
  SleepMs(600);
  const std::vector<float> sound = capture.Sound();
  const auto onset = Onset(sound, kRate, 0.01, capture.SampleAt(sent));
  if (!onset) return -1.0;
  const double ms = Ms(capture.TimeOf(*onset) - sent);
  return ms < 500.0 ? ms : -1.0;
}

void DropFromPageCache(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  close(fd);
}

// Instruments from several families, none of them the piano that is loaded
// at the open.
constexpr int kPrograms[] = {19, 40, 48, 56, 73, 24, 32, 11, 65, 104};

}  // namespace

int main(int argc, char** argv) {
  int idleSeconds = 10;
  bool cold = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--idle-seconds" && i + 1 < argc) idleSeconds = std::atoi(argv[++i]);
    if (arg == "--cold") cold = true;
  }
  if (!PrivatePulseServer::Available()) {
    std::fprintf(stderr, "needs pulseaudio and parec (pulseaudio-utils)\n");
    return 1;
  }
  PrivatePulseServer server;
  if (!server.Start()) {
    std::fprintf(stderr, "the private PulseAudio server did not start\n");
    return 1;
  }
  setenv("PULSE_SERVER", server.Address().c_str(), 1);
  setenv("TANGREL_AUDIO_DRIVER", "pulseaudio", 1);
  MonitorCapture capture;
  if (!capture.Start(server)) return 1;
  const double rssBefore = StatusMb("VmRSS");
  if (cold) DropFromPageCache(DefaultSoundFontPath());

  // What start-up does: list the devices and let them prepare, build the
  // window (not here), open the first device and send its program change.
  const Clock::time_point start = Clock::now();
  std::unique_ptr<DeviceSet> devices = MakeSystemDevices();
  devices->Prepare();
  const Clock::time_point listed = Clock::now();
  if (!devices->Open(0)) {
    std::fprintf(stderr, "the built-in synthesizer did not open\n");
    return 1;
  }
  const Clock::time_point opened = Clock::now();
  Send(*devices, midi::kProgramChange, 0, 0, 0);
  Send(*devices, midi::kNoteOn, 0, 60, 127);
  const Clock::time_point sent = Clock::now();
  const double heard = HeardAfter(capture, sent);
  Send(*devices, midi::kNoteOff, 0, 60, 0);
  const double rss = StatusMb("VmRSS");

  // The capture's own reading would count as this process's CPU.
  capture.Stop();
  SleepMs(1500);
  const double cpuBefore = CpuSeconds();
  const Clock::time_point idleStart = Clock::now();
  SleepMs(1000 * idleSeconds);
  const double idleCpu = 100.0 * (CpuSeconds() - cpuBefore) /
                         std::chrono::duration<double>(Clock::now() - idleStart).count();

  MonitorCapture changeCapture;
  if (!changeCapture.Start(server)) return 1;
  std::vector<double> changes, loads;
  for (int program : kPrograms) {
    const Clock::time_point t = Clock::now();
    Send(*devices, midi::kProgramChange, 0, program, 0);
    loads.push_back(Ms(Clock::now() - t));
    Send(*devices, midi::kNoteOn, 0, 60, 127);
    changes.push_back(HeardAfter(changeCapture, t));
    Send(*devices, midi::kNoteOff, 0, 60, 0);
    SleepMs(700);
  }
  devices->Close();
  changeCapture.Stop();

  double load[1] = {};
  getloadavg(load, 1);
  std::printf("SoundFont %s%s, load average %.1f\n", DefaultSoundFontPath().c_str(),
              cold ? " (not in the page cache at start)" : "", load[0]);
  std::printf("  device list (and start of loading)  %7.1f ms\n", Ms(listed - start));
  std::printf("  open of the built-in synthesizer     %7.1f ms from start\n", Ms(opened - start));
  std::printf(
      "  first note heard                     %7.1f ms from start (%.1f ms after note-on)\n",
      Ms(sent - start) + heard, heard);
  std::printf(
      "  resident memory                      %7.1f MB (%.1f MB before the list, peak %.1f MB)\n",
      rss, rssBefore, StatusMb("VmHWM"));
  std::printf("  CPU with the output open and idle    %7.2f %% of one core over %d s\n", idleCpu,
              idleSeconds);
  std::printf("  instrument change + first note heard:");
  for (double ms : changes) std::printf(" %.0f", ms);
  std::printf(" ms\n  of which the program change itself:  ");
  for (double ms : loads) std::printf(" %.0f", ms);
  std::printf(" ms\n");
  std::printf("  worst instrument change + note       %7.1f ms\n",
              *std::max_element(changes.begin(), changes.end()));
  return 0;
}
