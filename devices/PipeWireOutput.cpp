// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in synthesizer's own PipeWire output: a playback stream whose
// process callback renders the synth on PipeWire's real-time data thread, one
// graph cycle at a time, at the graph's rate. It asks for its latency as a
// native client does, so the graph may run at a short quantum; pipewire-pulse
// would grant a PulseAudio client twice what it asks, on a quantum of at least
// 256 frames.
#include <pipewire/pipewire.h>
#include <spa/param/audio/format-utils.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "devices/AudioOutput.h"
#include "devices/BufferPlan.h"
#include "devices/SoftLimiter.h"

namespace tangrel {
namespace {

constexpr int kFrameBytes = 2 * sizeof(float);
// The longest latency the plan may ask for: a 256-frame cycle at 48 kHz, which
// keeps a key's sound within about 8 ms on average (one and a half cycles).
// It rides out a machine's short hiccups. The long ones a virtual machine's
// host can cause (15 to 20 ms with nothing else running, bench_audio_latency)
// would take a cycle that no player could play with, so they are not chased.
constexpr double kMostLatencySeconds = 0.0054;
// A server that takes the connection but never answers holds the window no
// longer than this; a live one answers within milliseconds.
constexpr int kAnswerMilliseconds = 1000;
// How often the plan looks at what the data thread saw.
constexpr int kPlanMilliseconds = 200;

class ThreadLoopLock {
 public:
  explicit ThreadLoopLock(pw_thread_loop* loop) : loop_(loop) { pw_thread_loop_lock(loop_); }
  ~ThreadLoopLock() { pw_thread_loop_unlock(loop_); }
  ThreadLoopLock(const ThreadLoopLock&) = delete;
  ThreadLoopLock& operator=(const ThreadLoopLock&) = delete;

 private:
  pw_thread_loop* loop_;
};

class PipeWireOutput : public AudioOutput {
 public:
  explicit PipeWireOutput(const OutputRequest& request)
      : synth_(*request.engine),
        rate_(static_cast<int>(request.engine->SampleRate())),
        periodSize_(request.periodSize),
        plan_(request.periods, BufferPlan::PeriodsIn(kMostLatencySeconds, rate_, periodSize_),
              BufferPlan::Step::kDouble),
        reports_(request.reports) {}
  ~PipeWireOutput() override;

  bool Start(Failure& failure);
  bool Lost() const override { return lost_.load(std::memory_order_acquire); }
  int Underruns() const override { return underruns_.load(std::memory_order_relaxed); }

 private:
  std::string Latency() const;
  bool Connect(std::string& why, int& error);
  bool AwaitStream(std::string& why, int& error);
  void Process();
  void PlanTick();

  static void OnProcess(void* self) { static_cast<PipeWireOutput*>(self)->Process(); }
  static void OnStreamState(void* self, pw_stream_state, pw_stream_state state, const char*);
  static void OnCoreError(void* self, uint32_t id, int seq, int res, const char* message);
  static void OnPlanTimer(void* self, uint64_t) { static_cast<PipeWireOutput*>(self)->PlanTick(); }

  LimitedSynth synth_;  // the data thread's alone once streaming
  int rate_;
  int periodSize_;
  BufferPlan plan_;  // the loop thread's alone
  DeviceReports* reports_;
  int latencyAsked_ = 0;

  // Seen on the data thread, read by the plan.
  uint64_t nextTicks_ = 0;
  std::atomic<int> underruns_{0};
  int underrunsSeen_ = 0;
  std::atomic<bool> lost_{false};
  pw_stream_state state_ = PW_STREAM_STATE_UNCONNECTED;
  std::string error_;

