// SPDX-License-Identifier: GPL-3.0-or-later
// parec on a private sound server's monitor (PulseAudio, or PipeWire through
// pipewire-pulse), for the audio benchmarks:
// what the sink played, and when each sample was heard.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "tests/support/AudioSupport.h"

namespace tangrel::bench {

using Clock = std::chrono::steady_clock;
constexpr double kMonitorRate = testaudio::PrivatePulseServer::kRate;

// parec on the monitor, read through a pipe by a thread that notes when each
// piece arrived, so a sample index can be turned into the time it was heard.
class MonitorCapture {
 public:
  template <typename Server>
  bool Start(const Server& server) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    pid_ = server.StartCapture(fds[1], 2);
    close(fds[1]);
    fd_ = fds[0];
    if (pid_ <= 0) return false;
    reader_ = std::thread([this] { Read(); });
    for (int i = 0; i < 200 && Samples() == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return Samples() > 0;
  }

  void Stop() {
    testaudio::StopProcess(pid_);
    pid_ = -1;
    if (reader_.joinable()) reader_.join();
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }
  ~MonitorCapture() { Stop(); }

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
  //
  // With `after`, only pieces that arrived after it count: the server's graph
  // changes its cycle whenever a stream comes or goes, and the capture's time
  // base jumps with it, so a probe is timed against the pieces of its own
  // phase.
  Clock::time_point TimeOf(size_t sample, Clock::time_point after = Clock::time_point::min()) {
    std::lock_guard<std::mutex> lock(mutex_);
    const size_t span = size_t(2 * kMonitorRate);
    Clock::time_point best = Clock::time_point::max();
    for (const Piece& piece : pieces_) {
      if (piece.arrived < after) continue;
      if (piece.end + span < sample || piece.end > sample + span) continue;
      const double ahead = (double(piece.end) - double(sample)) / kMonitorRate;
      best = std::min(best, piece.arrived - Duration(ahead));
    }
    return best;
  }

  // For each time, the milliseconds to the first sound heard after it (a
  // hundredth of full scale); times with none within half a second are left
  // out.
  std::vector<double> DelaysToSound(const std::vector<Clock::time_point>& times) {
    const std::vector<float> sound = Sound();
    std::vector<double> delays;
    for (const Clock::time_point t : times) {
      const auto onset = testaudio::Onset(sound, kMonitorRate, 0.01, SampleAt(t));
      if (!onset) continue;
      const Clock::duration delay = TimeOf(*onset, t) - t;
      if (delay < std::chrono::milliseconds(500)) {
        delays.push_back(std::chrono::duration<double, std::milli>(delay).count());
      }
    }
    return delays;
  }

  // The sample heard at a time, by the pieces that arrived around it.
  size_t SampleAt(Clock::time_point t) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Piece& piece : pieces_) {
      if (piece.arrived < t) continue;
      const double back = std::chrono::duration<double>(piece.arrived - t).count();
      const size_t behind = size_t(back * kMonitorRate);
      return piece.end > behind ? piece.end - behind : 0;
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
      const std::vector<float> sound = testaudio::FromS16(bytes, 1);
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

}  // namespace tangrel::bench
