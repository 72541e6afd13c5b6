// SPDX-License-Identifier: GPL-3.0-or-later
// The writer's edges: a failed write says why, and the hidden names a killed
// writer left behind are swept by the next write into their folder.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/SafeWrite.h"
#include "session/FailureTexts.h"
#include "tests/support/InChild.h"
#include "tests/support/TempDir.h"

using namespace tangrel;
using tangrel::testing::EnterPrivateMounts;
using tangrel::testing::kNoPrivateMounts;
using tangrel::testing::RunInChild;
using tangrel::testing::TempDir;
namespace fs = std::filesystem;

namespace {

const std::vector<char> kBytes(64 * 1024, 'x');

Failure WriteBytes(const std::string& path) {
  return WriteFileReplacing(path, kBytes.data(), kBytes.size());
}

// 0 when the write failed as `kind` for `error` and the catalogue words it
// with `cause`; else a code that names what differed.
int ExpectFailure(const Failure& failure, FailureKind kind, int error, const char* cause) {
  if (failure.kind != kind) return 10;
  if (failure.error != error) return 20;
  const char* worded = FailureCause(failure);
  return worded && std::strcmp(worded, cause) == 0 ? 0 : 30;
}

void MakeFile(const std::string& path, time_t age) {
  std::ofstream(path) << "left behind";
  const timespec times[2] = {{time(nullptr) - age, 0}, {time(nullptr) - age, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

}  // namespace

TEST(WriterEdges, AMissingFolderAndAFullDiskSayWhy) {
  TempDir dir;
  EXPECT_EQ(ExpectFailure(WriteBytes(dir.File("gone/take.tgi")), FailureKind::CannotCreate, ENOENT,
                          "The folder does not exist."), 0);
  // A device that is always full: written in place, it fails on the first write.
  EXPECT_EQ(ExpectFailure(WriteBytes("/dev/full"), FailureKind::CannotWrite, ENOSPC,
                          "The disk is full."), 0);
}

TEST(WriterEdges, AFolderWithoutPermissionSaysWhy) {
  TempDir dir;
  ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);
  // Root may write anywhere: the child gives up root first when it has it.
  const int code = RunInChild([&] {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 99;
    return ExpectFailure(WriteBytes(dir.File("take.tgi")), FailureKind::CannotCreate, EACCES,
                         "Permission denied.");
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(dir.EntryCount(), 0u);
}

// A read-only disk and a full one, as small tmpfs mounts seen by a child alone.
TEST(WriterEdges, AReadOnlyDiskAndAFullDiskSayWhyAndKeepTheOldFile) {
  TempDir dir;
  fs::create_directory(dir.File("ro"));
  fs::create_directory(dir.File("full"));
  const int code = RunInChild([&] {
    if (!EnterPrivateMounts()) return kNoPrivateMounts;
    if (mount("tmpfs", dir.File("ro").c_str(), "tmpfs", MS_RDONLY, "size=16k") != 0 ||
        mount("tmpfs", dir.File("full").c_str(), "tmpfs", 0, "size=16k") != 0) {
      return kNoPrivateMounts;
    }
    if (int c = ExpectFailure(WriteBytes(dir.File("ro/take.tgi")), FailureKind::CannotCreate,
                              EROFS, "The disk is read-only.")) {
      return 1 + c;
    }
    const std::string old = dir.File("full/take.tgi");
    std::ofstream(old) << "the old take";
    if (int c = ExpectFailure(WriteBytes(old), FailureKind::CannotWrite, ENOSPC,
                              "The disk is full.")) {
      return 2 + c;
    }
    std::ifstream in(old);
    std::string kept((std::istreambuf_iterator<char>(in)), {});
    return kept == "the old take" ? 0 : 3;
  });
  if (code == kNoPrivateMounts) GTEST_SKIP() << "no private tmpfs mounts here (needs root)";
  EXPECT_EQ(code, 0);
}

// Only names the writer made are swept: a user's hidden file of any age, one
// that looks like an older version's name, and a writer's name with one digit
// changed all stay.
TEST(WriterEdges, AWriteSweepsOnlyTheWritersOwnOldHiddenNames) {
  TempDir dir;
  const time_t twoHours = 2 * 60 * 60;
  const std::string stale = TemporaryName(), recent = TemporaryName(), folder = TemporaryName();
  std::string altered = TemporaryName();
  altered.back() = altered.back() == '0' ? '1' : '0';
  MakeFile(dir.File(stale), twoHours);      // a killed writer's: swept
  MakeFile(dir.File(recent), 60);           // a writer may still be at work
  MakeFile(dir.File(altered), twoHours);
  MakeFile(dir.File(".tgsettings"), twoHours);
  MakeFile(dir.File(".tgk3m9x0qa"), twoHours);
  MakeFile(dir.File("notes.txt"), twoHours);
  fs::create_directory(dir.File(folder));  // only regular files are swept
  const timespec old[2] = {{time(nullptr) - twoHours, 0}, {time(nullptr) - twoHours, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, dir.File(folder).c_str(), old, 0), 0);
  ASSERT_FALSE(WriteBytes(dir.File("take.tgi")));
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.Path())) names.push_back(entry.path().filename());
  std::vector<std::string> kept = {recent, altered, folder, ".tgsettings", ".tgk3m9x0qa",
                                   "notes.txt", "take.tgi"};
  std::sort(names.begin(), names.end());
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(names, kept);
}
