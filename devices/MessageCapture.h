// SPDX-License-Identifier: GPL-3.0-or-later
// What a library says during one call, kept for that call's failure. The
// libraries' message hooks are process-wide, but each message is given on
// the thread that made the call: a capture lives on its caller's stack and
// takes only what is said on its own thread while it lives, so two attempts
// on two threads never see each other's words.
#pragma once

#include <deque>
#include <string>

namespace tangrel {

class MessageCapture {
 public:
  MessageCapture() : outer_(Current()) { Current() = this; }
  ~MessageCapture() { Current() = outer_; }
  MessageCapture(const MessageCapture&) = delete;
  MessageCapture& operator=(const MessageCapture&) = delete;

  // Called by the message hooks: kept by the innermost capture of this
  // thread; dropped when the thread has none (nobody asked why).
  static void Keep(std::string message) {
    while (!message.empty() && message.back() == '\n') message.pop_back();
    MessageCapture* capture = Current();
    if (!capture || message.empty()) return;
    std::deque<std::string>& kept = capture->kept_;
    if (!kept.empty() && kept.back() == message) return;  // libjack repeats itself
    kept.push_back(std::move(message));
    if (kept.size() > kKept) kept.pop_front();
  }

  // The latest few messages, oldest first, on one line; "" when none came.
  std::string Text() const {
    std::string all;
    for (const std::string& message : kept_) all += (all.empty() ? "" : "; ") + message;
    return all;
  }

 private:
  static constexpr size_t kKept = 8;

  static MessageCapture*& Current() {
    static thread_local MessageCapture* current = nullptr;
    return current;
  }

  MessageCapture* outer_;
  std::deque<std::string> kept_;
};

// `summary`, followed by what the libraries said meanwhile in brackets.
inline std::string WithLibraryWords(const std::string& summary, const MessageCapture& said) {
  const std::string words = said.Text();
  if (words.empty()) return summary;
  return summary.empty() ? words : summary + " (" + words + ")";
}

}  // namespace tangrel
