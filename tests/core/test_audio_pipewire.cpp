// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in synthesizer through a private PipeWire server: its own stream
// plays into a null sink, read back through pipewire-pulse from the sink's
// monitor; and how the outputs live through servers that restart or stall.
#include <gtest/gtest.h>

#include "devices/BuiltInSynthDevice.h"
#include "model/MidiOut.h"
#include "tests/support/AudioSupport.h"
#include "tests/support/LoudChord.h"

namespace tangrel {
namespace {

using namespace testaudio;
using Clock = std::chrono::steady_clock;

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Reports kept for the test to read.
class KeptReports : public DeviceReports {
 public:
  void Report(const Failure& failure) override {
    std::lock_guard<std::mutex> lock(mutex_);
    kinds_.push_back(failure.kind);
    details_.push_back(failure.detail);
  }
  void Tell(const DeviceNews&) override {}
  int Count(FailureKind kind) {
    std::lock_guard<std::mutex> lock(mutex_);
    return int(std::count(kinds_.begin(), kinds_.end(), kind));
  }
  // What the first report of `kind` named; empty when none came.
  std::string Detail(FailureKind kind) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto at = std::find(kinds_.begin(), kinds_.end(), kind);
    return at == kinds_.end() ? "" : details_[at - kinds_.begin()];
  }

 private:
  std::mutex mutex_;
  std::vector<FailureKind> kinds_;
  std::vector<std::string> details_;
};

// A private server with this process pointed at it, or a skip that says why.
class PipeWireTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!PrivatePipeWireServer::Available()) {
      GTEST_SKIP() << "PipeWire is not installed (pipewire, wireplumber, pipewire-pulse, "
                      "pulseaudio-utils)";
    }
    ASSERT_TRUE(server.Start()) << "the private PipeWire server did not come up";
    for (const std::string& entry : server.Env()) {
      const size_t eq = entry.find('=');
      env.push_back(std::make_unique<ScopedEnv>(entry.substr(0, eq).c_str(), entry.substr(eq + 1)));
    }
  }

  // parec on the sink's monitor into a file, once samples flow.
  pid_t StartCapture(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const pid_t pid = server.StartCapture(fd, 20, 2);
    close(fd);
    struct stat captured {};
    for (int i = 0; i < 200 && (stat(path.c_str(), &captured) != 0 || captured.st_size == 0); ++i) {
      SleepMs(50);
    }
    return captured.st_size > 0 ? pid : -1;
  }

  PrivatePipeWireServer server;
  std::vector<std::unique_ptr<ScopedEnv>> env;
  ScopedEnv driver{"TANGREL_AUDIO_DRIVER", std::nullopt};
  ScopedEnv noStart{"JACK_NO_START_SERVER", "1"};
};

TEST_F(PipeWireTest, ComesFirstSoundsMiddleCAndAChordNeverClips) {
  const std::string path = server.Dir() + "/capture.raw";
  const pid_t parec = StartCapture(path);
  ASSERT_GT(parec, 0) << "the monitor delivered nothing";
  BuiltInSynthDevice synth(kTestSoundFont);
  const bool opened = synth.Open();
  if (opened) {
    EXPECT_EQ(synth.AudioDriver(), "pipewire");
    synth.Send(ShortMessageWord(midi::kNoteOn, 0, 60, 127));
    SleepMs(1500);
    synth.Send(ShortMessageWord(midi::kNoteOff, 0, 60, 0));
    SleepMs(300);
    for (uint32_t word : LoudChordWords()) synth.Send(word);
    SleepMs(1000);
    synth.Close();
  }
  StopProcess(parec);
  ASSERT_TRUE(opened) << "no output started";

  const MiddleCThenChord heard = ReadMiddleCThenChord(ReadAll(path), PrivatePipeWireServer::kRate);
  ASSERT_TRUE(heard.onset) << "no sound reached the sink (" << heard.samples << " samples)";
  EXPECT_NEAR(Cents(heard.frequency, 261.63), 0.0, 20.0) << heard.frequency << " Hz";
  ASSERT_TRUE(heard.chord) << "the chord was not heard";
  EXPECT_EQ(heard.clipped, 0u) << "samples at full scale";
}

// A restarted server is played to again within a second of answering, and
// the player is told nothing about a gap that short.
TEST_F(PipeWireTest, AServerThatRestartsIsPlayedToAgainWithinASecond) {
  KeptReports reports;
  BuiltInSynthDevice synth(kTestSoundFont, &reports);
  ASSERT_TRUE(synth.Open());
  ASSERT_EQ(synth.AudioDriver(), "pipewire");
  ASSERT_TRUE(server.Restart());
  const auto back = Clock::now();
  while (synth.AudioDriver().empty() || synth.AudioDriver() != "pipewire") {
    ASSERT_LT(SecondsSince(back), 1.0) << "not played to again; now: " << synth.AudioDriver();
    SleepMs(20);
  }
  EXPECT_FALSE(synth.OutputLost());
  const std::string path = server.Dir() + "/capture.raw";
  const pid_t parec = StartCapture(path);
  synth.Send(ShortMessageWord(midi::kNoteOn, 0, 60, 127));
  WaitForCaptured(path, [](const std::vector<char>& bytes) {
    return bool(Onset(FromS16(bytes, 2), PrivatePipeWireServer::kRate, 0.01));
  });
  StopProcess(parec);
  synth.Close();
  EXPECT_TRUE(Onset(FromS16(ReadAll(path), 2), PrivatePipeWireServer::kRate, 0.01))
      << "nothing heard after the restart";
}

// A server gone for good: the output is said to be lost, once.
TEST_F(PipeWireTest, AServerThatStaysAwayIsReportedLostOnce) {
  KeptReports reports;
  BuiltInSynthDevice synth(kTestSoundFont, &reports);
  ASSERT_TRUE(synth.Open());
  server.Stop();
  const auto gone = Clock::now();
  while (!synth.OutputLost()) {
    ASSERT_LT(SecondsSince(gone), 3.0) << "the loss was never said";
    SleepMs(50);
  }
  SleepMs(500);
  EXPECT_EQ(reports.Count(FailureKind::SoundOutputLost), 1);
  EXPECT_EQ(reports.Detail(FailureKind::SoundOutputLost), "pipewire");  // the player reads it
  const auto closing = Clock::now();
  synth.Close();
  EXPECT_LT(SecondsSince(closing), 1.5);
}

// A frozen server holds neither the open nor the close for longer than the
// outputs' time limits, and nothing falls through to ALSA, whose pulse
// plug-in would wait on it without one.
TEST_F(PipeWireTest, AFrozenServerHoldsOpenAndCloseOnlyForTheTimeLimit) {
  KeptReports reports;
  BuiltInSynthDevice synth(kTestSoundFont, &reports);
  ASSERT_TRUE(synth.Open());
  kill(server.ServerPid(), SIGSTOP);
  auto start = Clock::now();
  synth.Close();
  EXPECT_LT(SecondsSince(start), 1.5) << "close";
  start = Clock::now();
  const bool opened = synth.Open();
  const double openSeconds = SecondsSince(start);
  kill(server.ServerPid(), SIGCONT);
  EXPECT_FALSE(opened);
  EXPECT_LT(openSeconds, 3.0) << "open";
  EXPECT_EQ(reports.Count(FailureKind::NoSoundOutput), 1);
  synth.Close();
}

}  // namespace
}  // namespace tangrel
