// SPDX-License-Identifier: GPL-3.0-or-later
// Native scan codes to set-1 scan codes and keyData.
#include "ui/KeyTranslation.h"

#include <iterator>


namespace tangrel {
namespace {

constexpr uint32_t kEvdevOffset = 8;      // X11 and Wayland add 8 to the evdev code
constexpr uint32_t kLastPlainEvdev = 88;  // evdev 1..88 are the set-1 codes themselves

struct ExtendedKey {
  uint32_t evdev;
  uint32_t set1;
};

// Keys that share a set-1 code with a main-block or keypad key and are told
// apart by the E0 prefix, which becomes bit 24.
constexpr ExtendedKey kExtendedKeys[] = {
    {96, 0x1C},   // keypad Enter
    {97, 0x1D},   // right Ctrl
    {98, 0x35},   // keypad slash
    {99, 0x37},   // Print Screen
    {100, 0x38},  // right Alt
    {102, 0x47},  // Home
    {103, 0x48},  // Up
    {104, 0x49},  // Page Up
    {105, 0x4B},  // Left
    {106, 0x4D},  // Right
    {107, 0x4F},  // End
    {108, 0x50},  // Down
    {109, 0x51},  // Page Down
    {110, 0x52},  // Insert
    {111, 0x53},  // Delete
    {125, 0x5B},  // left Windows key
    {126, 0x5C},  // right Windows key
    {127, 0x5D},  // Menu
};
// The E0-prefixed keys of the 104-key layout that have an evdev code; a table
// that grows or shrinks by accident would silently change recorded keyData.
static_assert(std::size(kExtendedKeys) == 18);

}  // namespace

Set1Key Set1ScanCode(uint32_t nativeScanCode) {
  if (nativeScanCode <= kEvdevOffset) return {};
  const uint32_t evdev = nativeScanCode - kEvdevOffset;
  if (evdev <= kLastPlainEvdev) return {evdev, false};
  for (const ExtendedKey& key : kExtendedKeys) {
    if (key.evdev == evdev) return {key.set1, true};
  }
  return {};
}

uint32_t MakeKeyData(uint32_t nativeScanCode, bool release, bool autoRepeat) {
  const Set1Key key = Set1ScanCode(nativeScanCode);
  uint32_t keyData = 1u | (key.scanCode << 16);
  if (key.extended) keyData |= kKeyDataExtendedBit;
  if (release) return keyData | kKeyDataReleaseBits;
  if (autoRepeat) keyData |= kKeyDataRepeatBit;
  return keyData;
}

}  // namespace tangrel
