// SPDX-License-Identifier: GPL-3.0-or-later
// What the session needs of the screen: menu check marks and grey states,
// buttons, the caption, repaints, message boxes, file dialogs, the alert
// sound, timers, help and About, and a way back onto the UI thread. The window
// implements it with Qt; tests implement it with a script.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "session/MenuBar.h"

namespace tangrel {

enum class MessageIcon { None, Question, Warning, Error };
enum class MessageButtons { Ok, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

// The text of a box: `format` with its "%s", if it has one, filled by `argument`;
// a format with several "%s" takes `argument` and then `more`, in order. The
// format is one of the program's own texts, so the screen may show it in the
// user's language before filling it.
struct MessageText {
  const char* format;
  std::string argument;
  const char* cause = nullptr;  // why, translated too and shown on a line of its own
  std::vector<std::string> more = {};  // the later "%s" of a format with several
  std::string shownCause = {};  // why, already in the user's language, on lines of its own
};

// The format filled as above; a format with several "%s" and no `more` has
// every one filled by `argument`.
inline std::string FillMessage(const std::string& format, const MessageText& text) {
  std::string filled;
  size_t from = 0;
  size_t index = 0;
  for (size_t at; (at = format.find("%s", from)) != std::string::npos; from = at + 2, ++index) {
    filled.append(format, from, at - from);
    filled += index > 0 && index <= text.more.size() ? text.more[index - 1] : text.argument;
  }
  return filled + format.substr(from);
}

struct FileRequest {
  bool save;                  // the Save As dialog (with its overwrite prompt), else Open
  const char* filter;         // "TGI Files(*.TGI)"
  const char* defaultSuffix;  // "tgi"
  std::string startPath;      // the dialog starts from this name
};

struct ChosenFile {
  std::string path;   // full path
  std::string title;  // the name without its folder
};

class Screen {
 public:
  virtual ~Screen() = default;
  // The menu bar as it starts; later changes come by command id.
  virtual void SetMenuBar(const std::vector<MenuItem>& bar) = 0;
  // Menu items by command id, inside popups too.
  virtual void CheckItem(int32_t command, bool checked) = 0;
  virtual void EnableItem(int32_t command, bool enabled) = 0;
  // The push buttons by their control id (IDM_RECORD .. IDM_END_PLAY).
  virtual void EnableButton(int32_t id, bool enabled) = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  // The whole window is painted again from the session's state.
  virtual void Repaint() = 0;
  virtual MessageAnswer ShowMessage(MessageIcon icon, const char* caption, const MessageText& text,
                                    MessageButtons buttons) = 0;
  // Nothing when the user cancels.
  virtual std::optional<ChosenFile> AskFileName(const FileRequest& request) = 0;
  virtual void Beep() = 0;
  // A one-shot timer: the screen calls Session::OnTimer(id) when it expires.
  virtual void StartTimer(int32_t id, uint32_t milliseconds) = 0;
  virtual void KillTimer(int32_t id) = 0;
  // The help pages at a topic; silent when they cannot be shown.
  virtual void ShowHelp(const char* topic) = 0;
  virtual void ShowAbout() = 0;
  // Runs `work` later on the UI thread. Called from the playback thread: it
  // must only queue, never wait for the UI thread.
  virtual void Post(std::function<void()> work) = 0;
};

}  // namespace tangrel
