// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a file's contents changed since a moment: the operating system's
// change notifications (inotify on Linux) behind one small interface.
#pragma once

#include <memory>

namespace tangrel {

class ContentWatch {
 public:
  virtual ~ContentWatch() = default;
  // True once the file has been written to or truncated since the watch
  // began, through any name or descriptor; it stays true.
  virtual bool Changed() = 0;
};

// A watch on the file open on `fd` (the file itself, whatever its names
// become). Null where the system cannot watch it: no notifications, or their
// limits reached.
std::unique_ptr<ContentWatch> WatchContent(int fd);

}  // namespace tangrel
