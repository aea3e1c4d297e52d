// The search window: controls built from the design table, and what the controls do by
// themselves with keys and clicks (typing, the caret, Space). The window's own keys
// (accelerators, arrows in option groups, Tab) are reported to the program, which decides.
// Its window is one of the desktop's, and answers messages, keys and the loss of the front.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "domain/window_design.h"
#include "ports/search_view.h"
#include "support/fake_desktop.h"
#include "support/fake_event_loop.h"
#include "support/fake_hotkeys.h"
#include "support/fake_keyboard_layout.h"
#include "support/fake_log.h"

namespace varnel {

struct FakeControl {
  const ControlDesign* design = nullptr;
  std::string text;
  int selStart = 0;
  int selLength = 0;
  int value = 0;
  bool enabled = true;
  bool visible = true;
  Colour fore = kBlack;
  int top = 0;  // pixels
  bool tabStop = false;
  WindowId hwnd = 0;
  // Labels and images are drawn on the window; the other kinds are windows of their own.
  static bool Windowed(ControlKind k) { return k != ControlKind::Label && k != ControlKind::Image; }
};

// Name of a control as the logic knows it ("Terms", "Scope", ...).
const char* ControlName(Control id);

class FakeSearchView final : public SearchView {
 public:
  // The program the window belongs to.
  struct Owner {
    ProcessId pid = 0;
    ThreadId thread = 0;
  };
  FakeSearchView(FakeLog& log, FakeEventLoop& loop, FakeDesktop& desktop, FakeHotkeys& hotkeys,
                 FakeKeyboardLayout& layout, Owner owner);

  bool FormCreated() const { return created_; }
  WindowId SearchHwnd() const { return hwnd_; }
  FakeControl* ControlAt(ControlRef c);
  int TabStopCount() const;
  // Selected index of an option group (Scope or DateRange); -1 when none.
  int SelectedOption(Control group) const;
  // Focused control as "name(index)", "" when none.
  std::string FocusName();
  std::string SelectedText(ControlRef c);
  // Message boxes: answers are used in order; Ok when none is left.
  std::deque<MessageAnswer> messageBoxAnswers;
  std::function<void(const std::string& text)> onMessageBox;
  Pointer mousePointer = Pointer::Normal;

  // What the window does when the user acts on it (now; the user's helpers queue them).
  void Click(ControlRef c);
  void MouseMove(ControlRef over);
  void DoubleClick();
  void Minimise();
  void Close();
  void Deactivate();

  WindowId CreateSearchWindow(const WindowDesign& design) override;
  void ShowView() override;
  void DestroySearchWindow() override;
  Rect ViewFrame() override { return frame_; }
  void MoveView(const Rect& frame) override;
  void SetViewTop(int top) override;
  void Park() override;
  bool Parked() override { return parked_; }
  WindowState ViewState() override { return state_; }
  void SetViewState(WindowState state) override;
  bool ViewVisible() override { return created_ && visible_; }
  void RaiseView() override;
  Rect WorkArea() override { return desktop_.Screen(); }

  std::string Text(ControlRef c) override;
  void SetText(ControlRef c, const std::string& text) override;
  int SelStart(ControlRef c) override;
  int SelLength(ControlRef c) override;
  void SetSelection(ControlRef c, int start, int length) override;
  int Value(ControlRef c) override;
  void SetValue(ControlRef c, int value) override;
  bool Enabled(ControlRef c) override;
  void SetEnabled(ControlRef c, bool enabled) override;
  bool Visible(ControlRef c) override;
  void SetVisible(ControlRef c, bool visible) override;
  Colour TextColour(ControlRef c) override;
  void SetTextColour(ControlRef c, Colour colour) override;
  int ControlTop(ControlRef c) override;
  void SetControlTop(ControlRef c, int top) override;
  bool SetTabStop(ControlRef c, bool on) override;
  bool SetFocus(ControlRef c) override;
  std::optional<ControlRef> FocusedControl() override { return focus_; }
  WindowId ControlWindow(ControlRef c) override;

  MessageAnswer ShowMessageBox(const std::string& text, MessageStyle style,
                               const std::string& title) override;
  void SetMousePointer(Pointer pointer) override;
  void Beep() override { log_.Record("Beep"); }

 private:
  PlatformEvents* Sink() const { return loop_.Sink(); }
  FakeWindow WindowOnDesktop();
  void SyncWindow();
  bool EffectiveVisible(const FakeControl& c);
  bool CanTakeFocus(const FakeControl& c);
  void SelectOption(ControlRef c, bool raiseClick);
  void KeyReached(const KeyEvent& ev);
  void DeliverChar(int ch);
  int ModifierMask();

  FakeLog& log_;
  FakeEventLoop& loop_;
  FakeDesktop& desktop_;
  FakeHotkeys& hotkeys_;
  FakeKeyboardLayout& layout_;
  Owner owner_;
  bool created_ = false;
  bool visible_ = false;
  WindowId hwnd_ = 0;
  Rect frame_;
  bool parked_ = false;
  WindowState state_ = WindowState::Normal;
  std::map<std::pair<Control, int>, FakeControl> controls_;
  std::optional<ControlRef> focus_;
};

}  // namespace varnel
