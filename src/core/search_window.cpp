#include "core/search_window.h"

#include "core/keyboard_hook.h"
#include "core/tray_menu.h"
#include "core/voice_activation.h"
#include "core/window_utils.h"

#include "domain/codes.h"
#include "domain/scope_table.h"
#include "domain/window_design.h"

namespace varnel {

namespace {
// The date keys' letters sit a pixel below their options' captions, to line up with them.
constexpr int kDateKeyDrop = 1;
}  // namespace

void SearchWindow::EnsureLoaded() {
  // Once closed the window stays closed: a late reference must not bring it back.
  if (loaded || unloaded_) {
    return;
  }
  const WindowDesign& design = SearchWindowDesign();
  const WindowId created = view_.CreateSearchWindow(design);
  if (created == 0) {
    return;
  }
  hwnd_ = created;
  loaded = true;
  keyboard = false;
  Build();
  loop_.StartTimer(design.timerIntervalMs);
}

void SearchWindow::Build() {
  notices_.SetMousePointer(Pointer::Busy);
  handle = hwnd_;
  winutil_.PlaceBehindForeground(handle);
  controls_.SetText({Control::Message, 0}, kOptionsHint);
  // The keyboard hook drives Tab; the platform's own tab order must not.
  for (const ControlDesign& c : SearchWindowDesign().controls) {
    controls_.SetTabStop(c.ref, false);
  }
  for (int i = 0; i < kDateCount; ++i) {
    controls_.SetControlTop({Control::DateKey, i},
                            controls_.ControlTop({Control::DateRange, i}) + kDateKeyDrop);
  }
  notices_.SetMousePointer(Pointer::Normal);
}

void SearchWindow::Resized() {
  if (!loaded || view_.ViewState() != WindowState::Minimised) {
    return;
  }
  view_.SetViewState(WindowState::Normal);
  winutil_.HideSearchWindow();
}

void SearchWindow::Deactivated() {
  SetKeyboard(false);
  hook_.RefreshKeyboardHook();
}

void SearchWindow::Close() {
  if (!loaded) {
    return;
  }
  hook_.UnhookKeyboard();
  tray_.Remove();
  ReleaseKeySender();
  if (voice_.active) {
    voice_.StopSession();
  }
  unloaded_ = true;
  loaded = false;
  view_.DestroySearchWindow();
}

bool SearchWindow::Keyboard() const {
  return keyboard;
}

bool SearchWindow::OnScreen() {
  return loaded && !view_.Parked() && view_.ViewFrame().top > 0;
}

bool SearchWindow::InSight() {
  return OnScreen() && view_.ViewVisible();
}

void SearchWindow::SetKeyboard(bool on) {
  keyboard = on;
}

void SearchWindow::ReleaseKeySender() {
  voice_.keySender.reset();
}

}  // namespace varnel
