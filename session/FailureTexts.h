// SPDX-License-Identifier: GPL-3.0-or-later
// The one catalogue of what the user reads when something fails: the window
// and the tool word every Failure from here, and the translations use the same
// texts as their keys.
#pragma once

#include <string>

#include "model/Failure.h"

namespace tangrel {

// The message of a failure, with one "%s" for the file name; null for a kind
// this catalogue has no words for.
const char* FailureMessage(FailureKind kind);

// Why, on a line of its own under the message: the cause the system gave when
// it is one a user can act on (a full disk, a read-only disk, a missing
// folder, no permission), else null.
const char* FailureCause(const Failure& failure);

// Fills a message's "%s" with the name, or "Untitle" when it is empty.
std::string FormatFileMessage(const char* format, const std::string& name);

}  // namespace tangrel
