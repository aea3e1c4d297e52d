#include "support/fake_desktop.h"

#include <algorithm>

namespace varnel {

FakeDesktop::FakeDesktop(FakeLog& log, FakeEventLoop& loop, WindowId firstHwnd)
    : log_(log), loop_(loop), root_(firstHwnd), nextHwnd_(firstHwnd + kHwndStep) {}

WindowId FakeDesktop::AddWindow(FakeWindow w) {
  if (w.hwnd == 0) {
    w.hwnd = NewHwnd();
  }
  if (w.thread == 0) {
    w.thread = w.hwnd + 1;
  }
  const WindowId h = w.hwnd;
  windows_[h] = std::move(w);
  Restack(h, std::nullopt);
  return h;
}

void FakeDesktop::CloseWindow(WindowId hwnd) {
  windows_.erase(hwnd);
  zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), hwnd), zorder_.end());
  if (foreground_ == hwnd) {
    foreground_ = 0;
  }
}

FakeWindow* FakeDesktop::Window(WindowId hwnd) {
  auto it = windows_.find(hwnd);
  return it == windows_.end() ? nullptr : &it->second;
}

// Puts hwnd at the top, or directly below `below`.
void FakeDesktop::Restack(WindowId hwnd, std::optional<WindowId> below) {
  if (Window(hwnd) == nullptr) {
    return;
  }
  zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), hwnd), zorder_.end());
  auto at = below ? std::find(zorder_.begin(), zorder_.end(), *below) : zorder_.end();
  zorder_.insert(at == zorder_.end() ? zorder_.begin() : at + 1, hwnd);
}

void FakeDesktop::ChangeForeground(WindowId hwnd) {
  if (hwnd == foreground_) {
    return;
  }
  const FakeWindow* old = Window(foreground_);
  foreground_ = hwnd;
  log_.Record("Foreground", {hwnd});
  if (hwnd != 0) {
    Restack(hwnd, std::nullopt);
  }
  if (autoDeactivate && old != nullptr && old->onDeactivate) {
    loop_.QueueEvent("OnDeactivate", old->onDeactivate);
  }
}

void FakeDesktop::UserActivate(WindowId hwnd) {
  log_.Record("UserActivate", {hwnd});
  ChangeForeground(hwnd);
}

bool FakeDesktop::Activate(WindowId hwnd, Lift lift) {
  bool granted = WindowExists(hwnd) && hwnd != root_;
  if (granted && hwnd != foreground_ && refuseForeground > 0) {
    --refuseForeground;
    granted = false;
  }
  log_.Record("Activate", {hwnd, lift == Lift::AboveOthers ? 1 : 0, granted ? 1 : 0});
  if (granted) {
    ChangeForeground(hwnd);
    if (lift == Lift::AboveOthers) {
      Restack(hwnd, std::nullopt);
    }
  }
  // The system delivers what the change set off before the request returns.
  loop_.Sleep(1);
  loop_.RunPendingEvents();
  return granted;
}

// The focus belongs to the active window's thread; ours has none while another is in front.
WindowId FakeDesktop::FocusedWindow() {
  const FakeWindow* w = Window(foreground_);
  return w != nullptr && w->focusedChild ? w->focusedChild() : 0;
}

WindowId FakeDesktop::WindowBelow(WindowId hwnd) {
  auto it = std::find(zorder_.begin(), zorder_.end(), hwnd);
  if (it == zorder_.end() || it + 1 == zorder_.end()) {
    return 0;
  }
  return *(it + 1);
}

bool FakeDesktop::WindowExists(WindowId hwnd) {
  return hwnd != 0 && (hwnd == root_ || windows_.contains(hwnd) || children_.contains(hwnd));
}

bool FakeDesktop::WindowVisible(WindowId hwnd) {
  const FakeWindow* w = Window(hwnd);
  return hwnd == root_ || (w != nullptr && w->visible);
}

bool FakeDesktop::WindowMinimised(WindowId hwnd) {
  const FakeWindow* w = Window(hwnd);
  return w != nullptr && w->minimised;
}

bool FakeDesktop::HasTitleBar(WindowId hwnd) {
  const FakeWindow* w = Window(hwnd);
  return w != nullptr && w->caption;
}

Rect FakeDesktop::WindowRect(WindowId hwnd) {
  if (hwnd == root_) {
    return screen_;
  }
  const FakeWindow* w = Window(hwnd);
  return w == nullptr ? Rect{} : w->rect;
}

std::string FakeDesktop::ClassName(WindowId hwnd) {
  if (hwnd == root_) {
    return "#32769";
  }
  const FakeWindow* w = Window(hwnd);
  return w == nullptr ? std::string() : w->className;
}

ThreadId FakeDesktop::WindowThread(WindowId hwnd) {
  const FakeWindow* w = Window(hwnd);
  return w == nullptr ? 0 : w->thread;
}

ProcessId FakeDesktop::WindowProcess(WindowId hwnd) {
  const FakeWindow* w = Window(hwnd);
  return w == nullptr ? 0 : w->pid;
}

void FakeDesktop::PlaceBelow(WindowId hwnd, WindowId above) {
  log_.Record("PlaceBelow", {hwnd, above});
  if (hwnd != above) {
    Restack(hwnd, above);
  }
}

void FakeDesktop::SetOwner(WindowId hwnd, WindowId owner) {
  log_.Record("SetOwner", {hwnd, owner});
  if (FakeWindow* w = Window(hwnd)) {
    w->owner = owner;
  }
}

void FakeDesktop::ChangeWindowState(WindowId hwnd, WindowChange cmd) {
  log_.Record("ChangeWindowState", {hwnd, static_cast<int>(cmd)});
  FakeWindow* w = Window(hwnd);
  if (w == nullptr) {
    return;
  }
  w->minimised = cmd == WindowChange::Minimise;
  if (w->onWindowChange) {
    w->onWindowChange(cmd);
  }
}

void FakeDesktop::ForEachWindow(const std::function<bool(WindowId)>& visit) {
  const std::vector<WindowId> snapshot = zorder_;
  for (WindowId h : snapshot) {
    if (!visit(h)) {
      return;
    }
  }
}

}  // namespace varnel
