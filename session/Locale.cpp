// SPDX-License-Identifier: GPL-3.0-or-later
// The messages locale from the environment.
#include "session/Locale.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace tangrel {

const char* MessagesLocale() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return value;
  }
  return "C";
}

bool IsChineseLocale(const char* name) {
  return name && std::strncmp(name, "zh", 2) == 0 && (name[2] == '\0' || name[2] == '_' ||
                                                       name[2] == '.' || name[2] == '@');
}

}  // namespace tangrel
