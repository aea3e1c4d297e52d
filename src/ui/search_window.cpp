#include "ui/search_window.h"

#include "app/program.h"
#include "ui/codes.h"
#include "ui/window_design.h"

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
  Form_Load();
  p_.platform.StartTimer(design.timerIntervalMs);
}

void SearchWindow::Form_Load() {
  Platform& pf = p_.platform;
  ProgramState& st = p_.state;
  pf.SetMousePointer(kPointerHourglass);
  const int pixel = pf.TwipsPerPixelY();
  st.hwndBox = hwnd_;
  p_.winutil.PlaceBehindForeground(st.hwndBox);
  pf.SetText({Ctl::lbl_hmo, 0}, kOptionsHint);
  // The keyboard hook drives Tab; the platform's own tab order must not.
  for (const ControlDesign& c : SearchWindowDesign().controls) {
    pf.SetTabStop(c.ref, false);
  }
  for (int i = 0; i < kDateCount; ++i) {
    pf.SetControlTop({Ctl::lbl_key, i}, pf.ControlTop({Ctl::op_date, i}) + pixel);
  }
  pf.SetMousePointer(kPointerDefault);
}

void SearchWindow::Form_Resize() {
  Platform& pf = p_.platform;
  if (!p_.state.formLoaded || pf.FormState() != WindowState::Minimised) {
    return;
  }
  pf.SetFormState(WindowState::Normal);
  p_.winutil.HideSearchWindow();
}

void SearchWindow::Form_Deactivate() {
  SetKeyboard(false);
  p_.hook.RefreshKeyboardHook();
}

void SearchWindow::Form_Unload() {
  ProgramState& st = p_.state;
  if (!st.formLoaded) {
    return;
  }
  p_.hook.UnhookKeyboard();
  p_.tray.Remove();
  ReleaseSendKey();
  if (st.voxActive) {
    p_.UnloadVoxForm();
  }
  unloaded_ = true;
  st.formLoaded = false;
  p_.platform.DestroySearchWindow();
}

bool SearchWindow::Keyboard() const {
  return p_.state.keyboard;
}

void SearchWindow::SetKeyboard(bool bKey) {
  p_.state.keyboard = bKey;
}

void SearchWindow::ReleaseSendKey() {
  p_.sendKey.reset();
  p_.state.sendKeyExists = false;
}

}  // namespace varnel
