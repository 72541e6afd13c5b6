// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the sound tests and the audio benchmark: pitch and band-energy
// estimates of rendered or captured sound, environment variables set for one
// scope, child processes, and private PulseAudio (null sink) and JACK (dummy
// driver) servers.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cctype>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace tangrel::testaudio {

// The SoundFont every sound test measures with (Debian's timgm6mb-soundfont),
// whatever the system's default GM SoundFont is: the figures, from pitches to
// loudness, are this one's.
inline const std::string kTestSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// ---- Analysis -------------------------------------------------------------

inline double Cents(double frequency, double reference) {
  return 1200.0 * std::log2(frequency / reference);
}

inline double Rms(const std::vector<float>& x, size_t from = 0, size_t to = SIZE_MAX) {
  to = std::min(to, x.size());
  if (to <= from) return 0.0;
  double sum = 0.0;
  for (size_t i = from; i < to; ++i) sum += double(x[i]) * x[i];
  return std::sqrt(sum / double(to - from));
}

// Normalized autocorrelation at one lag over a window.
inline double Correlation(const std::vector<float>& x, size_t from, size_t length, size_t lag) {
  double xy = 0.0, xx = 0.0, yy = 0.0;
  for (size_t i = from; i < from + length; ++i) {
    xy += double(x[i]) * x[i + lag];
    xx += double(x[i]) * x[i];
    yy += double(x[i + lag]) * x[i + lag];
  }
  return (xx > 0.0 && yy > 0.0) ? xy / std::sqrt(xx * yy) : 0.0;
}

// In-place radix-2 FFT; the size is a power of two.
inline void Fft(std::vector<std::complex<double>>& a) {
  const size_t n = a.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (size_t half = 1; half < n; half <<= 1) {
    for (size_t k = 0; k < half; ++k) {
      const std::complex<double> w = std::polar(1.0, -M_PI * double(k) / double(half));
      for (size_t i = k; i < n; i += 2 * half) {
        const std::complex<double> u = a[i], v = a[i + half] * w;
        a[i] = u + v;
        a[i + half] = u - v;
      }
    }
  }
}

// The strongest spectral peak within 5 % of `near`: a Hann window, four times
// zero-padded, and a parabola through the log magnitudes around the top, which
// places a steady tone to well under a cent. `near` when there is no peak.
inline double SpectralPeak(const std::vector<float>& x, double rate, size_t from, size_t length,
                           double near) {
  size_t n = 1;
  while (n < 4 * length) n <<= 1;
  std::vector<std::complex<double>> a(n);
  for (size_t i = 0; i < length; ++i) {
    a[i] = (0.5 - 0.5 * std::cos(2.0 * M_PI * double(i) / double(length - 1))) * x[from + i];
  }
  Fft(a);
  const size_t low = size_t(0.95 * near * double(n) / rate);
  const size_t high = size_t(1.05 * near * double(n) / rate) + 1;
  size_t top = low;
  for (size_t k = low; k <= high; ++k) {
    if (std::abs(a[k]) > std::abs(a[top])) top = k;
  }
  if (top == low || top == high) return near;
  const double l = std::log(std::abs(a[top - 1])), c = std::log(std::abs(a[top])),
               r = std::log(std::abs(a[top + 1]));
  const double shift = 0.5 * (l - r) / (l - 2.0 * c + r);
  return (double(top) + shift) * rate / double(n);
}

struct PitchEstimate {
  double frequency = 0.0;
  double clarity = 0.0;  // correlation at the chosen period: near 1 for a tone
};

// The fundamental of the sound from `from` on. Autocorrelation finds it: the
// first period (50..1000 Hz) that correlates nearly as well as the best one, so
// that a tone is not taken an octave low. But a piano string's upper partials
// lie sharp of whole multiples, which shortens that period by up to 35 cents
// with some SoundFonts: the fundamental's own spectral peak gives the frequency.
inline PitchEstimate EstimatePitch(const std::vector<float>& x, double rate, size_t from,
                                   size_t length = 8192) {
  const size_t minLag = size_t(rate / 1000.0), maxLag = size_t(rate / 50.0);
  if (x.size() < from + length + maxLag + 1) return {};
  std::vector<double> r(maxLag + 2, 0.0);
  double best = 0.0;
  for (size_t lag = minLag; lag <= maxLag + 1; ++lag) {
    r[lag] = Correlation(x, from, length, lag);
    if (lag <= maxLag) best = std::max(best, r[lag]);
  }
  for (size_t lag = minLag + 1; lag <= maxLag; ++lag) {
    if (r[lag] >= 0.9 * best && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]) {
      const double a = r[lag - 1], b = r[lag], c = r[lag + 1];
      const double denominator = a - 2.0 * b + c;
      const double shift = denominator != 0.0 ? 0.5 * (a - c) / denominator : 0.0;
      return {SpectralPeak(x, rate, from, length, rate / (double(lag) + shift)), b};
    }
  }
  return {};
}

