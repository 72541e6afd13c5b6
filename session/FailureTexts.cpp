// SPDX-License-Identifier: GPL-3.0-or-later
// The failure texts: the file messages stand in Chinese as the program has
// always shown them, the causes in English; each is a key of the translations.
#include "session/FailureTexts.h"

#include <cerrno>

// lupdate finds the texts by this mark; without Qt it is the text itself.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif

namespace tangrel {
namespace {

struct MessageRow {
  FailureKind kind;
  const char* text;
};
constexpr MessageRow kMessages[] = {
    {FailureKind::CannotCreate, QT_TRANSLATE_NOOP("Tangrel", "不能创建文件%s.")},
    {FailureKind::CannotWrite, QT_TRANSLATE_NOOP("Tangrel", "不能写入文件%s.")},
    {FailureKind::CannotOpen, QT_TRANSLATE_NOOP("Tangrel", "不能找到或打开文件%s.")},
    {FailureKind::NotStandard, QT_TRANSLATE_NOOP("Tangrel", "文件%s不是标准的Tangrel文件.")},
    {FailureKind::NotSupported, QT_TRANSLATE_NOOP("Tangrel", "文件%s不是被支持的Tangrel文件.")},
    {FailureKind::CannotRead, QT_TRANSLATE_NOOP("Tangrel", "不能读取文件%s.")},
    {FailureKind::JournalUnwritable,
     QT_TRANSLATE_NOOP("Tangrel",
                       "The take cannot be written to its journal in %s. It is kept only in "
                       "memory until you save it.")},
};

struct CauseRow {
  int error;
  const char* text;
};
constexpr CauseRow kCauses[] = {
    {ENOSPC, QT_TRANSLATE_NOOP("Tangrel", "The disk is full.")},
    {EDQUOT, QT_TRANSLATE_NOOP("Tangrel", "The disk is full.")},
    {EROFS, QT_TRANSLATE_NOOP("Tangrel", "The disk is read-only.")},
    {ENOENT, QT_TRANSLATE_NOOP("Tangrel", "The folder does not exist.")},
    {ENOTDIR, QT_TRANSLATE_NOOP("Tangrel", "The folder does not exist.")},
    {EACCES, QT_TRANSLATE_NOOP("Tangrel", "Permission denied.")},
    {EPERM, QT_TRANSLATE_NOOP("Tangrel", "Permission denied.")},
};

// Why a device did not open, by kind and errno (kAnyError: whatever the
// errno). The first "%s" is the output, port or file tried; a second one is
// what the library said, or for an unknown output the names there are.
constexpr int kAnyError = -1;
struct DeviceCauseRow {
  FailureKind kind;
  int error;
  const char* text;
};
constexpr DeviceCauseRow kDeviceCauses[] = {
    {FailureKind::SoundFontUnreadable, ENOENT,
     QT_TRANSLATE_NOOP("Tangrel", "The SoundFont %s does not exist.")},
    {FailureKind::SoundFontUnreadable, ENOTDIR,
     QT_TRANSLATE_NOOP("Tangrel", "The SoundFont %s does not exist.")},
    {FailureKind::SoundFontUnreadable, EACCES,
     QT_TRANSLATE_NOOP("Tangrel", "The SoundFont %s may not be read: permission denied.")},
    {FailureKind::SoundFontUnreadable, EISDIR,
     QT_TRANSLATE_NOOP("Tangrel", "The SoundFont %s is a folder, not a file.")},
    {FailureKind::SoundFontUnreadable, kAnyError,
     QT_TRANSLATE_NOOP("Tangrel", "The file %s is not a SoundFont that can be read.")},
    {FailureKind::UnknownSoundOutput, kAnyError,
     QT_TRANSLATE_NOOP("Tangrel",
                       "TANGREL_AUDIO_DRIVER names the sound output \"%s\", which does not "
                       "exist; the outputs are %s.")},
    {FailureKind::NoSoundOutput, ETIMEDOUT,
     QT_TRANSLATE_NOOP("Tangrel", "Sound output %s: the sound server did not answer.")},
    {FailureKind::NoSoundOutput, ECONNREFUSED,
     QT_TRANSLATE_NOOP("Tangrel", "Sound output %s: no sound server is running.")},
    {FailureKind::NoSoundOutput, ENODEV,
     QT_TRANSLATE_NOOP("Tangrel", "Sound output %s: there is no sound card.")},
    {FailureKind::NoSoundOutput, kAnyError,
     QT_TRANSLATE_NOOP("Tangrel", "Sound output %s did not start: %s")},
    {FailureKind::DeviceUnavailable, ENOENT,
     QT_TRANSLATE_NOOP("Tangrel", "The MIDI port \"%s\" is no longer there.")},
    {FailureKind::DeviceUnavailable, kAnyError,
     QT_TRANSLATE_NOOP("Tangrel", "The MIDI port \"%s\" refused to open: %s")},
};

struct LostOutputRow {
  int error;
  const char* text;
};
constexpr LostOutputRow kLostOutputs[] = {
    {ETIMEDOUT,
     QT_TRANSLATE_NOOP("Tangrel", "Sound output lost: %1, the sound server does not answer")},
    {ECONNREFUSED,
     QT_TRANSLATE_NOOP("Tangrel", "Sound output lost: %1, no sound server is running")},
    {kAnyError, QT_TRANSLATE_NOOP("Tangrel", "Sound output lost: %1")},
};

}  // namespace

const char* LostOutputText(const Failure& lost) {
  if (lost.detail.empty()) return QT_TRANSLATE_NOOP("Tangrel", "Sound output lost");
  for (const LostOutputRow& row : kLostOutputs) {
    if (row.error == kAnyError || row.error == lost.error) return row.text;
  }
  return nullptr;
}

DeviceCauseLine DeviceCause(const Failure& failure) {
  for (const DeviceCauseRow& row : kDeviceCauses) {
    if (row.kind != failure.kind) continue;
    const bool samePermission = row.error == EACCES && failure.error == EPERM;
    if (row.error != kAnyError && row.error != failure.error && !samePermission) continue;
    const std::string said = failure.cause.empty() && failure.error != 0
                                 ? ErrorText(failure.error)
                                 : failure.cause;
    return {row.text, {failure.detail, said}};
  }
  return {};
}

const char* FailureMessage(FailureKind kind) {
  for (const MessageRow& row : kMessages) {
    if (row.kind == kind) return row.text;
  }
  return nullptr;
}

const char* FailureCause(const Failure& failure) {
  for (const CauseRow& row : kCauses) {
    if (row.error == failure.error) return row.text;
  }
  return nullptr;
}

std::string FormatFileMessage(const char* format, const std::string& name) {
  std::string text = format;
  size_t slot = text.find("%s");
  if (slot != std::string::npos) text.replace(slot, 2, name.empty() ? "Untitle" : name);
  return text;
}

}  // namespace tangrel
