#include "core/foreground_tracker.h"

#include "core/keyboard_hook.h"
#include "core/search_window.h"
#include "core/voice_activation.h"
#include "core/window_utils.h"

#include "domain/codes.h"
#include "domain/key_codes.h"

namespace varnel {

void ForegroundTracker::FollowForeground() {
  TrackForeground();
}

void ForegroundTracker::TrackForeground() {
  const WindowId fg = desktop_.WindowInFront();
  const WindowId focus = desktop_.FocusedWindow();
  const WindowId desktop = desktop_.DesktopRoot();

  if (fg != desktop && fg != 0 && fg != lastApp && fg != window_.handle) {
    if (lastApp == 0 || previousApp == 0) {
      lastApp = fg;
      previousApp = fg;
    } else if (desktop_.WindowThread(fg) != desktop_.WindowThread(lastApp)) {
      previousApp = lastApp;
      lastApp = fg;
    }
    // Another window of the same thread (a dialog of the same application) changes nothing.
  }

  if (window_.inMessageBox || view_.Parked()) {
    return;
  }

  if (fg != 0 && fg != window_.handle) {
    searchInFront = false;
    return;
  }
  // The actions below run once per activation of the search window.
  if (searchInFront) {
    return;
  }
  searchInFront = true;
  ShowVoiceUnlessSiblingRuns();
  if (fg == 0 || window_.Keyboard()) {
    return;
  }
  const ControlRef terms{Control::Terms, 0};
  if (focus == controls_.ControlWindow(terms) || hook_.KeyHeld(vk::Alt)) {
    return;
  }
  controls_.SetFocus(terms);
}

void ForegroundTracker::ShowVoiceUnlessSiblingRuns() {
  const ControlRef vox{Control::VoiceCommands, 0};
  if (winutil_.SiblingMainWindow() != 0) {
    controls_.SetVisible(vox, false);
    if (voice_.active) {
      voice_.SetVoiceCommands(false);
    }
  } else {
    controls_.SetVisible(vox, true);
  }
}

void ForegroundTracker::SnapBack() {
  const WindowId fg = desktop_.WindowInFront();
  WindowId target = previousApp;

  if (target == 0 || target == fg || !desktop_.WindowVisible(target)) {
    // The parked search window is visible to the system but off screen: never hand it the
    // foreground.
    const bool parked = window_.loaded && view_.Parked();
    WindowId found = 0;
    WindowId cur = fg;
    for (int step = 0; step < kZOrderStepLimit; ++step) {
      cur = desktop_.WindowBelow(cur);
      if (cur == 0) {
        break;
      }
      if (cur == fg || (parked && cur == window_.handle)) {
        continue;
      }
      if (desktop_.WindowVisible(cur) && desktop_.HasTitleBar(cur)) {
        found = cur;
        break;
      }
    }
    target = found;
  }
  if (target == 0) {
    target = winutil_.SiblingMainWindow();
  }
  if (target == 0) {
    return;
  }
  if (desktop_.WindowMinimised(target)) {
    desktop_.ChangeWindowState(target, WindowChange::Restore);
    winutil_.WaitMs(0, true);
  }
  desktop_.Activate(target, Lift::AboveOthers);
}

}  // namespace varnel
