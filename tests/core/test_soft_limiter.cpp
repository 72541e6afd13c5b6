// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in synthesizer's last stage, rendered offline with TimGM6mb: one
// note passes untouched, a pile-up of loud notes stays below full scale, and a
// synth at rest wakes with the next message.
#include <gtest/gtest.h>

#include <cmath>

#include "model/MidiOut.h"
#include "devices/SoftLimiter.h"
#include "tests/support/AudioSupport.h"
#include "tests/support/LoudChord.h"

namespace tangrel {
namespace {

using testaudio::kTestSoundFont;
constexpr double kRate = 48000.0;

struct Stereo {
  std::vector<float> frames;  // interleaved
  float Peak() const {
    float peak = 0.0f;
    for (float v : frames) peak = std::max(peak, std::fabs(v));
    return peak;
  }
};

Stereo Render(LimitedSynth& synth, double seconds) {
  Stereo out;
  out.frames.resize(size_t(seconds * kRate) * 2);
  // In pieces of a sound server's period, as an output asks for them.
  for (size_t at = 0; at < out.frames.size(); at += 256) {
    synth.RenderInterleaved(&out.frames[at],
                            int(std::min<size_t>(256, out.frames.size() - at) / 2));
  }
  return out;
}

std::unique_ptr<SynthEngine> Engine() {
  auto engine = SynthEngine::Create(kTestSoundFont, kRate);
  EXPECT_NE(engine, nullptr) << kTestSoundFont;
  return engine;
}

TEST(SoftLimiter, OneNotePassesUntouchedAndTenKeysWithBourdonStayBelowFullScale) {
  auto plain = Engine(), limited = Engine();
  ASSERT_TRUE(plain && limited);
  LimitedSynth synth(*limited);
  const uint32_t note = ShortMessageWord(midi::kNoteOn, 0, 60, 127);
  plain->Send(note);
  limited->Send(note);
  std::vector<float> left(48000), right(48000);
  plain->RenderFloat(left.data(), right.data(), 48000);
  const Stereo heard = Render(synth, 1.0);
  for (size_t i = 0; i < left.size(); ++i) {
    ASSERT_EQ(heard.frames[2 * i], left[i]) << "frame " << i;
    ASSERT_EQ(heard.frames[2 * i + 1], right[i]) << "frame " << i;
  }

  for (uint32_t word : testaudio::LoudChordWords()) limited->Send(word);
  const float peak = Render(synth, 2.0).Peak();
  EXPECT_LT(peak, 1.0f);
  EXPECT_GT(peak, 0.7f) << "the chord stays loud";
}

TEST(SoftLimiter, ASynthAtRestSoundsAgainWithTheNextNote) {
  auto engine = Engine();
  ASSERT_TRUE(engine);
  LimitedSynth synth(*engine);
  const Stereo idle = Render(synth, 3.0);
  EXPECT_TRUE(std::all_of(idle.frames.end() - 2 * 48000, idle.frames.end(), [](float v) {
    return v == 0.0f;
  })) << "the last second is not rendered";
  engine->Send(ShortMessageWord(midi::kProgramChange, 0, 48, 0));
  engine->Send(ShortMessageWord(midi::kNoteOn, 0, 60, 100));
  EXPECT_GT(Render(synth, 0.5).Peak(), 0.01f);
}

}  // namespace
}  // namespace tangrel
