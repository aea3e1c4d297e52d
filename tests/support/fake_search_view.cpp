#include "support/fake_search_view.h"

#include <algorithm>
#include <string>

#include "domain/key_codes.h"
#include "domain/key_masks.h"
#include "domain/utf8.h"
#include "support/fake_utf16.h"

namespace varnel {
namespace {

// Frame around the client area: 4 px borders and a 31 px caption at 15 twips per pixel.
constexpr Twips kFrameWidth = 240;
constexpr Twips kFrameHeight = 585;

bool Windowed(ControlKind k) {
  return k != ControlKind::Label && k != ControlKind::Image;
}

}  // namespace

const char* ControlName(Control id) {
  switch (id) {
    case Control::Window:
      return "Window";
    case Control::Terms:
      return "Terms";
    case Control::Scope:
      return "Scope";
    case Control::DateRange:
      return "DateRange";
    case Control::DateKey:
      return "DateKey";
    case Control::VoiceCommands:
      return "VoiceCommands";
    case Control::Message:
      return "Message";
    case Control::DoIt:
      return "DoIt";
    case Control::JustSay:
      return "JustSay";
    case Control::FindButton:
      return "FindButton";
    case Control::Heading:
      return "Heading";
    case Control::Rule:
      return "Rule";
    case Control::ScopePanel:
      return "ScopePanel";
    case Control::TermsFrame:
      return "TermsFrame";
    case Control::DatePanel:
      return "DatePanel";
    case Control::Microphone:
      return "Microphone";
  }
  return "?";
}

FakeSearchView::FakeSearchView(FakeLog& log, FakeEventLoop& loop, FakeDesktop& desktop,
                               FakeHotkeys& hotkeys, FakeKeyboardLayout& layout, Owner owner)
    : log_(log),
      loop_(loop),
      desktop_(desktop),
      hotkeys_(hotkeys),
      layout_(layout),
      owner_(owner) {}

FakeControl* FakeSearchView::ControlAt(ControlRef c) {
  if (!created_) {
    return nullptr;
  }
  auto it = controls_.find({c.id, c.index});
  return it == controls_.end() ? nullptr : &it->second;
}

Hwnd FakeSearchView::CreateSearchWindow(const WindowDesign& design) {
  log_.Record("CreateSearchWindow");
  if (created_) {
    return hwnd_;
  }
  hwnd_ = desktop_.AddWindow(WindowOnDesktop());
  loop_.SearchWindowCreated(hwnd_);
  created_ = true;
  visible_ = false;
  state_ = WindowState::Normal;
  left_ = 1440;
  top_ = 1440;
  width_ = design.clientWidth + kFrameWidth;
  height_ = design.clientHeight + kFrameHeight;
  controls_.clear();
  focus_.reset();
  for (const auto& d : design.controls) {
    FakeControl c;
    c.design = &d;
    c.text = d.kind == ControlKind::TextBox ? std::string() : std::string(d.caption);
    c.fore = d.fore;
    c.top = d.top;
    c.tabStop = Windowed(d.kind) && d.kind != ControlKind::Image;
    if (Windowed(d.kind)) {
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
  w.onShowCmd = [this](ShowCmd cmd) {
    state_ = cmd == ShowCmd::Minimise ? WindowState::Minimised : WindowState::Normal;
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
  w->rect = {left_ / kTwipsPerPixel, top_ / kTwipsPerPixel, (left_ + width_) / kTwipsPerPixel,
             (top_ + height_) / kTwipsPerPixel};
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
    Sink()->OnResize();
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

void FakeSearchView::SetViewTop(Twips top) {
  log_.Record("SetViewTop", {top});
  if (!created_) {
    return;
  }
  top_ = top;
  SyncWindow();
}

void FakeSearchView::MoveView(Twips left, Twips top, Twips width, Twips height) {
  log_.Record("MoveView", {left, top, width, height});
  if (!created_) {
    return;
  }
  const bool resized = width != width_ || height != height_;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  SyncWindow();
  if (resized && Sink() != nullptr) {
    Sink()->OnResize();
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
    Sink()->OnResize();
  }
}

void FakeSearchView::RaiseView() {
  log_.Record("RaiseView");
  if (created_) {
    desktop_.Raise(hwnd_);
  }
}

// ---------------------------------------------------------------- controls

std::string FakeSearchView::Text(ControlRef c) {
  if (c.id == Control::Window) {
    return created_ ? " Varnel" : "";
  }
  FakeControl* k = ControlAt(c);
  return k == nullptr ? std::string() : k->text;
}

void FakeSearchView::SetText(ControlRef c, const std::string& text) {
  log_.Record("SetText", {static_cast<int>(c.id), c.index}, text);
  FakeControl* k = ControlAt(c);
  if (k == nullptr) {
    return;
  }
  k->text = text;
  k->selStart = 0;
  k->selLength = 0;
}

int FakeSearchView::SelStart(ControlRef c) {
  FakeControl* k = ControlAt(c);
  return k == nullptr ? 0 : k->selStart;
}

int FakeSearchView::SelLength(ControlRef c) {
  FakeControl* k = ControlAt(c);
  return k == nullptr ? 0 : k->selLength;
}

void FakeSearchView::SetSelection(ControlRef c, int start, int length) {
  log_.Record("SetSelection", {static_cast<int>(c.id), c.index, start, length});
  FakeControl* k = ControlAt(c);
  if (k == nullptr || k->design->kind != ControlKind::TextBox) {
    return;
  }
  const std::u16string units = utf16::FromUtf8(k->text);
  const int n = static_cast<int>(units.size());
  int b = std::clamp(start, 0, n);
  int e = b + std::clamp(length, 0, n - b);
  // As the real controls do: an end between the halves of a surrogate pair moves outward.
  b -= utf16::SplitsPair(units, b) ? 1 : 0;
  e += utf16::SplitsPair(units, e) ? 1 : 0;
  k->selStart = b;
  k->selLength = e - b;
}

std::string FakeSearchView::SelectedText(ControlRef c) {
  FakeControl* k = ControlAt(c);
  if (k == nullptr) {
    return {};
  }
  return utf16::ToUtf8(utf16::FromUtf8(k->text).substr(static_cast<std::size_t>(k->selStart),
                                                       static_cast<std::size_t>(k->selLength)));
}

int FakeSearchView::Value(ControlRef c) {
  FakeControl* k = ControlAt(c);
  return k == nullptr ? 0 : k->value;
}

void FakeSearchView::SelectOption(ControlRef c, bool raiseClick) {
  FakeControl* k = ControlAt(c);
  if (k == nullptr || k->value == 1) {
    return;
  }
  for (auto& [key, other] : controls_) {
    if (other.design->kind == ControlKind::OptionButton &&
        other.design->group == k->design->group) {
      other.value = 0;
    }
  }
  k->value = 1;
  if (raiseClick && c.id == Control::Scope && Sink() != nullptr) {
    Sink()->OnClick(c);
  }
}

void FakeSearchView::SetValue(ControlRef c, int value) {
  log_.Record("SetValue", {static_cast<int>(c.id), c.index, value});
  FakeControl* k = ControlAt(c);
  if (k == nullptr) {
    return;
  }
  if (k->design->kind == ControlKind::OptionButton) {
    if (value != 0) {
      SelectOption(c, true);
    } else {
      k->value = 0;
    }
  } else if (k->design->kind == ControlKind::CheckBox) {
    const int v = std::clamp(value, 0, 2);
    if (v == k->value) {
      return;
    }
    k->value = v;
    if (Sink() != nullptr) {
      Sink()->OnClick(c);
    }
  }
}

bool FakeSearchView::Enabled(ControlRef c) {
  FakeControl* k = ControlAt(c);
  return k != nullptr && k->enabled;
}

void FakeSearchView::SetEnabled(ControlRef c, bool enabled) {
  log_.Record("SetEnabled", {static_cast<int>(c.id), c.index, enabled ? 1 : 0});
  if (FakeControl* k = ControlAt(c)) {
    k->enabled = enabled;
  }
}

bool FakeSearchView::Visible(ControlRef c) {
  if (c.id == Control::Window) {
    return ViewVisible();
  }
  FakeControl* k = ControlAt(c);
  return k != nullptr && k->visible;
}

void FakeSearchView::SetVisible(ControlRef c, bool visible) {
  log_.Record("SetVisible", {static_cast<int>(c.id), c.index, visible ? 1 : 0});
  if (FakeControl* k = ControlAt(c)) {
    k->visible = visible;
  }
}

Colour FakeSearchView::TextColour(ControlRef c) {
  FakeControl* k = ControlAt(c);
  return k == nullptr ? 0 : k->fore;
}

void FakeSearchView::SetTextColour(ControlRef c, Colour colour) {
  log_.Record("SetTextColour", {static_cast<int>(c.id), c.index, colour});
  if (FakeControl* k = ControlAt(c)) {
    k->fore = colour;
  }
}

Twips FakeSearchView::ControlTop(ControlRef c) {
  FakeControl* k = ControlAt(c);
  return k == nullptr ? 0 : k->top;
}

void FakeSearchView::SetControlTop(ControlRef c, Twips top) {
  if (FakeControl* k = ControlAt(c)) {
    k->top = top;
  }
}

bool FakeSearchView::SetTabStop(ControlRef c, bool on) {
  FakeControl* k = ControlAt(c);
  if (k == nullptr || !Windowed(k->design->kind) || k->design->kind == ControlKind::Image) {
    return false;
  }
  k->tabStop = on;
  return true;
}

int FakeSearchView::TabStopCount() const {
  return static_cast<int>(std::count_if(controls_.begin(), controls_.end(),
                                        [](const auto& kv) { return kv.second.tabStop; }));
}

int FakeSearchView::SelectedOption(Control group) const {
  for (const auto& [key, c] : controls_) {
    if (key.first == group && c.value == 1) {
      return key.second;
    }
  }
  return -1;
}

bool FakeSearchView::EffectiveVisible(const FakeControl& c) {
  const FakeControl* k = &c;
  for (int depth = 0; depth < 8; ++depth) {
    if (!k->visible || !k->enabled) {
      return false;
    }
    if (k->design->container.id == Control::Window) {
      return true;
    }
    k = ControlAt(k->design->container);
    if (k == nullptr) {
      return false;
    }
  }
  return false;
}

bool FakeSearchView::CanTakeFocus(const FakeControl& c) {
  return created_ && visible_ && state_ != WindowState::Minimised && Windowed(c.design->kind) &&
         EffectiveVisible(c);
}

bool FakeSearchView::SetFocus(ControlRef c) {
  FakeControl* k = ControlAt(c);
  const bool ok = k != nullptr && CanTakeFocus(*k);
  log_.Record("SetFocus", {static_cast<int>(c.id), c.index, ok ? 1 : 0},
              std::string(ControlName(c.id)) + "(" + std::to_string(c.index) + ")");
  if (ok) {
    focus_ = c;
  }
  return ok;
}

Hwnd FakeSearchView::ControlWindow(ControlRef c) {
  if (c.id == Control::Window) {
    return created_ ? hwnd_ : 0;
  }
  FakeControl* k = ControlAt(c);
  return k == nullptr ? 0 : k->hwnd;
}

std::string FakeSearchView::FocusName() {
  if (!focus_) {
    return {};
  }
  return std::string(ControlName(focus_->id)) + "(" + std::to_string(focus_->index) + ")";
}

// ---------------------------------------------------------------- the user at the window

int FakeSearchView::ModifierMask() {
  return (hotkeys_.KeyHeldNow(vk::Shift) ? kMaskShift : 0) |
         (hotkeys_.KeyHeldNow(vk::Control) ? kMaskCtrl : 0) |
         (hotkeys_.KeyHeldNow(vk::Alt) ? kMaskAlt : 0);
}

void FakeSearchView::DeliverChar(int ch) {
  int c = ch;
  if (Sink() != nullptr) {
    Sink()->OnKeyPress(c);
  }
  if (c == 0 || !created_ || !focus_) {
    return;
  }
  FakeControl* k = ControlAt(*focus_);
  if (k == nullptr) {
    return;
  }
  switch (k->design->kind) {
    case ControlKind::TextBox: {
      std::u16string units = utf16::FromUtf8(k->text);
      const int e = std::min(k->selStart + k->selLength, static_cast<int>(units.size()));
      int b = std::min(k->selStart, e);
      if (c == 8) {
        if (b == e && b > 0) {
          b -= utf16::StepBack(units, b);
        }
        units.erase(static_cast<std::size_t>(b), static_cast<std::size_t>(e - b));
      } else if (c >= 32 && c < 127) {
        units.replace(static_cast<std::size_t>(b), static_cast<std::size_t>(e - b), 1,
                      static_cast<char16_t>(c));
        ++b;
      }
      k->text = utf16::ToUtf8(units);
      k->selStart = b;
      k->selLength = 0;
      break;
    }
    case ControlKind::OptionButton:
      if (c == ' ') {
        SelectOption(*focus_, true);
      }
      break;
    case ControlKind::CheckBox:
      if (c == ' ') {
        SetValue(*focus_, k->value == 0 ? 1 : 0);
      }
      break;
    case ControlKind::CommandButton:
      if (c == ' ' && Sink() != nullptr) {
        Sink()->OnClick(*focus_);
      }
      break;
    default:
      break;
  }
}

void FakeSearchView::KeyReached(const KeyEvent& ev) {
  const int key = static_cast<int>(ev.vkCode & 0xFFFF);
  const int mask = ModifierMask();
  if ((ev.flags & kKeyEventUp) != 0) {
    if (Sink() != nullptr) {
      Sink()->OnKeyUp(key, mask);
    }
    return;
  }
  if (key == vk::Shift || key == vk::Control || key == vk::Alt) {
    return;
  }
  const bool swallowed = Sink() != nullptr && Sink()->OnKeyDown(key, mask, false);
  if ((mask & 4) != 0 && (mask & 2) == 0) {
    // What the layout types on the key, as a system's Alt character message carries it.
    if (Sink() != nullptr) {
      Sink()->OnAltCharacter(layout_.TranslateKeyCode(key, 2));
    }
    return;
  }
  if (swallowed) {
    return;
  }
  if (key >= vk::Left && key <= vk::Down) {
    if (!focus_) {
      return;
    }
    FakeControl* k = ControlAt(*focus_);
    if (k == nullptr) {
      return;
    }
    const int step = key == vk::Left || key == vk::Up ? -1 : 1;
    if (k->design->kind == ControlKind::TextBox && (key == vk::Left || key == vk::Right)) {
      const std::u16string units = utf16::FromUtf8(k->text);
      const int n = static_cast<int>(units.size());
      const int at = std::clamp(k->selStart, 0, n);
      k->selStart = step < 0 ? (at > 0 ? at - utf16::StepBack(units, at) : 0)
                             : (at < n ? at + utf16::StepForward(units, at) : n);
      k->selLength = 0;
    }
    return;
  }
  int ch = 0;
  if ((mask & 2) != 0) {
    if (key >= 'A' && key <= 'Z') {
      ch = key - 'A' + 1;
    }
  } else {
    const bool shift = (mask & kMaskShift) != 0;
    for (int c = 1; c < 127 && ch == 0; ++c) {
      const std::int16_t scan = layout_.KeyForCharacter(static_cast<char>(c));
      if (scan != -1 && (scan & 0xFF) == key && ((scan & kKeyScanShift) != 0) == shift &&
          (scan & (kKeyScanCtrl | kKeyScanAlt)) == 0) {
        ch = c;
      }
    }
  }
  if (ch != 0) {
    DeliverChar(ch);
  }
}

void FakeSearchView::Click(ControlRef c) {
  if (!created_) {
    return;
  }
  if (desktop_.WindowInFront() != hwnd_) {
    desktop_.ChangeForeground(hwnd_);
  }
  if (c.id == Control::Window) {
    return;
  }
  FakeControl* k = ControlAt(c);
  if (k == nullptr || !EffectiveVisible(*k)) {
    return;
  }
  switch (k->design->kind) {
    case ControlKind::OptionButton:
      focus_ = c;
      SelectOption(c, true);
      break;
    case ControlKind::CheckBox:
      focus_ = c;
      k->value = k->value == 0 ? 1 : 0;
      if (Sink() != nullptr) {
        Sink()->OnClick(c);
      }
      break;
    case ControlKind::CommandButton:
      focus_ = c;
      if (Sink() != nullptr) {
        Sink()->OnClick(c);
      }
      break;
    case ControlKind::TextBox:
      focus_ = c;
      k->selStart = Utf16Length(k->text);
      k->selLength = 0;
      break;
    case ControlKind::Label:
      if (Sink() != nullptr) {
        Sink()->OnClick(c);
      }
      break;
    default:
      break;
  }
}

void FakeSearchView::MouseMove(ControlRef over) {
  if (Sink() != nullptr && created_) {
    Sink()->OnMouseMove(over);
  }
}

void FakeSearchView::DoubleClick() {
  if (Sink() != nullptr && created_) {
    Sink()->OnDblClick();
  }
}

void FakeSearchView::Minimise() {
  if (!created_ || state_ == WindowState::Minimised) {
    return;
  }
  state_ = WindowState::Minimised;
  SyncWindow();
  if (Sink() != nullptr) {
    Sink()->OnResize();
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
    Sink()->OnUnload();
  }
  DestroySearchWindow();
}

void FakeSearchView::Deactivate() {
  if (Sink() != nullptr && created_) {
    Sink()->OnDeactivate();
  }
}

// ---------------------------------------------------------------- services

int FakeSearchView::ShowMessageBox(const std::string& text, int style, const std::string& title) {
  int answer = kIdOk;
  if (!messageBoxAnswers.empty()) {
    answer = messageBoxAnswers.front();
    messageBoxAnswers.pop_front();
  }
  log_.Record("ShowMessageBox", {style, answer}, title + ": " + text);
  if (onMessageBox) {
    onMessageBox(text);
  }
  return answer;
}

void FakeSearchView::SetMousePointer(int pointer) {
  log_.Record("SetMousePointer", {pointer});
  mousePointer = pointer;
}

}  // namespace varnel
