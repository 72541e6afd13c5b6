// Replacing a file whole: the bytes go to a temporary file beside the target,
// which is flushed to disk and renamed over it, so the target is either the
// old file or the new one, never a mixture.
#pragma once

#include <cstddef>
#include <string>

namespace tangrel {

enum class SafeWriteResult {
  kWritten,
  kCannotCreate,  // the temporary file could not be made (or the target is a folder)
  kCannotWrite,   // writing, flushing or renaming failed; the temporary file is gone
};

SafeWriteResult WriteFileReplacing(const std::string& path, const void* data, size_t size);

}  // namespace tangrel
