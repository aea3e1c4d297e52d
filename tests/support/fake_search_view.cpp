#include "support/fake_search_view.h"

namespace varnel {
namespace {

// Frame around the client area: 4 px borders and a 31 px caption at 15 twips per pixel.
constexpr int kTwipsPerPixel = 15;  // the fake's screen is 96 dpi
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 39;
constexpr int kFirstPlace = 96;
// Parked, the window's frame lies this far above the screen.
constexpr int kParkedBottom = -2000;

}  // namespace

FakeSearchView::FakeSearchView(FakeLog& log, FakeEventLoop& loop, FakeDesktop& desktop,
                               FakeHotkeys& hotkeys, FakeKeyboardLayout& layout, Owner owner)
    : log_(log),
      loop_(loop),
      desktop_(desktop),
      hotkeys_(hotkeys),
      layout_(layout),
      owner_(owner) {}

WindowId FakeSearchView::CreateSearchWindow(const WindowDesign& design) {
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
  controls_.clear();
  focus_.reset();
  for (const auto& d : design.controls) {
    FakeControl c;
    c.design = &d;
    c.text = d.kind == ControlKind::TextBox ? std::string() : std::string(d.caption);
    c.fore = d.fore;
    c.top = d.top / kTwipsPerPixel;
    c.tabStop = FakeControl::Windowed(d.kind) && d.kind != ControlKind::Image;
    if (FakeControl::Windowed(d.kind)) {
      c.hwnd = desktop_.NewHwnd();
      desktop_.AddChild(c.hwnd);
    }
    if (d.kind == ControlKind::OptionButton && d.ref.index == 0) {
      c.value = 1;
    }
    controls_[{d.ref.id, d.ref.index}] = c;
  }
  SyncWindow();
  return hwnd_;
}

// The window on the desktop passes on what reaches it to the program.
FakeWindow FakeSearchView::WindowOnDesktop() {
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
  w.onKey = [this](const KeyEvent& ev) { KeyReached(ev); };
  w.onDeactivate = [this] { Deactivate(); };
  w.onWindowChange = [this](WindowChange cmd) {
    state_ = cmd == WindowChange::Minimise ? WindowState::Minimised : WindowState::Normal;
  };
  w.focusedChild = [this] { return focus_ ? ControlWindow(*focus_) : 0; };
  return w;
}

void FakeSearchView::SyncWindow() {
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

void FakeSearchView::ShowView() {
  log_.Record("ShowView");
  if (!created_) {
    return;
  }
  const bool first = !visible_;
  visible_ = true;
  SyncWindow();
  desktop_.Raise(hwnd_);
  // The form runtime raises Resize when a form is first displayed.
  if (first && Sink() != nullptr) {
    Sink()->OnViewResized();
  }
}

void FakeSearchView::DestroySearchWindow() {
  log_.Record("DestroySearchWindow");
  if (!created_) {
    return;
  }
  desktop_.CloseWindow(hwnd_);
  for (const auto& [key, c] : controls_) {
    desktop_.RemoveChild(c.hwnd);
  }
  loop_.SearchWindowDestroyed();
  created_ = false;
  visible_ = false;
  controls_.clear();
  focus_.reset();
}

void FakeSearchView::SetViewTop(int top) {
  log_.Record("SetViewTop", {top});
  if (!created_) {
    return;
  }
  frame_.bottom += top - frame_.top;
  frame_.top = top;
  parked_ = false;
  SyncWindow();
}

void FakeSearchView::Park() {
  log_.Record("Park");
  if (created_) {
    parked_ = true;
    SyncWindow();
  }
}

void FakeSearchView::MoveView(const Rect& frame) {
  log_.Record("MoveView", {frame.left, frame.top, frame.right, frame.bottom});
  if (!created_) {
    return;
  }
  const bool resized = frame.right - frame.left != frame_.right - frame_.left ||
                       frame.bottom - frame.top != frame_.bottom - frame_.top;
  frame_ = frame;
  SyncWindow();
  if (resized && Sink() != nullptr) {
    Sink()->OnViewResized();
  }
}

void FakeSearchView::SetViewState(WindowState state) {
  log_.Record("SetViewState", {static_cast<int>(state)});
  if (!created_ || state == state_) {
    return;
  }
  state_ = state;
  SyncWindow();
  if (Sink() != nullptr) {
    Sink()->OnViewResized();
  }
}

void FakeSearchView::RaiseView() {
  log_.Record("RaiseView");
  if (created_) {
    desktop_.Raise(hwnd_);
  }
}
void FakeSearchView::MouseMove(ControlRef over) {
  if (Sink() != nullptr && created_) {
    Sink()->OnPointerOver(over);
  }
}

void FakeSearchView::DoubleClick() {
  if (Sink() != nullptr && created_) {
    Sink()->OnBackgroundDoubleClick();
  }
}

void FakeSearchView::Minimise() {
  if (!created_ || state_ == WindowState::Minimised) {
    return;
  }
  state_ = WindowState::Minimised;
  SyncWindow();
  if (Sink() != nullptr) {
    Sink()->OnViewResized();
  }
}

void FakeSearchView::Close() {
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

void FakeSearchView::Deactivate() {
  if (Sink() != nullptr && created_) {
    Sink()->OnDeactivate();
  }
}

// ---------------------------------------------------------------- services

MessageAnswer FakeSearchView::ShowMessageBox(const std::string& text, MessageStyle style,
                                             const std::string& title) {
  MessageAnswer answer = MessageAnswer::Ok;
  if (!messageBoxAnswers.empty()) {
    answer = messageBoxAnswers.front();
    messageBoxAnswers.pop_front();
  }
  // Recorded as {buttons, icon, answer}.
  log_.Record(
      "ShowMessageBox",
      {static_cast<int>(style.buttons), static_cast<int>(style.icon), static_cast<int>(answer)},
      title + ": " + text);
  if (onMessageBox) {
    onMessageBox(text);
  }
  return answer;
}

void FakeSearchView::SetMousePointer(Pointer pointer) {
  log_.Record("SetMousePointer", {static_cast<int>(pointer)});
  mousePointer = pointer;
}
}  // namespace varnel
