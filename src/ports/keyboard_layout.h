// The layout the user types with: which keys type a character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include "domain/keys.h"

namespace varnel {

class KeyboardLayout {
 public:
  // Layout lookups with the Windows meanings (VkKeyScanA, MapVirtualKeyA).
  virtual std::int16_t KeyForCharacter(char ch) = 0;
  virtual std::uint32_t TranslateKeyCode(std::uint32_t code, std::uint32_t mode) = 0;
  // Changes whenever the layout the user types with changes; cheap enough for the hook.
  virtual std::uintptr_t LayoutId() { return 0; }
  // The keys (up to places.size()) that type `ch` in the current layout; their count.
  virtual std::size_t LocateCharacter(char32_t ch, std::span<KeyPlace> places) {
    constexpr char32_t kLastAscii = 0x7E;
    constexpr unsigned kByte = 0xFF;
    constexpr unsigned kModBits = 7;
    if (ch > kLastAscii || places.empty()) {
      return 0;
    }
    const std::int16_t scan = KeyForCharacter(static_cast<char>(ch));
    if (scan == -1) {
      return 0;
    }
    const auto bits = static_cast<std::uint16_t>(scan);
    places[0] = KeyPlace{bits & kByte, 0, static_cast<int>((bits >> 8U) & kModBits)};
    return 1;
  }

 protected:
  ~KeyboardLayout() = default;
};

}  // namespace varnel
