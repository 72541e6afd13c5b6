// SPDX-License-Identifier: GPL-3.0-or-later
// Look-ups over the KeyMap and the ModeTable.
#include "model/KeyMap.h"

namespace tangrel {

std::optional<KeyMapEntry> LookupKey(uint32_t scanCode) {
  if (scanCode >= static_cast<uint32_t>(kKeyMapSize)) return std::nullopt;
  return KeyMap[scanCode];
}

std::optional<KeyMapEntry> LookupNoteKey(uint32_t scanCode) {
  auto entry = LookupKey(scanCode);
  if (!entry || entry->octave == -1) return std::nullopt;
  return entry;
}

const Mode* FindMode(ModeId id) {
  for (const Mode& mode : ModeTable) {
    if (mode.id == id) return &mode;
  }
  return nullptr;
}

std::optional<int32_t> ModeOffset(ModeId id) {
  const Mode* mode = FindMode(id);
  if (!mode) return std::nullopt;
  return mode->offset;
}

std::optional<int32_t> NoteNumber(int32_t octave, int32_t degree, ModeId id) {
  auto offset = ModeOffset(id);
  if (!offset) return std::nullopt;
  return 12 * octave + degree + *offset;
}

std::optional<std::string> KeySignatureText(ModeId id, const std::string& instrumentName) {
  const Mode* mode = FindMode(id);
  if (!mode) return std::nullopt;
  // Every format is "%s" followed by the key part, so the fill is a prefix.
  std::string format = mode->signatureFormat;
  return instrumentName + format.substr(2);
}

}  // namespace tangrel
