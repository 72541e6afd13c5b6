// SPDX-License-Identifier: GPL-3.0-or-later
// The real-time priority the program's timing threads ask for (the playback
// thread, the sound output's fill thread): below the sound server's own
// threads (PulseAudio's and PipeWire's default is 5), so the program never
// starves the server it plays through, and above every ordinary program.
#pragma once

namespace tangrel {

constexpr int kRealTimePriority = 4;

}  // namespace tangrel
