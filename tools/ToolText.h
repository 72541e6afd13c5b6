// SPDX-License-Identifier: GPL-3.0-or-later
// The tool's messages in the user's language: the program's Chinese file
// messages stand as they are under a Chinese locale and are English otherwise.
#pragma once

#include <string>

namespace tangrel {

std::string ToolText(const char* text);

}  // namespace tangrel
