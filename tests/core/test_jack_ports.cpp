// SPDX-License-Identifier: GPL-3.0-or-later
// The RtMidi devices against a private JACK server on the dummy driver: the
// "Tangrel" virtual port other programs see, another program's port, and a
// server that goes away under open devices.
#include <gtest/gtest.h>

#include <filesystem>

#include <cstdio>
#include <future>

#include "devices/BuiltInSynthDevice.h"
#include "devices/SystemDevices.h"
#include "model/MidiOut.h"
#include "devices/RtMidiDevices.h"
#include "tests/support/AudioSupport.h"
#include "tests/support/TempDir.h"

namespace tangrel {
namespace {

using namespace testaudio;
using tangrel::testing::TempDir;
using Clock = std::chrono::steady_clock;

// What is sent, and the bytes that must arrive for it: program change carries
// one data byte, so its unused high byte must not go out.
struct Message {
  uint32_t word;
  const char* bytes;
};
const Message kMessages[] = {
    {ShortMessageWord(midi::kNoteOn, 0, 60, 127), "90 3c 7f"},
    {ShortMessageWord(midi::kProgramChange, 9, 5, 0x7f), "c9 05"},
    {ShortMessageWord(midi::kPitchBend, 2, 0x00, 0x40), "e2 00 40"},
    {ShortMessageWord(midi::kControlChange, 15, midi::kAllNotesOffController, 0), "bf 7b 00"},
    {ShortMessageWord(midi::kNoteOff, 0, 60, 0), "80 3c 00"},
};

std::vector<std::string> ExpectedBytes() {
  std::vector<std::string> bytes;
  for (const Message& m : kMessages) bytes.push_back(m.bytes);
  return bytes;
}

std::optional<int32_t> FindDevice(const DeviceSet& devices, const std::string& name) {
  for (int32_t i = 0; i < devices.DeviceCount(); ++i) {
    if (devices.DeviceName(i) == name) return i;
  }
  return std::nullopt;
}

void SendAll(MidiDevices& devices) {
  for (const Message& m : kMessages) devices.ShortMessage(m.word);
}

std::string ReadText(const std::string& path) {
  const std::vector<char> bytes = ReadAll(path);
  return std::string(bytes.begin(), bytes.end());
}

struct KeptDeviceReports : DeviceReports {
  void Report(const Failure& failure) override { failures.push_back(failure); }
  void Tell(const DeviceNews&) override {}
  std::vector<Failure> failures;
};

class JackPorts : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PrivateJackServer::Available()) << "install jackd2 (scripts/install-deps.sh)";
    ASSERT_TRUE(std::filesystem::is_regular_file(DefaultSoundFontPath())) << "install a GM SoundFont";
    ASSERT_TRUE(server_.Start(kServerName, dir_.File("jackd.log")))
        << "jackd did not come up:\n" << ReadText(dir_.File("jackd.log"));
  }

  // jack_midi_dump into a file of the test's folder, its port up.
  ScopedProcess StartDump() {
    const int fd = open(dir_.File("dump.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ScopedProcess dump = server_.StartMidiDump(fd);
    close(fd);
    EXPECT_TRUE(server_.WaitForPort(PrivateJackServer::kMidiDumpPort));
    return dump;
  }

  // The messages the dump has printed, once there are `count` of them or 5 s
  // have passed.
  std::vector<std::string> Dumped(size_t count) {
    std::vector<std::string> messages;
    for (int waited = 0; waited < 5000 && messages.size() < count; waited += 20) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      messages = MidiDumpMessages(ReadText(dir_.File("dump.txt")));
    }
    return messages;
  }

  const std::string kServerName = "tangrel-test-" + std::to_string(getpid());
  TempDir dir_{"tangrel-jack"};
  ScopedEnv serverName_{"JACK_DEFAULT_SERVER", kServerName};
  ScopedEnv noStart_{"JACK_NO_START_SERVER", "1"};
  ScopedEnv soundFont_{"TANGREL_SOUNDFONT", std::nullopt};
  PrivateJackServer server_;  // stopped first, while the environment still names it
};

// Sends to a frozen server are dropped and counted, never waited on; they
// are said, with their count, when the port closes.
TEST_F(JackPorts, AFrozenServerHasItsMessagesDroppedAndCountedNotWaitedOn) {
  KeptDeviceReports reports;
  auto devices = MakeSystemDevices(&reports);
  const auto port = FindDevice(*devices, kVirtualPortName);
  ASSERT_TRUE(port);
  ASSERT_TRUE(devices->Open(*port));
  kill(server_.Pid(), SIGSTOP);
  const auto start = Clock::now();
  for (int i = 0; i < 3000; ++i) SendAll(*devices);  // 105 KB
  const double sending = SecondsSince(start);
  kill(server_.Pid(), SIGCONT);
  EXPECT_LT(sending, 1.0);
  devices->Close();
  ASSERT_EQ(reports.failures.size(), 1u);
  EXPECT_EQ(reports.failures[0].kind, FailureKind::MessagesDropped);
  EXPECT_GT(reports.failures[0].error, 10000);
}