// Energy of one frequency (Goertzel over a Hann window), per sample.
inline double PowerAt(const std::vector<float>& x, double rate, double frequency, size_t from,
                      size_t length) {
  length = std::min(length, x.size() - std::min(from, x.size()));
  const double w = 2.0 * M_PI * frequency / rate;
  const double coefficient = 2.0 * std::cos(w);
  double s1 = 0.0, s2 = 0.0;
  for (size_t i = 0; i < length; ++i) {
    const double hann = 0.5 - 0.5 * std::cos(2.0 * M_PI * double(i) / double(length - 1));
    const double s0 = hann * x[from + i] + coefficient * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return (s1 * s1 + s2 * s2 - coefficient * s1 * s2) / double(length);
}

// The first sample from `from` on whose 1 ms neighbourhood is louder than the
// threshold; nothing when the sound never gets there.
inline std::optional<size_t> Onset(const std::vector<float>& x, double rate, double threshold,
                                   size_t from = 0) {
  const size_t window = size_t(rate / 1000.0);
  for (size_t i = from; i + window <= x.size(); i += window / 4) {
    if (Rms(x, i, i + window) > threshold) {
      for (size_t j = i; j < i + window; ++j) {
        if (std::fabs(x[j]) > threshold) return j;
      }
      return i;
    }
  }
  return std::nullopt;
}

// Starts of the sounding stretches: a stretch begins at a 10 ms frame louder
// than `threshold` and ends after `quietFrames` frames below a third of it.
inline std::vector<size_t> Onsets(const std::vector<float>& x, double rate, double threshold,
                                  int quietFrames) {
  const size_t frame = size_t(rate / 100.0);
  std::vector<size_t> onsets;
  bool sounding = false;
  int quiet = 0;
  for (size_t at = 0; at + frame <= x.size(); at += frame) {
    const double level = Rms(x, at, at + frame);
    if (!sounding && level > threshold) {
      onsets.push_back(at);
      sounding = true;
      quiet = 0;
    } else if (sounding) {
      quiet = level < threshold / 3 ? quiet + 1 : 0;
      sounding = quiet < quietFrames;
    }
  }
  return onsets;
}

// Signed 16-bit samples, as parec and the file driver write them, to floats;
// stereo is mixed down.
inline std::vector<float> FromS16(const std::vector<char>& bytes, int channels) {
  std::vector<float> out;
  const size_t frames = bytes.size() / (2 * size_t(channels));
  out.reserve(frames);
  for (size_t f = 0; f < frames; ++f) {
    double sum = 0.0;
    for (int c = 0; c < channels; ++c) {
      int16_t v;
      std::memcpy(&v, &bytes[(f * size_t(channels) + size_t(c)) * 2], 2);
      sum += v / 32768.0;
    }
    out.push_back(float(sum / channels));
  }
  return out;
}

inline std::vector<char> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

// Waits until what the capture or WAV growing at `path` holds is `ready`;
// false when `timeout` passes first.
inline bool WaitForCaptured(const std::string& path,
                            const std::function<bool(const std::vector<char>&)>& ready,
                            std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!ready(ReadAll(path))) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// A stereo capture of middle C held 1.5 s, then the loud chord: where each
// begins, the note's pitch, and how many chord samples stand at full scale.
struct MiddleCThenChord {
  std::optional<size_t> onset;
  double frequency = 0;
  std::optional<size_t> chord;
  size_t samples = 0;  // mono samples read, for the messages
  size_t clipped = 0;  // left and right samples one by one
};
inline MiddleCThenChord ReadMiddleCThenChord(const std::vector<char>& stereo, double rate) {
  MiddleCThenChord heard;
  const std::vector<float> sound = FromS16(stereo, 2);
  heard.samples = sound.size();
  heard.onset = Onset(sound, rate, 0.01);
  if (!heard.onset) return heard;
  heard.frequency = EstimatePitch(sound, rate, *heard.onset + size_t(0.15 * rate)).frequency;
  heard.chord = Onset(sound, rate, 0.1, *heard.onset + size_t(1.6 * rate));
  if (!heard.chord) return heard;
  const std::vector<float> channels = FromS16(stereo, 1);
  heard.clipped = size_t(std::count_if(channels.begin() + long(2 * *heard.chord), channels.end(),
                                       [](float v) { return std::fabs(v) > 0.999f; }));
  return heard;
}

struct WavSound {
  int rate = 0;
  std::vector<float> samples;  // mono mix
};

// The PCM of a 16-bit WAV file, mixed down to mono. A data chunk whose size was
// never fixed up (its writer was stopped) is read to the end of the file.
inline WavSound ReadWav(const std::string& path) {
  const std::vector<char> bytes = ReadAll(path);
  WavSound wav;
  int channels = 0;
  auto u32 = [&](size_t at) {
    uint32_t v = 0;
    std::memcpy(&v, &bytes[at], 4);
    return v;
  };
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const std::string id(&bytes[at], 4);
    const size_t left = bytes.size() - at - 8;
    size_t size = std::min<size_t>(u32(at + 4), left);
    if (id == "fmt " && size >= 16) {
      channels = static_cast<unsigned char>(bytes[at + 10]);
      wav.rate = static_cast<int>(u32(at + 12));
    } else if (id == "data" && channels > 0) {
      if (size == 0) size = left;
      wav.samples = FromS16(std::vector<char>(&bytes[at + 8], &bytes[at + 8] + size), channels);
      break;
    }
    at += 8 + size + (size & 1);
  }
  return wav;
}

