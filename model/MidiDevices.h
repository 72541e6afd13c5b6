// SPDX-License-Identifier: GPL-3.0-or-later
// The five operations Tangrel needs of a MIDI output system, and the single
// output devices that make one up. Each platform backend (built-in synthesizer,
// virtual port, RtMidi ports, the test capture device) is one MidiOutputDevice.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/Failure.h"

namespace tangrel {

// What a device has to say that is no failure: nothing went wrong, but the
// player should know.
enum class NewsKind {
  SoundOutputBack,   // the output plays again after it was lost; detail: the driver
  BufferSettled,     // the buffer grew and held; detail: the driver; text: to what
  SoundFontChanged,  // the file changed under the program; what is loaded plays on
};

struct DeviceNews {
  NewsKind kind;
  std::string detail;
  std::string text = {};
};

// Where devices say what the player should learn while they open and play:
// why an open failed, an output lost, and their news. Called from any
// thread; the program's edge turns each into a line the player reads.
class DeviceReports {
 public:
  virtual ~DeviceReports() = default;
  virtual void Report(const Failure& failure) = 0;
  virtual void Tell(const DeviceNews& news) = 0;
};

// One output device. Open and Close are paired by the caller; Send is only
// called between them.
class MidiOutputDevice {
 public:
  virtual ~MidiOutputDevice() = default;
  virtual std::string Name() const = 0;
  // Begins, in the background, what Open will need (a SoundFont to load), so
  // that Open is quick later; most devices need nothing.
  virtual void Prepare() {}
  virtual bool Open() = 0;
  // Why the last Open failed, one failure for each thing it tried; empty
  // after an Open that worked, or from a device that cannot say.
  virtual std::vector<Failure> WhyNotOpened() const { return {}; }
  virtual void Send(uint32_t word) = 0;
  virtual void Close() = 0;
};

// The count / capabilities / open / short message / close interface over all
// devices. At most one device is open at a time.
class MidiDevices {
 public:
  virtual ~MidiDevices() = default;
  virtual int32_t DeviceCount() const = 0;
  // Product name of a device; nothing when there is no such device.
  virtual std::optional<std::string> DeviceName(int32_t deviceId) const = 0;
  virtual bool Open(int32_t deviceId) = 0;
  // Why the last Open failed, in the device's own terms; empty when it
  // worked or the device said nothing.
  virtual std::vector<Failure> WhyNotOpened() const { return {}; }
  virtual void ShortMessage(uint32_t word) = 0;
  virtual void Close() = 0;
};

// MidiDevices over an ordered list of devices.
class DeviceSet : public MidiDevices {
 public:
  DeviceSet() = default;
  explicit DeviceSet(std::vector<std::unique_ptr<MidiOutputDevice>> devices);
  void Add(std::unique_ptr<MidiOutputDevice> device);
  // Lets every device begin what its Open will need; start-up calls it first.
  void Prepare();

  int32_t DeviceCount() const override;
  std::optional<std::string> DeviceName(int32_t deviceId) const override;
  bool Open(int32_t deviceId) override;
  std::vector<Failure> WhyNotOpened() const override { return whyNot_; }
  void ShortMessage(uint32_t word) override;
  void Close() override;

  MidiOutputDevice* Device(int32_t deviceId) const;

 private:
  std::vector<std::unique_ptr<MidiOutputDevice>> devices_;
  MidiOutputDevice* open_ = nullptr;
  std::vector<Failure> whyNot_;
};

}  // namespace tangrel
