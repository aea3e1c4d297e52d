#include "adapters/x11/keysym_vk.h"

#include <array>

#include "domain/key_codes.h"
#include "domain/key_masks.h"

namespace varnel {
namespace {

struct Pair {
  std::uint32_t keysym;
  std::uint32_t vk;
};

// Keys whose code is not a plain letter, digit or function key. The first pair of a vk is
// the one injection uses.
constexpr std::array kPairs{
    Pair{0xff08, 8},    // BackSpace
    Pair{0xff09, 9},    // Tab
    Pair{0xfe20, 9},    // ISO_Left_Tab (Shift+Tab on some maps)
    Pair{0xff0d, 13},   // Return
    Pair{0xff8d, 13},   // KP_Enter
    Pair{0xff13, 19},   // Pause
    Pair{0xffe5, 20},   // Caps_Lock
    Pair{0xff1b, 27},   // Escape
    Pair{0x0020, 32},   // space
    Pair{0xff55, 33},   // Prior
    Pair{0xff56, 34},   // Next
    Pair{0xff57, 35},   // End
    Pair{0xff50, 36},   // Home
    Pair{0xff51, 37},   // Left
    Pair{0xff52, 38},   // Up
    Pair{0xff53, 39},   // Right
    Pair{0xff54, 40},   // Down
    Pair{0xff61, 44},   // Print
    Pair{0xff63, 45},   // Insert
    Pair{0xffff, 46},   // Delete
    Pair{0xffeb, 91},   // Super_L
    Pair{0xffec, 92},   // Super_R
    Pair{0xff67, 93},   // Menu
    Pair{0xffaa, 106},  // KP_Multiply
    Pair{0xffab, 107},  // KP_Add
    Pair{0xffad, 109},  // KP_Subtract
    Pair{0xffae, 110},  // KP_Decimal
    Pair{0xffaf, 111},  // KP_Divide
    Pair{0xff7f, 144},  // Num_Lock
    Pair{0xff14, 145},  // Scroll_Lock
    Pair{0xffe1, 160},  // Shift_L
    Pair{0xffe2, 161},  // Shift_R
    Pair{0xffe3, 162},  // Control_L
    Pair{0xffe4, 163},  // Control_R
    Pair{0xffe9, 164},  // Alt_L
    Pair{0xffea, 165},  // Alt_R
    Pair{0xffe7, 164},  // Meta_L
    Pair{0xffe8, 165},  // Meta_R
    Pair{kLevel3ShiftKeysym, 165},
    Pair{0x1008ff26, 166},  // XF86Back
    Pair{0x1008ff27, 167},  // XF86Forward
    Pair{0x1008ff73, 168},  // XF86Reload
    Pair{0x1008ff28, 169},  // XF86Stop
    Pair{0x1008ff1b, 170},  // XF86Search
    Pair{0x1008ff30, 171},  // XF86Favorites
    Pair{0x1008ff18, 172},  // XF86HomePage
    Pair{0x003b, 186},      // semicolon
    Pair{0x003d, 187},      // equal
    Pair{0x002c, 188},      // comma
    Pair{0x002d, 189},      // minus
    Pair{0x002e, 190},      // period
    Pair{0x002f, 191},      // slash
    Pair{0x0060, 192},      // grave
    Pair{0x005b, 219},      // bracketleft
    Pair{0x005c, 220},      // backslash
    Pair{0x005d, 221},      // bracketright
    Pair{0x0027, 222},      // apostrophe
};

constexpr std::uint32_t kF1 = 0xffbe;
constexpr std::uint32_t kKp0 = 0xffb0;

struct ModifierBit {
  int mask;
  std::uint16_t bit;
};

constexpr std::array kModifierBits{
    ModifierBit{kMaskShift, 1U << 0},  // Shift
    ModifierBit{kMaskCtrl, 1U << 2},   // Control
    ModifierBit{kMaskAlt, 1U << 3},    // Mod1
    ModifierBit{kMaskSuper, 1U << 6},  // Mod4
};

}  // namespace

std::uint32_t VkFromKeysym(std::uint32_t keysym) {
  if (keysym >= 'a' && keysym <= 'z') {
    return keysym - 'a' + 'A';
  }
  if (keysym >= 'A' && keysym <= 'Z') {
    return keysym;
  }
  if (keysym >= '0' && keysym <= '9') {
    return keysym;
  }
  if (keysym >= kF1 && keysym < kF1 + vk::FunctionKeys) {
    return vk::F1 + (keysym - kF1);
  }
  if (keysym >= kKp0 && keysym <= kKp0 + 9) {
    return 96 + (keysym - kKp0);
  }
  for (const Pair& p : kPairs) {
    if (p.keysym == keysym) {
      return p.vk;
    }
  }
  return 0;
}

std::uint32_t KeysymFromVk(std::uint32_t vk) {
  if (vk >= 'A' && vk <= 'Z') {
    return vk - 'A' + 'a';
  }
  if (vk >= '0' && vk <= '9') {
    return vk;
  }
  if (vk >= vk::F1 && vk < vk::F1 + vk::FunctionKeys) {
    return kF1 + (vk - vk::F1);
  }
  if (vk >= 96 && vk <= 105) {
    return kKp0 + (vk - 96);
  }
  switch (vk) {  // the generic modifiers inject as their left-hand keys
    case vk::Shift:
      return 0xffe1;
    case vk::Control:
      return 0xffe3;
    case vk::Alt:
      return 0xffe9;
    default:
      break;
  }
  for (const Pair& p : kPairs) {
    if (p.vk == vk) {
      return p.keysym;
    }
  }
  return 0;
}

bool VkMatches(std::uint32_t keyVk, int askedVk) {
  if (keyVk == static_cast<std::uint32_t>(askedVk)) {
    return true;
  }
  switch (askedVk) {
    case vk::Shift:
      return keyVk == vk::LeftShift || keyVk == vk::RightShift;
    case vk::Control:
      return keyVk == vk::LeftControl || keyVk == vk::RightControl;
    case vk::Alt:
      return keyVk == vk::LeftAlt || keyVk == vk::RightAlt;
    default:
      return false;
  }
}

std::uint16_t ModifierBitsOf(int masks) {
  std::uint16_t bits = 0;
  for (const ModifierBit& m : kModifierBits) {
    bits |= (masks & m.mask) != 0 ? m.bit : 0;
  }
  return bits;
}

int MasksOfModifierBits(std::uint16_t state) {
  int masks = 0;
  for (const ModifierBit& m : kModifierBits) {
    masks |= (state & m.bit) != 0 ? m.mask : 0;
  }
  return masks;
}

int GroupOfModifierBits(std::uint16_t state) {
  constexpr int kGroupShift = 13;
  constexpr int kGroupMask = 3;
  return (state >> kGroupShift) & kGroupMask;
}

int CoreMapColumn(int group, int level) {
  constexpr int kCoreGroups = 2;
  constexpr int kLevelsPerGroup = 2;
  return (group >= 0 && group < kCoreGroups ? group * kLevelsPerGroup : 0) + level;
}

}  // namespace varnel
