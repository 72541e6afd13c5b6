// SPDX-License-Identifier: GPL-3.0-or-later
// The one catalogue of what the user reads when something fails: the window
// and the tool word every Failure from here, and the translations use the same
// texts as their keys.
#pragma once

#include <string>
#include <vector>

#include "model/Failure.h"

namespace tangrel {

// The message of a failure, with one "%s" for the file name; null for a kind
// this catalogue has no words for.
const char* FailureMessage(FailureKind kind);

// Why, on a line of its own under the message: the cause the system gave when
// it is one a user can act on (a full disk, a read-only disk, a missing
// folder, no permission), else null.
const char* FailureCause(const Failure& failure);

// Why a device did not open, on a line of its own in the player's words:
// `format`, a text of the catalogue, with its "%s" filled in order by
// `arguments` (the output or port tried, then what it said). Null format for a
// failure the catalogue has no words for.
struct DeviceCauseLine {
  const char* format = nullptr;
  std::vector<std::string> arguments;
};
DeviceCauseLine DeviceCause(const Failure& failure);

// The status line of a sound output that went silent: a catalogue text with
// "%1" for the output, and why it does not come back when its sound system
// said so (no server running, a server that does not answer).
const char* LostOutputText(const Failure& lost);

// Fills a message's "%s" with the name, or "Untitle" when it is empty.
std::string FormatFileMessage(const char* format, const std::string& name);

}  // namespace tangrel
