// SPDX-License-Identifier: GPL-3.0-or-later
// Failures that say why: each keeps the cause its own attempt gave, and the
// window's box says it in the catalogue's words.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>
#include <tuple>

#include "SessionRig.h"
#include "devices/BuiltInSynthDevice.h"
#include "devices/LibraryMessages.h"
#include "tests/support/AudioSupport.h"
#include "tests/support/TempDir.h"

namespace tangrel {
namespace {

using namespace testaudio;
using tangrel::testing::ScriptedScreen;
using tangrel::testing::TempDir;

// alsa-lib and libjack speak through hooks of the whole process: two outputs
// failing at once on two threads each keep what was said on their own.
TEST(DeviceFailures, TwoThreadsFailingAtOnceKeepTheirOwnCauses) {
  ScopedEnv server("JACK_DEFAULT_SERVER", "tangrel-none-" + std::to_string(getpid()));
  ScopedEnv noStart("JACK_NO_START_SERVER", "1");
  KeepLibraryMessages();
  // One synth each, made before the threads start, as the program makes one.
  auto alsaEngine = SynthEngine::Create(kTestSoundFont, kBuiltInSynthSampleRate);
  auto jackEngine = SynthEngine::Create(kTestSoundFont, kBuiltInSynthSampleRate);
  ASSERT_TRUE(alsaEngine && jackEngine);
  const auto failAgainAndAgain = [](const char* driver, SynthEngine* engine,
                                    std::vector<Failure>& failures) {
    for (int i = 0; i < 20; ++i) {
      OutputRequest request;
      request.driver = driver;
      request.engine = engine;
      request.periodSize = 320;
      request.periods = 3;
      Failure failure;
      EXPECT_FALSE(StartFluidDriver(request, failure));
      failures.push_back(failure);
    }
  };
  std::vector<Failure> alsa, jack;
  std::thread alsaThread(failAgainAndAgain, "alsa", alsaEngine.get(), std::ref(alsa));
  std::thread jackThread(failAgainAndAgain, "jack", jackEngine.get(), std::ref(jack));
  alsaThread.join();
  jackThread.join();
  for (const auto& [failures, own, other] :
       {std::tuple{&alsa, "ALSA: ", "JACK: "}, std::tuple{&jack, "JACK: ", "ALSA: "}}) {
    for (const Failure& failure : *failures) {
      EXPECT_NE(failure.cause.find(own), std::string::npos) << failure.cause;
      EXPECT_EQ(failure.cause.find(other), std::string::npos) << failure.cause;
    }
  }
}

// Under "Cannot open MIDI device" the box says what was tried and why, in the
// catalogue's words; the SoundFont that loads is TimGM6mb.
TEST(DeviceFailures, TheBoxSaysWhyTheOutputDidNotOpen) {
  TempDir dir{"tangrel-device-failures"};
  std::ofstream(dir.File("notes.sf2")) << "RIFF but not really a SoundFont";
  const std::string missing = dir.File("missing.sf2");
  const struct {
    std::string soundFont;
    const char* driver;
    std::string cause;
  } cases[] = {
      {missing, "file", "The SoundFont " + missing + " does not exist."},
      {dir.File("notes.sf2"), "file",
       "The file " + dir.File("notes.sf2") + " is not a SoundFont that can be read."},
      {kTestSoundFont, "nosuch",
       "TANGREL_AUDIO_DRIVER names the sound output \"nosuch\", which does not exist; the "
       "outputs are pipewire, pulseaudio, alsa, jack, oss, file."},
  };
  for (const auto& c : cases) {
    ScopedEnv driver("TANGREL_AUDIO_DRIVER", c.driver);
    ScopedEnv file("TANGREL_AUDIO_FILE", dir.File("out.wav"));
    DeviceSet devices;
    devices.Add(std::make_unique<BuiltInSynthDevice>(c.soundFont));
    ScriptedScreen screen;
    Session session(devices, screen, nullptr, 8, 16);
    session.SetJournalFolder(dir.Path());
    ASSERT_TRUE(session.Create(""));
    ASSERT_EQ(screen.boxes.size(), 1u);
    EXPECT_EQ(screen.boxes[0].text, "Cannot open MIDI device\n" + c.cause);
  }
}

}  // namespace
}  // namespace tangrel
