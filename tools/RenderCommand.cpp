// SPDX-License-Identifier: GPL-3.0-or-later
// The render command: the take played offline through the built-in
// synthesizer, with playback's timing and the window's replay path, into a WAV.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "devices/SoftLimiter.h"
#include "devices/SynthEngine.h"
#include "model/LivePlaying.h"
#include "recording/EventList.h"
#include "recording/PlaybackTiming.h"
#include "tools/ToolCommands.h"
#include "tools/WavFile.h"

namespace tangrel::tool {
namespace {

constexpr uint32_t kRenderRate = 44100;
constexpr uint64_t kTailMs = 1500;  // lets the last notes ring out
constexpr uint32_t kBlockFrames = 4096;

uint64_t FramesAt(uint64_t ms) { return ms * kRenderRate / 1000; }

// Pulls samples from the synth, through the limiter every live output plays
// through, into the file up to a given frame.
class Renderer {
 public:
  Renderer(SynthEngine& synth, WavFile& wav) : synth_(synth), wav_(wav) {}

  bool RenderUntil(uint64_t frame) {
    while (ok_ && done_ < frame) {
      const auto n = static_cast<uint32_t>(std::min<uint64_t>(kBlockFrames, frame - done_));
      synth_.RenderPlanar(left_.data(), right_.data(), static_cast<int>(n));
      ok_ = wav_.Write(left_.data(), right_.data(), n);
      done_ += n;
    }
    return ok_;
  }

 private:
  LimitedSynth synth_;
  WavFile& wav_;
  std::vector<float> left_ = std::vector<float>(kBlockFrames);
  std::vector<float> right_ = std::vector<float>(kBlockFrames);
  uint64_t done_ = 0;
  bool ok_ = true;
};

SessionSettings RenderSettings(const ParsedCommand& command, const Take& take) {
  SessionSettings settings;
  settings.deviceId = 0;
  settings.track = static_cast<int32_t>(command.Integer("--track").value_or(0));
  settings.program = static_cast<int32_t>(command.Integer("--program").value_or(0));
  settings.velocity = static_cast<int32_t>(command.Integer("--velocity").value_or(127));
  settings.mode = take.mode;
  settings.bourdon = take.bourdon;
  return settings;
}

}  // namespace

int RunRender(const ParsedCommand& command) {
  const std::string& inPath = command.arguments[0];
  const std::string& outPath = command.arguments[1];
  Take take;
  if (OutputIsInput(inPath, outPath) || !LoadTake(inPath, take)) return kExitFailure;

  const std::vector<uint64_t> times = PlaybackTimesMs(take.events);
  const uint64_t frames = FramesAt((times.empty() ? 0 : times.back()) + kTailMs);
  if (frames > wav::kLongestFrames) {
    std::fprintf(stderr, "tangrel-tool: the take is too long for a WAV file (%.0f s)\n",
                 static_cast<double>(frames) / kRenderRate);
    return kExitFailure;
  }

  // The output is opened before the long part starts, so that one that cannot
  // be written is refused at once.
  FileWriter output;
  if (Failure failure = OpenOutput(outPath, output)) return FileFailure(failure, outPath);
  const std::string soundFont = command.Text("--soundfont").value_or(DefaultSoundFontPath());
  auto synth = SynthEngine::Create(soundFont, kRenderRate);
  if (!synth) {
    std::fprintf(stderr, "tangrel-tool: cannot load the SoundFont %s\n", soundFont.c_str());
    return kExitFailure;
  }

  // The window's output and replay path, over the offline synthesizer.
  SessionSettings settings = RenderSettings(command, take);
  DeviceSet devices;
  devices.Add(std::make_unique<OfflineSynthDevice>(*synth));
  MidiOut out{&devices, &settings};
  OpenMidiOut(out);
  EventList list;  // replay never records into it
  LiveState live;
  PlayContext ctx{out, list, nullptr};

  WavFile wav(output);
  Renderer renderer(*synth, wav);
  bool writing = wav.WriteHeader(kRenderRate, static_cast<uint32_t>(frames));
  for (size_t i = 0; writing && i < take.events.size(); ++i) {
    writing = renderer.RenderUntil(FramesAt(times[i]));
    const PerformanceEvent& e = take.events[i];
    ReplayEvent(live, ctx, e.message, e.keyData, e.octaveShift);
  }
  // End Play follows the last event of a pass: every channel silenced.
  SilenceEverything(live, ctx);
  if (writing) renderer.RenderUntil(frames);
  // A failed write is known to the writer, whose commit then fails.
  if (Failure failure = output.Commit()) return FileFailure(failure, outPath);
  return kExitOk;
}

}  // namespace tangrel::tool
