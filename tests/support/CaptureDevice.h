// SPDX-License-Identifier: GPL-3.0-or-later
// A MIDI output device that records every word sent to it with its time, for
// tests and benchmarks: the stand-in for MIDI hardware.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "model/MidiDevices.h"

namespace tangrel {

struct CapturedWord {
  uint32_t word;
  std::chrono::steady_clock::time_point time;
};

class CaptureDevice : public MidiOutputDevice {
 public:
  explicit CaptureDevice(std::string name = "Capture", bool opens = true);

  std::string Name() const override { return name_; }
  bool Open() override;
  void Send(uint32_t word) override;
  void Close() override;

  bool IsOpen() const;
  int OpenCount() const;
  int CloseCount() const;
  void SetOpens(bool opens);
  std::vector<CapturedWord> Captured() const;
  std::vector<uint32_t> Words() const;
  void Clear();
  // Keeps no words, only the time of the last one (for benchmarks).
  void SetKeepWords(bool keep);
  std::chrono::steady_clock::time_point LastTime() const;

 private:
  std::string name_;
  mutable std::mutex mutex_;
  bool opens_;
  bool open_ = false;
  bool keepWords_ = true;
  int openCount_ = 0;
  int closeCount_ = 0;
  std::vector<CapturedWord> captured_;
  std::chrono::steady_clock::time_point lastTime_{};
};

}  // namespace tangrel
