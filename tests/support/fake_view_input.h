// What the controls do by themselves with the keys and clicks that reach the search window:
// typing into the focused control, the caret, Space, a click's focus. The window's own keys
// (accelerators, arrows in option groups, Tab) are only reported to the program, which decides.
#pragma once

#include "support/fake_desktop.h"
#include "support/fake_event_loop.h"
#include "support/fake_form_controls.h"
#include "support/fake_hotkeys.h"
#include "support/fake_keyboard_layout.h"
#include "support/fake_view_window.h"

namespace varnel {

class FakeViewInput {
 public:
  // Takes the keys that reach `window`.
  FakeViewInput(FakeEventLoop& loop, FakeDesktop& desktop, FakeHotkeys& hotkeys,
                FakeKeyboardLayout& layout, FakeViewWindow& window, FakeFormControls& controls);

  // A click on a control (Window: the background), now; it brings the window to the front.
  void Click(ControlRef c);

 private:
  PlatformEvents* Sink() const { return loop_.Sink(); }
  void KeyReached(const KeyEvent& ev);
  void DeliverChar(int ch);
  void MoveCaret(int key);
  int ModifierMask();

  FakeEventLoop& loop_;
  FakeDesktop& desktop_;
  FakeHotkeys& hotkeys_;
  FakeKeyboardLayout& layout_;
  FakeViewWindow& window_;
  FakeFormControls& controls_;
};

}  // namespace varnel
