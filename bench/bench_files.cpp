// SPDX-License-Identifier: GPL-3.0-or-later
// Save, load and export of a 1,000,000-event take, each against a plain write
// or read of the same number of bytes in the same folder; and the loader's
// time and memory on files that are not what they seem.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "files/MidiExport.h"
#include "files/PerformanceFile.h"
#include "recording/RecordingJournal.h"
#include "session/FailureTexts.h"

using namespace tangrel;

namespace {

constexpr uint32_t kEvents = 1000000;
constexpr int kRounds = 7;

std::vector<PerformanceEvent> MakeTake() {
  std::vector<PerformanceEvent> events(kEvents);
  uint32_t seed = 12345;
  for (uint32_t i = 0; i < kEvents; ++i) {
    seed = seed * 1664525u + 1013904223u;
    uint32_t scan = 16 + (seed >> 24) % 38;  // mostly keys with notes, a few without
    events[i] = {(seed >> 8) % 200, i % 2 ? WM_KEYUP : WM_KEYDOWN, (scan << 16) | 1u,
                 static_cast<int32_t>(seed % 3) - 1};
  }
  return events;
}

// Median and fastest of several rounds, in milliseconds.
struct Timing {
  double median, fastest;
};
Timing Measure(const std::function<bool()>& run) {
  std::vector<double> ms;
  for (int round = 0; round < kRounds; ++round) {
    auto start = std::chrono::steady_clock::now();
    if (!run()) {
      std::fprintf(stderr, "bench_files: an operation failed\n");
      std::exit(1);
    }
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count());
  }
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms.front()};
}

bool PlainWrite(const std::string& path, const std::vector<uint8_t>& bytes, bool sync) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  if (sync) ok = ok && fsync(fd) == 0;
  return (close(fd) == 0) && ok;
}

bool PlainRead(const std::string& path, size_t size) {
  std::vector<uint8_t> bytes(size);
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = read(fd, bytes.data(), size) == static_cast<ssize_t>(size);
  close(fd);
  return ok;
}

void Report(const char* what, size_t bytes, Timing ours, Timing plain, const char* against) {
  std::printf("%-26s %10zu bytes  median %8.2f ms (best %8.2f)   %-22s median %8.2f ms (best %8.2f)"
              "   ratio %.2f\n",
              what, bytes, ours.median, ours.fastest, against, plain.median, plain.fastest,
              ours.median / plain.median);
}

// A line of /proc/self/status in kB ("VmRSS", "VmHWM").
long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field) + 1);
  }
  return -1;
}

struct LoadFigures {
  double ms;
  long startKb, peakKb;
  char message[128];
};

// One load in a child process of its own, so its peak memory is its own. The
// address space is capped at 4 GB, so a loader that reads without end runs
// out of memory instead of taking the machine with it.
bool LoadInChild(const std::string& path, LoadFigures& figures) {
  int channel[2];
  if (pipe(channel) != 0) return false;
  pid_t child = fork();
  if (child == 0) {
    rlimit cap{4ul << 30, 4ul << 30};
    setrlimit(RLIMIT_AS, &cap);
    alarm(120);
    LoadFigures f{};
    f.startKb = StatusKb("VmRSS:");
    LoadedPerformance loaded;
    auto start = std::chrono::steady_clock::now();
    const Failure failure = LoadPerformanceFile(path, loaded);
    f.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
               .count();
    f.peakKb = StatusKb("VmHWM:");
    std::snprintf(f.message, sizeof f.message, "%s",
                  failure ? FailureMessage(failure.kind) : "loaded");
    ssize_t ignored = write(channel[1], &f, sizeof f);
    (void)ignored;
    _exit(0);
  }
  close(channel[1]);
  bool got = child > 0 && read(channel[0], &figures, sizeof figures) == sizeof figures;
  close(channel[0]);
  if (child > 0) waitpid(child, nullptr, 0);
  return got;
}

void ReportLoad(const char* what, const std::string& path) {
  LoadFigures f;
  if (!LoadInChild(path, f)) {
    std::printf("load %-34s the loader did not finish (killed or out of memory)\n", what);
    return;
  }
  std::printf("load %-34s %9.1f ms  peak %8.1f MB (%8.1f MB above the process)  %s\n", what,
              f.ms, f.peakKb / 1024.0, (f.peakKb - f.startKb) / 1024.0,
              FormatFileMessage(f.message, "F").c_str());
}

