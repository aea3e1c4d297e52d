#include "winsys/keyboard_hook.h"
#include "app/program.h"
// PLACEHOLDER until implemented.
namespace varnel {
void KeyboardHook::HookKeyboard() {}
void KeyboardHook::UnhookKeyboard() {}
void KeyboardHook::RefreshKeyboardHook() {}
std::intptr_t KeyboardHook::KeyboardProc(int, std::uint32_t, const KeyEvent&) { return 0; }
void KeyboardHook::DecodeKeyEvent(int&, int&, int&) {}
std::int32_t KeyboardHook::IsKeyDown(int) { return 0; }
}  // namespace varnel
