// SPDX-License-Identifier: GPL-3.0-or-later
// A real main window on a capture device, with message boxes recorded instead
// of shown, and key events that carry native scan codes as X11 delivers them.
#pragma once

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QString>
#include <memory>
#include <vector>

#include "tests/support/CaptureDevice.h"
#include "model/MidiDevices.h"
#include "ui/MainWindow.h"
#include "ui/Messages.h"
#include "ui/Startup.h"

namespace tangrel::test {

struct ShownMessage {
  MessageIcon icon;
  QString caption;
  QString text;
  MessageButtons buttons;
};

class RecordedMessages : public Messages {
 public:
  MessageAnswer Show(QWidget*, MessageIcon icon, const QString& caption, const QString& text,
                     MessageButtons buttons) override {
    shown.push_back({icon, caption, text, buttons});
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
  }
  std::optional<ChosenFile> AskFileName(QWidget*, const FileRequest& request) override {
    requests.push_back(request);
    return std::nullopt;
  }
  std::vector<ShownMessage> shown;
  std::vector<FileRequest> requests;
};

// Set-1 scan codes of the keys the tests play.
constexpr uint32_t kScanEsc = 1, kScanQ = 16, kScanA = 30, kScanS = 31, kScanK = 37,
                   kScanZ = 44, kScanSlash = 53;
constexpr uint32_t kNativeOffset = 8;  // X11 native scan code = evdev code + 8

constexpr uint32_t NoteOn(uint32_t note, uint32_t velocity = 127, uint32_t channel = 0) {
  return 0x90 | channel | (note << 8) | (velocity << 16);
}
constexpr uint32_t NoteOff(uint32_t note, uint32_t channel = 0) {
  return 0x80 | channel | (note << 8);
}

struct Harness {
  explicit Harness(bool opens = true, const char* deviceName = "Capture") {
    auto owned = std::make_unique<CaptureDevice>(deviceName, opens);
    device = owned.get();
    devices.Add(std::move(owned));
    window = CreateMainWindow(devices, messages, pictures);
    window->resize(800, 600);
    window->show();
    QApplication::processEvents();
    device->Clear();
  }

  void Key(QEvent::Type type, uint32_t scanCode, Qt::KeyboardModifiers modifiers = {},
           bool autoRepeat = false, int qtKey = 0) {
    QKeyEvent event(type, qtKey, modifiers, scanCode + kNativeOffset, 0, 0, QString(),
                    autoRepeat);
    QApplication::sendEvent(window->Client(), &event);
  }
  void Press(uint32_t scanCode, Qt::KeyboardModifiers modifiers = {}) {
    Key(QEvent::KeyPress, scanCode, modifiers);
  }
  void Release(uint32_t scanCode, Qt::KeyboardModifiers modifiers = {}) {
    Key(QEvent::KeyRelease, scanCode, modifiers);
  }
  void Mouse(QEvent::Type type, QPoint at, Qt::KeyboardModifiers modifiers = {}) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, QPointF(at), window->Client()->mapToGlobal(QPointF(at)),
                      Qt::LeftButton, held, modifiers);
    QApplication::sendEvent(window->Client(), &event);
  }

  std::vector<uint32_t> Words() const { return device->Words(); }

  // The colour of a key's cap as the window draws it now: a face pixel left
  // of the label, clear of the dots.
  QColor CapColour(uint32_t scanCode) const {
    const QRect cell = window->Keyboard().CellRect(scanCode);
    return window->Client()->grab().toImage().pixelColor(cell.x() + 5, cell.y() + 20);
  }
  // The same pixel of a cap in the key-cap strip: 0 white, 1 blue, 2 red, 3 green.
  static QColor StripColour(int cap) {
    static const QImage strip(QStringLiteral(":/keycaps.png"));
    return strip.pixelColor(cap * 38 + 5, 20);
  }

  DeviceSet devices;
  CaptureDevice* device = nullptr;
  RecordedMessages messages;
  Pictures pictures = LoadPictures();
  std::unique_ptr<MainWindow> window;
};

}  // namespace tangrel::test
