// The layout the user types with: which keys type a character, and what a key is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include "domain/keys.h"

namespace varnel {

class KeyboardLayout {
 public:
  // The key code that types an ASCII character when Varnel sends keys, with the modifiers
  // held for it (KeyPlace's mods); none when no key types it.
  virtual std::optional<KeyPlace> KeyToType(char ch) = 0;
  // The hardware scan code of a key code; 0 when the layout has no such key.
  virtual std::uint32_t ScanCodeOf(std::uint32_t vk) = 0;
  // The character a key types unshifted, letters as capitals; 0 when it types none.
  virtual char32_t CharacterOf(std::uint32_t vk) = 0;
  // Changes whenever the layout the user types with changes; cheap enough for the hook.
  virtual std::uintptr_t LayoutId() { return 0; }
  // The keys (up to places.size()) that type `ch` in the current layout; their count.
  virtual std::size_t LocateCharacter(char32_t ch, std::span<KeyPlace> places) {
    constexpr char32_t kLastAscii = 0x7E;
    if (ch > kLastAscii || places.empty()) {
      return 0;
    }
    const std::optional<KeyPlace> key = KeyToType(static_cast<char>(ch));
    if (!key) {
      return 0;
    }
    places[0] = *key;
    return 1;
  }

 protected:
  ~KeyboardLayout() = default;
};

}  // namespace varnel
