#include "core/form_keys.h"

#include <algorithm>
#include <vector>

#include "domain/key_codes.h"
#include "domain/key_masks.h"
#include "domain/text_compare.h"

namespace varnel {

namespace {

constexpr char32_t kLastAscii = 0x7F;
constexpr int kEnterCharacter = 13;   // what Enter types
constexpr int kEscapeCharacter = 27;  // what Escape types

bool IsDateChord(int key, int mask) {
  return key >= vk::Digit1 && key <= (vk::Digit1 + kDateCount - 1) && mask == kMaskAlt;
}

bool IsSelectAllChord(int key, int mask) {
  return key == vk::LetterA && mask == kMaskCtrl;
}

// Arrow keys step through an option group: -1 back, 1 forward, 0 not an arrow.
int ArrowStep(int key) {
  switch (key) {
    case vk::Left:
    case vk::Up:
      return -1;
    case vk::Right:
    case vk::Down:
      return 1;
    default:
      return 0;
  }
}

bool AnswersAccelerator(ControlKind kind) {
  // Labels' marks ("&1".."&6") name the Alt+digit keys, which act by key, not by character,
  // so that they work on every layout's digit row.
  return kind == ControlKind::OptionButton || kind == ControlKind::CheckBox ||
         kind == ControlKind::CommandButton;
}

}  // namespace

const ControlDesign* FormKeys::Design(ControlRef c) const {
  for (const ControlDesign& d : design_.controls) {
    if (d.ref == c) {
      return &d;
    }
  }
  return nullptr;
}

FormAction FormKeys::KeyDown(int key, int mask, bool repeat, FormState& form) {
  if (!repeat) {
    if (IsDateChord(key, mask) || IsSelectAllChord(key, mask)) {
      chordKey_ = key;
      chordMask_ = mask;
    } else if (key == chordKey_) {
      chordKey_ = 0;
    }
  }
  FormAction action;
  // Tab is the keyboard hook's focus cycle, never the toolkit's tab order; Ctrl+A is the
  // window's own select-all, at the key's release.
  if (key == vk::Tab || (key == vk::LetterA && (mask & kMaskCtrl) != 0)) {
    action.swallow = true;
  } else if (const int step = ArrowStep(key); step != 0 && (mask & (kMaskCtrl | kMaskAlt)) == 0) {
    const std::optional<ControlRef> focused = form.Focused();
    const ControlDesign* d = focused ? Design(*focused) : nullptr;
    if (d != nullptr && d->kind == ControlKind::OptionButton) {
      action = MoveInGroup(*focused, step, form);
    }
  }
  return action;
}

FormAction FormKeys::KeyUp(int key, int mask) {
  // The modifiers held when the key went down count, whichever key is let go first.
  if (key == chordKey_) {
    mask = chordMask_;
    chordKey_ = 0;
  }
  FormAction action;
  if (IsSelectAllChord(key, mask)) {
    action.command = FormCommand::SelectTerms;
  } else if (IsDateChord(key, mask)) {
    // Even while the dates are disabled: the Twitter hashtag search reads the date too.
    action.select = ControlRef{Control::DateRange, key - vk::Digit1};
  }
  return action;
}

FormAction FormKeys::Character(int ch) {
  FormAction action;
  if (ch == kEnterCharacter) {
    action.command = FormCommand::Search;
    action.swallow = true;
  } else if (ch == kEscapeCharacter) {
    action.command = FormCommand::Dismiss;
    action.swallow = true;
  }
  return action;
}

FormAction FormKeys::AltCharacter(char32_t ch, FormState& form) const {
  FormAction action = Accelerator(ch, form);
  action.swallow = true;
  return action;
}

// A button with the letter is pressed ("&Find It" before "&Finance": Alt+F is the search key).
// Otherwise the next control with it after the focused one in tab order takes the focus, an
// option is selected and a check box toggled; so controls sharing a letter take turns.
FormAction FormKeys::Accelerator(char32_t ch, FormState& form) const {
  FormAction action;
  if (ch == 0 || ch > kLastAscii) {
    return action;
  }
  // Captions' accelerators are lower-cased ASCII letters, whatever the user's locale.
  const char letter = AsciiLower(static_cast<char>(ch));
  std::vector<const ControlDesign*> hits;
  for (const ControlDesign& d : design_.controls) {
    if (AnswersAccelerator(d.kind) && CaptionAccelerator(d.caption) == letter &&
        form.Usable(d.ref)) {
      hits.push_back(&d);
    }
  }
  if (hits.empty()) {
    return action;
  }
  for (const ControlDesign* d : hits) {
    if (d->kind == ControlKind::CommandButton) {
      action.press = d->ref;
      return action;
    }
  }
  std::ranges::stable_sort(hits, {}, &ControlDesign::tabIndex);
  const std::optional<ControlRef> focused = form.Focused();
  const ControlDesign* current = focused ? Design(*focused) : nullptr;
  const int after = current != nullptr ? current->tabIndex : -1;
  const auto next =
      std::ranges::find_if(hits, [after](const ControlDesign* d) { return d->tabIndex > after; });
  const ControlDesign& target = next != hits.end() ? **next : *hits.front();
  action.focus = target.ref;
  if (target.kind == ControlKind::OptionButton) {
    action.select = target.ref;
  } else if (target.kind == ControlKind::CheckBox) {
    action.toggle = target.ref;
  }
  return action;
}

// The next usable option of the group, wrapping round; it takes the focus and is selected.
FormAction FormKeys::MoveInGroup(ControlRef from, int step, FormState& form) const {
  FormAction action;
  action.swallow = true;
  const ControlDesign* own = Design(from);
  std::vector<ControlRef> group;
  for (const ControlDesign& d : design_.controls) {
    if (d.kind == ControlKind::OptionButton && d.group == own->group) {
      group.push_back(d.ref);
    }
  }
  const auto n = static_cast<int>(group.size());
  const auto at = static_cast<int>(std::ranges::find(group, from) - group.begin());
  for (int i = 1; i < n; ++i) {
    const ControlRef next = group[static_cast<std::size_t>(((at + step * i) % n + n) % n)];
    if (form.Usable(next)) {
      action.focus = next;
      action.select = next;
      break;
    }
  }
  return action;
}

}  // namespace varnel
