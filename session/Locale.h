// SPDX-License-Identifier: GPL-3.0-or-later
// Which language the program's texts are shown in. The texts are the
// program's own, English and Chinese; under a Chinese locale they stand as
// they are, under any other the Chinese ones are shown in English.
#pragma once

namespace tangrel {

// The locale that names the language of messages, as the C library picks it:
// LC_ALL, then LC_MESSAGES, then LANG, the first that is set and not empty.
const char* MessagesLocale();

// Whether a locale name ("zh_CN.UTF-8", "zh_TW") is Chinese.
bool IsChineseLocale(const char* name);

}  // namespace tangrel
