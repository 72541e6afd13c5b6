// SPDX-License-Identifier: GPL-3.0-or-later
// Key press to MIDI word: 100,000 presses and releases sent through the real
// main window's key handler to a capture device. Prints p50, p99 and max of
// the time from the event entering the handler to the word reaching the
// device. Run with QT_QPA_PLATFORM=offscreen; with --record the keys are
// recorded, each event journaled on the way (--record-in-memory: recorded
// without a journal).
#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/CaptureDevice.h"
#include "model/KeyMap.h"
#include "session/CommandIds.h"
#include "tests/support/TempDir.h"
#include "ui/Messages.h"
#include "ui/Startup.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPresses = 100000;
constexpr uint32_t kNativeOffset = 8;

class NoMessages : public tangrel::Messages {
 public:
  tangrel::MessageAnswer Show(QWidget*, tangrel::MessageIcon, const QString&, const QString&,
                              tangrel::MessageButtons) override {
    return tangrel::MessageAnswer::Ok;
  }
  std::optional<tangrel::ChosenFile> AskFileName(QWidget*, const tangrel::FileRequest&) override {
    return std::nullopt;
  }
};

std::vector<uint32_t> PlayableScanCodes() {
  std::vector<uint32_t> codes;
  for (uint32_t s = 0; s < tangrel::kKeyMapSize; ++s) {
    if (tangrel::LookupNoteKey(s)) codes.push_back(s);
  }
  return codes;
}

double Percentile(std::vector<double>& sorted, double p) {
  const size_t i = std::min(sorted.size() - 1, static_cast<size_t>(p * sorted.size()));
  return sorted[i];
}

}  // namespace

int main(int argc, char** argv) {
  // --record-in-memory: recording, with no folder the journal could be made in,
  // for the figure of the key path without it.
  const std::string option = argc > 1 ? argv[1] : "";
  const bool record = option == "--record" || option == "--record-in-memory";
  // The journal goes to a folder of the bench's own, on the same disk as /tmp.
  tangrel::testing::TempDir state("tangrel-bench-state");
  setenv("XDG_STATE_HOME", option == "--record-in-memory" ? "/dev/null/none" : state.Path().c_str(), 1);
  QApplication app(argc, argv);
  tangrel::InstallFontSubstitutions();
  tangrel::DeviceSet devices;
  auto owned = std::make_unique<tangrel::CaptureDevice>("Capture");
  tangrel::CaptureDevice* device = owned.get();
  devices.Add(std::move(owned));
  device->SetKeepWords(false);
  NoMessages messages;
  const tangrel::Pictures pictures = tangrel::LoadPictures();
  auto window = tangrel::CreateMainWindow(devices, messages, pictures);
  window->resize(1024, 768);
  window->show();
  QApplication::processEvents();
  if (record) window->OnCommand(tangrel::IDM_RECORD);

  const std::vector<uint32_t> codes = PlayableScanCodes();
  std::vector<double> micros;
  micros.reserve(2 * kPresses);
  int silent = 0;  // events after which no new word arrived
  auto measure = [&](QEvent::Type type, uint32_t scan) {
    QKeyEvent event(type, 0, Qt::NoModifier, scan + kNativeOffset, 0, 0);
    const Clock::time_point entry = Clock::now();
    QApplication::sendEvent(window->Client(), &event);
    const Clock::time_point arrived = device->LastTime();
    if (arrived < entry) ++silent;
    micros.push_back(std::chrono::duration<double, std::micro>(arrived - entry).count());
  };
  for (int i = 0; i < kPresses; ++i) {
    const uint32_t scan = codes[static_cast<size_t>(i) % codes.size()];
    measure(QEvent::KeyPress, scan);
    measure(QEvent::KeyRelease, scan);
    // Let the window repaint the keys it drew now and then, as it would
    // between a player's key strokes.
    if (i % 64 == 63) QApplication::processEvents();
  }

  if (silent != 0) {
    std::fprintf(stderr, "%d key events sent no word: the figures are void\n", silent);
    return 1;
  }
  std::sort(micros.begin(), micros.end());
  std::printf("key event to MIDI word, %zu events (%d presses and releases)%s\n", micros.size(),
              kPresses, option.empty() ? "" : (", " + option.substr(2)).c_str());
  std::printf("p50 %.2f us   p99 %.2f us   max %.2f us   (target: p99 < 50 us)\n",
              Percentile(micros, 0.50), Percentile(micros, 0.99), micros.back());
  return 0;
}
