// The search window as a whole: one of the desktop's windows, placed in pixels, parked and
// shown. It answers messages and the loss of the front, and passes keys and its life on to
// what lives in it (the controls and the user's input) through the hooks below.
#pragma once

#include <functional>

#include "domain/window_design.h"
#include "ports/view_window.h"
#include "support/fake_desktop.h"
#include "support/fake_event_loop.h"
#include "support/fake_log.h"

namespace varnel {

class FakeViewWindow final : public ViewWindow {
 public:
  // The program the window belongs to.
  static constexpr int kTwipsPerPixel = 15;  // the fake's screen is 96 dpi
  struct Owner {
    ProcessId pid = 0;
    ThreadId thread = 0;
  };
  FakeViewWindow(FakeLog& log, FakeEventLoop& loop, FakeDesktop& desktop, Owner owner);

  // What lives in the window: built with it and gone with it, the focused control's window,
  // and the keys that reach it.
  std::function<void(const WindowDesign&)> onCreate;
  std::function<void()> onDestroy;
  std::function<WindowId()> focusedChild;
  std::function<void(const KeyEvent&)> onKey;

  bool FormCreated() const { return created_; }
  WindowId SearchHwnd() const { return hwnd_; }

  // What the window does when the user acts on it (now; the user's helpers queue them).
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

 private:
  PlatformEvents* Sink() const { return loop_.Sink(); }
  FakeWindow WindowOnDesktop();
  void SyncWindow();
  void Resized();

  FakeLog& log_;
  FakeEventLoop& loop_;
  FakeDesktop& desktop_;
  Owner owner_;
  bool created_ = false;
  bool visible_ = false;
  WindowId hwnd_ = 0;
  Rect frame_;
  bool parked_ = false;
  WindowState state_ = WindowState::Normal;
};

}  // namespace varnel
