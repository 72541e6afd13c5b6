// SPDX-License-Identifier: GPL-3.0-or-later
// The devices of this machine: which ones count, in which order, and how the
// built-in synthesizer opens, plays and fails.
#include <gtest/gtest.h>

#include <filesystem>

#include "devices/BuiltInSynthDevice.h"
#include "devices/SystemDevices.h"
#include "model/MidiOut.h"
#include "devices/RtMidiDevices.h"
#include "session/DeviceMessages.h"
#include "tests/support/AudioSupport.h"
#include "tests/support/LoudChord.h"
#include "tests/support/TempDir.h"

namespace tangrel {
namespace {

using namespace testaudio;
using tangrel::testing::TempDir;
using Clock = std::chrono::steady_clock;

// A folder of its own for one test, removed at the end.

TEST(SystemDevices, BuiltInSynthesizerComesFirstAndThereIsNoMapper) {
  ScopedEnv soundFont("TANGREL_SOUNDFONT", std::nullopt);
  ASSERT_TRUE(std::filesystem::is_regular_file(DefaultSoundFontPath())) << "install a GM SoundFont";
  auto devices = MakeSystemDevices();
  ASSERT_GE(devices->DeviceCount(), 1);
  EXPECT_EQ(devices->DeviceName(0), "Built-in synthesizer");
  EXPECT_EQ(devices->DeviceName(-1), std::nullopt);
  EXPECT_EQ(devices->DeviceName(devices->DeviceCount()), std::nullopt);

  const auto menu = ListMidiOutDevices(*devices);
  ASSERT_FALSE(menu.empty());
  EXPECT_EQ(SessionSettings{}.deviceId, 0) << "the first device is the one opened";
  EXPECT_EQ(menu.front().name, "Built-in synthesizer");
}

// The device stays in the list so the player can pick another one; its open
// fails with one line that names the file.
TEST(SystemDevices, AnUnloadableSoundFontKeepsTheSynthesizerListedAndItsOpenSaysWhy) {
  TempDir dir;
  std::ofstream(dir.File("notes.sf2")) << "RIFF but not really a SoundFont";
  ScopedEnv driver("TANGREL_AUDIO_DRIVER", "file");
  ScopedEnv file("TANGREL_AUDIO_FILE", dir.File("out.wav"));
  for (const std::string& path : {dir.File("missing.sf2"), dir.Path(), dir.File("notes.sf2")}) {
    ScopedEnv soundFont("TANGREL_SOUNDFONT", path);
    PrintedDeviceReports printed;
    auto devices = MakeSystemDevices(&printed);
    ASSERT_EQ(devices->DeviceName(0), "Built-in synthesizer");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(devices->Open(0)) << path;
    devices->ShortMessage(ShortMessageWord(midi::kNoteOn, 0, 60, 127));  // reaches nothing
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("tangrel: cannot load the SoundFont " + path + ": ", 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.wav")));
}

// What the process writes on standard error, libraries included, while `run` runs.
template <typename Run>
std::string StandardErrorDuring(Run&& run) {
  std::FILE* capture = std::tmpfile();
  std::fflush(stderr);
  const int saved = dup(2);
  dup2(fileno(capture), 2);
  run();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::string text;
  std::rewind(capture);
  for (int c; (c = std::fgetc(capture)) != EOF;) text += char(c);
  std::fclose(capture);
  return text;
}

// These machines have neither an ALSA sequencer nor a JACK server: RtMidi's
// ALSA constructor throws, alsa-lib, libjack and RtMidi would all print why,
// and JACK must not try to start a server (which stalls for seconds).
TEST(SystemDevices, ListingMidiPortsThrowsNothingSaysNothingAndStartsNoServer) {
  ScopedEnv noStart("JACK_NO_START_SERVER", std::nullopt);
  const auto start = Clock::now();
  std::vector<std::unique_ptr<MidiOutputDevice>> ports;
  const std::string said =
      StandardErrorDuring([&] { EXPECT_NO_THROW(ports = MakeRtMidiDevices()); });
  EXPECT_EQ(said, "");
  EXPECT_LT(SecondsSince(start), 4.0);
  int virtualPorts = 0;
  for (const auto& port : ports) {
    EXPECT_FALSE(port->Name().empty());
    if (port->Name() == kVirtualPortName) ++virtualPorts;
  }
  EXPECT_LE(virtualPorts, 1);
  if (!ports.empty() && virtualPorts == 1) {
    EXPECT_EQ(ports.front()->Name(), kVirtualPortName);
  }
}

// The file output ends in the limiter, as every output does.
TEST(BuiltInSynth, PlaysMiddleCIntoTheFileOutputAndAChordNeverClips) {
  TempDir dir;
  const std::string wavPath = dir.File("out.wav");
  ScopedEnv driver("TANGREL_AUDIO_DRIVER", "file");
  ScopedEnv file("TANGREL_AUDIO_FILE", wavPath);
  BuiltInSynthDevice synth(kTestSoundFont);
  synth.Prepare();  // the SoundFont loads in the background; the open waits for it
  ASSERT_TRUE(synth.Open());
  EXPECT_EQ(synth.AudioDriver(), "file");
  EXPECT_TRUE(synth.Open()) << "open while open keeps the synth";
  // Each sound is written for as long as its measure needs: the note's pitch
  // from 0.1 s after it begins, the chord's loudest first half second.
  const auto written = [&](const std::function<bool(const WavSound&)>& ready) {
    WaitForCaptured(wavPath, [&](const std::vector<char>&) { return ready(ReadWav(wavPath)); });
  };
  synth.Send(ShortMessageWord(midi::kNoteOn, 0, 60, 127));
  written([](const WavSound& wav) {
    const auto onset = Onset(wav.samples, wav.rate, 0.01);
    return onset && wav.samples.size() > *onset + size_t(0.4 * wav.rate);
  });
  const size_t chordAt = ReadWav(wavPath).samples.size();
  for (uint32_t word : LoudChordWords()) synth.Send(word);
  written([&](const WavSound& wav) { return wav.samples.size() > chordAt + size_t(wav.rate / 2); });
  synth.Close();
  EXPECT_EQ(synth.AudioDriver(), "");

  const WavSound wav = ReadWav(wavPath);
  ASSERT_EQ(wav.rate, 48000);
  const auto onset = Onset(wav.samples, wav.rate, 0.01);
  ASSERT_TRUE(onset) << wav.samples.size() << " samples";
  const auto pitch = EstimatePitch(wav.samples, wav.rate, *onset + size_t(0.1 * wav.rate));
  EXPECT_NEAR(Cents(pitch.frequency, 261.63), 0.0, 20.0) << pitch.frequency << " Hz";
  EXPECT_EQ(std::count_if(wav.samples.begin(), wav.samples.end(),
                          [](float v) { return std::fabs(v) > 0.999f; }),
            0)
      << "samples at full scale";
}

// The file output is paced by the clock, whatever its period.
TEST(BuiltInSynth, TheFileDriverKeepsToTheClock) {
  TempDir dir;
  ScopedEnv driver("TANGREL_AUDIO_DRIVER", "file");
  ScopedEnv file("TANGREL_AUDIO_FILE", dir.File("out.wav"));
  ScopedEnv size("TANGREL_AUDIO_PERIOD_SIZE", "320");
  BuiltInSynthDevice synth(kTestSoundFont);
  ASSERT_TRUE(synth.Open());
  const auto start = Clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(3));
  const double elapsed = SecondsSince(start);
  synth.Close();
  const WavSound wav = ReadWav(dir.File("out.wav"));
  ASSERT_EQ(wav.rate, 48000);
  EXPECT_NEAR(double(wav.samples.size()) / wav.rate / elapsed, 1.0, 0.01)
      << wav.samples.size() << " frames in " << elapsed << " s";
}

TEST(BuiltInSynth, OpenFailsWhenNoAudioDriverStartsAndWorksLater) {
  TempDir dir;
  {
    ScopedEnv driver("TANGREL_AUDIO_DRIVER", "pulseaudio");
    ScopedEnv server("PULSE_SERVER", "unix:" + dir.File("no-server"));
    PrintedDeviceReports printed;
    BuiltInSynthDevice synth(DefaultSoundFontPath(), &printed);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(synth.Open());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "tangrel: the pulseaudio output did not start: Connection refused\n");
    const std::vector<Failure> why = synth.WhyNotOpened();
    ASSERT_EQ(why.size(), 1u);
    EXPECT_EQ(why[0].error, ECONNREFUSED) << "no server runs";
  }
  ScopedEnv driver("TANGREL_AUDIO_DRIVER", "no-such-driver");
  BuiltInSynthDevice synth;
  EXPECT_FALSE(synth.Open());
  synth.Close();

  ScopedEnv fileDriver("TANGREL_AUDIO_DRIVER", "file");
  ScopedEnv file("TANGREL_AUDIO_FILE", dir.File("out.wav"));
  EXPECT_TRUE(synth.Open());
  synth.Close();
}

// On a machine without any sound system every default driver fails, each in
// milliseconds: jack too, because it may not start a server.
TEST(BuiltInSynth, DefaultDriversFailPromptlyWithoutASoundSystem) {
  if (std::filesystem::exists("/dev/snd")) GTEST_SKIP() << "this machine has sound hardware";
  TempDir dir;
  ScopedEnv driver("TANGREL_AUDIO_DRIVER", std::nullopt);
  ScopedEnv server("PULSE_SERVER", "unix:" + dir.File("no-server"));
  ScopedEnv noStart("JACK_NO_START_SERVER", std::nullopt);
  BuiltInSynthDevice synth;
  const auto start = Clock::now();
  EXPECT_FALSE(synth.Open());
  EXPECT_LT(SecondsSince(start), 4.0);
}

TEST(BuiltInSynth, AudioSettingsComeFromTheEnvironment) {
  {
    ScopedEnv driver("TANGREL_AUDIO_DRIVER", std::nullopt);
    ScopedEnv size("TANGREL_AUDIO_PERIOD_SIZE", std::nullopt);
    ScopedEnv periods("TANGREL_AUDIO_PERIODS", std::nullopt);
    const AudioOutputSettings audio = AudioOutputSettingsFromEnvironment();
    EXPECT_EQ(audio.drivers,
              (std::vector<std::string>{"pipewire", "pulseaudio", "alsa", "jack"}));
    EXPECT_EQ(audio.periodSize, 0) << "each driver's own";
    EXPECT_EQ(audio.periods, 0);
    EXPECT_TRUE(audio.problems.empty());
  }
  {
    ScopedEnv driver("TANGREL_AUDIO_DRIVER", "alsa");
    ScopedEnv size("TANGREL_AUDIO_PERIOD_SIZE", "512");
    ScopedEnv periods("TANGREL_AUDIO_PERIODS", "8");
    const AudioOutputSettings audio = AudioOutputSettingsFromEnvironment();
    EXPECT_EQ(audio.drivers, std::vector<std::string>{"alsa"});
    EXPECT_EQ(audio.periodSize, 512);
    EXPECT_EQ(audio.periods, 8);
  }
  // What FluidSynth would refuse falls back to the defaults, and says so.
  const std::pair<const char*, const char*> bad[] = {
      {"12", "1"}, {"256 frames", "4x"}, {"-4", "65"}, {"99999999999", "three"}};
  for (const auto& [badSize, badPeriods] : bad) {
    ScopedEnv size("TANGREL_AUDIO_PERIOD_SIZE", badSize);
    ScopedEnv periods("TANGREL_AUDIO_PERIODS", badPeriods);
    const AudioOutputSettings audio = AudioOutputSettingsFromEnvironment();
    EXPECT_EQ(audio.periodSize, 0) << badSize;
    EXPECT_EQ(audio.periods, 0) << badPeriods;
    ASSERT_EQ(audio.problems.size(), 2u);
    EXPECT_EQ(DeviceMessage(audio.problems[0]),
              "TANGREL_AUDIO_PERIOD_SIZE=" + std::string(badSize) +
                  " is not a whole number from 64 to 8192; the default is used");
  }
}

}  // namespace
}  // namespace tangrel
