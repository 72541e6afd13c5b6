// SPDX-License-Identifier: GPL-3.0-or-later
// What the built-in synthesizer really sounds: keys played through live playing
// and MidiOut into FluidSynth with the test SoundFont, rendered offline.
#include <gtest/gtest.h>

#include "model/LivePlaying.h"
#include "recording/EventList.h"
#include "devices/SynthEngine.h"
#include "tests/support/AudioSupport.h"

namespace tangrel {
namespace {

using testaudio::Cents;
using testaudio::EstimatePitch;
using testaudio::PowerAt;

constexpr double kRate = 44100.0;
constexpr uint32_t kScanA = 30, kScanT = 20, kScanK = 37;
constexpr ModeId kBMajor = 1303;

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine = SynthEngine::Create(testaudio::kTestSoundFont, kRate);
    ASSERT_NE(engine, nullptr) << "SoundFont " << testaudio::kTestSoundFont;
    devices.Add(std::make_unique<OfflineSynthDevice>(*engine));
    settings.deviceId = 0;
  }

  void Open() { ASSERT_EQ(OpenMidiOut(out), OpenResult::Opened); }

  void Press(uint32_t scanCode, Modifiers modifiers = {}) {
    PlayKey(state, ctx, WM_KEYDOWN, (scanCode << 16) | 1, modifiers);
  }
  void Release(uint32_t scanCode) {
    PlayKey(state, ctx, WM_KEYUP, (scanCode << 16) | 1 | kKeyDataReleaseBits, {});
  }

  // Mono mix of the next `seconds` of sound.
  std::vector<float> Render(double seconds) {
    const int frames = static_cast<int>(seconds * kRate);
    std::vector<float> left(frames), right(frames), mono(frames);
    engine->RenderFloat(left.data(), right.data(), frames);
    for (int i = 0; i < frames; ++i) mono[i] = 0.5f * (left[i] + right[i]);
    return mono;
  }

  float Peak(const std::vector<float>& x) {
    float peak = 0.0f;
    for (float v : x) peak = std::max(peak, std::fabs(v));
    return peak;
  }

  std::unique_ptr<SynthEngine> engine;
  DeviceSet devices;
  SessionSettings settings;
  MidiOut out{&devices, &settings};
  EventList list;
  LiveState state;
  PlayContext ctx{out, list, nullptr};
};

// Share of the sound's energy in its sample-to-sample changes: near 0 for a
// low tone, large for broadband noise such as a drum.
double Brightness(const std::vector<float>& x, size_t from, size_t length) {
  double change = 0.0, energy = 0.0;
  for (size_t i = from + 1; i < from + length; ++i) {
    change += double(x[i] - x[i - 1]) * (x[i] - x[i - 1]);
    energy += double(x[i]) * x[i];
  }
  return energy > 0.0 ? change / energy : 0.0;
}

// Past the attack, where the tone has settled.
constexpr size_t kSettled = static_cast<size_t>(0.15 * kRate);

TEST_F(SoundTest, KeyAInCMajorSoundsMiddleC) {
  Open();
  Press(kScanA);
  const auto pitch = EstimatePitch(Render(0.6), kRate, kSettled);
  EXPECT_NEAR(Cents(pitch.frequency, 261.63), 0.0, 20.0) << pitch.frequency << " Hz";
}

TEST_F(SoundTest, KeyAInBMajorSoundsTheBBelow) {
  settings.mode = kBMajor;
  Open();
  Press(kScanA);
  const auto pitch = EstimatePitch(Render(0.6), kRate, kSettled);
  EXPECT_NEAR(Cents(pitch.frequency, 246.94), 0.0, 20.0) << pitch.frequency << " Hz";
}

TEST_F(SoundTest, BourdonAddsTheOctaveBelowOnItsOwnChannel) {
  Open();
  Press(kScanA);
  const auto alone = Render(0.6);
  Release(kScanA);
  Render(2.0);  // let the first note die away

  settings.bourdon = 1;
  Press(kScanA);
  const auto withBourdon = Render(0.6);
  const size_t length = 16384;
  const double before = PowerAt(alone, kRate, 130.81, kSettled, length);
  const double after = PowerAt(withBourdon, kRate, 130.81, kSettled, length);
  EXPECT_GT(after, 100.0 * before) << "130.8 Hz rises by 20 dB or more";
  // The track note still sounds above it.
  EXPECT_GT(PowerAt(withBourdon, kRate, 261.63, kSettled, length),
            0.5 * PowerAt(alone, kRate, 261.63, kSettled, length));
}

// Ctrl+T is note 38: the acoustic snare on the percussion channel, a piano
// string anywhere else.
TEST_F(SoundTest, Channel9PlaysDrumsNotTones) {
  settings.track = 9;
  Open();
  Press(kScanT, Modifiers{false, true});
  const auto drum = Render(0.4);
  const size_t hit = static_cast<size_t>(0.01 * kRate);
  EXPECT_GT(testaudio::Rms(drum, 0, static_cast<size_t>(0.2 * kRate)), 0.01);

  Release(kScanT);
  Render(2.0);
  settings.track = 0;
  Press(kScanT, Modifiers{false, true});
  const auto tone = Render(0.4);
  // Measured: the snare about 0.10, the piano string about 0.007.
  EXPECT_GT(Brightness(drum, hit, 4096), 0.03);
  EXPECT_GT(Brightness(drum, hit, 4096), 5.0 * Brightness(tone, hit, 4096));
}

// As loud as other FluidSynth-based instruments play it: within 3 dB of
// -11 dBFS. What chords add is the limiter's (SoftLimiter tests).
TEST_F(SoundTest, OneNoteAtFullForcePeaksNearMinus11Dbfs) {
  Open();
  Press(kScanA);
  const double dbfs = 20.0 * std::log10(Peak(Render(1.0)));
  EXPECT_NEAR(dbfs, -11.0, 3.0);
  std::printf("one note at full Force: %.1f dBFS\n", dbfs);
}

TEST_F(SoundTest, PitchBendMovesTheNoteAndWordsOutsideChannelMessagesAreIgnored) {
  Open();
  engine->Send(0xF8);         // a system message: nothing happens
  engine->Send(0x00003C90u);  // a stray word without a velocity is a note-off
  SendPitchBend(out, 0, 16383);  // two semitones up by default
  Press(kScanA);
  const auto pitch = EstimatePitch(Render(0.6), kRate, kSettled);
  EXPECT_NEAR(Cents(pitch.frequency, 293.66), 0.0, 20.0) << pitch.frequency << " Hz";
}

}  // namespace
}  // namespace tangrel
