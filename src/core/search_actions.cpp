#include "core/search_actions.h"

#include "core/browser.h"
#include "core/program.h"
#include "domain/codes.h"
#include "domain/key_codes.h"
#include "domain/scopes.h"

namespace varnel {

namespace {

// How long a scope click waits for Alt to be let go before taking the focus anyway.
constexpr std::uint32_t kAltWaitLimitMs = 3000;

int SelectedIndex(Platform& pf, Control group, int count) {
  for (int i = 0; i < count; ++i) {
    if (pf.Value({group, i}) != 0) {
      return i;
    }
  }
  return 0;
}

}  // namespace

void SearchActions::DoSearch() {
  Platform& pf = p_.platform;
  // Parked before anything is read: the user sees the search start at once.
  p_.winutil.HideSearchWindow();
  if (!p_.state.formLoaded) {
    return;
  }
  const std::string terms = pf.Text({Control::Terms, 0});
  const int scope = SelectedIndex(pf, Control::Scope, kScopeCount);
  const int date = SelectedIndex(pf, Control::DateRange, kDateCount);
  const ComposedSearch search = ComposeSearch(terms, scope, date);
  if (!pf.OpenAddress(search.address)) {
    // Nothing will show the search: bring the terms back for another try and say why. The
    // history keeps only searches that went out.
    p_.summoning.ShowSearchWindow();
    p_.summoning.ShowMessage(kBrowserNotStarted, kMbIconInformation, "");
    return;
  }
  if (search.history) {
    p_.settings.SaveHistory(*search.history);
  }
}

void SearchActions::ScopeChosen(int index) {
  Platform& pf = p_.platform;
  const bool enable = DatesApply(index);
  for (int i = 0; i < kDateCount; ++i) {
    pf.SetEnabled({Control::DateRange, i}, enable);
  }
  if (!enable) {
    pf.SetValue({Control::DateRange, 0}, 1);
  }

  if (p_.window.Keyboard()) {
    return;
  }
  // Chosen with the mouse or by code: send the focus back to the terms once Alt is up, so
  // the release of an accelerator chord does not land elsewhere.
  pf.RunPendingEvents();
  const std::uint32_t start = pf.Milliseconds();
  while (p_.hook.IsKeyDown(vk::Alt) != 0 &&
         static_cast<std::uint32_t>(pf.Milliseconds() - start) < kAltWaitLimitMs) {
    pf.RunPendingEvents();
    pf.Sleep(1);
  }
  if (p_.state.formLoaded) {
    pf.SetFocus({Control::Terms, 0});
  }
}

void SearchActions::StartBrowser() {
  p_.browser.LaunchBrowser();
}

}  // namespace varnel
