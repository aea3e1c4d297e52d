#include "support/fake_keyboard_layout.h"

#include <array>

#include "domain/key_codes.h"
#include "domain/key_masks.h"

namespace varnel {
namespace {

struct KeyInfo {
  std::uint8_t vk;
  std::uint8_t scan;
  char plain;    // character without Shift, 0 when none
  char shifted;  // character with Shift, 0 when none
};

constexpr std::array kKeys{
    KeyInfo{0x08, 0x0E, 8, 8},
    KeyInfo{0x09, 0x0F, '\t', '\t'},
    KeyInfo{0x0D, 0x1C, '\r', '\r'},
    KeyInfo{0x1B, 0x01, 27, 27},
    KeyInfo{0x20, 0x39, ' ', ' '},
    KeyInfo{0xBD, 0x0C, '-', '_'},
    KeyInfo{0xBB, 0x0D, '=', '+'},
    KeyInfo{0xDB, 0x1A, '[', '{'},
    KeyInfo{0xDD, 0x1B, ']', '}'},
    KeyInfo{0xBA, 0x27, ';', ':'},
    KeyInfo{0xDE, 0x28, '\'', '"'},
    KeyInfo{0xC0, 0x29, '`', '~'},
    KeyInfo{0xDC, 0x2B, '\\', '|'},
    KeyInfo{0xBC, 0x33, ',', '<'},
    KeyInfo{0xBE, 0x34, '.', '>'},
    KeyInfo{0xBF, 0x35, '/', '?'},
    KeyInfo{0x31, 0x02, '1', '!'},
    KeyInfo{0x32, 0x03, '2', '@'},
    KeyInfo{0x33, 0x04, '3', '#'},
    KeyInfo{0x34, 0x05, '4', '$'},
    KeyInfo{0x35, 0x06, '5', '%'},
    KeyInfo{0x36, 0x07, '6', '^'},
    KeyInfo{0x37, 0x08, '7', '&'},
    KeyInfo{0x38, 0x09, '8', '*'},
    KeyInfo{0x39, 0x0A, '9', '('},
    KeyInfo{0x30, 0x0B, '0', ')'},
    // Keys that produce no character.
    KeyInfo{0x10, 0x2A, 0, 0},
    KeyInfo{0x11, 0x1D, 0, 0},
    KeyInfo{0x12, 0x38, 0, 0},
    KeyInfo{0xA0, 0x2A, 0, 0},
    KeyInfo{0xA1, 0x36, 0, 0},
    KeyInfo{0xA2, 0x1D, 0, 0},
    KeyInfo{0xA3, 0x1D, 0, 0},
    KeyInfo{0xA4, 0x38, 0, 0},
    KeyInfo{0xA5, 0x38, 0, 0},
    KeyInfo{0x21, 0x49, 0, 0},
    KeyInfo{0x22, 0x51, 0, 0},
    KeyInfo{0x23, 0x4F, 0, 0},
    KeyInfo{0x24, 0x47, 0, 0},
    KeyInfo{0x25, 0x4B, 0, 0},
    KeyInfo{0x26, 0x48, 0, 0},
    KeyInfo{0x27, 0x4D, 0, 0},
    KeyInfo{0x28, 0x50, 0, 0},
    KeyInfo{0x2D, 0x52, 0, 0},
    KeyInfo{0x2E, 0x53, 0, 0},
    KeyInfo{0x5B, 0x5B, 0, 0},
    KeyInfo{0x5C, 0x5C, 0, 0},
    KeyInfo{0x14, 0x3A, 0, 0},
    KeyInfo{0x70, 0x3B, 0, 0},
    KeyInfo{0x71, 0x3C, 0, 0},
    KeyInfo{0x72, 0x3D, 0, 0},
    KeyInfo{0x73, 0x3E, 0, 0},
    KeyInfo{0x74, 0x3F, 0, 0},
    KeyInfo{0x75, 0x40, 0, 0},
    KeyInfo{0x76, 0x41, 0, 0},
    KeyInfo{0x77, 0x42, 0, 0},
    KeyInfo{0x78, 0x43, 0, 0},
    KeyInfo{0x79, 0x44, 0, 0},
    KeyInfo{0x7A, 0x57, 0, 0},
    KeyInfo{0x7B, 0x58, 0, 0},
    KeyInfo{0x60, 0x52, '0', '0'},
    KeyInfo{0x61, 0x4F, '1', '1'},
    KeyInfo{0x62, 0x50, '2', '2'},
    KeyInfo{0x63, 0x51, '3', '3'},
    KeyInfo{0x64, 0x4B, '4', '4'},
    KeyInfo{0x65, 0x4C, '5', '5'},
    KeyInfo{0x66, 0x4D, '6', '6'},
    KeyInfo{0x67, 0x47, '7', '7'},
    KeyInfo{0x68, 0x48, '8', '8'},
    KeyInfo{0x69, 0x49, '9', '9'},
};

// Scan codes of A..Z.
constexpr std::array<std::uint8_t, 26> kLetterScan{
    0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
    0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

const KeyInfo* FindVk(std::uint32_t vkCode) {
  for (const auto& k : kKeys) {
    if (k.vk == vkCode) {
      return &k;
    }
  }
  return nullptr;
}

}  // namespace

std::optional<KeyPlace> FakeKeyboardLayout::KeyToType(char ch) {
  if (auto it = moved_.find(ch); it != moved_.end()) {
    return it->second;
  }
  if (ch >= 'a' && ch <= 'z') {
    return KeyPlace{static_cast<std::uint32_t>(ch - 'a' + 'A'), 0, 0};
  }
  if (ch >= 'A' && ch <= 'Z') {
    return KeyPlace{static_cast<std::uint32_t>(ch), 0, kMaskShift};
  }
  if (ch == '\n') {
    return KeyPlace{vk::Return, 0, kMaskCtrl};
  }
  for (const auto& k : kKeys) {
    if (k.vk >= vk::Numpad0 && k.vk <= vk::Numpad9) {
      continue;  // the digit row comes first
    }
    if (k.plain != 0 && k.plain == ch) {
      return KeyPlace{k.vk, 0, 0};
    }
    if (k.shifted != 0 && k.shifted == ch) {
      return KeyPlace{k.vk, 0, kMaskShift};
    }
  }
  return std::nullopt;
}

std::uint32_t FakeKeyboardLayout::ScanCodeOf(std::uint32_t vk) {
  if (vk >= 'A' && vk <= 'Z') {
    return kLetterScan[vk - 'A'];
  }
  const KeyInfo* k = FindVk(vk);
  return k != nullptr ? k->scan : 0;
}

char32_t FakeKeyboardLayout::CharacterOf(std::uint32_t vk) {
  if (vk >= 'A' && vk <= 'Z') {
    return vk;
  }
  const KeyInfo* k = FindVk(vk);
  return k != nullptr ? static_cast<unsigned char>(k->plain) : 0;
}

}  // namespace varnel
