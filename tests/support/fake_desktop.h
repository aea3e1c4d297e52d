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
  Hwnd hwnd = 0;
  ThreadId thread = 0;
  ProcessId pid = 0;
  std::string className = "AppWindow";
  bool caption = true;
  bool visible = true;
  bool minimised = false;
  Hwnd owner = 0;
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
  std::function<void(ShowCmd)> onShowCmd;
  std::function<Hwnd()> focusedChild;  // the focused control's window
};

class FakeDesktop final : public Desktop {
 public:
  FakeDesktop(FakeLog& log, FakeEventLoop& loop, Hwnd firstHwnd);

  // Adds a top-level window at the top of the stacking order; hwnd 0 allocates one.
  Hwnd AddWindow(FakeWindow w);
  void CloseWindow(Hwnd hwnd);
  FakeWindow* Window(Hwnd hwnd);
  Hwnd NewHwnd() { return nextHwnd_ += kHwndStep; }
  // Windows inside a top-level one (controls): they exist, but are not stacked.
  void AddChild(Hwnd hwnd) { children_.insert(hwnd); }
  void RemoveChild(Hwnd hwnd) { children_.erase(hwnd); }
  const std::vector<Hwnd>& ZOrder() const { return zorder_; }  // topmost first
  void Raise(Hwnd hwnd) { Restack(hwnd, std::nullopt); }
  // The front moves, as the system moves it (logged "Foreground").
  void ChangeForeground(Hwnd hwnd);
  // The user brings a window to the front (never refused).
  void UserActivate(Hwnd hwnd);
  // Activations of a window not in front: this many are refused first.
  int refuseForeground = 0;
  bool autoDeactivate = true;
  void SetScreenPixels(int width, int height) { screen_ = {0, 0, width, height}; }
  Rect Screen() const { return screen_; }

  Hwnd WindowInFront() override { return foreground_; }
  bool Activate(Hwnd hwnd, Lift lift) override;
  Hwnd FocusedWindow() override;
  Hwnd DesktopRoot() override { return root_; }
  Hwnd WindowBelow(Hwnd hwnd) override;
  bool WindowExists(Hwnd hwnd) override;
  bool WindowVisible(Hwnd hwnd) override;
  bool WindowMinimised(Hwnd hwnd) override;
  bool HasTitleBar(Hwnd hwnd) override;
  Rect WindowRect(Hwnd hwnd) override;
  std::string ClassName(Hwnd hwnd) override;
  ThreadId WindowThread(Hwnd hwnd) override;
  ProcessId WindowProcess(Hwnd hwnd) override;
  void PlaceBelow(Hwnd hwnd, Hwnd above) override;
  void SetOwner(Hwnd hwnd, Hwnd owner) override;
  void ChangeWindowState(Hwnd hwnd, ShowCmd cmd) override;
  void ForEachWindow(const std::function<bool(Hwnd)>& visit) override;
  void DrawAsActive(Hwnd hwnd) override { log_.Record("DrawAsActive", {hwnd}); }

 private:
  static constexpr Hwnd kHwndStep = 4;
  void Restack(Hwnd hwnd, std::optional<Hwnd> below);

  FakeLog& log_;
  FakeEventLoop& loop_;
  std::map<Hwnd, FakeWindow> windows_;
  std::set<Hwnd> children_;
  std::vector<Hwnd> zorder_;
  Hwnd root_;
  Hwnd nextHwnd_;
  Hwnd foreground_ = 0;
  Rect screen_{0, 0, 1920, 1080};
};

}  // namespace varnel
