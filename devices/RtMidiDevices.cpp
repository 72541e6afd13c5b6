// SPDX-License-Identifier: GPL-3.0-or-later
// RtMidi reports failures by throwing RtMidiError, from its constructors too.
// Everything RtMidi is reached through RtMidiConnection, which turns errors and
// warnings into results, so that nothing escapes into the core, and keeps what
// they said, so that nothing is printed unless an open fails.
#include "devices/RtMidiDevices.h"

#include <jack/jack.h>
#include <rtmidi/RtMidi.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "devices/LibraryMessages.h"

namespace tangrel {
namespace {

constexpr const char* kClientName = "Tangrel";

// The MIDI systems on which RtMidi can open a virtual output port.
constexpr std::array<RtMidi::Api, 3> kVirtualPortApis = {
    RtMidi::LINUX_ALSA, RtMidi::UNIX_JACK, RtMidi::MACOSX_CORE};

bool OffersVirtualPorts(RtMidi::Api api) {
  for (RtMidi::Api a : kVirtualPortApis) {
    if (a == api) return true;
  }
  return false;
}

// RtMidi's JACK output never learns that its server has gone. Its sends then
// wait without end for room in a buffer that nothing drains any more, and
// libjack frees its client as soon as this process opens another one, which
// RtMidi would close again later. A client of our own, without ports, hears
// the shutdown instead.
//
// It also counts the server's cycles. RtMidi's JACK send waits, spinning, for
// room in a 16 KB buffer that its client drains once a cycle; a server that
// stalls runs no cycles, and the send would spin until it resumes. Messages
// beyond half that buffer within one cycle are dropped instead.
class JackShutdownWatch {
 public:
  static constexpr size_t kBytesPerCycle = 16 * 1024 / 2;

  JackShutdownWatch() : client_(jack_client_open("Tangrel-watch", JackNoStartServer, nullptr)) {
    if (client_) {
      jack_on_shutdown(client_, &JackShutdownWatch::OnShutdown, this);
      jack_set_process_callback(client_, &JackShutdownWatch::OnCycle, this);
      jack_activate(client_);
    } else {
      gone_ = true;
    }
  }
  // After a shutdown the client is left alone: libjack may have freed it.
  ~JackShutdownWatch() {
    if (!gone_) jack_client_close(client_);
  }
  JackShutdownWatch(const JackShutdownWatch&) = delete;
  JackShutdownWatch& operator=(const JackShutdownWatch&) = delete;

  bool ServerGone() const { return gone_; }

  // True when a message of `bytes` fits in what this cycle may carry.
  bool Room(size_t bytes) {
    const uint64_t cycles = cycles_.load(std::memory_order_acquire);
    if (cycles != cycleSeen_) {
      cycleSeen_ = cycles;
      pending_ = 0;
    }
    if (pending_ + bytes > kBytesPerCycle) return false;
    pending_ += bytes;
    return true;
  }

 private:
  static void OnShutdown(void* self) { static_cast<JackShutdownWatch*>(self)->gone_ = true; }
  static int OnCycle(jack_nframes_t, void* self) {
    static_cast<JackShutdownWatch*>(self)->cycles_.fetch_add(1, std::memory_order_release);
    return 0;
  }

  jack_client_t* client_;
  std::atomic<bool> gone_{false};
  std::atomic<uint64_t> cycles_{0};
  uint64_t cycleSeen_ = 0;  // the sending thread's
  size_t pending_ = 0;
};

// Outputs whose JACK server has gone are kept here, never destroyed: RtMidi's
// destructor would close a client that libjack may already have freed.
void Abandon(std::unique_ptr<RtMidiOut> out) {
  static std::mutex mutex;
  static auto* const abandoned = new std::vector<std::unique_ptr<RtMidiOut>>;
  std::lock_guard<std::mutex> lock(mutex);
  abandoned->push_back(std::move(out));
}

// A summary followed by what the libraries said meanwhile.
std::string Reason(const std::string& summary) {
  const std::string said = TakeLibraryMessages();
  return said.empty() ? summary : summary + " (" + said + ")";
}

// RtMidi's constructors report on std::cerr, before an error callback can be
// set: the ALSA one when there is no sequencer (and then throws), the JACK one
// when there is no server. What they write is caught here instead. Nothing
// else in Tangrel writes on std::cerr, from any thread.
class CerrCatch {
 public:
  CerrCatch() : saved_(std::cerr.rdbuf(caught_.rdbuf())) {}
  ~CerrCatch() { std::cerr.rdbuf(saved_); }
  CerrCatch(const CerrCatch&) = delete;
  CerrCatch& operator=(const CerrCatch&) = delete;

