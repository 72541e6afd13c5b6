// Save, load and export of a 1,000,000-event take, each against a plain write
// or read of the same number of bytes in the same folder.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "files/MidiExport.h"
#include "files/PerformanceFile.h"

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

}  // namespace

int main() {
  char folder[] = "/tmp/tangrel-bench-files-XXXXXX";
  if (!mkdtemp(folder)) return 1;
  std::string take = std::string(folder) + "/take.tgi";
  std::string midi = std::string(folder) + "/take.mid";
  std::string plain = std::string(folder) + "/plain.bin";
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
        [&] { return ExportMidiFile(events.data(), kEvents, 1297, 0, bourdon, midi); });
    size_t midiSize = std::filesystem::file_size(midi);
    std::vector<uint8_t> sameMidi(midiSize, 0x5A);
    Timing midiWrite = Measure([&] { return PlainWrite(plain, sameMidi, true); });
    Report(bourdon ? "export, bourdon on" : "export, bourdon off", midiSize, exportTime, midiWrite,
           "plain write + fsync");
  }

  std::filesystem::remove_all(folder);
  return 0;
}
