// SPDX-License-Identifier: GPL-3.0-or-later
// What alsa-lib and libjack have to say. Left alone they print on standard
// error, even while merely finding out that there is no ALSA sequencer or no
// JACK server; here their messages are kept instead, for a failure to tell why.
#pragma once

#include <string>

namespace tangrel {

// Gives alsa-lib and libjack functions of ours for their messages; once per
// process, later calls do nothing.
void KeepLibraryMessages();

// The messages kept since the last call (only the latest few), newest last,
// on one line; then forgets them.
std::string TakeLibraryMessages();

}  // namespace tangrel
