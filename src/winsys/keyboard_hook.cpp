#include "winsys/keyboard_hook.h"

#include "app/program.h"
#include "ui/codes.h"

namespace varnel {

namespace {

constexpr int kVkTab = 9;
constexpr int kVkShift = 16;
constexpr int kVkControl = 17;
constexpr int kVkAlt = 18;
constexpr int kVkLeft = 37;
constexpr int kVkUp = 38;
constexpr int kVkRight = 39;
constexpr int kVkDown = 40;
constexpr int kVkSlash = 191;

}  // namespace

void KeyboardHook::HookKeyboard() {
  ProgramState& st = p_.state;
  if (st.hHook != 0) {
    return;
  }
  st.hHook = p_.platform.InstallKeyboardHook();
}

void KeyboardHook::UnhookKeyboard() {
  ProgramState& st = p_.state;
  if (st.hHook != 0) {
    p_.platform.RemoveKeyboardHook(st.hHook);
  }
  st.hHook = 0;
}

void KeyboardHook::RefreshKeyboardHook() {
  UnhookKeyboard();
  p_.platform.DoEvents();
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
  return p_.platform.CallNextHook(p_.state.hHook, nCode, wParam, ev);
}

bool KeyboardHook::Decide(const KeyEvent& ev) {
  Platform& pf = p_.platform;
  ProgramState& st = p_.state;
  st.kbdEvent = ev;
  int vk = 0;
  int msg = 0;
  int mask = 0;
  DecodeKeyEvent(vk, msg, mask);
  if (msg != kMsgKeyDown) {
    return false;
  }
  switch (vk) {
    case kVkSlash:
      if (mask == (kMaskCtrl | kMaskAlt)) {
        p_.summoning.PostCode(MSG_SHOW_BOX);
      }
      return false;
    case kVkTab:
      if (pf.ForegroundWindow() == st.hwndBox) {
        // Tab belongs to our own focus cycle; the window's controls never see it.
        p_.window.SetKeyboard(true);
        p_.summoning.PostCode(CODE_CYCLE_FOCUS);
        return true;
      }
      return false;
    case kVkUp:
    case kVkDown:
    case kVkLeft:
    case kVkRight:
      if (pf.ForegroundWindow() == st.hwndBox) {
        p_.window.SetKeyboard(true);
      }
      return false;
    default:
      if (mask == kMaskAlt && pf.ForegroundWindow() == st.hwndBox) {
        p_.window.SetKeyboard(true);
      }
      return false;
  }
}

void KeyboardHook::DecodeKeyEvent(int& vk, int& msg, int& mask) {
  ProgramState& st = p_.state;
  vk = static_cast<int>(st.kbdEvent.vkCode & 0xFFFFU);
  if ((st.kbdEvent.flags & kKeyEventUp) != 0) {
    msg = kMsgKeyUp;
    mask = st.iShiftMask;  // a key-up reports the modifiers of the last key-down
    return;
  }
  msg = kMsgKeyDown;
  mask = 0;
  if (IsKeyDown(kVkShift) != 0) {
    mask += kMaskShift;
  }
  if (IsKeyDown(kVkControl) != 0) {
    mask += kMaskCtrl;
  }
  if (IsKeyDown(kVkAlt) != 0) {
    mask += kMaskAlt;
  }
  st.iShiftMask = mask;
}

std::int32_t KeyboardHook::IsKeyDown(int vk) {
  return p_.platform.AsyncKeyDown(vk) ? -32768 : 0;
}

}  // namespace varnel
