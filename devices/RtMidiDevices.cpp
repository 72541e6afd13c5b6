// SPDX-License-Identifier: GPL-3.0-or-later
// RtMidi reports failures by throwing RtMidiError, from its constructors too.
// Everything RtMidi is reached through RtMidiConnection, which turns errors and
// warnings into results, so that nothing escapes into the core, and keeps what
// they said, so that nothing is printed unless an open fails.
#include "devices/RtMidiDevices.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>
#include <rtmidi/RtMidi.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "devices/LibraryMessages.h"
#include "devices/MessageCapture.h"

namespace tangrel {
namespace {

constexpr const char* kClientName = "Tangrel";
constexpr const char* kPortGone = "the port is gone";

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
// the shutdown instead. Made before RtMidi's, it first tells whether a server
// answers at all, and it lists the other clients' ports.
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

  // False when no server answered the client's opening.
  bool Answered() const { return client_ != nullptr; }
  bool ServerGone() const { return gone_; }

  // The clients that have a MIDI output port of this name, by client name.
  std::set<std::string> ClientsWithPort(const std::string& portName) const {
    std::set<std::string> clients;
    if (gone_) return clients;
    const std::string pattern = ":" + portName + "$";
    const char** ports =
        jack_get_ports(client_, pattern.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput);
    for (const char** port = ports; port && *port; ++port) {
      const std::string name = *port;
      clients.insert(name.substr(0, name.rfind(':')));
    }
    if (ports) jack_free(ports);
    return clients;
  }

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

// RtMidi's constructors report on std::cerr, before an error callback can be
// set: the ALSA one when there is no sequencer (and then throws), the JACK one
// when there is no server. So the MIDI system is asked first, without RtMidi,
// whether it answers (JACK through the watch's client); RtMidi is only made
// where it does.
bool AlsaSequencerAnswers(std::string& why) {
  snd_seq_t* sequencer = nullptr;
  const int error = snd_seq_open(&sequencer, "default", SND_SEQ_OPEN_OUTPUT, SND_SEQ_NONBLOCK);
  if (error < 0) {
    why = "no ALSA sequencer: " + ErrorText(-error);
    return false;
  }
  snd_seq_close(sequencer);
  return true;
}

class RtMidiConnection {
 public:
  // Null when the MIDI system cannot be used here, with the reason in `why`.
  static std::unique_ptr<RtMidiConnection> Create(RtMidi::Api api, std::string& why) {
    MessageCapture said;
    auto connection = std::unique_ptr<RtMidiConnection>(new RtMidiConnection);
    if (api == RtMidi::UNIX_JACK) {
      connection->watch_ = std::make_unique<JackShutdownWatch>();
      if (!connection->watch_->Answered()) why = "no JACK server is running";
    } else if (api == RtMidi::LINUX_ALSA) {
      AlsaSequencerAnswers(why);
    }
    if (!why.empty()) {
      why = WithLibraryWords(why, said);
      return nullptr;
    }
    try {
      connection->out_ = std::make_unique<RtMidiOut>(api, kClientName);
    } catch (const RtMidiError& error) {
      why = WithLibraryWords(error.getMessage(), said);
      return nullptr;
    }
    // From here on RtMidi calls the callback instead of throwing or printing.
    connection->out_->setErrorCallback(&RtMidiConnection::OnError, connection.get());
    return connection;
  }

  ~RtMidiConnection() {
    if (out_ && ServerGone()) Abandon(std::move(out_));
  }

  // The JACK clients with a virtual port of our name; none on other systems.
  std::set<std::string> VirtualPortClients() const {
    return watch_ ? watch_->ClientsWithPort(kVirtualPortName) : std::set<std::string>();
  }
  bool ServerGone() const { return watch_ && watch_->ServerGone(); }
  // False when the MIDI system has no room for the message now.
  bool Room(size_t bytes) { return !watch_ || watch_->Room(bytes + sizeof(int)); }

