// The fake's search window: controls built from the design table and what the controls do
// by themselves with keys and clicks (typing, the caret, Space). The window's own keys
// (accelerators, arrows in option groups, Tab) are reported to the program, which decides.
#include <algorithm>
#include <string>

#include "support/fake_platform.h"

#include "domain/utf8.h"

namespace varnel {
namespace {

// Frame around the client area: 4 px borders and a 31 px caption at 15 twips per pixel.
constexpr int kTwipsPerPixel = 15;  // the fake's screen is 96 dpi
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 39;
constexpr int kFirstPlace = 96;
// Parked, the window's frame lies this far above the screen.
constexpr int kParkedBottom = -2000;

bool Windowed(ControlKind k) {
  return k != ControlKind::Label && k != ControlKind::Image;
}

// The text box keeps its text in UTF-16, as real controls do, so that a selection ending
// inside a surrogate pair does to the text what it does there.
constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kSurrogateBase = 0x10000;
constexpr char16_t kHighFirst = 0xD800;
constexpr char16_t kLowFirst = 0xDC00;
constexpr char16_t kLowLast = 0xDFFF;
constexpr int kSurrogateBits = 10;
constexpr char32_t kSurrogateMask = 0x3FF;

bool IsHigh(char16_t u) {
  return u >= kHighFirst && u < kLowFirst;
}
bool IsLow(char16_t u) {
  return u >= kLowFirst && u <= kLowLast;
}

std::u16string ToUtf16(std::string_view s) {
  std::u16string out;
  for (std::size_t i = 0; i < s.size();) {
    const auto lead = static_cast<unsigned char>(s[i]);
    const int len = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t cp = len == 1 ? lead : lead & (0x7F >> len);
    for (int k = 1; k < len && i + static_cast<std::size_t>(k) < s.size(); ++k) {
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]) & 0x3F);
    }
    i += static_cast<std::size_t>(len);
    if (cp >= kSurrogateBase) {
      cp -= kSurrogateBase;
      out += static_cast<char16_t>(kHighFirst + (cp >> kSurrogateBits));
      out += static_cast<char16_t>(kLowFirst + (cp & kSurrogateMask));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

// A lone surrogate becomes U+FFFD, as the platforms' conversions make it.
std::string ToUtf8(std::u16string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (IsHigh(s[i]) && i + 1 < s.size() && IsLow(s[i + 1])) {
      AppendUtf8(out,
                 kSurrogateBase + ((static_cast<char32_t>(s[i] - kHighFirst) << kSurrogateBits) |
                                   static_cast<char32_t>(s[i + 1] - kLowFirst)));
      ++i;
    } else {
      AppendUtf8(out, IsHigh(s[i]) || IsLow(s[i]) ? kReplacement : s[i]);
    }
  }
  return out;
}

// Units of the character before / at `at`: a whole surrogate pair counts as one step.
int StepBack(std::u16string_view s, int at) {
  const auto i = static_cast<std::size_t>(at);
  return at >= 2 && IsLow(s[i - 1]) && IsHigh(s[i - 2]) ? 2 : 1;
}
int StepForward(std::u16string_view s, int at) {
  const auto i = static_cast<std::size_t>(at);
  return i + 1 < s.size() && IsHigh(s[i]) && IsLow(s[i + 1]) ? 2 : 1;
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

FakeControl* FakePlatform::ControlAt(ControlRef c) {
  if (!formCreated_) {
    return nullptr;
  }
  auto it = controls_.find({c.id, c.index});
  return it == controls_.end() ? nullptr : &it->second;
}

Hwnd FakePlatform::CreateSearchWindow(const WindowDesign& design) {
  Record("CreateSearchWindow");
  if (formCreated_) {
    return formHwnd_;
  }
  FakeWindow w;
  w.hwnd = NewHwnd();
  w.thread = cfg_.ownThread;
  w.pid = cfg_.ownPid;
  w.className = "Varnel";
  w.visible = false;
  formHwnd_ = AddWindow(w);
  formCreated_ = true;
  formVisible_ = false;
  unloaded_ = false;
  formState_ = WindowState::Normal;
  formParked_ = false;
  formFrame_ = {kFirstPlace, kFirstPlace,
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
    c.tabStop = Windowed(d.kind) && d.kind != ControlKind::Image;
    if (Windowed(d.kind)) {
      c.hwnd = NewHwnd();
    }
    if (d.kind == ControlKind::OptionButton && d.ref.index == 0) {
      c.value = 1;
    }
    controls_[{d.ref.id, d.ref.index}] = c;
  }
  SyncFormWindow();
  return formHwnd_;
}

void FakePlatform::SyncFormWindow() {
  FakeWindow* w = Window(formHwnd_);
  if (w == nullptr) {
    return;
  }
  w->visible = formVisible_;
  w->minimised = formState_ == WindowState::Minimised;
  w->rect = formFrame_;
  if (formParked_) {
    w->rect.top = kParkedBottom - (formFrame_.bottom - formFrame_.top);
    w->rect.bottom = kParkedBottom;
  }
}

void FakePlatform::ShowView() {
  Record("ShowView");
  if (!formCreated_) {
    return;
  }
  const bool first = !formVisible_;
  formVisible_ = true;
  SyncFormWindow();
  Restack(formHwnd_, std::nullopt);
  // The form runtime raises Resize when a form is first displayed.
  if (first && sink_ != nullptr) {
    sink_->OnResize();
  }
}

void FakePlatform::DestroySearchWindow() {
  Record("DestroySearchWindow");
  if (!formCreated_) {
    return;
  }
  CloseWindow(formHwnd_);
  formCreated_ = false;
  formVisible_ = false;
  controls_.clear();
  focus_.reset();
  timerInterval_ = 0;
  unloaded_ = true;
}

void FakePlatform::SetViewTop(int top) {
  Record("SetViewTop", {top});
  if (!formCreated_) {
    return;
  }
  formFrame_.bottom += top - formFrame_.top;
  formFrame_.top = top;
  formParked_ = false;
  SyncFormWindow();
}

void FakePlatform::Park() {
  Record("Park");
  if (formCreated_) {
    formParked_ = true;
    SyncFormWindow();
  }
}

void FakePlatform::MoveView(const Rect& frame) {
  Record("MoveView", {frame.left, frame.top, frame.right, frame.bottom});
  if (!formCreated_) {
    return;
  }
  const bool resized = frame.right - frame.left != formFrame_.right - formFrame_.left ||
                       frame.bottom - frame.top != formFrame_.bottom - formFrame_.top;
  formFrame_ = frame;
  SyncFormWindow();
  if (resized && sink_ != nullptr) {
    sink_->OnResize();
  }
}

void FakePlatform::SetViewState(WindowState state) {
  Record("SetViewState", {static_cast<int>(state)});
  if (!formCreated_ || state == formState_) {
    return;
  }
  formState_ = state;
  SyncFormWindow();
  if (sink_ != nullptr) {
    sink_->OnResize();
  }
}

void FakePlatform::RaiseView() {
  Record("RaiseView");
  if (formCreated_) {
    Restack(formHwnd_, std::nullopt);
  }
}

void FakePlatform::SetScreenPixels(int width, int height) {
  screenWidthPx_ = width;
  screenHeightPx_ = height;
}

// ---------------------------------------------------------------- controls

std::string FakePlatform::Text(ControlRef c) {
  if (c.id == Control::Window) {
    return formCreated_ ? " Varnel" : "";
  }
  FakeControl* k = ControlAt(c);
  return k == nullptr ? std::string() : k->text;
}

void FakePlatform::SetText(ControlRef c, const std::string& text) {
  Record("SetText", {static_cast<int>(c.id), c.index}, text);
  FakeControl* k = ControlAt(c);
  if (k == nullptr) {
    return;
  }
  k->text = text;
  k->selStart = 0;
  k->selLength = 0;
}

int FakePlatform::SelStart(ControlRef c) {
  FakeControl* k = ControlAt(c);
  return k == nullptr ? 0 : k->selStart;
}

int FakePlatform::SelLength(ControlRef c) {
  FakeControl* k = ControlAt(c);
  return k == nullptr ? 0 : k->selLength;
}

void FakePlatform::SetSelection(ControlRef c, int start, int length) {
  Record("SetSelection", {static_cast<int>(c.id), c.index, start, length});
  FakeControl* k = ControlAt(c);
  if (k == nullptr || k->design->kind != ControlKind::TextBox) {
    return;
  }
  const std::u16string units = ToUtf16(k->text);
  const int n = static_cast<int>(units.size());
  int b = std::clamp(start, 0, n);
  int e = b + std::clamp(length, 0, n - b);
  // As the real controls do: an end between the halves of a surrogate pair moves outward.
  auto splitsPair = [&units](int at) {
    const auto i = static_cast<std::size_t>(at);
    return at > 0 && i < units.size() && IsLow(units[i]) && IsHigh(units[i - 1]);
  };
  b -= splitsPair(b) ? 1 : 0;
  e += splitsPair(e) ? 1 : 0;
  k->selStart = b;
  k->selLength = e - b;
}

std::string FakePlatform::SelectedText(ControlRef c) {
  FakeControl* k = ControlAt(c);
  if (k == nullptr) {
    return {};
  }
  return ToUtf8(ToUtf16(k->text).substr(static_cast<std::size_t>(k->selStart),
                                        static_cast<std::size_t>(k->selLength)));
}

int FakePlatform::Value(ControlRef c) {
  FakeControl* k = ControlAt(c);
  return k == nullptr ? 0 : k->value;
}

void FakePlatform::SelectOption(ControlRef c, bool raiseClick) {
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
  if (raiseClick && c.id == Control::Scope && sink_ != nullptr) {
    sink_->OnClick(c);
  }
}

void FakePlatform::SetValue(ControlRef c, int value) {
  Record("SetValue", {static_cast<int>(c.id), c.index, value});
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
    if (sink_ != nullptr) {
      sink_->OnClick(c);
    }
  }
}

bool FakePlatform::Enabled(ControlRef c) {
  FakeControl* k = ControlAt(c);
  return k != nullptr && k->enabled;
}

void FakePlatform::SetEnabled(ControlRef c, bool enabled) {
  Record("SetEnabled", {static_cast<int>(c.id), c.index, enabled ? 1 : 0});
  if (FakeControl* k = ControlAt(c)) {
    k->enabled = enabled;
  }
}

bool FakePlatform::Visible(ControlRef c) {
  if (c.id == Control::Window) {
    return ViewVisible();
  }
  FakeControl* k = ControlAt(c);
  return k != nullptr && k->visible;
}

void FakePlatform::SetVisible(ControlRef c, bool visible) {
  Record("SetVisible", {static_cast<int>(c.id), c.index, visible ? 1 : 0});
  if (FakeControl* k = ControlAt(c)) {
    k->visible = visible;
  }
}

Colour FakePlatform::TextColour(ControlRef c) {
  FakeControl* k = ControlAt(c);
  return k == nullptr ? 0 : k->fore;
}

void FakePlatform::SetTextColour(ControlRef c, Colour colour) {
  Record("SetTextColour", {static_cast<int>(c.id), c.index, colour});
  if (FakeControl* k = ControlAt(c)) {
    k->fore = colour;
  }
}

int FakePlatform::ControlTop(ControlRef c) {
  FakeControl* k = ControlAt(c);
  return k == nullptr ? 0 : k->top;
}

void FakePlatform::SetControlTop(ControlRef c, int top) {
  if (FakeControl* k = ControlAt(c)) {
    k->top = top;
  }
}

bool FakePlatform::SetTabStop(ControlRef c, bool on) {
  FakeControl* k = ControlAt(c);
  if (k == nullptr || !Windowed(k->design->kind) || k->design->kind == ControlKind::Image) {
    return false;
  }
  k->tabStop = on;
  return true;
}

int FakePlatform::TabStopCount() const {
  return static_cast<int>(std::count_if(controls_.begin(), controls_.end(),
                                        [](const auto& kv) { return kv.second.tabStop; }));
}

int FakePlatform::SelectedOption(Control group) const {
  for (const auto& [key, c] : controls_) {
    if (key.first == group && c.value == 1) {
      return key.second;
    }
  }
  return -1;
}

bool FakePlatform::EffectiveVisible(const FakeControl& c) {
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

bool FakePlatform::CanTakeFocus(const FakeControl& c) {
  return formCreated_ && formVisible_ && formState_ != WindowState::Minimised &&
         Windowed(c.design->kind) && EffectiveVisible(c);
}

bool FakePlatform::SetFocus(ControlRef c) {
  FakeControl* k = ControlAt(c);
  const bool ok = k != nullptr && CanTakeFocus(*k);
  Record("SetFocus", {static_cast<int>(c.id), c.index, ok ? 1 : 0},
         std::string(ControlName(c.id)) + "(" + std::to_string(c.index) + ")");
  if (ok) {
    focus_ = c;
  }
  return ok;
}

Hwnd FakePlatform::ControlWindow(ControlRef c) {
  if (c.id == Control::Window) {
    return formCreated_ ? formHwnd_ : 0;
  }
  FakeControl* k = ControlAt(c);
  return k == nullptr ? 0 : k->hwnd;
}

Hwnd FakePlatform::FocusedWindow() {
  // The focus belongs to the active window's thread; ours has none while another is in front.
  if (!focus_ || foreground_ != formHwnd_ || !formCreated_) {
    return 0;
  }
  return ControlWindow(*focus_);
}

std::string FakePlatform::FocusName() {
  if (!focus_) {
    return {};
  }
  return std::string(ControlName(focus_->id)) + "(" + std::to_string(focus_->index) + ")";
}

// ---------------------------------------------------------------- the user at the window

int FakePlatform::ModifierMask() {
  return (KeyHeldNow(vk::Shift) ? kMaskShift : 0) | (KeyHeldNow(vk::Control) ? kMaskCtrl : 0) |
         (KeyHeldNow(vk::Alt) ? kMaskAlt : 0);
}

void FakePlatform::DeliverChar(int ch) {
  int c = ch;
  if (sink_ != nullptr) {
    sink_->OnKeyPress(c);
  }
  if (c == 0 || !formCreated_ || !focus_) {
    return;
  }
  FakeControl* k = ControlAt(*focus_);
  if (k == nullptr) {
    return;
  }
  switch (k->design->kind) {
    case ControlKind::TextBox: {
      std::u16string units = ToUtf16(k->text);
      const int e = std::min(k->selStart + k->selLength, static_cast<int>(units.size()));
      int b = std::min(k->selStart, e);
      if (c == 8) {
        if (b == e && b > 0) {
          b -= StepBack(units, b);
        }
        units.erase(static_cast<std::size_t>(b), static_cast<std::size_t>(e - b));
      } else if (c >= 32 && c < 127) {
        units.replace(static_cast<std::size_t>(b), static_cast<std::size_t>(e - b), 1,
                      static_cast<char16_t>(c));
        ++b;
      }
      k->text = ToUtf8(units);
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
      if (c == ' ' && sink_ != nullptr) {
        sink_->OnClick(*focus_);
      }
      break;
    default:
      break;
  }
}

void FakePlatform::DeliverKeyToForm(const KeyEvent& ev) {
  const int key = static_cast<int>(ev.vkCode & 0xFFFF);
  const int mask = ModifierMask();
  if ((ev.flags & kKeyEventUp) != 0) {
    if (sink_ != nullptr) {
      sink_->OnKeyUp(key, mask);
    }
    return;
  }
  if (key == vk::Shift || key == vk::Control || key == vk::Alt) {
    return;
  }
  const bool swallowed = sink_ != nullptr && sink_->OnKeyDown(key, mask, false);
  if ((mask & 4) != 0 && (mask & 2) == 0) {
    // What the layout types on the key, as a system's Alt character message carries it.
    if (sink_ != nullptr) {
      sink_->OnAltCharacter(TranslateKeyCode(key, 2));
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
      const std::u16string units = ToUtf16(k->text);
      const int n = static_cast<int>(units.size());
      const int at = std::clamp(k->selStart, 0, n);
      k->selStart = step < 0 ? (at > 0 ? at - StepBack(units, at) : 0)
                             : (at < n ? at + StepForward(units, at) : n);
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
      const std::int16_t scan = KeyForCharacter(static_cast<char>(c));
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

void FakePlatform::ClickNow(ControlRef c) {
  if (!formCreated_) {
    return;
  }
  if (foreground_ != formHwnd_) {
    ChangeForeground(formHwnd_);
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
      if (sink_ != nullptr) {
        sink_->OnClick(c);
      }
      break;
    case ControlKind::CommandButton:
      focus_ = c;
      if (sink_ != nullptr) {
        sink_->OnClick(c);
      }
      break;
    case ControlKind::TextBox:
      focus_ = c;
      k->selStart = Utf16Length(k->text);
      k->selLength = 0;
      break;
    case ControlKind::Label:
      if (sink_ != nullptr) {
        sink_->OnClick(c);
      }
      break;
    default:
      break;
  }
}

void FakePlatform::UserClick(ControlRef c) {
  QueueEvent(std::string("Click ") + ControlName(c.id), [this, c] { ClickNow(c); });
}

void FakePlatform::UserMouseMove(ControlRef over) {
  QueueEvent(std::string("MouseMove ") + ControlName(over.id), [this, over] {
    if (sink_ != nullptr && formCreated_) {
      sink_->OnMouseMove(over);
    }
  });
}

void FakePlatform::UserDblClick() {
  QueueEvent("DblClick", [this] {
    if (sink_ != nullptr && formCreated_) {
      sink_->OnDblClick();
    }
  });
}

void FakePlatform::UserMinimise() {
  QueueEvent("Minimise", [this] {
    if (!formCreated_ || formState_ == WindowState::Minimised) {
      return;
    }
    formState_ = WindowState::Minimised;
    SyncFormWindow();
    if (sink_ != nullptr) {
      sink_->OnResize();
    }
  });
}

void FakePlatform::UserClose() {
  QueueEvent("Close", [this] {
    if (!formCreated_) {
      return;
    }
    if (sink_ != nullptr && !sink_->OnCloseRequest()) {
      return;
    }
    if (sink_ != nullptr) {
      sink_->OnUnload();
    }
    if (formCreated_) {
      DestroySearchWindow();
    }
    unloaded_ = true;
  });
}

void FakePlatform::UserChooseTray(TrayEntry entry) {
  QueueEvent("TrayEntry", [this, entry] {
    if (sink_ != nullptr && trayShown_) {
      sink_->OnTrayEntry(entry);
    }
  });
}

bool FakePlatform::ShowTrayIcon(const TrayChecks& checks) {
  Record("ShowTrayIcon", {checks.voiceCommands, checks.startAtLogin});
  trayShown_ = trayHost;
  trayChecks = checks;
  return trayShown_;
}

void FakePlatform::RemoveTrayIcon() {
  Record("RemoveTrayIcon");
  trayShown_ = false;
}

void FakePlatform::SetTrayChecks(const TrayChecks& checks) {
  Record("SetTrayChecks", {checks.voiceCommands, checks.startAtLogin});
  trayChecks = checks;
}

bool FakePlatform::SetStartAtLogin(bool on) {
  Record("SetStartAtLogin", {on});
  if (startAtLoginFails) {
    return false;
  }
  startAtLogin = on;
  return true;
}

void FakePlatform::UserDeactivate() {
  QueueEvent("OnDeactivate", [this] {
    if (sink_ != nullptr && formCreated_) {
      sink_->OnDeactivate();
    }
  });
}

}  // namespace varnel
