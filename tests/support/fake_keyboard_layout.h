// A US keyboard layout, answering as VkKeyScan and MapVirtualKey do; a test may move a
// character to another key.
#pragma once

#include <cstdint>
#include <map>

#include "ports/keyboard_layout.h"

namespace varnel {

class FakeKeyboardLayout final : public KeyboardLayout {
 public:
  void SetKeyScan(char ch, std::int16_t result) { keyScanOverride_[ch] = result; }

  std::int16_t KeyForCharacter(char ch) override;
  std::uint32_t TranslateKeyCode(std::uint32_t code, std::uint32_t mode) override;

 private:
  std::map<char, std::int16_t> keyScanOverride_;
};

}  // namespace varnel
