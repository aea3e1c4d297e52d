// The global keyboard hook: Ctrl+Alt+/ anywhere, and keyboard use inside the search window.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace varnel {

class Program;

inline constexpr int kMaskShift = 1;
inline constexpr int kMaskCtrl = 2;
inline constexpr int kMaskAlt = 4;
inline constexpr int kMsgKeyDown = 256;
inline constexpr int kMsgKeyUp = 257;

class KeyboardHook {
 public:
  explicit KeyboardHook(Program& program) : p_(program) {}

  void HookKeyboard();
  void UnhookKeyboard();
  void RefreshKeyboardHook();
  // Fixed work per event: no allocation, no waiting.
  std::intptr_t KeyboardProc(int nCode, std::uint32_t wParam, const KeyEvent& ev);
  void DecodeKeyEvent(int& vk, int& msg, int& mask);
  // -32768 when the key is held down now, else 0.
  std::int32_t IsKeyDown(int vk);

 private:
  // The decision for one event; true when the key is swallowed.
  bool Decide(const KeyEvent& ev);
  Program& p_;
};

}  // namespace varnel
