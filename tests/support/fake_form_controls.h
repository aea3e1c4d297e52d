// The search window's controls, built from the design table when the window is made and gone
// with it: text, selection, values, state and the focus, as the program sets and reads them.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "domain/window_design.h"
#include "ports/form_controls.h"
#include "support/fake_desktop.h"
#include "support/fake_event_loop.h"
#include "support/fake_log.h"
#include "support/fake_view_window.h"

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

class FakeFormControls final : public FormControls {
 public:
  // Lives in `window`: built when it is made, gone when it goes.
  FakeFormControls(FakeLog& log, FakeEventLoop& loop, FakeDesktop& desktop, FakeViewWindow& window);

  FakeControl* ControlAt(ControlRef c);
  int TabStopCount() const;
  // Selected index of an option group (Scope or DateRange); -1 when none.
  int SelectedOption(Control group) const;
  // Focused control as "name(index)", "" when none.
  std::string FocusName();
  std::string SelectedText(ControlRef c);

  // What the user's input does to the controls by itself.
  void SelectOption(ControlRef c, bool raiseClick);  // the group's others are cleared
  bool EffectiveVisible(const FakeControl& c);       // it and its containers shown, enabled
  void TakeFocus(ControlRef c) { focus_ = c; }       // as a click gives it

  std::string Text(ControlRef c) override;
  void SetText(ControlRef c, const std::string& text) override;
  int SelStart(ControlRef c) override { return Field(c, &FakeControl::selStart); }
  int SelLength(ControlRef c) override { return Field(c, &FakeControl::selLength); }
  void SetSelection(ControlRef c, int start, int length) override;
  int Value(ControlRef c) override { return Field(c, &FakeControl::value); }
  void SetValue(ControlRef c, int value) override;
  bool Enabled(ControlRef c) override { return Field(c, &FakeControl::enabled); }
  void SetEnabled(ControlRef c, bool enabled) override {
    Put("SetEnabled", c, &FakeControl::enabled, enabled);
  }
  bool Visible(ControlRef c) override;
  void SetVisible(ControlRef c, bool visible) override {
    Put("SetVisible", c, &FakeControl::visible, visible);
  }
  Colour TextColour(ControlRef c) override;
  void SetTextColour(ControlRef c, Colour colour) override;
  int ControlTop(ControlRef c) override { return Field(c, &FakeControl::top); }
  void SetControlTop(ControlRef c, int top) override { Put(nullptr, c, &FakeControl::top, top); }
  bool SetTabStop(ControlRef c, bool on) override;
  bool SetFocus(ControlRef c) override;
  std::optional<ControlRef> FocusedControl() override { return focus_; }
  WindowId ControlWindow(ControlRef c) override;

 private:
  // A control's field; zero or false when there is no such control.
  template <typename T>
  T Field(ControlRef c, T FakeControl::*field) {
    const FakeControl* k = ControlAt(c);
    return k == nullptr ? T{} : k->*field;
  }
  // Sets a control's field, recorded as {id, index, value} under `op` unless it is empty.
  template <typename T>
  void Put(const char* op, ControlRef c, T FakeControl::*field, T value) {
    if (op != nullptr) {
      log_.Record(op, {static_cast<int>(c.id), c.index, static_cast<std::int64_t>(value)});
    }
    if (FakeControl* k = ControlAt(c)) {
      k->*field = value;
    }
  }
  void Build(const WindowDesign& design);
  void Clear();
  bool CanTakeFocus(const FakeControl& c);
  void Clicked(ControlRef c);

  FakeLog& log_;
  FakeEventLoop& loop_;
  FakeDesktop& desktop_;
  FakeViewWindow& window_;
  std::map<std::pair<Control, int>, FakeControl> controls_;
  std::optional<ControlRef> focus_;
};

}  // namespace varnel
