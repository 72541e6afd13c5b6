// The real audio path: the built-in synthesizer plays through its pulseaudio
// driver into a private PulseAudio server's null sink, and the sound is read
// back from the sink's monitor.
#include <gtest/gtest.h>

#include "engine/BuiltInSynthDevice.h"
#include "engine/MidiOut.h"
#include "tests/support/AudioSupport.h"

namespace tangrel {
namespace {

using namespace testaudio;

TEST(AudioPath, BuiltInSynthesizerSoundsMiddleCThroughPulseAudio) {
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
  const pid_t parec = server.StartCapture(captureFd, 20);
  close(captureFd);
  ASSERT_GT(parec, 0);
  // The monitor takes a moment (over a second here) before its first samples
  // arrive; sound played before then is never heard.
  struct stat captured {};
  for (int i = 0; i < 200 && (stat(capturePath.c_str(), &captured) != 0 || captured.st_size == 0); ++i) {
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
    synth.Close();
  }
  StopProcess(parec);
  ASSERT_TRUE(opened) << "the pulseaudio driver did not start";

  const std::vector<float> sound = FromS16(ReadAll(capturePath), 1);
  const double rate = PrivatePulseServer::kRate;
  const auto onset = Onset(sound, rate, 0.01);
  ASSERT_TRUE(onset) << "no sound reached the sink (" << sound.size() << " samples captured)";
  const auto pitch = EstimatePitch(sound, rate, *onset + size_t(0.15 * rate));
  EXPECT_NEAR(Cents(pitch.frequency, 261.63), 0.0, 20.0)
      << pitch.frequency << " Hz; sound from sample " << *onset << " of " << sound.size();
}

}  // namespace
}  // namespace tangrel
