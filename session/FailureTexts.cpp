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

}  // namespace

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
