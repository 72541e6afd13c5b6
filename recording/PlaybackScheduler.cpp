// Placeholder.
#include "recording/PlaybackScheduler.h"
namespace tangrel {
PlaybackScheduler::PlaybackScheduler(PlaybackSink& sink) : sink_(sink) {}
PlaybackScheduler::~PlaybackScheduler() { Stop(); }
bool PlaybackScheduler::Start(PlaybackEvents, bool) { return false; }
void PlaybackScheduler::Stop() {}
bool PlaybackScheduler::Running() const { return false; }
uint64_t PlaybackScheduler::Generation() const { return generation_; }
void PlaybackScheduler::Run(PlaybackEvents, bool, uint64_t) {}
}  // namespace tangrel
