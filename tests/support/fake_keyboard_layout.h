// A US keyboard layout; a test may move a character to another key or take it away.
#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "ports/keyboard_layout.h"

namespace varnel {

class FakeKeyboardLayout final : public KeyboardLayout {
 public:
  // The key that types ch from now on; none: no key types it.
  void MoveCharacter(char ch, std::optional<KeyPlace> key) { moved_[ch] = key; }

  std::optional<KeyPlace> KeyToType(char ch) override;
  std::uint32_t ScanCodeOf(std::uint32_t vk) override;
  char32_t CharacterOf(std::uint32_t vk) override;

 private:
  std::map<char, std::optional<KeyPlace>> moved_;
};

}  // namespace varnel
