#include "support/fake_form_controls.h"

#include <algorithm>
#include <string>

#include "support/fake_control_name.h"
#include "support/fake_utf16.h"

namespace varnel {

FakeFormControls::FakeFormControls(FakeLog& log, FakeEventLoop& loop, FakeDesktop& desktop,
                                   FakeViewWindow& window)
    : log_(log), loop_(loop), desktop_(desktop), window_(window) {
  window.onCreate = [this](const WindowDesign& design) { Build(design); };
  window.onDestroy = [this] { Clear(); };
  window.focusedChild = [this] { return focus_ ? ControlWindow(*focus_) : 0; };
}

void FakeFormControls::Build(const WindowDesign& design) {
  for (const auto& d : design.controls) {
    FakeControl c;
    c.design = &d;
    c.text = d.kind == ControlKind::TextBox ? std::string() : std::string(d.caption);
    c.fore = d.fore;
    c.top = d.top / FakeViewWindow::kTwipsPerPixel;
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
}

void FakeFormControls::Clear() {
  for (const auto& [key, c] : controls_) {
    desktop_.RemoveChild(c.hwnd);
  }
  controls_.clear();
  focus_.reset();
}

void FakeFormControls::Clicked(ControlRef c) {
  if (loop_.Sink() != nullptr) {
    loop_.Sink()->OnClick(c);
  }
}

FakeControl* FakeFormControls::ControlAt(ControlRef c) {
  auto it = controls_.find({c.id, c.index});
  return it == controls_.end() ? nullptr : &it->second;
}

std::string FakeFormControls::Text(ControlRef c) {
  if (c.id == Control::Window) {
    return window_.FormCreated() ? " Varnel" : "";
  }
  FakeControl* k = ControlAt(c);
  return k == nullptr ? std::string() : k->text;
}

void FakeFormControls::SetText(ControlRef c, const std::string& text) {
  log_.Record("SetText", {static_cast<int>(c.id), c.index}, text);
  FakeControl* k = ControlAt(c);
  if (k == nullptr) {
    return;
  }
  k->text = text;
  k->selStart = 0;
  k->selLength = 0;
}

void FakeFormControls::SetSelection(ControlRef c, int start, int length) {
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

std::string FakeFormControls::SelectedText(ControlRef c) {
  FakeControl* k = ControlAt(c);
  if (k == nullptr) {
    return {};
  }
  return utf16::ToUtf8(utf16::FromUtf8(k->text).substr(static_cast<std::size_t>(k->selStart),
                                                       static_cast<std::size_t>(k->selLength)));
}

void FakeFormControls::SelectOption(ControlRef c, bool raiseClick) {
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
  if (raiseClick && c.id == Control::Scope) {
    Clicked(c);
  }
}

void FakeFormControls::SetValue(ControlRef c, int value) {
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
    Clicked(c);
  }
}

bool FakeFormControls::Visible(ControlRef c) {
  if (c.id == Control::Window) {
    return window_.ViewVisible();
  }
  FakeControl* k = ControlAt(c);
  return k != nullptr && k->visible;
}

bool FakeFormControls::SetTabStop(ControlRef c, bool on) {
  FakeControl* k = ControlAt(c);
  if (k == nullptr || !FakeControl::Windowed(k->design->kind) ||
      k->design->kind == ControlKind::Image) {
    return false;
  }
  k->tabStop = on;
  return true;
}

Colour FakeFormControls::TextColour(ControlRef c) {
  FakeControl* k = ControlAt(c);
  return k == nullptr ? kBlack : k->fore;
}

void FakeFormControls::SetTextColour(ControlRef c, Colour colour) {
  log_.Record("SetTextColour", {static_cast<int>(c.id), c.index, colour.red, colour.green,
                                colour.blue, static_cast<int>(colour.theme)});
  if (FakeControl* k = ControlAt(c)) {
    k->fore = colour;
  }
}

int FakeFormControls::TabStopCount() const {
  return static_cast<int>(std::count_if(controls_.begin(), controls_.end(),
                                        [](const auto& kv) { return kv.second.tabStop; }));
}

int FakeFormControls::SelectedOption(Control group) const {
  for (const auto& [key, c] : controls_) {
    if (key.first == group && c.value == 1) {
      return key.second;
    }
  }
  return -1;
}

bool FakeFormControls::EffectiveVisible(const FakeControl& c) {
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

bool FakeFormControls::CanTakeFocus(const FakeControl& c) {
  return window_.ViewVisible() && window_.ViewState() != WindowState::Minimised &&
         FakeControl::Windowed(c.design->kind) && EffectiveVisible(c);
}

bool FakeFormControls::SetFocus(ControlRef c) {
  FakeControl* k = ControlAt(c);
  const bool ok = k != nullptr && CanTakeFocus(*k);
  log_.Record("SetFocus", {static_cast<int>(c.id), c.index, ok ? 1 : 0}, ControlLabel(c));
  if (ok) {
    focus_ = c;
  }
  return ok;
}

WindowId FakeFormControls::ControlWindow(ControlRef c) {
  if (c.id == Control::Window) {
    return window_.FormCreated() ? window_.SearchHwnd() : 0;
  }
  FakeControl* k = ControlAt(c);
  return k == nullptr ? 0 : k->hwnd;
}

std::string FakeFormControls::FocusName() {
  return focus_ ? ControlLabel(*focus_) : std::string();
}
}  // namespace varnel