  // RtMidi frames each report in blank lines.
  std::string Text() const {
    std::string text = caught_.str();
    const size_t first = text.find_first_not_of('\n');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of('\n') - first + 1);
  }

 private:
  std::ostringstream caught_;
  std::streambuf* saved_;
};

class RtMidiConnection {
 public:
  // Null when the MIDI system cannot be used here, with the reason in `why`.
  static std::unique_ptr<RtMidiConnection> Create(RtMidi::Api api, std::string& why) {
    TakeLibraryMessages();  // older messages say nothing about this attempt
    auto connection = std::unique_ptr<RtMidiConnection>(new RtMidiConnection);
    CerrCatch reported;
    try {
      connection->out_ = std::make_unique<RtMidiOut>(api, kClientName);
    } catch (const RtMidiError& error) {
      why = Reason(error.getMessage());
      return nullptr;
    }
    // A warning leaves an output that can do nothing (JACK without a server).
    if (!reported.Text().empty()) {
      why = Reason(reported.Text());
      return nullptr;
    }
    // From here on RtMidi calls the callback instead of throwing.
    connection->out_->setErrorCallback(&RtMidiConnection::OnError, connection.get());
    return connection;
  }

  ~RtMidiConnection() {
    if (ServerGone()) Abandon(std::move(out_));
  }

  // From an opened port on: learn when a JACK server shuts down.
  void WatchServer() {
    if (out_->getCurrentApi() == RtMidi::UNIX_JACK) watch_ = std::make_unique<JackShutdownWatch>();
  }
  bool ServerGone() const { return watch_ && watch_->ServerGone(); }
  // False when the MIDI system has no room for the message now.
  bool Room(size_t bytes) { return !watch_ || watch_->Room(bytes + sizeof(int)); }

  // Runs one call on the output; false when RtMidi reported an error or a
  // warning during it (JACK warns when no server runs).
  template <typename Call>
  bool Run(Call&& call) {
    failed_ = false;
    try {
      call(*out_);
    } catch (const RtMidiError& error) {
      Fail(error.getMessage());
    }
    return !failed_;
  }

  // What the last failed call reported.
  const std::string& Why() const { return why_; }

 private:
  RtMidiConnection() = default;

  static void OnError(RtMidiError::Type type, const std::string& text, void* self) {
    if (type != RtMidiError::DEBUG_WARNING) static_cast<RtMidiConnection*>(self)->Fail(text);
  }

  void Fail(const std::string& text) {
    failed_ = true;
    why_ = Reason(text);
  }

  std::unique_ptr<RtMidiOut> out_;
  std::unique_ptr<JackShutdownWatch> watch_;
  bool failed_ = false;
  std::string why_;
};

// Bytes of a channel message by status nibble 0x8..0xE: program change and
// channel pressure carry one data byte, the others two.
int MessageLength(uint32_t status) {
  constexpr std::array<int, 7> kLengths = {3, 3, 3, 3, 2, 2, 3};
  return (status >= 0x80 && status < 0xF0) ? kLengths[(status >> 4) - 8] : 0;
}

// An RtMidi device opens its own connection on Open and drops it on Close.
class RtMidiDevice : public MidiOutputDevice {
 public:
  RtMidiDevice(RtMidi::Api api, std::string name, DeviceReports* reports)
      : api_(api), name_(std::move(name)), reports_(reports) {}

  std::string Name() const override { return name_; }

  // A port that cannot be opened says why through the reports, once per try;
  // the window only says that it could not.
  bool Open() override {
    std::string why;
    connection_ = RtMidiConnection::Create(api_, why);
    if (connection_ && !Connect(*connection_)) {
      why = connection_->Why().empty() ? "the port is gone" : connection_->Why();
      connection_.reset();
    }
    if (!connection_) {
      if (reports_) reports_->Report(Fail(FailureKind::DeviceUnavailable, name_, 0, why));
      return false;
    }
    connection_->WatchServer();
    return true;
  }

