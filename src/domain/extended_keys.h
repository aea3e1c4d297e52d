// Which virtual keys are extended keys: the keys of the keyboard's extended block, which
// the system tells apart from their twins (right Ctrl and Alt from the left ones, the
// arrow block from the number pad's) by the extended flag. A synthesised key carries the
// flag only when it is one of these; the plain Shift, Ctrl and Alt never do, since Alt
// marked extended is the right Alt, AltGr on many layouts.
#pragma once

#include <array>
#include <cstdint>

namespace varnel {

inline constexpr std::array<std::uint8_t, 31> kExtendedKeys = {
    3,    // Ctrl+Break
    33,   // Page Up
    34,   // Page Down
    35,   // End
    36,   // Home
    37,   // Left
    38,   // Up
    39,   // Right
    40,   // Down
    44,   // Print Screen
    45,   // Insert
    46,   // Delete
    91,   // left Windows
    92,   // right Windows
    93,   // Applications (menu)
    111,  // number pad Divide
    144,  // Num Lock
    163,  // right Ctrl
    165,  // right Alt
    166,  // browser Back
    167,  // browser Forward
    168,  // browser Refresh
    169,  // browser Stop
    170,  // browser Search
    171,  // browser Favorites
    172,  // browser Home
    173,  // volume Mute
    174,  // volume Down
    175,  // volume Up
    176,  // next track
    177,  // previous track
};

// The number pad's Enter is extended too, but it shares its virtual key with the main
// Enter, which is not: a synthesised Enter is the main one.
constexpr bool IsExtendedKey(std::uint32_t vk) {
  for (const std::uint8_t k : kExtendedKeys) {
    if (k == vk) {
      return true;
    }
  }
  return false;
}

}  // namespace varnel
