// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in synthesizer's own PulseAudio output (PipeWire desktops serve it
// through pipewire-pulse too, at a longer delay than the PipeWire output): a
// playback stream on libpulse's threaded main loop whose buffer holds several
// periods and asks for one period at a time, filled from the synth whenever
// the server wants more.
#include <pulse/pulseaudio.h>
#include <sched.h>

#include <algorithm>
#include <cerrno>
#include <atomic>

#include "devices/AudioOutput.h"
#include "devices/BufferPlan.h"
#include "devices/SoftLimiter.h"
#include "model/RealTime.h"

namespace tangrel {

namespace {

// The largest buffer the plan may grow to. Beyond this the delay from key to
// sound is felt more than the odd crackle.
constexpr double kMostBufferSeconds = 0.040;


constexpr size_t kFrameBytes = 2 * sizeof(float);

// A server that takes a connection but never answers holds up the window no
// longer than this; a live one answers within milliseconds.
constexpr pa_usec_t kAnswerMicroseconds = PA_USEC_PER_SEC;

// The main loop's lock, held for one scope.
class MainLoopLock {
 public:
  explicit MainLoopLock(pa_threaded_mainloop* loop) : loop_(loop) {
    pa_threaded_mainloop_lock(loop_);
  }
  ~MainLoopLock() { pa_threaded_mainloop_unlock(loop_); }
  MainLoopLock(const MainLoopLock&) = delete;
  MainLoopLock& operator=(const MainLoopLock&) = delete;

 private:
  pa_threaded_mainloop* loop_;
};

class PulseOutput : public AudioOutput {
 public:
  explicit PulseOutput(const OutputRequest& request)
      : synth_(*request.engine),
        rate_(request.engine->SampleRate()),
        periodSize_(request.periodSize),
        plan_(request.periods, BufferPlan::PeriodsIn(kMostBufferSeconds, rate_, periodSize_)),
        reports_(request.reports) {}
  ~PulseOutput() override;

  // False with the server's answer in `failure`.
  bool Start(Failure& failure);
  bool Lost() const override { return lost_.load(std::memory_order_acquire); }
  int Underruns() const override { return underflows_.load(std::memory_order_relaxed); }

 private:
  bool Connect();
  bool OpenStream();
  pa_buffer_attr BufferAttr() const;
  void ApplyPlan();
  void Fill(size_t bytes);
  void Underflow();

  static void OnContextState(pa_context*, void* self);
  static void OnDeadline(pa_mainloop_api*, pa_time_event*, const timeval*, void* self);
  static void OnStreamState(pa_stream*, void* self);
  static void OnWrite(pa_stream*, size_t bytes, void* self);
  static void OnUnderflow(pa_stream*, void* self);

