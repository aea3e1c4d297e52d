#include "core/search_window.h"

#include "core/program.h"
#include "domain/codes.h"
#include "domain/scope_table.h"
#include "domain/window_design.h"

namespace varnel {

void SearchWindow::EnsureLoaded() {
  ProgramState& st = p_.state;
  // Once closed the window stays closed: a late reference must not bring it back.
  if (st.formLoaded || unloaded_) {
    return;
  }
  const WindowDesign& design = SearchWindowDesign();
  const Hwnd hwnd = p_.platform.CreateSearchWindow(design);
  if (hwnd == 0) {
    return;
  }
  hwnd_ = hwnd;
  st.formLoaded = true;
  st.keyboard = false;
  Build();
  p_.platform.StartTimer(design.timerIntervalMs);
}

void SearchWindow::Build() {
  Platform& pf = p_.platform;
  ProgramState& st = p_.state;
  pf.SetMousePointer(kPointerHourglass);
  const int pixel = pf.TwipsPerPixelY();
  st.searchWindow = hwnd_;
  p_.winutil.PlaceBehindForeground(st.searchWindow);
  pf.SetText({Control::Message, 0}, kOptionsHint);
  // The keyboard hook drives Tab; the platform's own tab order must not.
  for (const ControlDesign& c : SearchWindowDesign().controls) {
    pf.SetTabStop(c.ref, false);
  }
  for (int i = 0; i < kDateCount; ++i) {
    pf.SetControlTop({Control::DateKey, i}, pf.ControlTop({Control::DateRange, i}) + pixel);
  }
  pf.SetMousePointer(kPointerDefault);
}

void SearchWindow::Resized() {
  Platform& pf = p_.platform;
  if (!p_.state.formLoaded || pf.ViewState() != WindowState::Minimised) {
    return;
  }
  pf.SetViewState(WindowState::Normal);
  p_.winutil.HideSearchWindow();
}

void SearchWindow::Deactivated() {
  SetKeyboard(false);
  p_.hook.RefreshKeyboardHook();
}

void SearchWindow::Close() {
  ProgramState& st = p_.state;
  if (!st.formLoaded) {
    return;
  }
  p_.hook.UnhookKeyboard();
  p_.tray.Remove();
  ReleaseSendKey();
  if (st.voxActive) {
    p_.StopVoiceCommands();
  }
  unloaded_ = true;
  st.formLoaded = false;
  p_.platform.DestroySearchWindow();
}

bool SearchWindow::Keyboard() const {
  return p_.state.keyboard;
}

void SearchWindow::SetKeyboard(bool keyboard) {
  p_.state.keyboard = keyboard;
}

void SearchWindow::ReleaseSendKey() {
  p_.sendKey.reset();
  p_.state.sendKeyExists = false;
}

}  // namespace varnel
