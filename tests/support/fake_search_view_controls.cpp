// The controls' state: text, selection, values, focus, as the program sets and reads it.
#include "support/fake_search_view.h"

#include <algorithm>
#include <string>

#include "support/fake_utf16.h"

namespace varnel {

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

FakeControl* FakeSearchView::ControlAt(ControlRef c) {
  if (!created_) {
    return nullptr;
  }
  auto it = controls_.find({c.id, c.index});
  return it == controls_.end() ? nullptr : &it->second;
}

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
  return k == nullptr ? kBlack : k->fore;
}

void FakeSearchView::SetTextColour(ControlRef c, Colour colour) {
  log_.Record("SetTextColour", {static_cast<int>(c.id), c.index, colour.red, colour.green,
                                colour.blue, static_cast<int>(colour.theme)});
  if (FakeControl* k = ControlAt(c)) {
    k->fore = colour;
  }
}

int FakeSearchView::ControlTop(ControlRef c) {
  FakeControl* k = ControlAt(c);
  return k == nullptr ? 0 : k->top;
}

void FakeSearchView::SetControlTop(ControlRef c, int top) {
  if (FakeControl* k = ControlAt(c)) {
    k->top = top;
  }
}

bool FakeSearchView::SetTabStop(ControlRef c, bool on) {
  FakeControl* k = ControlAt(c);
  if (k == nullptr || !FakeControl::Windowed(k->design->kind) ||
      k->design->kind == ControlKind::Image) {
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
  return created_ && visible_ && state_ != WindowState::Minimised &&
         FakeControl::Windowed(c.design->kind) && EffectiveVisible(c);
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

WindowId FakeSearchView::ControlWindow(ControlRef c) {
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
}  // namespace varnel