  pw_thread_loop* loop_ = nullptr;
  pw_context* context_ = nullptr;
  pw_core* core_ = nullptr;
  pw_stream* stream_ = nullptr;
  spa_source* timer_ = nullptr;
  spa_hook streamListener_{};
  spa_hook coreListener_{};
  pw_stream_events streamEvents_{};
  pw_core_events coreEvents_{};
};

PipeWireOutput::~PipeWireOutput() {
  if (loop_) {
    {
      ThreadLoopLock lock(loop_);
      if (timer_) pw_loop_destroy_source(pw_thread_loop_get_loop(loop_), timer_);
      if (stream_) pw_stream_destroy(stream_);
      if (core_) pw_core_disconnect(core_);
    }
    pw_thread_loop_stop(loop_);
  }
  if (context_) pw_context_destroy(context_);
  if (loop_) pw_thread_loop_destroy(loop_);
}

std::string PipeWireOutput::Latency() const {
  return std::to_string(periodSize_ * plan_.Periods()) + "/" + std::to_string(rate_);
}

bool PipeWireOutput::Start(Failure& failure) {
  static std::once_flag once;
  std::call_once(once, [] { pw_init(nullptr, nullptr); });
  std::string why;
  int error = 0;
  loop_ = pw_thread_loop_new("tangrel-pipewire", nullptr);
  if (!loop_ || pw_thread_loop_start(loop_) < 0) {
    failure = OutputFailure("pipewire", "no thread loop");
    return false;
  }
  ThreadLoopLock lock(loop_);
  if (!Connect(why, error) || !AwaitStream(why, error)) {
    failure = OutputFailure("pipewire", why, error);
    return false;
  }
  timer_ = pw_loop_add_timer(pw_thread_loop_get_loop(loop_), &PipeWireOutput::OnPlanTimer, this);
  timespec every{0, kPlanMilliseconds * 1000000L};
  if (timer_) pw_loop_update_timer(pw_thread_loop_get_loop(loop_), timer_, &every, &every, false);
  return true;
}

// A desktop's server is always running, so none is started: a machine
// without one fails at once.
bool PipeWireOutput::Connect(std::string& why, int& error) {
  // The real-time client setup: the data thread that renders asks for a
  // real-time priority, as the server's own threads have.
  context_ = pw_context_new(pw_thread_loop_get_loop(loop_),
                            pw_properties_new(PW_KEY_CONFIG_NAME, "client-rt.conf", nullptr), 0);
  if (!context_) {
    why = "no context";
    return false;
  }
  core_ = pw_context_connect(context_, nullptr, 0);
  if (!core_) {
    why = ErrorText(errno);
    // No socket, or nothing listening on it: no server runs.
    error = errno == ENOENT || errno == EHOSTDOWN ? ECONNREFUSED : errno;
    return false;
  }
  coreEvents_.version = PW_VERSION_CORE_EVENTS;
  coreEvents_.error = &PipeWireOutput::OnCoreError;
  pw_core_add_listener(core_, &coreListener_, &coreEvents_, this);
  latencyAsked_ = plan_.Periods();
  pw_properties* props = pw_properties_new(
      PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Playback", PW_KEY_MEDIA_ROLE,
      "Production", PW_KEY_APP_NAME, "Tangrel", PW_KEY_NODE_NAME, "Tangrel",
      PW_KEY_NODE_DESCRIPTION, kBuiltInSynthName, PW_KEY_NODE_LATENCY, Latency().c_str(),
      nullptr);
  streamEvents_.version = PW_VERSION_STREAM_EVENTS;
  streamEvents_.process = &PipeWireOutput::OnProcess;
  streamEvents_.state_changed = &PipeWireOutput::OnStreamState;
  stream_ = pw_stream_new(core_, kBuiltInSynthName, props);
  if (!stream_) {
    why = "no stream";
    return false;
  }
  pw_stream_add_listener(stream_, &streamListener_, &streamEvents_, this);
  uint8_t buffer[256];
  spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer, sizeof buffer);
  spa_audio_info_raw info{};
  info.format = SPA_AUDIO_FORMAT_F32;
  info.rate = static_cast<uint32_t>(rate_);
  info.channels = 2;
  info.position[0] = SPA_AUDIO_CHANNEL_FL;
  info.position[1] = SPA_AUDIO_CHANNEL_FR;
  const spa_pod* params[1] = {spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &info)};
  const auto flags = static_cast<pw_stream_flags>(
      PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS | PW_STREAM_FLAG_RT_PROCESS);
  if (pw_stream_connect(stream_, PW_DIRECTION_OUTPUT, PW_ID_ANY, flags, params, 1) < 0) {
    why = "the stream did not connect";
    return false;
  }
  return true;
}

