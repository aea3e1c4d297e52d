#include "core/search_actions.h"

#include "core/keyboard_hook.h"
#include "core/messages.h"
#include "core/search_window.h"
#include "core/settings.h"
#include "core/summoning.h"
#include "core/window_utils.h"

#include "core/browser.h"
#include "domain/codes.h"
#include "domain/key_codes.h"
#include "domain/scopes.h"

namespace varnel {

namespace {

// How long a scope click waits for Alt to be let go before taking the focus anyway.
constexpr std::uint32_t kAltWaitLimitMs = 3000;

int SelectedIndex(FormControls& controls, Control group, int count) {
  for (int i = 0; i < count; ++i) {
    if (controls.Value({group, i}) != 0) {
      return i;
    }
  }
  return 0;
}

}  // namespace

void SearchActions::SearchNow() {
  // Parked before anything is read: the user sees the search start at once.
  winutil_.HideSearchWindow();
  if (!window_.loaded) {
    return;
  }
  const std::string terms = controls_.Text({Control::Terms, 0});
  const int scope = SelectedIndex(controls_, Control::Scope, kScopeCount);
  const int date = SelectedIndex(controls_, Control::DateRange, kDateCount);
  const ComposedSearch search = ComposeSearch(terms, scope, date);
  if (!launcher_.OpenAddress(search.address)) {
    // Nothing will show the search: bring the terms back for another try and say why. The
    // history keeps only searches that went out.
    summoning_.ShowSearchWindow();
    messages_.Show(kBrowserNotStarted, kInformation, "");
    return;
  }
  if (search.history) {
    settings_.SaveHistory(*search.history);
  }
}

void SearchActions::ScopeChosen(int index) {
  const bool enable = DatesApply(index);
  for (int i = 0; i < kDateCount; ++i) {
    controls_.SetEnabled({Control::DateRange, i}, enable);
  }
  if (!enable) {
    controls_.SetValue({Control::DateRange, 0}, 1);
  }

  if (window_.Keyboard()) {
    return;
  }
  // Chosen with the mouse or by code: send the focus back to the terms once Alt is up, so
  // the release of an accelerator chord does not land elsewhere.
  loop_.RunPendingEvents();
  const std::uint32_t start = loop_.Milliseconds();
  while (hook_.KeyHeld(vk::Alt) &&
         static_cast<std::uint32_t>(loop_.Milliseconds() - start) < kAltWaitLimitMs) {
    loop_.RunPendingEvents();
    loop_.Sleep(1);
  }
  if (window_.loaded) {
    controls_.SetFocus({Control::Terms, 0});
  }
}

void SearchActions::StartBrowser() {
  browser_.LaunchBrowser();
}

}  // namespace varnel