inline double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// ---- Environment and processes ---------------------------------------------

// Sets (or, with nullopt, removes) one variable and restores it at scope end.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(value);
  }
  ~ScopedEnv() { Set(old_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Set(const std::optional<std::string>& value) {
    if (value) {
      setenv(name_.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }
  std::string name_;
  std::optional<std::string> old_;
};

inline bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t end = std::min(dirs.find(':', start), dirs.size());
    const std::string candidate = dirs.substr(start, end - start) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

// Starts a program with the current environment plus `env` (NAME=VALUE),
// its output to the given descriptors (-1: to /dev/null). Returns its pid, or
// -1.
inline pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                   int stdoutFd = -1, int stderrFd = -1) {
  std::vector<std::string> environment = env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    const bool overridden = std::any_of(env.begin(), env.end(), [&](const std::string& o) {
      return o.compare(0, name.size() + 1, name + "=") == 0;
    });
    if (!overridden) environment.push_back(entry);
  }
  std::vector<char*> args, envp;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
  posix_spawn_file_actions_adddup2(&actions, stdoutFd >= 0 ? stdoutFd : devNull, 1);
  posix_spawn_file_actions_adddup2(&actions, stderrFd >= 0 ? stderrFd : devNull, 2);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(devNull);
  return pid;
}

// A signal (SIGTERM unless told) to this one process, then SIGKILL if it has
// not gone in 5 s.
inline void StopProcess(pid_t pid, int signal = SIGTERM) {
  if (pid <= 0) return;
  kill(pid, signal);
  for (int i = 0; i < 100; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

// A child process that is stopped, by its pid, when its owner goes out of
// scope: a failed assertion leaves nothing running.
class ScopedProcess {
 public:
  explicit ScopedProcess(pid_t pid = -1, int stopSignal = SIGTERM)
      : pid_(pid), stopSignal_(stopSignal) {}
  ~ScopedProcess() { Stop(); }
  ScopedProcess(ScopedProcess&& other) noexcept
      : pid_(std::exchange(other.pid_, -1)), stopSignal_(other.stopSignal_) {}
  ScopedProcess& operator=(ScopedProcess&&) = delete;

  pid_t Pid() const { return pid_; }
  bool Running() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }
  void Stop() {
    StopProcess(pid_, stopSignal_);
    pid_ = -1;
  }

 private:
  pid_t pid_;
  int stopSignal_;
};

struct ProgramOutput {
  int exitCode = -1;  // -1 when the program did not end by itself in time
  std::string out;
};

// Runs a program to its end and returns its standard output; stopped after
// `timeoutMs` so that a hung tool cannot hang the test.
inline ProgramOutput RunProgram(const std::vector<std::string>& argv,
                                const std::vector<std::string>& env = {},
                                int timeoutMs = 5000) {
  ProgramOutput result;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return result;
  const pid_t pid = Spawn(argv, env, fds[1]);
  close(fds[1]);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  char buffer[4096];
  while (pid > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd p{fds[0], POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, int(left.count())) <= 0) break;
    const ssize_t n = read(fds[0], buffer, sizeof(buffer));
    if (n <= 0) break;
    result.out.append(buffer, size_t(n));
  }
  close(fds[0]);
  int status = 0;
  for (;;) {
    if (pid <= 0) break;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      StopProcess(pid, SIGKILL);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return result;
}

// A mkdtemp pattern for a server's folder, under TMPDIR when it is set.
inline std::string TempFolderPattern(const std::string& name) {
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp && *tmp ? tmp : "/tmp") + "/tangrel-" + name + "-XXXXXX";
}

// ---- A private PulseAudio server ---------------------------------------------

// parec on a sink's monitor through the PulseAudio protocol, s16le at `rate`
// (mono unless told), into fd.
inline pid_t StartMonitorCapture(const std::string& address, const char* sink, int rate, int fd,
                                 int latencyMs, int channels) {
  std::vector<std::string> argv = {"parec", "-d", std::string(sink) + ".monitor",
                                   "--format=s16le", "--rate=" + std::to_string(rate),
                                   "--channels=" + std::to_string(channels)};
  if (latencyMs > 0) argv.push_back("--latency-msec=" + std::to_string(latencyMs));
  return Spawn(argv, {"PULSE_SERVER=" + address}, fd);
}

// PulseAudio with a null sink "testsink" (48 kHz stereo) in its own runtime
// folder and socket, so a test never touches a desktop's server. `-n` loads
// no default script, so nothing probes for hardware.
class PrivatePulseServer {
 public:
  static constexpr const char* kSink = "testsink";
  static constexpr int kRate = 48000;

  static bool Available() { return OnPath("pulseaudio") && OnPath("parec"); }

  // False when the server did not answer on its socket within 10 s. With a
  // log path, the server logs at debug level there (underruns included).
  bool Start(const std::string& logPath = "") {
    std::string pattern = TempFolderPattern("pulse");
    if (!mkdtemp(pattern.data())) return false;
    dir_ = pattern;
    const std::string runtime = dir_ + "/pulse";
    mkdir(runtime.c_str(), 0700);
    socket_ = runtime + "/native";
    std::ofstream(dir_ + "/test.pa")
        << "load-module module-null-sink sink_name=" << kSink << " rate=" << kRate
        << " channels=2\n"
        << "load-module module-native-protocol-unix socket=" << socket_
        << " auth-anonymous=1\n"
        << "set-default-sink " << kSink << "\n";
    logPath_ = logPath;
    return Launch();
  }

  // Stops the server and starts it again on the same socket, as a desktop's
  // session restarts its sound.
  bool Restart() {
    StopProcess(pid_);
    pid_ = -1;
    return Launch();
  }

  pid_t Pid() const { return pid_; }

  void Stop() {
    StopProcess(pid_);
    pid_ = -1;
    if (!dir_.empty()) {
      std::error_code ignored;
      std::filesystem::remove_all(dir_, ignored);
      dir_.clear();
    }
  }

  ~PrivatePulseServer() { Stop(); }

  std::string Address() const { return "unix:" + socket_; }
  const std::string& Dir() const { return dir_; }

  // What a client of this server is started with.
  std::vector<std::string> Env() const { return {"PULSE_SERVER=" + Address()}; }

  // parec on the sink's monitor, s16le at the sink's rate (mono unless
  // told), into fd.
  pid_t StartCapture(int fd, int latencyMs = 0, int channels = 1) const {
    return StartMonitorCapture(Address(), kSink, kRate, fd, latencyMs, channels);
  }

 private:
  bool Answers() const {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket_.c_str(), sizeof(address.sun_path) - 1);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    close(fd);
    return ok;
  }

  bool Launch() {
    std::vector<std::string> argv = {"pulseaudio", "-n", "-F", dir_ + "/test.pa",
                                     "--daemonize=no", "--system=false", "--exit-idle-time=-1",
                                     "--use-pid-file=no", "--disallow-exit=yes"};
    if (!logPath_.empty()) {
      argv.push_back("--log-level=debug");
      argv.push_back("--log-target=file:" + logPath_);
    }
    pid_ = Spawn(argv, {"HOME=" + dir_, "PULSE_RUNTIME_PATH=" + dir_ + "/pulse"});
    if (pid_ <= 0) return false;
    for (int i = 0; i < 200; ++i) {
      if (Answers()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  pid_t pid_ = -1;
  std::string dir_;
  std::string socket_;
  std::string logPath_;
};

// ---- A private PipeWire server ------------------------------------------------

// pipewire, wireplumber and pipewire-pulse, headless, with a runtime and a
// config folder of their own and a null sink made through pipewire-pulse.
// Clients in this process find the PipeWire server through
// PIPEWIRE_RUNTIME_DIR and the pulse layer through PULSE_SERVER (Env()).
class PrivatePipeWireServer {
 public:
  static constexpr const char* kSink = "testsink";
  static constexpr int kRate = 48000;

  static bool Available() {
    for (const char* tool : {"pipewire", "wireplumber", "pipewire-pulse", "pactl", "parec"}) {
      if (!OnPath(tool)) return false;
    }
    return true;
  }

  // False when the servers or the sink did not come up within 10 s.
  bool Start() {
    std::string pattern = TempFolderPattern("pipewire");
    if (!mkdtemp(pattern.data())) return false;
    dir_ = pattern;
    const std::string config = dir_ + "/config/wireplumber";
    std::filesystem::create_directories(config + "/main.lua.d");
    std::filesystem::create_directories(config + "/bluetooth.lua.d");
    // Without D-Bus wireplumber exits at once unless it leaves the Flatpak
    // portal alone; no hardware is to be looked for.
    std::ofstream(config + "/main.lua.d/51-private.lua")
        << "default_access.properties[\"enable-flatpak-portal\"] = false\n"
        << "alsa_monitor.enabled = false\nv4l2_monitor.enabled = false\n"
        << "libcamera_monitor.enabled = false\n";
    std::ofstream(config + "/bluetooth.lua.d/51-private.lua") << "bluez_monitor.enabled = false\n";
    mkdir((dir_ + "/run").c_str(), 0700);
    mkdir((dir_ + "/state").c_str(), 0700);
    return Launch();
  }

  // Stops the three servers and starts them again in the same folders, as a
  // desktop's session restarts its sound.
  bool Restart() {
    Halt();
    return Launch();
  }

  void Stop() {
    Halt();
    if (!dir_.empty()) {
      std::error_code ignored;
      std::filesystem::remove_all(dir_, ignored);
      dir_.clear();
    }
  }
  ~PrivatePipeWireServer() { Stop(); }

  pid_t ServerPid() const { return pids_.empty() ? -1 : pids_.front(); }
  std::string Address() const { return "unix:" + dir_ + "/run/pulse/native"; }
  const std::string& Dir() const { return dir_; }
  std::vector<std::string> Env() const {
    return {"PIPEWIRE_RUNTIME_DIR=" + dir_ + "/run", "PULSE_SERVER=" + Address()};
  }

  pid_t StartCapture(int fd, int latencyMs = 0, int channels = 1) const {
    return StartMonitorCapture(Address(), kSink, kRate, fd, latencyMs, channels);
  }

 private:
  std::vector<std::string> ServerEnv() const {
    return {"XDG_RUNTIME_DIR=" + dir_ + "/run", "XDG_CONFIG_HOME=" + dir_ + "/config",
            "XDG_STATE_HOME=" + dir_ + "/state", "HOME=" + dir_,
            "DBUS_SESSION_BUS_ADDRESS=disabled:", "PIPEWIRE_RUNTIME_DIR=" + dir_ + "/run",
            "PULSE_RUNTIME_PATH=" + dir_ + "/run/pulse", "PULSE_SERVER="};
  }

  bool Launch() {
    for (const char* program : {"pipewire", "wireplumber", "pipewire-pulse"}) {
      pids_.push_back(Spawn({program}, ServerEnv()));
      if (program == std::string("pipewire") && !WaitFor(dir_ + "/run/pipewire-0")) return false;
    }
    if (!WaitFor(dir_ + "/run/pulse/native")) return false;
    for (int i = 0; i < 100; ++i) {
      const ProgramOutput made = RunProgram(
          {"pactl", "load-module", "module-null-sink", std::string("sink_name=") + kSink,
           "rate=" + std::to_string(kRate), "channels=2"},
          {"PULSE_SERVER=" + Address()});
      if (made.exitCode == 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  static bool WaitFor(const std::string& path) {
    for (int i = 0; i < 100; ++i) {
      if (std::filesystem::exists(path)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  // The last started first, each by its pid; a frozen one is thawed first.
  void Halt() {
    for (auto pid = pids_.rbegin(); pid != pids_.rend(); ++pid) {
      if (*pid > 0) kill(*pid, SIGCONT);
      StopProcess(*pid);
    }
    pids_.clear();
    std::error_code ignored;
    std::filesystem::remove(dir_ + "/run/pipewire-0", ignored);
    std::filesystem::remove(dir_ + "/run/pipewire-0.lock", ignored);
    std::filesystem::remove_all(dir_ + "/run/pulse", ignored);
  }

  std::vector<pid_t> pids_;
  std::string dir_;
};

// ---- A private JACK server ---------------------------------------------------

// jackd on the dummy driver (no hardware needed) under a server name of its
// own. Clients in this process find it through JACK_DEFAULT_SERVER, which the
// caller sets; the JACK tools started here are given it.
class PrivateJackServer {
 public:
  // jack_midi_dump's port: it prints every message that arrives there.
  static constexpr const char* kMidiDumpPort = "midi-monitor:input";

  static bool Available() {
    for (const char* tool : {"jackd", "jack_wait", "jack_lsp", "jack_connect", "jack_midi_dump"}) {
      if (!OnPath(tool)) return false;
    }
    return true;
  }

  // False when this jackd did not answer within 5 s; its own output, which
  // says why, goes to logPath.
  bool Start(const std::string& name, const std::string& logPath = "/dev/null") {
    name_ = name;
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    pid_ = Spawn({"jackd", "--no-realtime", "-n", name, "-d", "dummy", "-r", "48000", "-p", "256"},
                 {}, log, log);
    if (log >= 0) close(log);
    if (pid_ <= 0) return false;
    const bool answered =
        RunProgram({"jack_wait", "-s", name, "-w", "-t", "5"}, Env(), 8000).exitCode == 0;
    // A server of the same name that was running already answers too.
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return false;
    }
    return answered;
  }

  // Also removes the semaphores jackd leaves behind for clients that were
  // still open when it stopped (named jack_sem.<uid>_<server>_<client>).
  void Stop() {
    if (pid_ <= 0) return;
    StopProcess(pid_);
    pid_ = -1;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", ignored)) {
      const std::string file = entry.path().filename().string();
      if (file.rfind("jack_sem.", 0) == 0 && file.find("_" + name_ + "_") != std::string::npos) {
        std::filesystem::remove(entry.path(), ignored);
      }
    }
  }

  ~PrivateJackServer() { Stop(); }

  pid_t Pid() const { return pid_; }
  std::vector<std::string> Env() const {
    return {"JACK_DEFAULT_SERVER=" + name_, "JACK_NO_START_SERVER=1"};
  }

  // Every port, with the properties and type lines jack_lsp prints for it
  // ("properties: output,\n8 bit raw midi\n").
  std::map<std::string, std::string> Ports() const {
    std::map<std::string, std::string> ports;
    std::istringstream lines(RunProgram({"jack_lsp", "-p", "-t"}, Env()).out);
    std::string port;
    for (std::string line; std::getline(lines, line);) {
      if (line.empty()) continue;
      if (line[0] != '\t') {
        port = line;
        ports[port];
      } else if (!port.empty()) {
        ports[port] += line.substr(1) + "\n";
      }
    }
    return ports;
  }

  bool WaitForPort(const std::string& port, int timeoutMs = 5000) const {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
      if (Ports().count(port)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  bool Connect(const std::string& from, const std::string& to) const {
    return RunProgram({"jack_connect", from, to}, Env()).exitCode == 0;
  }

  // jack_midi_dump printing into fd. It is stopped by SIGINT, on which it
  // leaves the server properly; a client that just vanishes keeps the server
  // waiting for seconds.
  ScopedProcess StartMidiDump(int fd) const {
    return ScopedProcess(Spawn({"jack_midi_dump"}, Env(), fd), SIGINT);
  }

 private:
  std::string name_;
  pid_t pid_ = -1;
};

// The messages in jack_midi_dump's output, each as its bytes in hex
// ("90 3c 7f"), from the lines "<time>: <bytes> <description>".
inline std::vector<std::string> MidiDumpMessages(const std::string& text) {
  std::vector<std::string> messages;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::istringstream words(line.substr(colon + 1));
    std::string bytes;
    for (std::string word; words >> word && word.size() == 2 && std::isxdigit(word[0]) &&
                           std::isxdigit(word[1]);) {
      bytes += (bytes.empty() ? "" : " ") + word;
    }
    if (!bytes.empty()) messages.push_back(bytes);
  }
  return messages;
}

}  // namespace tangrel::testaudio
