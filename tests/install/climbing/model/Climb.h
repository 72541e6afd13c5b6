// SPDX-License-Identifier: GPL-3.0-or-later
// A model header that reaches up into the session: the layers test must refuse it.
#include "session/Session.h"
