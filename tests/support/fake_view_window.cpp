#include "support/fake_view_window.h"

namespace varnel {
namespace {

// Frame around the client area: 4 px borders and a 31 px caption.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 39;
constexpr int kFirstPlace = 96;
// Parked, the window's frame lies this far above the screen.
constexpr int kParkedBottom = -2000;

}  // namespace

FakeViewWindow::FakeViewWindow(FakeLog& log, FakeEventLoop& loop, FakeDesktop& desktop, Owner owner)
    : log_(log), loop_(loop), desktop_(desktop), owner_(owner) {}

WindowId FakeViewWindow::CreateSearchWindow(const WindowDesign& design) {
  log_.Record("CreateSearchWindow");
  if (created_) {
    return hwnd_;
  }
  hwnd_ = desktop_.AddWindow(WindowOnDesktop());
  loop_.SearchWindowCreated(hwnd_);
  created_ = true;
  visible_ = false;
  state_ = WindowState::Normal;
  parked_ = false;
  frame_ = {kFirstPlace, kFirstPlace,
            kFirstPlace + design.clientWidth / kTwipsPerPixel + kFrameWidth,
            kFirstPlace + design.clientHeight / kTwipsPerPixel + kFrameHeight};
  if (onCreate) {
    onCreate(design);
  }
  SyncWindow();
  return hwnd_;
}

// The window on the desktop passes on what reaches it to the program.
FakeWindow FakeViewWindow::WindowOnDesktop() {
  FakeWindow w;
  w.hwnd = desktop_.NewHwnd();
  w.thread = owner_.thread;
  w.pid = owner_.pid;
  w.className = "Varnel";
  w.visible = false;
  w.onMessage = [this](Code msg, std::uint32_t wParam, std::uint32_t lParam) {
    if (Sink() != nullptr) {
      Sink()->OnWindowMessage(hwnd_, msg, wParam, lParam);
    }
  };
  w.onCommandPhrase = [this](const std::string& phrase) {
    if (Sink() != nullptr) {
      Sink()->OnCommandPhrase(phrase);
    }
  };
  w.onKey = [this](const KeyEvent& ev) {
    if (onKey) {
      onKey(ev);
    }
  };
  w.onDeactivate = [this] { Deactivate(); };
  w.onWindowChange = [this](WindowChange cmd) {
    state_ = cmd == WindowChange::Minimise ? WindowState::Minimised : WindowState::Normal;
  };
  w.focusedChild = [this] { return focusedChild ? focusedChild() : 0; };
  return w;
}

void FakeViewWindow::SyncWindow() {
  FakeWindow* w = desktop_.Window(hwnd_);
  if (w == nullptr) {
    return;
  }
  w->visible = visible_;
  w->minimised = state_ == WindowState::Minimised;
  w->rect = frame_;
  if (parked_) {
    w->rect.top = kParkedBottom - (frame_.bottom - frame_.top);
    w->rect.bottom = kParkedBottom;
  }
}

void FakeViewWindow::Resized() {
  if (Sink() != nullptr) {
    Sink()->OnViewResized();
  }
}

void FakeViewWindow::ShowView() {
  log_.Record("ShowView");
  if (!created_) {
    return;
  }
  const bool first = !visible_;
  visible_ = true;
  SyncWindow();
  desktop_.Raise(hwnd_);
  // The form runtime raises Resize when a form is first displayed.
  if (first) {
    Resized();
  }
}

void FakeViewWindow::DestroySearchWindow() {
  log_.Record("DestroySearchWindow");
  if (!created_) {
    return;
  }
  desktop_.CloseWindow(hwnd_);
  if (onDestroy) {
    onDestroy();
  }
  loop_.SearchWindowDestroyed();
  created_ = false;
  visible_ = false;
}

void FakeViewWindow::SetViewTop(int top) {
  log_.Record("SetViewTop", {top});
  if (!created_) {
    return;
  }
  frame_.bottom += top - frame_.top;
  frame_.top = top;
  parked_ = false;
  SyncWindow();
}

void FakeViewWindow::Park() {
  log_.Record("Park");
  if (created_) {
    parked_ = true;
    SyncWindow();
  }
}

void FakeViewWindow::MoveView(const Rect& frame) {
  log_.Record("MoveView", {frame.left, frame.top, frame.right, frame.bottom});
  if (!created_) {
    return;
  }
  const bool resized = frame.right - frame.left != frame_.right - frame_.left ||
                       frame.bottom - frame.top != frame_.bottom - frame_.top;
  frame_ = frame;
  SyncWindow();
  if (resized) {
    Resized();
  }
}

void FakeViewWindow::SetViewState(WindowState state) {
  log_.Record("SetViewState", {static_cast<int>(state)});
  if (!created_ || state == state_) {
    return;
  }
  state_ = state;
  SyncWindow();
  Resized();
}

void FakeViewWindow::RaiseView() {
  log_.Record("RaiseView");
  if (created_) {
    desktop_.Raise(hwnd_);
  }
}

void FakeViewWindow::MouseMove(ControlRef over) {
  if (Sink() != nullptr && created_) {
    Sink()->OnPointerOver(over);
  }
}

void FakeViewWindow::DoubleClick() {
  if (Sink() != nullptr && created_) {
    Sink()->OnBackgroundDoubleClick();
  }
}

void FakeViewWindow::Minimise() {
  if (!created_ || state_ == WindowState::Minimised) {
    return;
  }
  state_ = WindowState::Minimised;
  SyncWindow();
  Resized();
}

void FakeViewWindow::Close() {
  if (!created_) {
    return;
  }
  if (Sink() != nullptr && !Sink()->OnCloseRequest()) {
    return;
  }
  if (Sink() != nullptr) {
    Sink()->OnViewClosed();
  }
  DestroySearchWindow();
}

void FakeViewWindow::Deactivate() {
  if (Sink() != nullptr && created_) {
    Sink()->OnDeactivate();
  }
}

}  // namespace varnel