  LimitedSynth synth_;
  double rate_;
  int periodSize_;
  BufferPlan plan_;  // read and changed on the main loop's thread only
  DeviceReports* reports_;
  std::atomic<int> underflows_{0};
  std::atomic<bool> lost_{false};
  bool ready_ = false;
  bool realTimeAsked_ = false;
  bool timedOut_ = false;

  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
};

PulseOutput::~PulseOutput() {
  // With the loop stopped no callback runs any more, so the stream and the
  // context can go without the lock.
  if (loop_) pa_threaded_mainloop_stop(loop_);
  if (stream_) {
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
  }
  if (context_) {
    pa_context_disconnect(context_);
    pa_context_unref(context_);
  }
  if (loop_) pa_threaded_mainloop_free(loop_);
}

bool PulseOutput::Start(Failure& failure) {
  loop_ = pa_threaded_mainloop_new();
  if (!loop_) {
    failure = OutputFailure("pulseaudio", "no main loop");
    return false;
  }
  context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Tangrel");
  if (!context_) {
    failure = OutputFailure("pulseaudio", "no context");
    return false;
  }
  pa_context_set_state_callback(context_, &PulseOutput::OnContextState, this);
  if (pa_threaded_mainloop_start(loop_) < 0) {
    failure = OutputFailure("pulseaudio", "the main loop did not start");
    return false;
  }
  MainLoopLock lock(loop_);
  pa_time_event* deadline = pa_context_rttime_new(context_, pa_rtclock_now() + kAnswerMicroseconds,
                                                  &PulseOutput::OnDeadline, this);
  const bool started = Connect() && OpenStream();
  if (deadline) pa_threaded_mainloop_get_api(loop_)->time_free(deadline);
  if (!started) {
    const int said = pa_context_errno(context_);
    const int error = timedOut_                              ? ETIMEDOUT
                      : said == PA_ERR_CONNECTIONREFUSED ? ECONNREFUSED
                                                         : 0;
    failure = OutputFailure("pulseaudio", timedOut_ ? kServerDidNotAnswer : pa_strerror(said),
                            error);
  }
  ready_ = started;
  return started;
}

// A desktop's server is always running, so none is started: a machine without
// one fails at once.
bool PulseOutput::Connect() {
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
  for (;;) {
    const pa_context_state_t state = pa_context_get_state(context_);
    if (state == PA_CONTEXT_READY) return true;
    if (!PA_CONTEXT_IS_GOOD(state) || timedOut_) return false;
    pa_threaded_mainloop_wait(loop_);
  }
}

bool PulseOutput::OpenStream() {
  const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(rate_), 2};
  stream_ = pa_stream_new(context_, kBuiltInSynthName, &format, nullptr);
  if (!stream_) return false;
  pa_stream_set_state_callback(stream_, &PulseOutput::OnStreamState, this);
  pa_stream_set_write_callback(stream_, &PulseOutput::OnWrite, this);
  pa_stream_set_underflow_callback(stream_, &PulseOutput::OnUnderflow, this);
  // The target length is the whole delay, the server's own buffer included.
  const pa_buffer_attr attr = BufferAttr();
  if (pa_stream_connect_playback(stream_, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr,
                                 nullptr) < 0) {
    return false;
  }
  for (;;) {
    const pa_stream_state_t state = pa_stream_get_state(stream_);
    if (state == PA_STREAM_READY) return true;
    if (!PA_STREAM_IS_GOOD(state) || timedOut_) return false;
    pa_threaded_mainloop_wait(loop_);
  }
}

pa_buffer_attr PulseOutput::BufferAttr() const {
  const uint32_t period = static_cast<uint32_t>(periodSize_ * kFrameBytes);
  pa_buffer_attr attr;
  attr.maxlength = static_cast<uint32_t>(-1);
  attr.tlength = period * static_cast<uint32_t>(plan_.Periods());
  attr.prebuf = static_cast<uint32_t>(-1);
  attr.minreq = period;
  attr.fragsize = static_cast<uint32_t>(-1);
  return attr;
}

void PulseOutput::ApplyPlan() {
  const pa_buffer_attr attr = BufferAttr();
  if (pa_operation* op = pa_stream_set_buffer_attr(stream_, &attr, nullptr, nullptr)) {
    pa_operation_unref(op);
  }
}

void PulseOutput::Fill(size_t bytes) {
  if (!realTimeAsked_) {
    // Where the system does not allow it the thread runs on as it is.
    sched_param param{};
    param.sched_priority = kRealTimePriority;
    sched_setscheduler(0, SCHED_FIFO | SCHED_RESET_ON_FORK, &param);
    realTimeAsked_ = true;
  }
  while (bytes >= kFrameBytes) {
    void* data = nullptr;
    size_t size = bytes;
    if (pa_stream_begin_write(stream_, &data, &size) < 0 || !data) return;
    size = std::min(size, bytes);
    size -= size % kFrameBytes;
    if (size == 0) {
      pa_stream_cancel_write(stream_);
      return;
    }
    synth_.RenderInterleaved(static_cast<float*>(data), static_cast<int>(size / kFrameBytes));
    pa_stream_write(stream_, data, size, nullptr, 0, PA_SEEK_RELATIVE);
    bytes -= size;
  }
  const double now = BufferPlan::Now();
  if (plan_.Tick(now)) ApplyPlan();
  if (plan_.Settled(now)) {
    ReportSettled(reports_, "pulseaudio", plan_.Periods(), periodSize_, rate_, underflows_);
  }
}

void PulseOutput::Underflow() {
  underflows_.fetch_add(1, std::memory_order_relaxed);
  if (plan_.Underflow(BufferPlan::Now())) ApplyPlan();
}

// A context that fails after it was ready has lost its server.
void PulseOutput::OnContextState(pa_context* context, void* self) {
  auto* output = static_cast<PulseOutput*>(self);
  if (output->ready_ && !PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) {
    output->lost_.store(true, std::memory_order_release);
  }
  pa_threaded_mainloop_signal(output->loop_, 0);
}

void PulseOutput::OnDeadline(pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
  auto* output = static_cast<PulseOutput*>(self);
  output->timedOut_ = true;
  pa_threaded_mainloop_signal(output->loop_, 0);
}

void PulseOutput::OnStreamState(pa_stream* stream, void* self) {
  auto* output = static_cast<PulseOutput*>(self);
  if (output->ready_ && !PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
    output->lost_.store(true, std::memory_order_release);
  }
  pa_threaded_mainloop_signal(output->loop_, 0);
}

void PulseOutput::OnWrite(pa_stream*, size_t bytes, void* self) {
  static_cast<PulseOutput*>(self)->Fill(bytes);
}

void PulseOutput::OnUnderflow(pa_stream*, void* self) {
  static_cast<PulseOutput*>(self)->Underflow();
}

}  // namespace

std::unique_ptr<AudioOutput> StartPulseOutput(const OutputRequest& request, Failure& failure) {
  auto output = std::make_unique<PulseOutput>(request);
  if (!output->Start(failure)) return nullptr;
  return output;
}

}  // namespace tangrel
