// SPDX-License-Identifier: GPL-3.0-or-later
// What alsa-lib and libjack have to say. Left alone they print on standard
// error, even while merely finding out that there is no ALSA sequencer or no
// JACK server; here their messages go to the MessageCapture of the thread
// that made the call instead, for its failure to tell why.
#pragma once

#include "devices/MessageCapture.h"

namespace tangrel {

// Gives alsa-lib and libjack functions of ours for their messages; once per
// process, later calls do nothing.
void KeepLibraryMessages();

}  // namespace tangrel
