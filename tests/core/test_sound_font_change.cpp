// SPDX-License-Identifier: GPL-3.0-or-later
// A SoundFont that changes under the playing synthesizer: a package upgrade
// removes or renames over it, something else truncates or rewrites it. The
// synthesizer never crashes and never plays the new bytes as sound.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

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

// A copy of the test SoundFont in a folder of its own, loaded.
struct LoadedCopy {
  LoadedCopy() {
    std::filesystem::copy_file(kTestSoundFont, path);
    engine = SynthEngine::Create(path, 48000, &reports);
  }
  TempDir dir;
  const std::string path = dir.File("gm.sf2");
  CountedReports reports;
  std::unique_ptr<SynthEngine> engine;
};

TEST(SoundFontChange, ARemovedOrReplacedFilePlaysOnFromWhatWasLoaded) {
  LoadedCopy copy;
  ASSERT_TRUE(copy.engine);
  std::filesystem::remove(copy.path);
  EXPECT_TRUE(SoundsMiddleC(PlayNewInstrument(*copy.engine, 40))) << "removed";
  std::ofstream(copy.dir.File("new.sf2")) << std::string(4096, 'x');
  std::filesystem::rename(copy.dir.File("new.sf2"), copy.path);
  EXPECT_TRUE(SoundsMiddleC(PlayNewInstrument(*copy.engine, 56))) << "renamed over";
  EXPECT_EQ(copy.reports.changes, 0);
}

// Run in a child: a crash inside FluidSynth must fail the test, not end it.
// The channel keeps its instrument: the piano plays on, never noise.
TEST(SoundFontChange, AFileChangedInPlaceIsSaidOnceAndTheChannelKeepsItsInstrument) {
  const int result = RunInChild([] {
    LoadedCopy copy;
    if (!copy.engine) return 1;
    std::filesystem::resize_file(copy.path, 1000);  // truncated
    if (!SoundsMiddleC(PlayNewInstrument(*copy.engine, 40))) return 2;
    std::filesystem::resize_file(copy.path, std::filesystem::file_size(kTestSoundFont));
    std::ofstream(copy.path, std::ios::in | std::ios::out | std::ios::binary)
        << std::string(1 << 20, '\x5a');  // rewritten
    if (!SoundsMiddleC(PlayNewInstrument(*copy.engine, 56))) return 3;
    copy.engine->Send(ShortMessageWord(midi::kNoteOn, kPercussionChannel, 38, 127));
    std::vector<float> left(4800), right(4800);
    copy.engine->RenderFloat(left.data(), right.data(), 4800);  // drums not read: silent, no crash
    return copy.reports.changes == 1 ? 0 : 4;
  });
  EXPECT_EQ(result, 0) << "1: no engine, 2/3: not an instrument, 4: not said once, "
                          "above 128: a signal";
}

// Size and times put back as they were: only the notification tells. In
// TimGM6mb the samples fill all but the first 112 bytes and the last 200 KB;
// read again, they would be noise.
TEST(SoundFontChange, ARewriteThatKeepsSizeAndTimesRefusesTheNewInstrument) {
  const int result = RunInChild([] {
    LoadedCopy copy;
    struct stat before {};
    if (!copy.engine || stat(copy.path.c_str(), &before) != 0) return 1;
    std::fstream file(copy.path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(4096);
    file << std::string(before.st_size - 4096 - 256 * 1024, '\x5a');
    file.close();
    const timespec times[2] = {before.st_atim, before.st_mtim};
    if (utimensat(AT_FDCWD, copy.path.c_str(), times, 0) != 0) return 1;
    if (!SoundsMiddleC(PlayNewInstrument(*copy.engine, 40))) return 2;
    return copy.reports.changes == 1 ? 0 : 4;
  });
  EXPECT_EQ(result, 0) << "1: no engine, 2: not the instrument it had, 4: not said once, "
                          "above 128: a signal";
}

}  // namespace
}  // namespace tangrel
