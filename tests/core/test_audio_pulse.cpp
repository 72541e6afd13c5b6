// SPDX-License-Identifier: GPL-3.0-or-later
// The real audio path: the built-in synthesizer plays through its own
// PulseAudio stream into a private server's null sink, and the sound is read
// back from the sink's monitor; and how that stream's buffer adapts.
#include <gtest/gtest.h>

#include "devices/BufferPlan.h"
#include "devices/BuiltInSynthDevice.h"
#include "model/MidiOut.h"
#include "tests/support/AudioSupport.h"
#include "tests/support/LoudChord.h"

namespace tangrel {
namespace {

using namespace testaudio;

TEST(AudioPath, BuiltInSynthesizerSoundsMiddleCThroughPulseAudioAndNeverClips) {
  if (!OnPath("pulseaudio")) GTEST_SKIP() << "pulseaudio is not installed";
  ASSERT_TRUE(OnPath("parec")) << "parec (pulseaudio-utils) is needed to capture";
  PrivatePulseServer server;
  ASSERT_TRUE(server.Start()) << "the private PulseAudio server did not answer";
  ScopedEnv pulseServer("PULSE_SERVER", server.Address());
  ScopedEnv driver("TANGREL_AUDIO_DRIVER", "pulseaudio");

  const std::string capturePath = server.Dir() + "/capture.raw";
  const int captureFd = open(capturePath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  ASSERT_GE(captureFd, 0);
  // Small capture fragments, so that what was heard is on disk when parec stops.
  const pid_t parec = server.StartCapture(captureFd, 20, 2);
  close(captureFd);
  ASSERT_GT(parec, 0);
  // The monitor takes a moment (over a second here) before its first samples
  // arrive; sound played before then is never heard.
  struct stat captured {};
  for (int i = 0; i < 200 && (stat(capturePath.c_str(), &captured) != 0 || captured.st_size == 0);
       ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_GT(captured.st_size, 0) << "the monitor delivered nothing";

  BuiltInSynthDevice synth(kTestSoundFont);
  const bool opened = synth.Open();
  if (opened) {
    EXPECT_EQ(synth.AudioDriver(), "pulseaudio");
    synth.Send(ShortMessageWord(midi::kNoteOn, 0, 60, 127));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    synth.Send(ShortMessageWord(midi::kNoteOff, 0, 60, 0));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (uint32_t word : LoudChordWords()) synth.Send(word);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    synth.Close();
  }
  StopProcess(parec);
  ASSERT_TRUE(opened) << "the pulseaudio output did not start";

  const MiddleCThenChord heard =
      ReadMiddleCThenChord(ReadAll(capturePath), PrivatePulseServer::kRate);
  ASSERT_TRUE(heard.onset) << "no sound reached the sink (" << heard.samples
                           << " samples captured)";
  EXPECT_NEAR(Cents(heard.frequency, 261.63), 0.0, 20.0)
      << heard.frequency << " Hz; sound from sample " << *heard.onset << " of " << heard.samples;
  ASSERT_TRUE(heard.chord) << "the chord was not heard";
  EXPECT_EQ(heard.clipped, 0u) << "samples at full scale";
}

// A restarted server is played to again within a second of answering; a
// frozen one holds the close no longer than the time limit.
TEST(AudioPath, APulseAudioServerThatRestartsIsPlayedToAgainAndAFrozenOneHoldsNothing) {
  if (!PrivatePulseServer::Available()) GTEST_SKIP() << "pulseaudio is not installed";
  PrivatePulseServer server;
  ASSERT_TRUE(server.Start()) << "the private PulseAudio server did not answer";
  ScopedEnv pulseServer("PULSE_SERVER", server.Address());
  ScopedEnv driver("TANGREL_AUDIO_DRIVER", "pulseaudio");
  BuiltInSynthDevice synth(kTestSoundFont);
  ASSERT_TRUE(synth.Open());
  ASSERT_TRUE(server.Restart());
  const auto back = std::chrono::steady_clock::now();
  while (synth.AudioDriver() != "pulseaudio") {
    ASSERT_LT(SecondsSince(back), 1.0) << "not played to again";
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  const std::string path = server.Dir() + "/capture.raw";
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const pid_t parec = server.StartCapture(fd, 20, 2);
  close(fd);
  // Sound played before the monitor's first samples is never heard.
  EXPECT_TRUE(WaitForCaptured(path, [](const std::vector<char>& bytes) { return !bytes.empty(); }));
  synth.Send(ShortMessageWord(midi::kNoteOn, 0, 60, 127));
  WaitForCaptured(path, [](const std::vector<char>& bytes) {
    return bool(Onset(FromS16(bytes, 2), PrivatePulseServer::kRate, 0.01));
  });
  StopProcess(parec);
  EXPECT_TRUE(Onset(FromS16(ReadAll(path), 2), PrivatePulseServer::kRate, 0.01))
      << "nothing heard after the restart";
  kill(server.Pid(), SIGSTOP);
  const auto closing = std::chrono::steady_clock::now();
  synth.Close();
  const double closeSeconds = SecondsSince(closing);
  const auto opening = std::chrono::steady_clock::now();
  EXPECT_FALSE(synth.Open());
  const double openSeconds = SecondsSince(opening);
  kill(server.Pid(), SIGCONT);
  EXPECT_LT(closeSeconds, 1.5);
  EXPECT_LT(openSeconds, 1.5);
}

TEST(PulseBuffer, GrowsAfterAnUnderflowUpToItsBoundAndShrinksAfterAQuietMinute) {
  BufferPlan plan(3, 5);
  EXPECT_TRUE(plan.Underflow(10.0));
  EXPECT_FALSE(plan.Underflow(10.1)) << "reports of the same stall grow it once";
  EXPECT_TRUE(plan.Underflow(11.0));
  EXPECT_FALSE(plan.Underflow(12.0)) << "the bound";
  EXPECT_EQ(plan.Periods(), 5);
  EXPECT_FALSE(plan.Settled(21.0));
  EXPECT_TRUE(plan.Settled(22.5)) << "said once, when it has held";
  EXPECT_FALSE(plan.Settled(30.0));

  EXPECT_FALSE(plan.Tick(60.0));
  EXPECT_TRUE(plan.Tick(72.5));
  EXPECT_EQ(plan.Periods(), 4);
  // That shrink underflowed: back up, and the next try waits twice as long.
  EXPECT_TRUE(plan.Underflow(80.0));
  EXPECT_FALSE(plan.Tick(190.0));
  EXPECT_TRUE(plan.Tick(200.5));
  EXPECT_EQ(plan.Periods(), 4);
}

TEST(PipeWireBuffer, DoublesAndHalvesAsTheGraphsQuantumDoes) {
  BufferPlan plan(1, 15, BufferPlan::Step::kDouble);
  for (double now : {1.0, 2.0, 3.0}) EXPECT_TRUE(plan.Underflow(now));
  EXPECT_EQ(plan.Periods(), 8);
  EXPECT_FALSE(plan.Underflow(4.0)) << "16 periods pass the bound";
  EXPECT_TRUE(plan.Tick(64.5));
  EXPECT_EQ(plan.Periods(), 4);
}

}  // namespace
}  // namespace tangrel
