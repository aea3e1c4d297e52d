#include "core/summoning.h"

#include "core/foreground_tracker.h"
#include "core/key_navigation.h"
#include "core/keyboard_hook.h"
#include "core/messages.h"
#include "core/search_window.h"
#include "core/settings.h"
#include "core/window_utils.h"

#include <algorithm>
#include <cmath>

#include "domain/codes.h"

namespace varnel {

namespace {
constexpr ControlRef kTerms{Control::Terms, 0};
// The highest top, in pixels, that keeps the title bar on screen and in reach.
constexpr int kTopEdge = 1;
}  // namespace

void Summoning::ShowSearchWindow() {
  // A settings problem found by this read may reach the message line before it is set below.
  const bool problemToldBefore = settings_.problemShown;
  const std::string history = settings_.LoadHistory();
  window_.EnsureLoaded();
  if (!window_.loaded) {
    return;
  }
  if (!history.empty() && history != settings_.lastSearch) {
    controls_.SetText(kTerms, history);
    settings_.lastSearch = history;
  }
  if (problemToldBefore || !settings_.problemShown) {
    controls_.SetText({Control::Message, 0}, messages_.LineText());
  }

  if (window_.workingTop == 0) {
    winutil_.CentreWindow();
    // Halves go to the even neighbour.
    auto top = static_cast<int>(std::nearbyint(view_.ViewFrame().top * kRaisedShare));
    // A screen lower than the window would put its title bar out of reach and make it count
    // as off screen; keep it at the top edge instead.
    top = std::max(top, kTopEdge);
    window_.workingTop = top;
    view_.Park();
    view_.ShowView();
    loop_.RunPendingEvents();
    if (!window_.loaded) {
      return;
    }
  }

  view_.SetViewTop(window_.workingTop);
  view_.RaiseView();
  winutil_.WaitMs(0, true);
  if (!window_.loaded) {
    return;
  }
  desktop_.Activate(window_.handle, Lift::AboveOthers);
  winutil_.WaitMs(0, true);
  if (!window_.loaded) {
    return;
  }
  keys_.SelectAllText(kTerms, true);
  winutil_.WaitMs(0, true);
  if (!window_.loaded) {
    return;
  }
  tracker_.ShowVoiceUnlessSiblingRuns();
  ShowCaptionActive(window_.handle);
  hook_.RefreshKeyboardHook();
}

void Summoning::ShowCaptionActive(WindowId window) {
  if (desktop_.WindowVisible(window)) {
    desktop_.DrawAsActive(window);
  }
}

}  // namespace varnel
