// Where the summon chord's key lies in the layout the user types with now.
#pragma once

#include "domain/summon_chord.h"
#include "ports/keyboard_layout.h"

namespace varnel {

// The keys that make the chord's key in the current layout; none when the layout cannot
// type its character without AltGr or the like.
ChordKeys LocateChordKeys(const SummonChord& chord, KeyboardLayout& layout);

}  // namespace varnel
