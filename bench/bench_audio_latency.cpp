// SPDX-License-Identifier: GPL-3.0-or-later
// Measures the built-in synthesizer through a private PipeWire server (its
// own PipeWire stream) and a private PulseAudio server side by side, each
// into a null sink: dropouts during a stretch of full organ chords (gaps in
// the sink's monitor, the output's own underrun count, and PulseAudio's
// underrun reports), and the delay from a note-on to its sound in the
// monitor. Beside each row a real-time thread of its own notes how often the
// machine held it past one 128-frame cycle: what no output that short can
// play through. Each server is measured with the machine quiet and with one
// core kept busy by another process (--quiet or --busy: that load only). Without a
// shape the outputs adapt their buffers as they do for the player; a shape
// (period size, optionally x periods) sets it.
//
//   bench_audio_latency [--seconds N] [--probes N] [--quiet|--busy]
//                       [--server pipewire|pulseaudio] [SIZE[xPERIODS] ...]
#include <poll.h>

#include <cstdio>
#include <mutex>

#include "bench/MachineLoad.h"
#include "bench/MonitorCapture.h"
#include "devices/BuiltInSynthDevice.h"
#include "model/MidiOut.h"
#include "session/DeviceMessages.h"
#include "tests/support/AudioSupport.h"

using namespace tangrel;
using namespace tangrel::testaudio;
using namespace tangrel::bench;

namespace {

constexpr double kRate = PrivatePulseServer::kRate;
static_assert(PrivatePipeWireServer::kRate == PrivatePulseServer::kRate);

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void Send(BuiltInSynthDevice& synth, uint8_t status, int channel, int data1, int data2) {
  synth.Send(ShortMessageWord(status, uint32_t(channel), uint32_t(data1), uint32_t(data2)));
}

// Four chords of eight keys, each doubled an octave lower by the bourdon.
constexpr int kChords[4][8] = {{60, 62, 64, 65, 67, 69, 71, 72},
                               {53, 57, 60, 62, 65, 69, 72, 74},
                               {55, 59, 62, 64, 67, 71, 74, 76},
                               {57, 60, 64, 66, 69, 72, 76, 79}};

void PlayChord(BuiltInSynthDevice& synth, const int (&chord)[8], bool on) {
  for (int note : chord) {
    Send(synth, on ? midi::kNoteOn : midi::kNoteOff, 0, note, on ? 127 : 0);
    Send(synth, on ? midi::kNoteOn : midi::kNoteOff, kBourdonChannel, note - 12, on ? 127 : 0);
  }
}

struct Dropouts {
  int gaps = 0;           // silent stretches of 1/3 ms or more inside the chords
  double silentMs = 0.0;  // their total length
};

// Sixteen organ voices never rest at zero for a third of a millisecond; the
// silence PulseAudio plays for a late client does.
Dropouts FindDropouts(const std::vector<float>& x, size_t from, size_t to) {
  Dropouts d;
  const size_t minimum = size_t(kRate / 3000.0);
  size_t run = 0;
  for (size_t i = from; i < std::min(to, x.size()); ++i) {
    if (std::fabs(x[i]) < 1e-4f) {
      ++run;
      continue;
    }
    if (run >= minimum) {
      ++d.gaps;
      d.silentMs += 1000.0 * double(run) / kRate;
    }
    run = 0;
  }
  return d;
}

int CountLines(const std::string& path, const std::string& text) {
  std::ifstream in(path);
  int count = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.find(text) != std::string::npos) ++count;
  }
  return count;
}

struct Shape {
  int periodSize = 0;  // 0: the output's own, adapting
  int periods = 0;
};

std::string ShapeText(const Shape& shape) {
  if (shape.periodSize == 0) return "adapting";
  const std::string periods = shape.periods ? "x" + std::to_string(shape.periods) : "";
  return std::to_string(shape.periodSize) + periods;
}

