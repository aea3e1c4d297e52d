// What the controls do by themselves with the keys and clicks that reach the window: typing,
// the caret, Space. The window's own keys are only reported to the program, which decides.
#include "support/fake_search_view.h"

#include <algorithm>

#include "domain/key_codes.h"
#include "domain/key_masks.h"
#include "domain/utf8.h"
#include "support/fake_utf16.h"

namespace varnel {

int FakeSearchView::ModifierMask() {
  return (hotkeys_.KeyHeldNow(vk::Shift) ? kMaskShift : 0) |
         (hotkeys_.KeyHeldNow(vk::Control) ? kMaskCtrl : 0) |
         (hotkeys_.KeyHeldNow(vk::Alt) ? kMaskAlt : 0);
}

void FakeSearchView::DeliverChar(int ch) {
  int c = ch;
  if (Sink() != nullptr) {
    Sink()->OnCharacterTyped(c);
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
  if (ev.up) {
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
      Sink()->OnAltCharacter(layout_.CharacterOf(key));
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
      const std::optional<KeyPlace> place = layout_.KeyToType(static_cast<char>(c));
      if (place && place->vk == static_cast<std::uint32_t>(key) &&
          (place->mods & (kMaskCtrl | kMaskAlt)) == 0 &&
          ((place->mods & kMaskShift) != 0) == shift) {
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
}  // namespace varnel
