// SPDX-License-Identifier: GPL-3.0-or-later
// The system's words for an errno.
#include "model/Failure.h"

#include <cstring>

namespace tangrel {
namespace {

// glibc's strerror_r returns the text, which may not be in the buffer; the
// POSIX one returns a status and fills the buffer.
[[maybe_unused]] const char* ErrorTextOf(const char* text, const char*) { return text; }
[[maybe_unused]] const char* ErrorTextOf(int status, const char* buffer) {
  return status == 0 ? buffer : "unknown error";
}

}  // namespace

std::string ErrorText(int error) {
  char buffer[256] = {};
  return ErrorTextOf(strerror_r(error, buffer, sizeof buffer), buffer);
}

}  // namespace tangrel
