// Measures the built-in synthesizer through a private PulseAudio null sink for
// several audio period sizes: dropouts during a stretch of full organ chords
// (gaps in the sink's monitor and PulseAudio's own underrun reports), and the
// delay from a note-on to its sound in the monitor.
//
//   bench_audio_latency [--seconds N] [--probes N] [PERIOD_SIZE ...]
#include <poll.h>

#include <cstdio>
#include <mutex>

#include "engine/BuiltInSynthDevice.h"
#include "engine/MidiOut.h"
#include "tests/support/AudioSupport.h"

using namespace tangrel;
using namespace tangrel::testaudio;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kRate = PrivatePulseServer::kRate;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// parec on the monitor, read through a pipe by a thread that notes when each
// piece arrived, so a sample index can be turned into the time it was heard.
class MonitorCapture {
 public:
  bool Start(const PrivatePulseServer& server) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    pid_ = server.StartCapture(fds[1], 2);
    close(fds[1]);
    fd_ = fds[0];
    if (pid_ <= 0) return false;
    reader_ = std::thread([this] { Read(); });
    for (int i = 0; i < 200 && Samples() == 0; ++i) SleepMs(50);
    return Samples() > 0;
  }

  void Stop() {
    StopProcess(pid_);
    if (reader_.joinable()) reader_.join();
    close(fd_);
  }

  size_t Samples() {
    std::lock_guard<std::mutex> lock(mutex_);
    return samples_.size();
  }

  std::vector<float> Sound() {
    std::lock_guard<std::mutex> lock(mutex_);
    return samples_;
  }

  // When a sample was heard: the earliest time its piece could have begun,
  // judged from the pieces that arrived within two seconds of it (later
  // arrivals only add reading delay; a wider span would let a stalled server
  // skew it).
  Clock::time_point TimeOf(size_t sample) {
    std::lock_guard<std::mutex> lock(mutex_);
    const size_t span = size_t(2 * kRate);
    Clock::time_point best = Clock::time_point::max();
    for (const Piece& piece : pieces_) {
      if (piece.end + span < sample || piece.end > sample + span) continue;
      best = std::min(best, piece.arrived - Duration((double(piece.end) - double(sample)) / kRate));
    }
    return best;
  }

  // The sample heard at a time, by the pieces that arrived around it.
  size_t SampleAt(Clock::time_point t) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Piece& piece : pieces_) {
      if (piece.arrived < t) continue;
      const double back = std::chrono::duration<double>(piece.arrived - t).count();
      return piece.end > size_t(back * kRate) ? piece.end - size_t(back * kRate) : 0;
    }
    return samples_.size();
  }

 private:
  void Read() {
    std::vector<char> buffer(8192);
    std::vector<char> carry;
    for (;;) {
      const ssize_t n = read(fd_, buffer.data(), buffer.size());
      if (n <= 0) return;
      const Clock::time_point now = Clock::now();
      carry.insert(carry.end(), buffer.begin(), buffer.begin() + n);
      const size_t whole = carry.size() & ~size_t(1);
      std::vector<char> bytes(carry.begin(), carry.begin() + long(whole));
      carry.erase(carry.begin(), carry.begin() + long(whole));
      const std::vector<float> sound = FromS16(bytes, 1);
      std::lock_guard<std::mutex> lock(mutex_);
      samples_.insert(samples_.end(), sound.begin(), sound.end());
      pieces_.push_back({now, samples_.size()});
    }
  }

  static Clock::duration Duration(double seconds) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  }

  struct Piece {
    Clock::time_point arrived;
    size_t end;  // samples received with it
  };

  pid_t pid_ = -1;
  int fd_ = -1;
  std::thread reader_;
  std::mutex mutex_;
  std::vector<float> samples_;
  std::vector<Piece> pieces_;
};

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

struct Figures {
  int periodSize = 0;
  Dropouts dropouts;
  int underrunReports = 0;
  std::vector<double> latencies;
};

