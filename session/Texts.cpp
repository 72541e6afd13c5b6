// SPDX-License-Identifier: GPL-3.0-or-later
// The lookup of marked texts, set by the window.
#include "session/Texts.h"

namespace tangrel {
namespace {

TextLookup gLookup = nullptr;

}  // namespace

void SetTextLookup(TextLookup lookup) { gLookup = lookup; }

std::string UserText(const char* text) { return gLookup ? gLookup(text) : std::string(text); }

}  // namespace tangrel