void SetShape(const Shape& shape) {
  for (const auto& [name, value] : {std::pair{"TANGREL_AUDIO_PERIOD_SIZE", shape.periodSize},
                                    std::pair{"TANGREL_AUDIO_PERIODS", shape.periods}}) {
    if (value) {
      setenv(name, std::to_string(value).c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
}

struct Figures {
  int stalls = 0;  // the probe's, open to close
  double worstStallMs = 0.0;
  Dropouts dropouts;
  int underruns = -1;       // the output's own count, open to close
  int underrunReports = 0;  // the server's, during the chords (PulseAudio)
  int allReports = 0;       // from open to close
  std::vector<double> latencies;
};

// The server's log, where it writes one (PulseAudio); "" for none.
template <typename Server>
bool Measure(Server& server, const std::string& log, const Shape& shape, int seconds, int probes,
             Figures& figures) {
  SetShape(shape);
  MonitorCapture capture;
  if (!capture.Start(server)) return false;
  const char* kUnderrun = "due to end of underrun";
  const int reportsAtOpen = CountLines(log, kUnderrun);
  PrintedDeviceReports printed;
  StallProbe probe;
  BuiltInSynthDevice synth(DefaultSoundFontPath(), &printed);
  if (!synth.Open()) {
    capture.Stop();
    return false;
  }
  SleepMs(500);

  // Chords on the church organ, a new one every 400 ms.
  const int reportsBefore = CountLines(log, kUnderrun);
  Send(synth, midi::kProgramChange, 0, 19, 0);
  Send(synth, midi::kProgramChange, kBourdonChannel, 19, 0);
  const Clock::time_point chordsStart = Clock::now();
  int chord = 0;
  PlayChord(synth, kChords[chord], true);
  while (Clock::now() - chordsStart < std::chrono::seconds(seconds)) {
    SleepMs(400);
    PlayChord(synth, kChords[chord], false);
    chord = (chord + 1) % 4;
    PlayChord(synth, kChords[chord], true);
  }
  const Clock::time_point chordsEnd = Clock::now();
  PlayChord(synth, kChords[chord], false);
  figures.underrunReports = CountLines(log, kUnderrun) - reportsBefore;

  // Single piano notes out of silence: note-on to the first sound heard.
  Send(synth, midi::kProgramChange, 0, 0, 0);
  SleepMs(2000);
  std::vector<Clock::time_point> sent;
  for (int i = 0; i < probes; ++i) {
    sent.push_back(Clock::now());
    Send(synth, midi::kNoteOn, 0, 60, 127);
    SleepMs(250);
    Send(synth, midi::kNoteOff, 0, 60, 0);
    SleepMs(950);
  }
  SleepMs(300);
  figures.underruns = synth.Underruns();
  synth.Close();
  figures.stalls = probe.Stalls();
  figures.worstStallMs = probe.WorstMs();
  capture.Stop();
  figures.allReports = CountLines(log, kUnderrun) - reportsAtOpen;

  const std::vector<float> sound = capture.Sound();
  // The first 200 ms of the chords are left out: the organ's attack.
  figures.dropouts = FindDropouts(sound, capture.SampleAt(chordsStart) + size_t(0.2 * kRate),
                                  capture.SampleAt(chordsEnd));
  figures.latencies = capture.DelaysToSound(sent);
  return true;
}

struct Row {
  std::string server;
  bool busy;
  Shape shape;
};

template <typename Server>
int MeasureRow(Server& server, const std::string& log, const Row& row, int seconds, int probes) {
  Figures f;
  double load[1] = {};
  bool measured;
  {
    BusyCore core(row.busy);
    measured = Measure(server, log, row.shape, seconds, probes, f);
    getloadavg(load, 1);
  }
  if (!measured) {
    std::printf("%-10s %5s %9s: the synthesizer could not play through the server\n",
                row.server.c_str(), row.busy ? "busy" : "quiet", ShapeText(row.shape).c_str());
    return 1;
  }
  const std::string reports = log.empty() ? "-" : std::to_string(f.underrunReports);
  std::printf(
      "%-10s %5s %9s %5.1f | %6d %6.1f | %5d %8.1f %6d %8s | %6.1f %6.1f %6.1f %6.1f  (%zu/%d "
      "heard)\n",
      row.server.c_str(), row.busy ? "busy" : "quiet", ShapeText(row.shape).c_str(), load[0],
      f.stalls, f.worstStallMs, f.dropouts.gaps, f.dropouts.silentMs, f.underruns, reports.c_str(),
      Percentile(f.latencies, 0.0), Percentile(f.latencies, 0.5), Percentile(f.latencies, 0.95),
      Percentile(f.latencies, 1.0), f.latencies.size(), probes);
  std::fflush(stdout);
  return 0;
}

// Each server's environment for this process, set while it is measured.
void PointAt(const std::vector<std::string>& env) {
  for (const std::string& entry : env) {
    const size_t eq = entry.find('=');
    setenv(entry.substr(0, eq).c_str(), entry.substr(eq + 1).c_str(), 1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 60, probes = 40;
  std::vector<bool> loads = {false, true};
  std::vector<std::string> servers = {"pipewire", "pulseaudio"};
  std::vector<Shape> shapes;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--seconds" && i + 1 < argc) {
      seconds = std::atoi(argv[++i]);
    } else if (arg == "--probes" && i + 1 < argc) {
      probes = std::atoi(argv[++i]);
    } else if (arg == "--busy" || arg == "--quiet") {
      loads = {arg == "--busy"};
    } else if (arg == "--server" && i + 1 < argc) {
      servers = {argv[++i]};
    } else {
      Shape shape;
      shape.periodSize = std::atoi(arg.c_str());
      if (const size_t x = arg.find('x'); x != std::string::npos) {
        shape.periods = std::atoi(arg.c_str() + x + 1);
      }
      shapes.push_back(shape);
    }
  }
  if (shapes.empty()) shapes.push_back(Shape{});
  setenv("JACK_NO_START_SERVER", "1", 1);

  std::printf(
      "Built-in synthesizer into a null sink at %.0f Hz, note-on to the first sound in "
      "the sink's monitor\n",
      kRate);
  std::printf("%d s of 8-key organ chords with bourdon per row, %d note-on probes\n\n", seconds,
              probes);
  std::printf("%-10s %5s %9s %5s | %6s %6s | %5s %8s %6s %8s | %6s %6s %6s %6s\n", "server", "load",
              "buffer", "load", "stalls", "worst", "gaps", "silent", "xruns", "server", "min",
              "p50", "p95", "max");
  std::printf("%-10s %5s %9s %5s | %6s %6s | %5s %8s %6s %8s | %6s %6s %6s %6s\n", "", "", "",
              "1 min", "> 2.7", "ms", "", "ms", "output", "reports", "ms", "ms", "ms", "ms");
  int result = 0;
  for (const std::string& name : servers) {
    setenv("TANGREL_AUDIO_DRIVER", name.c_str(), 1);
    if (name == "pipewire") {
      if (!PrivatePipeWireServer::Available()) {
        std::printf("pipewire: needs pipewire, wireplumber, pipewire-pulse and pulseaudio-utils\n");
        result = 1;
        continue;
      }
      PrivatePipeWireServer server;
      if (!server.Start()) {
        std::printf("pipewire: the private server did not start\n");
        result = 1;
        continue;
      }
      PointAt(server.Env());
      for (bool busy : loads) {
        for (const Shape& shape : shapes) {
          result |= MeasureRow(server, "", Row{name, busy, shape}, seconds, probes);
        }
      }
      server.Stop();
      unsetenv("PIPEWIRE_RUNTIME_DIR");
    } else {
      if (!PrivatePulseServer::Available()) {
        std::printf("pulseaudio: needs pulseaudio and parec (pulseaudio-utils)\n");
        result = 1;
        continue;
      }
      char logPattern[] = "/tmp/tangrel-pulse-log-XXXXXX";
      const int logFd = mkstemp(logPattern);
      if (logFd < 0) return 1;
      close(logFd);
      const std::string log = logPattern;
      PrivatePulseServer server;
      if (!server.Start(log)) {
        std::printf("pulseaudio: the private server did not start\n");
        result = 1;
        continue;
      }
      setenv("PULSE_SERVER", server.Address().c_str(), 1);
      for (bool busy : loads) {
        for (const Shape& shape : shapes) {
          result |= MeasureRow(server, log, Row{name, busy, shape}, seconds, probes);
        }
      }
      server.Stop();
      std::remove(log.c_str());
    }
  }
  return result;
}
