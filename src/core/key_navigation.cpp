#include "core/key_navigation.h"

#include <array>

#include "core/search_actions.h"
#include "core/window_utils.h"
#include "domain/codes.h"
#include "domain/utf8.h"
#include "domain/window_design.h"

namespace varnel {

namespace {

constexpr ControlRef kTerms{Control::Terms, 0};
constexpr ControlRef kDoIt{Control::DoIt, 0};

}  // namespace

// The window as the platform shows it.
class KeyNavigation::ViewForm final : public FormState {
 public:
  explicit ViewForm(FormControls& view) : pf_(view) {}
  std::optional<ControlRef> Focused() override { return pf_.FocusedControl(); }
  bool Usable(ControlRef c) override { return pf_.Enabled(c) && pf_.Visible(c); }

 private:
  FormControls& pf_;
};

KeyNavigation::KeyNavigation(FormControls& view, SearchActions& search, WindowUtils& winutil,
                             PlatformEvents& events)
    : view_(view),
      search_(search),
      winutil_(winutil),
      events_(events),
      form_(SearchWindowDesign()) {}

void KeyNavigation::CycleFocus() {
  FormControls& pf = view_;
  const std::optional<ControlRef> active = pf.FocusedControl();
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
    if (target.id == Control::VoiceCommands && !pf.Visible(target)) {
      continue;
    }
    if (pf.SetFocus(target)) {
      focused = target;
    }
  }
  if (focused && focused->id == Control::Terms) {
    SelectAllText(kTerms, true);
  } else {
    pf.SetSelection(kTerms, pf.SelStart(kTerms), 0);
  }
}

void KeyNavigation::SelectAllText(ControlRef control, bool focus) {
  FormControls& pf = view_;
  if (pf.SelLength(control) == 0) {
    pf.SetSelection(control, 0, Utf16Length(pf.Text(control)));
  }
  if (focus) {
    pf.SetFocus(control);
  }
}

void KeyNavigation::HandleCharacter(int& keyAscii) {
  if (Carry(FormKeys::Character(keyAscii))) {
    keyAscii = 0;
  }
}

bool KeyNavigation::KeyWentDown(int keyCode, int shift, bool repeat) {
  ViewForm form(view_);
  return Carry(form_.KeyDown(keyCode, shift, repeat, form));
}

void KeyNavigation::KeyWentUp(int keyCode, int shift) {
  Carry(form_.KeyUp(keyCode, shift));
}

bool KeyNavigation::AltCharacter(char32_t ch) {
  ViewForm form(view_);
  return Carry(form_.AltCharacter(ch, form));
}

// Returns whether the key is swallowed. The swallow is decided before anything runs: a
// search or a dismissal may take the window away.
bool KeyNavigation::Carry(const FormAction& action) {
  FormControls& pf = view_;
  if (action.focus) {
    pf.SetFocus(*action.focus);
  }
  if (action.select) {
    pf.SetValue(*action.select, 1);
  }
  if (action.toggle) {
    pf.SetValue(*action.toggle, pf.Value(*action.toggle) != 0 ? 0 : 1);
  }
  if (action.press) {
    events_.OnClick(*action.press);
  }
  switch (action.command) {
    case FormCommand::SelectTerms:
      SelectAllText(kTerms, true);
      break;
    case FormCommand::Search:
      search_.SearchNow();
      break;
    case FormCommand::Dismiss:
      winutil_.HideSearchWindow();
      break;
    case FormCommand::None:
      break;
  }
  return action.swallow;
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
