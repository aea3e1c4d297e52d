// Translation between X keysyms and the Windows virtual-key codes the logic works with.
#pragma once

#include <cstdint>

namespace varnel {

// The keysyms of a layout's AltGr key: the right Alt on most European layouts.
inline constexpr std::uint32_t kLevel3ShiftKeysym = 0xfe03;
inline constexpr std::uint32_t kModeSwitchKeysym = 0xff7e;

// The virtual-key code of an unshifted keysym (column 0 of the keyboard map); 0 when the
// key has no Windows counterpart.
std::uint32_t VkFromKeysym(std::uint32_t keysym);

// The keysym that produces a virtual-key code, for injection; 0 when unknown.
std::uint32_t KeysymFromVk(std::uint32_t vk);

// Shift, Ctrl and Alt in either hand report their generic codes 16, 17 and 18 as well.
bool VkMatches(std::uint32_t keyVk, int askedVk);

// The core protocol's modifier bits for the program's modifier masks (key_masks.h) and back:
// Alt is Mod1 and the Super key Mod4, as every layout of the X keyboard configuration has
// them; Caps Lock, Num Lock and AltGr have no mask.
std::uint16_t ModifierBitsOf(int masks);
int MasksOfModifierBits(std::uint16_t state);

}  // namespace varnel