  // Runs one call on the output; false when RtMidi reported an error or a
  // warning during it (JACK warns when no server runs). The libraries' words
  // said during the call go with the failure.
  template <typename Call>
  bool Run(Call&& call) {
    MessageCapture said;
    failed_ = false;
    try {
      call(*out_);
    } catch (const RtMidiError& error) {
      Fail(error.getMessage());
    }
    if (failed_) why_ = WithLibraryWords(why_, said);
    return !failed_;
  }

  // What the last failed call reported.
  const std::string& Why() const { return why_; }

 private:
  RtMidiConnection() = default;

  // Called on the thread of the call that failed.
  static void OnError(RtMidiError::Type type, const std::string& text, void* self) {
    if (type != RtMidiError::DEBUG_WARNING) static_cast<RtMidiConnection*>(self)->Fail(text);
  }

  void Fail(const std::string& text) {
    failed_ = true;
    why_ = text;
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

// An RtMidi device opens its own connection on Open and drops it on Close;
// the virtual port keeps its own from the listing on.
class RtMidiDevice : public MidiOutputDevice {
 public:
  RtMidiDevice(RtMidi::Api api, std::string name, DeviceReports* reports)
      : api_(api), name_(std::move(name)), reports_(reports) {}

  std::string Name() const override { return name_; }

  // A port that cannot be opened says why through the reports, once per try,
  // and to the one who opened it through WhyNotOpened.
  bool Open() override {
    whyNot_.clear();
    std::string why;
    if (!Connected(why)) {
      whyNot_ = {Fail(FailureKind::DeviceUnavailable, name_, why == kPortGone ? ENOENT : 0, why)};
      if (reports_) reports_->Report(whyNot_.front());
      return false;
    }
    open_ = true;
    return true;
  }

  std::vector<Failure> WhyNotOpened() const override { return whyNot_; }

  void Send(uint32_t word) override {
    if (!open_ || !connection_ || connection_->ServerGone()) return;
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
    open_ = false;
    if (KeepsPort() && connection_ && !connection_->ServerGone()) return;
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
  // True with a connection whose port is open; else false with why in `why`.
  bool Connected(std::string& why) {
    if (connection_ && connection_->ServerGone()) connection_.reset();  // a new server: anew
    if (connection_) return true;
    connection_ = RtMidiConnection::Create(api_, why);
    if (connection_ && !Connect(*connection_)) {
      why = connection_->Why().empty() ? kPortGone : connection_->Why();
      connection_.reset();
    }
    return connection_ != nullptr;
  }

  virtual bool Connect(RtMidiConnection& connection) = 0;
  // The port stays open, with the connections other programs made to it,
  // while the output is closed.
  virtual bool KeepsPort() const { return false; }
  const std::string& PortName() const { return name_; }
  void Rename(std::string name) { name_ = std::move(name); }

 private:
  RtMidi::Api api_;
  std::string name_;
  DeviceReports* reports_;
  std::unique_ptr<RtMidiConnection> connection_;
  bool open_ = false;
  int dropped_ = 0;
  std::vector<Failure> whyNot_;
};

// Other programs connect to it, so it is there from the listing on, and
// Close only stops its notes: their connections stay. It goes with the
// program, or with a JACK server that goes away (Open then makes it anew).
class VirtualPortDevice : public RtMidiDevice {
 public:
  VirtualPortDevice(RtMidi::Api api, DeviceReports* reports)
      : RtMidiDevice(api, kVirtualPortName, reports) {
    std::string why;  // said when the player opens it
    Connected(why);
  }

 protected:
  // A JACK server names a second client "Tangrel" as "Tangrel-01": the port
  // goes by the name its client got.
  bool Connect(RtMidiConnection& connection) override {
    const std::set<std::string> before = connection.VirtualPortClients();
    if (!connection.Run([](RtMidiOut& out) { out.openVirtualPort(kVirtualPortName); })) {
      return false;
    }
    std::set<std::string> added;
    for (const std::string& client : connection.VirtualPortClients()) {
      if (!before.count(client)) added.insert(client);
    }
    if (added.size() == 1) Rename(*added.begin());
    return true;
  }
  bool KeepsPort() const override { return true; }
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
