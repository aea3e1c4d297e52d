#include "core/chord_keys.h"

#include <algorithm>
#include <array>

namespace varnel {

ChordKeys LocateChordKeys(const SummonChord& chord, KeyboardLayout& layout) {
  ChordKeys keys;
  if (chord.character == 0) {
    keys.places[0] = KeyPlace{chord.vk, 0, 0};
    keys.count = 1;
    return keys;
  }
  std::array<KeyPlace, kMaxKeyPlaces> found{};
  const std::size_t n = std::min(layout.LocateCharacter(chord.character, found), found.size());
  for (std::size_t i = 0; i < n; ++i) {
    if ((found[i].mods & kLayoutCharMods) == 0) {
      keys.places[keys.count++] = found[i];
    }
  }
  return keys;
}

}  // namespace varnel
