#include "support/fake_view_input.h"

#include <algorithm>

#include "domain/key_codes.h"
#include "domain/key_masks.h"
#include "domain/utf8.h"
#include "support/fake_utf16.h"

namespace varnel {

FakeViewInput::FakeViewInput(FakeEventLoop& loop, FakeDesktop& desktop, FakeHotkeys& hotkeys,
                             FakeKeyboardLayout& layout, FakeViewWindow& window,
                             FakeFormControls& controls)
    : loop_(loop),
      desktop_(desktop),
      hotkeys_(hotkeys),
      layout_(layout),
      window_(window),
      controls_(controls) {
  window.onKey = [this](const KeyEvent& ev) { KeyReached(ev); };
}

int FakeViewInput::ModifierMask() {
  return (hotkeys_.KeyHeldNow(vk::Shift) ? kMaskShift : 0) |
         (hotkeys_.KeyHeldNow(vk::Control) ? kMaskCtrl : 0) |
         (hotkeys_.KeyHeldNow(vk::Alt) ? kMaskAlt : 0);
}

void FakeViewInput::DeliverChar(int ch) {
  int c = ch;
  if (Sink() != nullptr) {
    Sink()->OnCharacterTyped(c);
  }
  const std::optional<ControlRef> focus = controls_.FocusedControl();
  FakeControl* k = focus ? controls_.ControlAt(*focus) : nullptr;
  if (c == 0 || !window_.FormCreated() || k == nullptr) {
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
        controls_.SelectOption(*focus, true);
      }
      break;
    case ControlKind::CheckBox:
      if (c == ' ') {
        controls_.SetValue(*focus, k->value == 0 ? 1 : 0);
      }
      break;
    case ControlKind::CommandButton:
      if (c == ' ' && Sink() != nullptr) {
        Sink()->OnClick(*focus);
      }
      break;
    default:
      break;
  }
}

// Left and Right move the caret in the text box; the other arrows do nothing by themselves.
void FakeViewInput::MoveCaret(int key) {
  const std::optional<ControlRef> focus = controls_.FocusedControl();
  FakeControl* k = focus ? controls_.ControlAt(*focus) : nullptr;
  if (k == nullptr || k->design->kind != ControlKind::TextBox ||
      (key != vk::Left && key != vk::Right)) {
    return;
  }
  const std::u16string units = utf16::FromUtf8(k->text);
  const int n = static_cast<int>(units.size());
  const int at = std::clamp(k->selStart, 0, n);
  k->selStart = key == vk::Left ? (at > 0 ? at - utf16::StepBack(units, at) : 0)
                                : (at < n ? at + utf16::StepForward(units, at) : n);
  k->selLength = 0;
}

void FakeViewInput::KeyReached(const KeyEvent& ev) {
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
  if ((mask & kMaskAlt) != 0 && (mask & kMaskCtrl) == 0) {
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
    MoveCaret(key);
    return;
  }
  int ch = 0;
  if ((mask & kMaskCtrl) != 0) {
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

void FakeViewInput::Click(ControlRef c) {
  if (!window_.FormCreated()) {
    return;
  }
  if (desktop_.WindowInFront() != window_.SearchHwnd()) {
    desktop_.ChangeForeground(window_.SearchHwnd());
  }
  FakeControl* k = c.id == Control::Window ? nullptr : controls_.ControlAt(c);
  if (k == nullptr || !controls_.EffectiveVisible(*k)) {
    return;
  }
  const ControlKind kind = k->design->kind;
  if (kind == ControlKind::OptionButton || kind == ControlKind::CheckBox ||
      kind == ControlKind::CommandButton || kind == ControlKind::TextBox) {
    controls_.TakeFocus(c);
  }
  switch (kind) {
    case ControlKind::OptionButton:
      controls_.SelectOption(c, true);
      break;
    case ControlKind::CheckBox:
      k->value = k->value == 0 ? 1 : 0;
      if (Sink() != nullptr) {
        Sink()->OnClick(c);
      }
      break;
    case ControlKind::TextBox:
      k->selStart = Utf16Length(k->text);
      k->selLength = 0;
      break;
    case ControlKind::CommandButton:
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