// A file of `size` bytes that holds no blocks beyond `head`.
bool MakeSparse(const std::string& path, const std::string& head, off_t size) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = write(fd, head.data(), head.size()) == static_cast<ssize_t>(head.size()) &&
            ftruncate(fd, size) == 0;
  return (close(fd) == 0) && ok;
}

void ReportHostileLoads(const std::string& folder) {
  const off_t twoGb = off_t{2} << 30;
  const std::string zeros = folder + "/zeros.tgi", form = folder + "/empty-chunks.tgi";
  // A form of type "TG  " claiming 4 GB, whose children are 8-byte empty chunks.
  const std::string header("RIFF\xf0\xff\xff\xffTG  ", 12);
  if (!MakeSparse(zeros, "", twoGb) || !MakeSparse(form, header, twoGb)) {
    std::fprintf(stderr, "bench_files: cannot make the sparse files in %s\n", folder.c_str());
    std::exit(1);
  }
  ReportLoad("2 GB sparse file of zeros", zeros);
  ReportLoad("/dev/zero", "/dev/zero");
  ReportLoad("2 GB TG form of empty chunks", form);
  std::filesystem::remove(zeros);
  std::filesystem::remove(form);
}

// The start's look into the state folder with a 1 GB journal there (a good
// header, then a hole), in a child as the loads above, with its peak memory.
void ReportJournalScan(const std::string& folder) {
  const std::string state = folder + "/state";
  std::filesystem::create_directory(state);
  std::string header = "TGJ1";
  for (uint32_t word : {1u, 4242u, 1297u, 0u, 0u, 0u, 0u}) header.append(reinterpret_cast<char*>(&word), 4);
  if (!MakeSparse(state + "/take-1-4242.tgj", header, off_t{1} << 30)) return;
  std::fflush(stdout);  // nothing printed so far is printed again by the child
  const pid_t child = fork();
  if (child == 0) {
    const long startKb = StatusKb("VmRSS:");
    const auto start = std::chrono::steady_clock::now();
    const LeftJournals left = FindLeftJournals(state);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("start's journal scan, 1 GB journal  %9.2f ms  %8.1f MB above the process  %zu damaged\n",
                ms, (StatusKb("VmHWM:") - startKb) / 1024.0, left.damaged.size());
    std::fflush(stdout);
    _exit(0);
  }
  if (child > 0) waitpid(child, nullptr, 0);
  std::filesystem::remove_all(state);
}

}  // namespace

int main() {
  char folder[] = "/tmp/tangrel-bench-files-XXXXXX";
  if (!mkdtemp(folder)) return 1;
  std::string take = std::string(folder) + "/take.tgi";
  std::string midi = std::string(folder) + "/take.mid";
  std::string plain = std::string(folder) + "/plain.bin";
  ReportHostileLoads(folder);
  ReportJournalScan(folder);
  auto events = MakeTake();

  std::printf("%u events, %d rounds each, files in %s\n", kEvents, kRounds, folder);

  Timing save = Measure([&] { return !SavePerformanceFile(events.data(), kEvents, 1297, 1, take); });
  size_t fileSize = std::filesystem::file_size(take);
  std::vector<uint8_t> same(fileSize, 0x5A);
  Timing write = Measure([&] { return PlainWrite(plain, same, false); });
  Timing writeSync = Measure([&] { return PlainWrite(plain, same, true); });
  Report("save", fileSize, save, write, "plain write");
  Report("save", fileSize, save, writeSync, "plain write + fsync");

  LoadedPerformance loaded;
  Timing load = Measure([&] { return !LoadPerformanceFile(take, loaded); });
  Timing read = Measure([&] { return PlainRead(take, fileSize); });
  Report("load", fileSize, load, read, "plain read");

  for (int32_t bourdon : {0, 1}) {
    Timing exportTime = Measure(
        [&] { return !ExportMidiFile(events.data(), kEvents, 1297, 0, bourdon, midi); });
    size_t midiSize = std::filesystem::file_size(midi);
    std::vector<uint8_t> sameMidi(midiSize, 0x5A);
    Timing midiWrite = Measure([&] { return PlainWrite(plain, sameMidi, true); });
    Report(bourdon ? "export, bourdon on" : "export, bourdon off", midiSize, exportTime, midiWrite,
           "plain write + fsync");
  }

  std::filesystem::remove_all(folder);
  return 0;
}
