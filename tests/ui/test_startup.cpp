// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up paths: no device, a device that will not open (and why), a device that does.
#include <gtest/gtest.h>

#include "WindowHarness.h"
#include "devices/BuiltInSynthDevice.h"

namespace tangrel::test {
namespace {

TEST(Startup, NoDeviceShowsTheErrorBoxAndEndsWithCodeZero) {
  DeviceSet none;
  RecordedMessages messages;
  const Pictures pictures = LoadPictures();
  EXPECT_EQ(CreateMainWindow(none, messages, pictures), nullptr);
  const auto noDevices = [&none]() -> MidiDevices& { return none; };
  EXPECT_EQ(RunTangrel(*qApp, noDevices, messages, {"", 0}), 0);  // returns without the loop
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
  EXPECT_EQ(messages.shown[0].caption, QStringLiteral("TG"));
  EXPECT_EQ(messages.shown[0].text, QStringLiteral("No MIDI output devices!"));
}

TEST(Startup, TheFirstDeviceOpensWithTheProgramChangeOnTheTrackChannelOnly) {
  Harness h;
  EXPECT_TRUE(h.messages.shown.empty());
  EXPECT_EQ(h.window->Settings().deviceId, 0);  // no MIDI mapper on this system
  EXPECT_EQ(h.window->Settings().switchOpen, 1);
  EXPECT_TRUE(h.device->IsOpen());
  // The harness cleared the capture after start-up; make a fresh window to see it.
  DeviceSet devices;
  auto owned = std::make_unique<CaptureDevice>();
  CaptureDevice* device = owned.get();
  devices.Add(std::move(owned));
  RecordedMessages messages;
  auto window = CreateMainWindow(devices, messages, h.pictures);
  EXPECT_EQ(device->Words(), (std::vector<uint32_t>{0x000000C0u}));
}

TEST(Startup, ADeviceThatFailsToOpenWarnsAndLeavesTheKeysSilent) {
  Harness h(/*opens=*/false);
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.shown[0].icon, MessageIcon::Warning);
  EXPECT_EQ(h.messages.shown[0].caption, QStringLiteral("TG"));
  EXPECT_EQ(h.messages.shown[0].text, QStringLiteral("Cannot open MIDI device"));
  EXPECT_EQ(h.window->Settings().switchOpen, 0);
  h.Press(kScanA);
  const QRect s = h.window->Keyboard().CellRect(kScanS);
  h.Mouse(QEvent::MouseButtonPress, s.center());
  EXPECT_TRUE(h.Words().empty());
  EXPECT_EQ(h.CapColour(kScanA), Harness::StripColour(0));
  EXPECT_EQ(h.CapColour(kScanS), Harness::StripColour(0));
  h.Mouse(QEvent::MouseButtonRelease, s.center());
  EXPECT_EQ(h.device->OpenCount(), 0);
}

// The window's box says why on a line of its own: here, the SoundFont.
TEST(Startup, ADeviceThatFailsToOpenSaysWhyUnderTheMessage) {
  DeviceSet devices;
  devices.Add(std::make_unique<BuiltInSynthDevice>("/nonexistent/tangrel.sf2"));
  RecordedMessages messages;
  const Pictures pictures = LoadPictures();
  const auto window = CreateMainWindow(devices, messages, pictures);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text,
            QStringLiteral("Cannot open MIDI device\n"
                           "The SoundFont /nonexistent/tangrel.sf2 does not exist."));
}

}  // namespace
}  // namespace tangrel::test
