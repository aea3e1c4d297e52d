#include "core/key_navigation.h"

#include "core/search_actions.h"
#include "core/window_utils.h"

#include <array>

#include "domain/codes.h"
#include "domain/key_masks.h"
#include "domain/utf8.h"

namespace varnel {

namespace {

constexpr ControlRef kTerms{Control::Terms, 0};
constexpr ControlRef kDoIt{Control::DoIt, 0};
constexpr int kCharEnter = 13;
constexpr int kCharEscape = 27;
constexpr int kKeyA = 65;
constexpr int kKey1 = 49;
constexpr int kKey6 = 54;

}  // namespace

void KeyNavigation::CycleFocus() {
  const std::optional<ControlRef> active = view_.FocusedControl();
  const Control from = active ? active->id : Control::Window;

  // The cycle: terms, dates, voice check box (while shown), scopes, and back to the terms.
  const std::array<ControlRef, 4> cycle{kTerms, ControlRef{Control::DateRange, 0},
                                        ControlRef{Control::VoiceCommands, 0},
                                        ControlRef{Control::Scope, 0}};
  std::size_t next = 0;
  switch (from) {
    case Control::Terms:
      next = 1;
      break;
    case Control::DateRange:
      next = 2;
      break;
    case Control::VoiceCommands:
      next = 3;
      break;
    default:
      next = 0;
      break;
  }
  // A group that cannot take the focus (dates disabled, check box hidden) is passed over, so
  // Tab never gets stuck in the text box.
  std::optional<ControlRef> focused;
  for (std::size_t tries = 0; tries < cycle.size() && !focused; ++tries) {
    const ControlRef target = cycle[(next + tries) % cycle.size()];
    if (target.id == Control::VoiceCommands && !view_.Visible(target)) {
      continue;
    }
    if (view_.SetFocus(target)) {
      focused = target;
    }
  }
  if (focused && focused->id == Control::Terms) {
    SelectAllText(kTerms, true);
  } else {
    view_.SetSelection(kTerms, view_.SelStart(kTerms), 0);
  }
}

void KeyNavigation::SelectAllText(ControlRef control, bool focus) {
  if (view_.SelLength(control) == 0) {
    view_.SetSelection(control, 0, Utf16Length(view_.Text(control)));
  }
  if (focus) {
    view_.SetFocus(control);
  }
}

void KeyNavigation::HandleCharacter(int& keyAscii) {
  if (keyAscii == kCharEnter) {
    keyAscii = 0;
    search_.DoSearch();
  } else if (keyAscii == kCharEscape) {
    keyAscii = 0;
    winutil_.HideSearchWindow();
  }
}

void KeyNavigation::KeyWentDown(int keyCode, int shift) {
  const bool chord = (keyCode == kKeyA && shift == kMaskCtrl) ||
                     (keyCode >= kKey1 && keyCode <= kKey6 && shift == kMaskAlt);
  if (chord) {
    chordKey_ = keyCode;
    chordMask_ = shift;
  } else if (keyCode == chordKey_) {
    chordKey_ = 0;
  }
}

void KeyNavigation::KeyWentUp(int keyCode, int shift) {
  // The modifiers held when the key went down count, whichever key is let go first.
  if (keyCode == chordKey_) {
    shift = chordMask_;
    chordKey_ = 0;
  }
  if (keyCode == kKeyA) {
    if (shift == kMaskCtrl) {
      SelectAllText(kTerms, true);
    }
  } else if (keyCode >= kKey1 && keyCode <= kKey6 && shift == kMaskAlt) {
    view_.SetValue({Control::DateRange, keyCode - kKey1}, 1);
  }
}

void KeyNavigation::PointerOverBackground() {
  if (view_.TextColour(kDoIt) != kHeadingBlue) {
    view_.SetTextColour(kDoIt, kHeadingBlue);
  }
}

void KeyNavigation::PointerOverDoIt() {
  if (view_.TextColour(kDoIt) != kHoverGreen) {
    view_.SetTextColour(kDoIt, kHoverGreen);
  }
}

}  // namespace varnel
