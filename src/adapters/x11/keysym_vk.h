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
// The keyboard map's group (0 to 3) XKB puts in a core event's state.
int GroupOfModifierBits(std::uint16_t state);
// The column of the core keyboard map that holds a group's level (0 plain, 1 with Shift). The
// core map lists the first two groups' two levels side by side; further groups are not in
// it, and their keys are looked up in the first.
int CoreMapColumn(int group, int level);

}  // namespace varnel
