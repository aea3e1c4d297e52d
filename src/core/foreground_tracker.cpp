#include "core/foreground_tracker.h"

#include "core/program.h"
#include "domain/codes.h"
#include "domain/key_codes.h"

namespace varnel {

void ForegroundTracker::FollowForeground() {
  TrackForeground();
}

void ForegroundTracker::TrackForeground() {
  Platform& pf = p_.platform;
  ProgramState& st = p_.state;
  const Hwnd fg = pf.WindowInFront();
  const Hwnd focus = pf.FocusedWindow();
  const Hwnd desktop = pf.DesktopRoot();

  if (fg != desktop && fg != 0 && fg != st.lastApp && fg != st.searchWindow) {
    if (st.lastApp == 0 || st.previousApp == 0) {
      st.lastApp = fg;
      st.previousApp = fg;
    } else if (pf.WindowThread(fg) != pf.WindowThread(st.lastApp)) {
      st.previousApp = st.lastApp;
      st.lastApp = fg;
    }
    // Another window of the same thread (a dialog of the same application) changes nothing.
  }

  if (st.inMsgBox || pf.ViewTop() == kParkedTop) {
    return;
  }

  if (fg != 0 && fg != st.searchWindow) {
    st.searchFront = false;
    return;
  }
  // The actions below run once per activation of the search window.
  if (st.searchFront) {
    return;
  }
  st.searchFront = true;
  CheckPellar();
  if (fg == 0 || p_.window.Keyboard()) {
    return;
  }
  const ControlRef terms{Control::Terms, 0};
  if (focus == pf.ControlWindow(terms) || p_.hook.IsKeyDown(vk::Alt) != 0) {
    return;
  }
  pf.SetFocus(terms);
}

void ForegroundTracker::CheckPellar() {
  Platform& pf = p_.platform;
  const ControlRef vox{Control::VoiceCommands, 0};
  if (p_.winutil.FindAppWindow(kModePellarMain) != 0) {
    pf.SetVisible(vox, false);
    if (p_.state.voxActive) {
      p_.voice.SetVoiceCommands(false);
    }
  } else {
    pf.SetVisible(vox, true);
  }
}

void ForegroundTracker::SnapBack() {
  Platform& pf = p_.platform;
  const ProgramState& st = p_.state;
  const Hwnd fg = pf.WindowInFront();
  Hwnd target = st.previousApp;

  if (target == 0 || target == fg || !pf.WindowVisible(target)) {
    // The parked search window is visible to the system but off screen: never hand it the
    // foreground.
    const bool parked = st.formLoaded && pf.ViewTop() == kParkedTop;
    Hwnd found = 0;
    Hwnd cur = fg;
    for (int step = 0; step < kZOrderStepLimit; ++step) {
      cur = pf.WindowBelow(cur);
      if (cur == 0) {
        break;
      }
      if (cur == fg || (parked && cur == st.searchWindow)) {
        continue;
      }
      if (pf.WindowVisible(cur) && pf.HasTitleBar(cur)) {
        found = cur;
        break;
      }
    }
    target = found;
  }
  if (target == 0) {
    target = p_.winutil.FindAppWindow(kModePellarMain);
  }
  if (target == 0) {
    return;
  }
  if (pf.WindowMinimised(target)) {
    pf.ChangeWindowState(target, ShowCmd::Restore);
    p_.winutil.WaitMs(0, true);
  }
  p_.winutil.ForceForeground(target, true);
}

}  // namespace varnel
