#include "core/keyboard_hook.h"

#include "core/search_window.h"

#include <cstdio>

#include "domain/codes.h"
#include "domain/key_codes.h"

namespace varnel {

namespace {

constexpr int kHeldByChordTest = kMaskShift | kMaskCtrl | kMaskAlt;
// The hook's key code is in the low word; the rest is not the key's.
constexpr std::uint32_t kKeyCodeBits = 0xFFFFU;

}  // namespace

void KeyboardHook::SetSummonChord(const SummonChord& chord) {
  chord_ = chord;
  chordLocated_ = false;
  takenSaid_ = false;
}

void KeyboardHook::HookKeyboard() {
  if (handle != 0) {
    return;
  }
  handle = hotkeys_.InstallKeyHook();
  if (handle != 0) {
    CheckChordFree();
  }
}

void KeyboardHook::CheckChordFree() {
  if (takenSaid_) {
    return;
  }
  const ChordKeys keys = LocateChordKeys(chord_, layout_);
  for (std::size_t i = 0; i < keys.count; ++i) {
    if (hotkeys_.ChordTakenElsewhere(keys.places[i], chord_.mods | keys.places[i].mods)) {
      takenSaid_ = true;
      std::fprintf(stderr,
                   "varnel: another program already holds %s, so it may not reach Varnel; "
                   "choose another chord with Summon= in the [Keys] section of Varnel.cfg\n",
                   ChordText(chord_).c_str());
      return;
    }
  }
}

void KeyboardHook::UnhookKeyboard() {
  if (handle != 0) {
    hotkeys_.RemoveKeyHook(handle);
  }
  handle = 0;
}

void KeyboardHook::RefreshKeyboardHook() {
  UnhookKeyboard();
  loop_.RunPendingEvents();
  HookKeyboard();
}

KeyVerdict KeyboardHook::Judge(const KeyEvent& ev) {
  // Nothing may escape into the system's hook chain; a failure just passes the key on.
  try {
    if (Decide(ev)) {
      return KeyVerdict::Swallow;
    }
  } catch (...) {
  }
  return KeyVerdict::PassOn;
}

bool KeyboardHook::Decide(const KeyEvent& ev) {
  const DecodedKey key = Decode(ev);
  if (!key.down) {
    return false;
  }
  const int mask = key.mask;
  if (IsSummons(ev, mask)) {
    loop_.Post(kSummonMessage);
    return false;
  }
  switch (key.key) {
    case vk::Tab:
      if (desktop_.WindowInFront() == window_.handle) {
        // Tab belongs to our own focus cycle; the window's controls never see it.
        window_.SetKeyboard(true);
        loop_.Post(kCycleFocus);
        return true;
      }
      return false;
    case vk::Up:
    case vk::Down:
    case vk::Left:
    case vk::Right:
      if (desktop_.WindowInFront() == window_.handle) {
        window_.SetKeyboard(true);
      }
      return false;
    default:
      if (mask == kMaskAlt && desktop_.WindowInFront() == window_.handle) {
        window_.SetKeyboard(true);
      }
      return false;
  }
}

bool KeyboardHook::IsSummons(const KeyEvent& ev, int mask) {
  // Nearly every key stops here: the chord's Shift, Ctrl and Alt are not all held.
  const int wanted = chord_.mods & kHeldByChordTest;
  if ((mask & wanted) != wanted) {
    return false;
  }
  // Where the chord's character is follows the layout, which may change at any time.
  const std::uintptr_t layout = layout_.LayoutId();
  if (!chordLocated_ || layout != chordLayout_) {
    chordKeys_ = LocateChordKeys(chord_, layout_);
    chordLayout_ = layout;
    chordLocated_ = true;
  }
  if (!IsChordKey(chordKeys_, ev)) {
    return false;
  }
  HeldModifiers held{mask, hotkeys_.AltGrHeldNow()};
  if (KeyHeld(vk::LeftWin) || KeyHeld(vk::RightWin) || (ev.latchedMask & kMaskSuper) != 0) {
    held.mask |= kMaskSuper;
  }
  return IsChordPress(chord_, chordKeys_, ev, held);
}

KeyboardHook::DecodedKey KeyboardHook::Decode(const KeyEvent& ev) {
  DecodedKey key;
  key.key = static_cast<int>(ev.vkCode & kKeyCodeBits);
  key.down = !ev.up;
  if (!key.down) {
    key.mask = heldModifiers;  // a key-up reports the modifiers of the last key-down
    return key;
  }
  key.mask = (KeyHeld(vk::Shift) ? kMaskShift : 0) | (KeyHeld(vk::Control) ? kMaskCtrl : 0) |
             (KeyHeld(vk::Alt) ? kMaskAlt : 0) |
             (ev.latchedMask & (kMaskShift | kMaskCtrl | kMaskAlt));
  heldModifiers = key.mask;
  return key;
}

bool KeyboardHook::KeyHeld(int vk) {
  return hotkeys_.KeyHeldNow(vk);
}

}  // namespace varnel
