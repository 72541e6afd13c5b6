// SPDX-License-Identifier: GPL-3.0-or-later
// The content watch with inotify: one instance per watched file, read without
// blocking whenever the question is asked, so that no thread is needed.
#include "devices/ContentWatch.h"

#ifdef __linux__
#include <sys/inotify.h>
#include <unistd.h>

#include <string>

namespace tangrel {
namespace {

class InotifyWatch : public ContentWatch {
 public:
  explicit InotifyWatch(int instance) : instance_(instance) {}
  ~InotifyWatch() override { close(instance_); }

  bool Changed() override {
    alignas(inotify_event) char events[4096];
    ssize_t size;
    while (!changed_ && (size = read(instance_, events, sizeof events)) > 0) {
      for (const char* at = events; at < events + size;) {
        const auto* event = reinterpret_cast<const inotify_event*>(at);
        // A full queue lost events, and only changes are queued.
        if (event->mask & (IN_MODIFY | IN_Q_OVERFLOW)) changed_ = true;
        at += sizeof(inotify_event) + event->len;
      }
    }
    return changed_;
  }

 private:
  int instance_;
  bool changed_ = false;
};

}  // namespace

std::unique_ptr<ContentWatch> WatchContent(int fd) {
  const int instance = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (instance < 0) return nullptr;
  // The descriptor's entry in /proc leads to the open file itself, not to
  // whatever its name may stand for by now. IN_MODIFY covers every write and
  // truncation, from any process.
  const std::string opened = "/proc/self/fd/" + std::to_string(fd);
  if (inotify_add_watch(instance, opened.c_str(), IN_MODIFY) < 0) {
    close(instance);
    return nullptr;
  }
  return std::make_unique<InotifyWatch>(instance);
}

}  // namespace tangrel

#else

namespace tangrel {

std::unique_ptr<ContentWatch> WatchContent(int) { return nullptr; }

}  // namespace tangrel

#endif
