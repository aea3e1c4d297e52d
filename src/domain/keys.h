// Keys as the keyboard hook sees them and as they are synthesised.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varnel {

// The low-level keyboard event as a global hook receives it.
struct KeyEvent {
  std::uint32_t vkCode = 0;
  std::uint32_t scanCode = 0;
  bool up = false;        // released, not pressed
  bool injected = false;  // sent by a program, not typed
  std::uint32_t time = 0;
  // Modifiers (key_masks.h) the system holds for this key though their keys are up: latched
  // or locked by sticky keys, which users who cannot hold two keys at once rely on.
  int latchedMask = 0;
};

// What the global hook does with a key: let it reach the program in front, or keep it.
enum class KeyVerdict : std::uint8_t { PassOn, Swallow };

// A key of the current layout that types a character: by virtual-key code, or by scan code
// where the code says nothing (vk 0); mods (Shift 1, Ctrl 2, Alt 4) are what the layout needs
// held to type the character on it.
struct KeyPlace {
  std::uint32_t vk = 0;
  std::uint32_t scanCode = 0;
  int mods = 0;
};
inline constexpr std::size_t kMaxKeyPlaces = 4;

// One synthesised key-down or key-up.
struct KeyInput {
  std::uint8_t vk = 0;
  std::uint8_t scan = 0;
  bool extended = false;  // one of the keys the enhanced keyboard added (arrows, Home, ...)
  bool up = false;
};

}  // namespace varnel
