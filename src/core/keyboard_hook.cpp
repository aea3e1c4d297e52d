#include "core/keyboard_hook.h"

#include "core/search_window.h"

#include <cstdio>

#include "domain/codes.h"
#include "domain/key_codes.h"

namespace varnel {

namespace {

constexpr int kHeldByChordTest = kMaskShift | kMaskCtrl | kMaskAlt;

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

std::intptr_t KeyboardHook::KeyboardProc(int nCode, std::uint32_t wParam, const KeyEvent& ev) {
  if (nCode == 0) {
    // Nothing may escape into the platform's hook chain; a failure just passes the key on.
    try {
      if (Decide(ev)) {
        return 1;
      }
    } catch (...) {
    }
  }
  return hotkeys_.PassKeyOn(handle, nCode, wParam, ev);
}

bool KeyboardHook::Decide(const KeyEvent& ev) {
  lastEvent = ev;
  int vk = 0;
  int msg = 0;
  int mask = 0;
  DecodeKeyEvent(vk, msg, mask);
  if (msg != kMsgKeyDown) {
    return false;
  }
  if (IsSummons(ev, mask)) {
    loop_.Post(kSummonMessage);
    return false;
  }
  switch (vk) {
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
  HeldModifiers held{mask, IsKeyDown(vk::RightAlt) != 0};
  if (IsKeyDown(vk::LeftWin) != 0 || IsKeyDown(vk::RightWin) != 0) {
    held.mask |= kMaskSuper;
  }
  return IsChordPress(chord_, chordKeys_, ev, held);
}

void KeyboardHook::DecodeKeyEvent(int& vk, int& msg, int& mask) {
  vk = static_cast<int>(lastEvent.vkCode & 0xFFFFU);
  if ((lastEvent.flags & kKeyEventUp) != 0) {
    msg = kMsgKeyUp;
    mask = heldModifiers;  // a key-up reports the modifiers of the last key-down
    return;
  }
  msg = kMsgKeyDown;
  mask = 0;
  if (IsKeyDown(vk::Shift) != 0) {
    mask += kMaskShift;
  }
  if (IsKeyDown(vk::Control) != 0) {
    mask += kMaskCtrl;
  }
  if (IsKeyDown(vk::Alt) != 0) {
    mask += kMaskAlt;
  }
  heldModifiers = mask;
}

std::int32_t KeyboardHook::IsKeyDown(int vk) {
  return hotkeys_.KeyHeldNow(vk) ? -32768 : 0;
}

}  // namespace varnel
