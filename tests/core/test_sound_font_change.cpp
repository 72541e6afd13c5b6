// SPDX-License-Identifier: GPL-3.0-or-later
// A SoundFont that changes under the playing synthesizer: a package upgrade
// removes or renames over it, something else truncates or rewrites it. The
// synthesizer never crashes and never plays the new bytes as sound.
#include <gtest/gtest.h>

#include <filesystem>

#include "devices/SynthEngine.h"
#include "model/MidiOut.h"
#include "tests/support/AudioSupport.h"
#include "tests/support/InChild.h"
#include "tests/support/TempDir.h"

namespace tangrel {
namespace {

using testaudio::kTestSoundFont;
using tangrel::testing::RunInChild;
using tangrel::testing::TempDir;

class CountedReports : public DeviceReports {
 public:
  void Report(const Failure&) override {}
  void Tell(const DeviceNews& news) override {
    if (news.kind == NewsKind::SoundFontChanged) ++changes;
  }
  int changes = 0;
};

// A new instrument's middle C, a quarter second of it.
std::vector<float> PlayNewInstrument(SynthEngine& engine, int program) {
  engine.Send(ShortMessageWord(midi::kProgramChange, 0, uint32_t(program), 0));
  engine.Send(ShortMessageWord(midi::kNoteOn, 0, 60, 127));
  std::vector<float> left(12000), right(12000);
  engine.RenderFloat(left.data(), right.data(), 12000);
  engine.Send(ShortMessageWord(midi::kNoteOff, 0, 60, 0));
  return left;
}

// True when the sound is middle C: an instrument, not the file's new bytes.
bool SoundsMiddleC(const std::vector<float>& sound) {
  const auto pitch = testaudio::EstimatePitch(sound, 48000, 2400);
  return std::fabs(testaudio::Cents(pitch.frequency, 261.63)) < 20.0;
}

TEST(SoundFontChange, ARemovedOrReplacedFilePlaysOnFromWhatWasLoaded) {
  TempDir dir;
  const std::string path = dir.File("gm.sf2");
  std::filesystem::copy_file(kTestSoundFont, path);
  CountedReports reports;
  auto engine = SynthEngine::Create(path, 48000, &reports);
  ASSERT_TRUE(engine);
  std::filesystem::remove(path);
  EXPECT_TRUE(SoundsMiddleC(PlayNewInstrument(*engine, 40))) << "removed";
  std::ofstream(dir.File("new.sf2")) << std::string(4096, 'x');
  std::filesystem::rename(dir.File("new.sf2"), path);
  EXPECT_TRUE(SoundsMiddleC(PlayNewInstrument(*engine, 56))) << "renamed over";
  EXPECT_EQ(reports.changes, 0);
}

// Run in a child: a crash inside FluidSynth must fail the test, not end it.
// The channel keeps its instrument: the piano plays on, never noise.
TEST(SoundFontChange, AFileChangedInPlaceIsSaidOnceAndTheChannelKeepsItsInstrument) {
  const int result = RunInChild([] {
    TempDir dir;
    const std::string path = dir.File("gm.sf2");
    std::filesystem::copy_file(kTestSoundFont, path);
    CountedReports reports;
    auto engine = SynthEngine::Create(path, 48000, &reports);
    if (!engine) return 1;
    std::filesystem::resize_file(path, 1000);  // truncated
    if (!SoundsMiddleC(PlayNewInstrument(*engine, 40))) return 2;
    std::filesystem::resize_file(path, std::filesystem::file_size(kTestSoundFont));
    std::ofstream(path, std::ios::in | std::ios::out | std::ios::binary)
        << std::string(1 << 20, '\x5a');  // rewritten
    if (!SoundsMiddleC(PlayNewInstrument(*engine, 56))) return 3;
    engine->Send(ShortMessageWord(midi::kNoteOn, kPercussionChannel, 38, 127));
    std::vector<float> left(4800), right(4800);
    engine->RenderFloat(left.data(), right.data(), 4800);  // drums not read: silent, no crash
    return reports.changes == 1 ? 0 : 4;
  });
  EXPECT_EQ(result, 0) << "1: no engine, 2/3: not an instrument, 4: not said once, "
                          "above 128: a signal";
}

}  // namespace
}  // namespace tangrel
