// The global keyboard hook through which the summon chord and Tab reach Varnel while other
// programs are in front. Its events may come from the hook's own thread: see
// PlatformEvents::OnGlobalKey.
#pragma once

#include <cstdint>
#include "domain/key_codes.h"
#include "domain/keys.h"

namespace varnel {

using HookHandle = std::uintptr_t;  // 0 = no hook

class Hotkeys {
 public:
  virtual bool KeyHeldNow(int vk) = 0;  // the key is held down now
  // The layout's AltGr is held now: with it, keys type characters and never make the chord.
  // It is the right Alt on many layouts; where the system cannot tell, any right Alt is.
  virtual bool AltGrHeldNow() { return KeyHeldNow(vk::RightAlt); }
  virtual HookHandle InstallKeyHook() = 0;  // events reach OnGlobalKey; 0 on failure
  virtual void RemoveKeyHook(HookHandle hook) = 0;
  // True when another program already holds this chord for itself (mods as KeyPlace's, and
  // 8 for the Super key).
  virtual bool ChordTakenElsewhere(const KeyPlace& /*key*/, int /*mods*/) { return false; }

 protected:
  ~Hotkeys() = default;
};

}  // namespace varnel
