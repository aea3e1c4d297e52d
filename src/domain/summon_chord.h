// The chord that summons the search window, as data: a character wherever the current layout
// puts it ("/" is Shift+7 on a German keyboard), or a key by name ("F12", "Space").
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "domain/controls.h"
#include "domain/key_masks.h"
#include "domain/keys.h"

namespace varnel {

struct SummonChord {
  int mods = kMaskCtrl | kMaskAlt;
  char32_t character = U'/';  // 0 for a key by name
  std::uint32_t vk = 0;       // the named key's virtual-key code when there is no character
  friend bool operator==(const SummonChord&, const SummonChord&) = default;
};

inline constexpr std::string_view kDefaultSummonChord = "Ctrl+Alt+/";

// "Ctrl+Alt+/", "ctrl+shift+f12", "Super+Space": modifiers and one key, joined by "+", in
// any case. Nullopt when unreadable, or when the chord would swallow plain typing.
std::optional<SummonChord> ParseChord(std::string_view text);
// The chord as the user reads it: "Ctrl+Alt+/".
std::string ChordText(const SummonChord& chord);

// The keys that make the chord's key in the current layout.
// A character the layout types with these held (AltGr) cannot be a chord's key.
inline constexpr int kLayoutCharMods = kMaskCtrl | kMaskAlt;

struct ChordKeys {
  std::array<KeyPlace, kMaxKeyPlaces> places{};
  std::size_t count = 0;
};

// The modifiers held as a key goes down. AltGr (the right Alt) types characters: "{" is
// AltGr+7 on a German keyboard, and Windows reports it as Ctrl+Alt.
struct HeldModifiers {
  int mask = 0;
  bool altGr = false;
};

// The key is one of the chord's (whatever the modifiers).
bool IsChordKey(const ChordKeys& keys, const KeyEvent& ev);
// The key is one of the chord's, and exactly the chord's modifiers are held, plus those the
// layout needs to type the character on that key (Shift for "/" on a German keyboard).
bool IsChordPress(const SummonChord& chord, const ChordKeys& keys, const KeyEvent& ev,
                  const HeldModifiers& held);

}  // namespace varnel
