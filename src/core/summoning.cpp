#include "core/summoning.h"

#include "core/foreground_tracker.h"
#include "core/key_navigation.h"
#include "core/keyboard_hook.h"
#include "core/search_window.h"
#include "core/settings.h"
#include "core/voice_activation.h"
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

void Summoning::Post(Code code) {
  loop_.Post(code);
}

void Summoning::DispatchCode(Code code) {
  switch (code) {
    case kStopVoiceCommands:
      voice_.StopSession();
      break;
    case kSummonMessage:
      ShowSearchWindow();
      break;
    case kRunVoiceCommand:
      // Only a loaded voice form has a command to carry out; never load one for it.
      if (voice_.session) {
        voice_.session->RunNextCommand();
      }
      break;
    case kCycleFocus:
      keys_.CycleFocus();
      break;
    default:
      break;
  }
}

void Summoning::OnWindowMessage(Hwnd hwnd, Code msg, std::uint32_t wParam, std::uint32_t lParam) {
  // Answer at once; the window comes up after the sender's call has returned.
  if (hwnd == window_.handle && hwnd != 0 && msg == kSummonMessage && wParam == kSummonParam &&
      lParam == kSummonParam) {
    Post(kSummonMessage);
  }
}

void Summoning::ShowSearchWindow() {
  // A settings problem found by this read may reach the message line before it is set below.
  const bool problemToldBefore = settings_.problemShown;
  const std::string history = settings_.LoadHistory();
  window_.EnsureLoaded();
  if (!window_.loaded) {
    return;
  }
  if (!history.empty() && history != settings_.lastSearch) {
    view_.SetText(kTerms, history);
    settings_.lastSearch = history;
  }
  if (problemToldBefore || !settings_.problemShown) {
    view_.SetText({Control::Message, 0}, MessageLineText());
  }

  if (window_.workingTop == 0) {
    winutil_.CentreForm();
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

void Summoning::ShowCaptionActive(Hwnd hwnd) {
  if (desktop_.WindowVisible(hwnd)) {
    desktop_.DrawAsActive(hwnd);
  }
}

std::string Summoning::MessageLineText() {
  settings_.problemOnLine = settings_.problem != FileProblem::None && !settings_.problemShown;
  if (!settings_.problemOnLine) {
    return kOptionsHint;
  }
  settings_.problemShown = true;
  return SettingsProblemMessage(settings_.problem, settings_.file);
}

void Summoning::ShowSettingsProblem() {
  // Not a message box: the user did not ask for anything, so nothing takes the focus.
  if (window_.OnScreen() && view_.ViewVisible()) {
    view_.SetText({Control::Message, 0}, MessageLineText());
  }
}

int Summoning::ShowMessage(const std::string& prompt, int style, const std::string& title) {
  // Messages only appear over a window the user can see; parked, they are dropped.
  if (!window_.OnScreen() || !view_.ViewVisible()) {
    return 0;
  }
  window_.inMessageBox = true;
  const int code =
      view_.ShowMessageBox(prompt, style, title.empty() ? std::string("Varnel") : title);
  loop_.RunPendingEvents();
  window_.inMessageBox = false;
  return code;
}

}  // namespace varnel
