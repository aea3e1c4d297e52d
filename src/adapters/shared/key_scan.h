// The answer a VkKeyScan-style lookup gives (the key code in the low byte, Shift 1, Ctrl 2 and
// Alt 4 in the high one, -1 for no key) as the key the layout port names.
#pragma once

#include <cstdint>
#include <optional>

#include "domain/key_masks.h"
#include "domain/keys.h"

namespace varnel {

// The answer holds the key code in its low byte and the modifier masks in its high byte.
inline constexpr int kKeyScanMaskBits = 8;
inline constexpr int kKeyScanShift = kMaskShift << kKeyScanMaskBits;
inline constexpr int kKeyScanCtrl = kMaskCtrl << kKeyScanMaskBits;
inline constexpr int kKeyScanAlt = kMaskAlt << kKeyScanMaskBits;

inline std::optional<KeyPlace> KeyPlaceFromKeyScan(std::int16_t answer) {
  constexpr unsigned kCodeBits = 0xFF;
  constexpr unsigned kNoKey = 0xFF;
  const auto bits = static_cast<std::uint16_t>(answer);
  const unsigned code = bits & kCodeBits;
  // 0 and a code of 0xFF (with -1 among them) both mean no key types the character.
  if (code == 0 || code == kNoKey) {
    return std::nullopt;
  }
  const int mods = static_cast<int>(bits >> kKeyScanMaskBits) & (kMaskShift | kMaskCtrl | kMaskAlt);
  return KeyPlace{code, 0, mods};
}

}  // namespace varnel
