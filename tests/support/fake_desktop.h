// The desktop: top-level windows in a stacking order, the one in front, and a screen. A window
// may answer for itself (messages, keys, losing the front) through its callbacks; the search
// view's window does.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "domain/codes.h"
#include "domain/keys.h"
#include "ports/desktop.h"
#include "support/fake_event_loop.h"
#include "support/fake_log.h"

namespace varnel {

struct FakeWindow {
  WindowId hwnd = 0;
  ThreadId thread = 0;
  ProcessId pid = 0;
  std::string className = "AppWindow";
  bool caption = true;
  bool visible = true;
  bool minimised = false;
  WindowId owner = 0;
  Rect rect{100, 100, 900, 700};
  // Whether a sent message is answered; false makes SendMessageTimeout time out.
  bool answers = true;
  // Receives messages sent to this window (the running instance of a second start).
  std::function<void(Code, std::uint32_t, std::uint32_t)> onMessage;
  std::function<void(const std::string&)> onCommandPhrase;
  // Keys passed on by the hook while the window is in front.
  std::function<void(const KeyEvent&)> onKey;
  // Queued when the window stops being in front (while autoDeactivate holds).
  std::function<void()> onDeactivate;
  std::function<void(WindowChange)> onWindowChange;
  std::function<WindowId()> focusedChild;  // the focused control's window
};

class FakeDesktop final : public Desktop {
 public:
  FakeDesktop(FakeLog& log, FakeEventLoop& loop, WindowId firstHwnd);

  // Adds a top-level window at the top of the stacking order; hwnd 0 allocates one.
  WindowId AddWindow(FakeWindow w);
  void CloseWindow(WindowId hwnd);
  FakeWindow* Window(WindowId hwnd);
  WindowId NewHwnd() { return nextHwnd_ += kHwndStep; }
  // Windows inside a top-level one (controls): they exist, but are not stacked.
  void AddChild(WindowId hwnd) { children_.insert(hwnd); }
  void RemoveChild(WindowId hwnd) { children_.erase(hwnd); }
  const std::vector<WindowId>& ZOrder() const { return zorder_; }  // topmost first
  void Raise(WindowId hwnd) { Restack(hwnd, std::nullopt); }
  // The front moves, as the system moves it (logged "Foreground").
  void ChangeForeground(WindowId hwnd);
  // The user brings a window to the front (never refused).
  void UserActivate(WindowId hwnd);
  // Activations of a window not in front: this many are refused first.
  int refuseForeground = 0;
  bool autoDeactivate = true;
  void SetScreenPixels(int width, int height) { screen_ = {0, 0, width, height}; }
  Rect Screen() const { return screen_; }

  WindowId WindowInFront() override { return foreground_; }
  bool Activate(WindowId hwnd, Lift lift) override;
  WindowId FocusedWindow() override;
  WindowId DesktopRoot() override { return root_; }
  WindowId WindowBelow(WindowId hwnd) override;
  bool WindowExists(WindowId hwnd) override;
  bool WindowVisible(WindowId hwnd) override;
  bool WindowMinimised(WindowId hwnd) override;
  bool HasTitleBar(WindowId hwnd) override;
  Rect WindowRect(WindowId hwnd) override;
  std::string ClassName(WindowId hwnd) override;
  ThreadId WindowThread(WindowId hwnd) override;
  ProcessId WindowProcess(WindowId hwnd) override;
  void PlaceBelow(WindowId hwnd, WindowId above) override;
  void SetOwner(WindowId hwnd, WindowId owner) override;
  void ChangeWindowState(WindowId hwnd, WindowChange cmd) override;
  void ForEachWindow(const std::function<bool(WindowId)>& visit) override;
  void DrawAsActive(WindowId hwnd) override { log_.Record("DrawAsActive", {hwnd}); }

 private:
  static constexpr WindowId kHwndStep = 4;
  void Restack(WindowId hwnd, std::optional<WindowId> below);

  FakeLog& log_;
  FakeEventLoop& loop_;
  std::map<WindowId, FakeWindow> windows_;
  std::set<WindowId> children_;
  std::vector<WindowId> zorder_;
  WindowId root_;
  WindowId nextHwnd_;
  WindowId foreground_ = 0;
  Rect screen_{0, 0, 1920, 1080};
};

}  // namespace varnel