// Far more than RtMidi's 16 KB JACK buffer holds, which nothing drains once
// the server has gone. A send that waited for room there would hang the test
// binary: it is ended, as a failure, instead.
void SendPastTheBuffer(MidiDevices& devices) {
  auto sending = std::async(std::launch::async, [&devices] {
    for (int i = 0; i < 3000; ++i) SendAll(devices);
  });
  if (sending.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
    std::fprintf(stderr, "Sending through a device whose JACK server has gone hangs\n");
    std::_Exit(1);
  }
}

// The virtual port is there from the listing on, as other programs expect,
// under the name its client got; Close stops its notes but keeps the
// connections other programs made to it.
TEST_F(JackPorts, VirtualPortKeepsItsConnectionsAcrossCloseAndASecondOneShowsItsName) {
  const auto before = server_.Ports();
  auto devices = MakeSystemDevices();
  ASSERT_GE(devices->DeviceCount(), 2);
  EXPECT_EQ(devices->DeviceName(0), "Built-in synthesizer");
  ASSERT_EQ(devices->DeviceName(1), kVirtualPortName);
  std::vector<std::string> added;
  for (const auto& [port, attributes] : server_.Ports()) {
    if (!before.count(port)) added.push_back(port + "\n" + attributes);
  }
  ASSERT_EQ(added.size(), 1u) << ::testing::PrintToString(added);
  const std::string port = "Tangrel:Tangrel";
  EXPECT_EQ(added[0].rfind(port + "\n", 0), 0u) << added[0];
  EXPECT_NE(added[0].find("output"), std::string::npos) << added[0];
  EXPECT_NE(added[0].find("midi"), std::string::npos) << added[0];

  ScopedProcess dump = StartDump();
  ASSERT_TRUE(server_.Connect(port, PrivateJackServer::kMidiDumpPort));
  ASSERT_TRUE(devices->Open(1));
  devices->Close();
  ASSERT_TRUE(devices->Open(1));
  SendAll(*devices);
  EXPECT_EQ(Dumped(std::size(kMessages)), ExpectedBytes()) << "the connection did not hold";
  devices->Close();
  EXPECT_EQ(server_.Ports().count(port), 1u);

  auto second = MakeSystemDevices();
  EXPECT_EQ(second->DeviceName(1), "Tangrel-01");  // the status line's name
  EXPECT_EQ(ListMidiOutDevices(*second)[1].name, "Tangrel-01");  // the Device menu's
  EXPECT_EQ(server_.Ports().count("Tangrel-01:Tangrel"), 1u);
}

TEST_F(JackPorts, AnotherProgramsPortIsADeviceThatReceives) {
  ScopedProcess dump = StartDump();
  auto devices = MakeSystemDevices();
  const auto index = FindDevice(*devices, PrivateJackServer::kMidiDumpPort);
  ASSERT_TRUE(index) << "not among " << devices->DeviceCount() << " devices";
  EXPECT_GT(*index, 1) << "ports come after the synthesizer and the virtual port";
  ASSERT_TRUE(devices->Open(*index));
  SendAll(*devices);
  EXPECT_EQ(Dumped(std::size(kMessages)), ExpectedBytes());
  devices->Close();
}

TEST_F(JackPorts, ServerThatGoesAwayLeavesTheDevicesHarmless) {
  ScopedProcess dump = StartDump();
  auto virtualSet = MakeSystemDevices();
  auto portSet = MakeSystemDevices();
  auto unopened = MakeSystemDevices();
  const auto port = FindDevice(*portSet, PrivateJackServer::kMidiDumpPort);
  ASSERT_TRUE(port);
  ASSERT_TRUE(virtualSet->Open(1));
  ASSERT_TRUE(portSet->Open(*port));
  dump.Stop();
  server_.Stop();
  // Clients hear of the shutdown on their own threads.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));

  SendPastTheBuffer(*virtualSet);
  SendPastTheBuffer(*portSet);

  auto start = Clock::now();
  std::unique_ptr<DeviceSet> again;
  EXPECT_NO_THROW(again = MakeSystemDevices());
  EXPECT_LT(SecondsSince(start), 4.0);
  ASSERT_TRUE(again);
  EXPECT_FALSE(FindDevice(*again, PrivateJackServer::kMidiDumpPort)) << "the gone server's port";

  // Devices listed while the server ran fail to open, as a result; those
  // still open close and go.
  start = Clock::now();
  EXPECT_FALSE(unopened->Open(1));
  EXPECT_FALSE(unopened->Open(*port));
  virtualSet->Close();
  portSet->Close();
  virtualSet.reset();
  portSet.reset();
  EXPECT_LT(SecondsSince(start), 4.0);
}

}  // namespace
}  // namespace tangrel
