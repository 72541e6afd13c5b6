// SPDX-License-Identifier: GPL-3.0-or-later
// The texts the user reads, marked where they are written. QT_TRANSLATE_NOOP
// ("Tangrel", ...) marks each one for Qt's translation tools, which list every
// marked text in translations/*.ts; the window looks each up in the user's
// language. Without Qt the mark is the text itself.
#pragma once

#include <string>

#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

namespace tangrel {

// Looks a marked text up in the user's language; the window sets it once at
// start. Until then, and in tests of the core, every text stands as written.
using TextLookup = std::string (*)(const char* text);
void SetTextLookup(TextLookup lookup);

// A marked text in the user's language, for texts the session composes
// (a menu item with its number, the track line, the key signature line).
std::string UserText(const char* text);

}  // namespace tangrel
