// SPDX-License-Identifier: GPL-3.0-or-later
// Termination signals turned into an end of every event loop through a pipe:
// the handler only writes one byte, the loop does the rest.
#include "ui/SignalQuit.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

namespace tangrel {
namespace {

int signalPipe[2] = {-1, -1};
bool endingAtOnce = false;

void OnSignal(int) {
  const char byte = 1;
  // Nothing else is async-signal-safe enough to do here.
  [[maybe_unused]] ssize_t written = write(signalPipe[1], &byte, 1);
}

}  // namespace

void QuitOnTerminationSignals(QObject* parent) {
  if (signalPipe[0] < 0 && pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, parent);
  QObject::connect(notifier, &QSocketNotifier::activated, parent, [] {
    char byte;
    while (read(signalPipe[0], &byte, 1) > 0) {
    }
    EndAtOnce();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

void EndAtOnce() {
  endingAtOnce = true;
  // exit, not quit: quit would close the window first, and closing asks
  // about an unsaved take. exit ends every loop, a box's too, and asks nothing.
  QCoreApplication::exit(0);
}

bool EndingAtOnce() { return endingAtOnce; }

}  // namespace tangrel