  void Send(uint32_t word) override {
    if (!connection_ || connection_->ServerGone()) return;
    const unsigned char bytes[3] = {static_cast<unsigned char>(word & 0xFF),
                                    static_cast<unsigned char>((word >> 8) & 0xFF),
                                    static_cast<unsigned char>((word >> 16) & 0xFF)};
    const int length = MessageLength(bytes[0]);
    if (length == 0) return;
    if (!connection_->Room(static_cast<size_t>(length))) {
      ++dropped_;
      return;
    }
    SayDropped();
    connection_->Run([&](RtMidiOut& out) { out.sendMessage(bytes, static_cast<size_t>(length)); });
  }

  void Close() override {
    SayDropped();
    if (connection_ && !connection_->ServerGone()) {
      connection_->Run([](RtMidiOut& out) { out.closePort(); });
    }
    connection_.reset();
  }

  // Messages dropped while the port was stalled, said once it takes them
  // again or closes.
  void SayDropped() {
    if (dropped_ == 0) return;
    if (reports_) reports_->Report(Fail(FailureKind::MessagesDropped, name_, dropped_));
    dropped_ = 0;
  }

 protected:
  virtual bool Connect(RtMidiConnection& connection) = 0;
  const std::string& PortName() const { return name_; }

 private:
  RtMidi::Api api_;
  std::string name_;
  DeviceReports* reports_;
  std::unique_ptr<RtMidiConnection> connection_;
  int dropped_ = 0;
};

class VirtualPortDevice : public RtMidiDevice {
 public:
  VirtualPortDevice(RtMidi::Api api, DeviceReports* reports)
      : RtMidiDevice(api, kVirtualPortName, reports) {}

 protected:
  bool Connect(RtMidiConnection& connection) override {
    return connection.Run([](RtMidiOut& out) { out.openVirtualPort(kVirtualPortName); });
  }
};

class OutputPortDevice : public RtMidiDevice {
 public:
  OutputPortDevice(RtMidi::Api api, std::string portName, DeviceReports* reports)
      : RtMidiDevice(api, std::move(portName), reports) {}

 protected:
  // Ports come and go between listing and opening: the port is found again by
  // its name, not by its old number.
  bool Connect(RtMidiConnection& connection) override {
    bool found = false;
    const bool opened = connection.Run([&](RtMidiOut& out) {
      const unsigned count = out.getPortCount();
      for (unsigned i = 0; i < count && !found; ++i) {
        if (out.getPortName(i) != PortName()) continue;
        found = true;
        out.openPort(i, kClientName);
      }
    });
    return found && opened;
  }
};

// The first compiled MIDI system that answers, with its output port names.
struct MidiSystem {
  RtMidi::Api api = RtMidi::UNSPECIFIED;
  std::vector<std::string> portNames;
};

std::optional<MidiSystem> FindMidiSystem() {
  std::vector<RtMidi::Api> apis;
  RtMidi::getCompiledApi(apis);
  for (RtMidi::Api api : apis) {
    if (api == RtMidi::RTMIDI_DUMMY) continue;
    std::string why;  // a missing system is no failure while listing
    auto connection = RtMidiConnection::Create(api, why);
    if (!connection) continue;
    MidiSystem system{api, {}};
    const bool answered = connection->Run([&](RtMidiOut& out) {
      const unsigned count = out.getPortCount();
      for (unsigned i = 0; i < count; ++i) system.portNames.push_back(out.getPortName(i));
    });
    if (answered) return system;
  }
  return std::nullopt;
}

}  // namespace

std::vector<std::unique_ptr<MidiOutputDevice>> MakeRtMidiDevices(DeviceReports* reports) {
  KeepLibraryMessages();
  // A JACK client must never start a server of its own while listing.
  setenv("JACK_NO_START_SERVER", "1", 0);
  std::vector<std::unique_ptr<MidiOutputDevice>> devices;
  const std::optional<MidiSystem> system = FindMidiSystem();
  if (!system) return devices;
  if (OffersVirtualPorts(system->api)) {
    devices.push_back(std::make_unique<VirtualPortDevice>(system->api, reports));
  }
  for (const std::string& name : system->portNames) {
    devices.push_back(std::make_unique<OutputPortDevice>(system->api, name, reports));
  }
  return devices;
}

}  // namespace tangrel
