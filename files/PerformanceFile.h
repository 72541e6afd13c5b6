// The performance file: a RIFF form "TG  " holding the EventList, the mode and
// the bourdon setting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/KeyMap.h"
#include "files/SafeWrite.h"
#include "recording/EventList.h"

namespace tangrel {

// Marks a text for the program's translations (Qt's own mark where Qt is).
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

// The messages the caller shows; each holds one "%s" for the file name.
namespace file_messages {
constexpr const char* kCannotCreate = QT_TRANSLATE_NOOP("Tangrel", "不能创建文件%s.");
constexpr const char* kCannotWrite = QT_TRANSLATE_NOOP("Tangrel", "不能写入文件%s.");
constexpr const char* kCannotOpen = QT_TRANSLATE_NOOP("Tangrel", "不能找到或打开文件%s.");
constexpr const char* kNotStandard = QT_TRANSLATE_NOOP("Tangrel", "文件%s不是标准的Tangrel文件.");
constexpr const char* kNotSupported =
    QT_TRANSLATE_NOOP("Tangrel", "文件%s不是被支持的Tangrel文件.");
constexpr const char* kCannotRead = QT_TRANSLATE_NOOP("Tangrel", "不能读取文件%s.");
}  // namespace file_messages

// The message of a write's outcome: null when it was written.
const char* WriteMessage(SafeWriteResult result);

// Fills a message's "%s" with the name, or "Untitle" when it is empty.
std::string FormatFileMessage(const char* format, const std::string& name);

// Writes the file through FileWriter, so a failure leaves an existing file as
// it was. Returns null on success, else a message format.
const char* SavePerformanceFile(const PerformanceEvent* events, uint32_t count, ModeId mode,
                                int32_t bourdon, const std::string& path);

struct LoadedPerformance {
  std::vector<PerformanceEvent> events;
  ModeId modeId = 0;
  uint32_t bourdon = 0;  // the raw stored word
};

// Reads a file into `loaded`. Returns null on success, else a message format;
// on failure `loaded` is left untouched. Only a regular file is read (anything
// else cannot be opened), and only as far as its chunks claim and it holds.
const char* LoadPerformanceFile(const std::string& path, LoadedPerformance& loaded);
// The checks of a load on bytes in memory: the same messages, and `loaded` is
// likewise left untouched on failure. Never reads outside `bytes`, whatever
// its size fields claim.
const char* ParsePerformanceFile(const uint8_t* bytes, size_t size, LoadedPerformance& loaded);

// Whether a loaded file becomes the current performance: its mode must be one
// of the 24 modes (a value between the groups or outside them is refused, so a
// refused file never becomes the file that the next Save overwrites).
bool AcceptableLoadedMode(ModeId modeId);
// The bourdon voice is on exactly when the stored word is 1.
inline int32_t LoadedBourdon(uint32_t word) { return word == 1 ? 1 : 0; }

// What a successfully loaded file changes once accepted; the window and the
// tool both take a load through AcceptLoadedPerformance.
struct AcceptedPerformance {
  ModeId mode;
  int32_t bourdon;  // 0 or 1
};
// Nothing when the file's mode is refused: then nothing changes at all.
std::optional<AcceptedPerformance> AcceptLoadedPerformance(const LoadedPerformance& loaded);

}  // namespace tangrel