// Ready once the stream has a format and a place in the graph, within the
// time limit.
bool PipeWireOutput::AwaitStream(std::string& why, int& error) {
  timespec deadline{};
  pw_thread_loop_get_time(loop_, &deadline, kAnswerMilliseconds * SPA_NSEC_PER_MSEC);
  while (state_ != PW_STREAM_STATE_PAUSED && state_ != PW_STREAM_STATE_STREAMING) {
    if (state_ == PW_STREAM_STATE_ERROR || lost_) {
      why = error_.empty() ? "the server refused the stream" : error_;
      return false;
    }
    if (pw_thread_loop_timed_wait_full(loop_, &deadline) != 0) {
      why = kServerDidNotAnswer;
      error = ETIMEDOUT;
      return false;
    }
  }
  return true;
}

void PipeWireOutput::Process() {
  pw_buffer* buffer = pw_stream_dequeue_buffer(stream_);
  if (!buffer) return;
  spa_data& data = buffer->buffer->datas[0];
  if (!data.data) {
    pw_stream_queue_buffer(stream_, buffer);
    return;
  }
  uint32_t frames = data.maxsize / kFrameBytes;
  if (buffer->requested > 0 && buffer->requested < frames) {
    frames = static_cast<uint32_t>(buffer->requested);
  }
  // The graph's clock moves on by each cycle's length: a cycle it ran without
  // us shows as a jump.
  pw_time time{};
  if (pw_stream_get_time_n(stream_, &time, sizeof time) == 0 && time.ticks != 0) {
    if (nextTicks_ != 0 && time.ticks > nextTicks_) {
      underruns_.fetch_add(1, std::memory_order_relaxed);
    }
    nextTicks_ = time.ticks + frames;
  }
  synth_.RenderInterleaved(static_cast<float*>(data.data), static_cast<int>(frames));
  data.chunk->offset = 0;
  data.chunk->stride = kFrameBytes;
  data.chunk->size = frames * kFrameBytes;
  pw_stream_queue_buffer(stream_, buffer);
}

void PipeWireOutput::PlanTick() {
  const double now = BufferPlan::Now();
  const int underruns = underruns_.load(std::memory_order_relaxed);
  if (underruns != underrunsSeen_) {
    underrunsSeen_ = underruns;
    plan_.Underflow(now);
  }
  plan_.Tick(now);
  if (plan_.Periods() != latencyAsked_) {
    latencyAsked_ = plan_.Periods();
    const std::string latency = Latency();
    const spa_dict_item item = SPA_DICT_ITEM_INIT(PW_KEY_NODE_LATENCY, latency.c_str());
    const spa_dict dict = SPA_DICT_INIT(&item, 1);
    pw_stream_update_properties(stream_, &dict);
  }
  if (plan_.Settled(now)) {
    ReportSettled(reports_, "pipewire", plan_.Periods(), periodSize_, rate_, underruns);
  }
}

void PipeWireOutput::OnStreamState(void* self, pw_stream_state, pw_stream_state state,
                                   const char* error) {
  auto* output = static_cast<PipeWireOutput*>(self);
  const bool wasUp =
      output->state_ == PW_STREAM_STATE_PAUSED || output->state_ == PW_STREAM_STATE_STREAMING;
  output->state_ = state;
  if (error) output->error_ = error;
  if (state == PW_STREAM_STATE_ERROR || (wasUp && state == PW_STREAM_STATE_UNCONNECTED)) {
    output->lost_.store(true, std::memory_order_release);
  }
  pw_thread_loop_signal(output->loop_, false);
}

// The core says the connection broke (-EPIPE) when the server goes away.
void PipeWireOutput::OnCoreError(void* self, uint32_t id, int, int res, const char* message) {
  auto* output = static_cast<PipeWireOutput*>(self);
  if (id == PW_ID_CORE && res == -EPIPE) {
    output->error_ = message ? message : "the server went away";
    output->lost_.store(true, std::memory_order_release);
  }
  pw_thread_loop_signal(output->loop_, false);
}

}  // namespace

std::unique_ptr<AudioOutput> StartPipeWireOutput(const OutputRequest& request, Failure& failure) {
  auto output = std::make_unique<PipeWireOutput>(request);
  if (!output->Start(failure)) return nullptr;
  return output;
}

}  // namespace tangrel
