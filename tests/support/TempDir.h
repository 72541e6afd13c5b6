// SPDX-License-Identifier: GPL-3.0-or-later
// A private folder under /tmp for one test, removed with everything in it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <iterator>
#include <string>

namespace tangrel::testing {

class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "tangrel-test") {
    std::string pattern = "/tmp/" + prefix + "-XXXXXX";
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  size_t EntryCount() const {
    return static_cast<size_t>(
        std::distance(std::filesystem::directory_iterator(path_), std::filesystem::directory_iterator{}));
  }

 private:
  std::string path_;
};

}  // namespace tangrel::testing