bool Measure(PrivatePulseServer& server, const std::string& log, int periodSize, int seconds,
             int probes, Figures& figures) {
  figures.periodSize = periodSize;
  setenv("TANGREL_AUDIO_PERIOD_SIZE", std::to_string(periodSize).c_str(), 1);
  MonitorCapture capture;
  if (!capture.Start(server)) return false;
  BuiltInSynthDevice synth;
  if (!synth.Open()) {
    capture.Stop();
    return false;
  }
  SleepMs(500);

  // Chords on the church organ, a new one every 400 ms.
  const char* kUnderrun = "due to end of underrun";
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
  synth.Close();
  capture.Stop();

  const std::vector<float> sound = capture.Sound();
  // The first 200 ms of the chords are left out: the organ's attack.
  figures.dropouts = FindDropouts(sound, capture.SampleAt(chordsStart) + size_t(0.2 * kRate),
                                  capture.SampleAt(chordsEnd));
  for (const Clock::time_point t : sent) {
    const auto onset = Onset(sound, kRate, 0.01, capture.SampleAt(t));
    if (onset && capture.TimeOf(*onset) - t < std::chrono::milliseconds(500)) {
      figures.latencies.push_back(Ms(capture.TimeOf(*onset) - t));
    }
  }
  return true;
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 30, probes = 20;
  std::vector<int> periodSizes;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--seconds" && i + 1 < argc) {
      seconds = std::atoi(argv[++i]);
    } else if (arg == "--probes" && i + 1 < argc) {
      probes = std::atoi(argv[++i]);
    } else {
      periodSizes.push_back(std::atoi(arg.c_str()));
    }
  }
  if (periodSizes.empty()) periodSizes = {256, 320, 384, 512};
  if (!PrivatePulseServer::Available()) {
    std::fprintf(stderr, "needs pulseaudio and parec (pulseaudio-utils)\n");
    return 1;
  }
  char logPattern[] = "/tmp/tangrel-pulse-log-XXXXXX";
  const int logFd = mkstemp(logPattern);
  if (logFd < 0) return 1;
  close(logFd);
  const std::string log = logPattern;
  PrivatePulseServer server;
  if (!server.Start(log)) {
    std::fprintf(stderr, "the private PulseAudio server did not start\n");
    return 1;
  }
  setenv("PULSE_SERVER", server.Address().c_str(), 1);
  setenv("TANGREL_AUDIO_DRIVER", "pulseaudio", 1);

  double load[1] = {};
  std::printf("Built-in synthesizer through a PulseAudio null sink at %.0f Hz\n", kRate);
  std::printf("%d s of 8-key organ chords with bourdon per setting, %d note-on probes\n\n",
              seconds, probes);
  std::printf("%8s %9s %5s | %6s %9s %9s | %8s %8s %8s %8s\n", "period", "period", "load",
              "gaps", "silent", "underrun", "latency", "", "", "");
  std::printf("%8s %9s %5s | %6s %9s %9s | %8s %8s %8s %8s\n", "frames", "ms", "", "", "ms",
              "reports", "min ms", "p50 ms", "p90 ms", "max ms");
  int result = 0;
  for (int periodSize : periodSizes) {
    Figures f;
    getloadavg(load, 1);
    if (!Measure(server, log, periodSize, seconds, probes, f)) {
      std::printf("%8d: the synthesizer could not play through the server\n", periodSize);
      result = 1;
      continue;
    }
    std::printf("%8d %9.2f %5.1f | %6d %9.1f %9d | %8.1f %8.1f %8.1f %8.1f  (%zu/%d heard)\n",
                f.periodSize, 1000.0 * f.periodSize / kBuiltInSynthSampleRate, load[0],
                f.dropouts.gaps,
                f.dropouts.silentMs, f.underrunReports, Percentile(f.latencies, 0.0),
                Percentile(f.latencies, 0.5), Percentile(f.latencies, 0.9),
                Percentile(f.latencies, 1.0), f.latencies.size(), probes);
    std::fflush(stdout);
  }
  server.Stop();
  std::remove(log.c_str());
  return result;
}
