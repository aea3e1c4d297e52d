#include "core/summoning.h"

#include <cmath>

#include "core/program.h"
#include "domain/codes.h"

namespace varnel {

namespace {
constexpr ControlRef kTerms{Control::Terms, 0};
}  // namespace

void Summoning::Post(Code code) {
  p_.platform.Post(code);
}

void Summoning::DispatchCode(Code code) {
  switch (code) {
    case kStopVoiceCommands:
      p_.StopVoiceCommands();
      break;
    case kSummonMessage:
      ShowSearchWindow();
      break;
    case kRunVoiceCommand:
      // Only a loaded voice form has a command to carry out; never load one for it.
      if (p_.vox) {
        p_.vox->RunNextCommand();
      }
      break;
    case kCycleFocus:
      p_.keys.CycleFocus();
      break;
    default:
      break;
  }
}

void Summoning::OnWindowMessage(Hwnd hwnd, Code msg, std::uint32_t wParam, std::uint32_t lParam) {
  // Answer at once; the window comes up after the sender's call has returned.
  if (hwnd == p_.state.searchWindow && hwnd != 0 && msg == kSummonMessage &&
      wParam == kSummonParam && lParam == kSummonParam) {
    Post(kSummonMessage);
  }
}

void Summoning::ShowSearchWindow() {
  Platform& pf = p_.platform;
  ProgramState& st = p_.state;

  // A settings problem found by this read may reach the message line before it is set below.
  const bool problemToldBefore = st.settingsProblemShown;
  const std::string history = p_.settings.LoadHistory();
  p_.window.EnsureLoaded();
  if (!st.formLoaded) {
    return;
  }
  if (!history.empty() && history != st.lastSearch) {
    pf.SetText(kTerms, history);
    st.lastSearch = history;
  }
  if (problemToldBefore || !st.settingsProblemShown) {
    pf.SetText({Control::Message, 0}, MessageLineText());
  }

  if (st.boxTop == 0) {
    p_.winutil.CentreForm();
    // Halves go to the even neighbour.
    auto top = static_cast<Twips>(std::nearbyint(static_cast<double>(pf.ViewTop()) * 0.75));
    // A screen lower than the window would put its title bar out of reach and make it count
    // as off screen; keep it at the top edge instead.
    if (top <= 0) {
      top = pf.TwipsPerPixelY() > 0 ? pf.TwipsPerPixelY() : 15;
    }
    st.boxTop = top;
    pf.SetViewTop(kParkedTop);
    pf.ShowView();
    pf.RunPendingEvents();
    if (!st.formLoaded) {
      return;
    }
  }

  pf.SetViewTop(st.boxTop);
  pf.RaiseView();
  p_.winutil.WaitMs(0, true);
  if (!st.formLoaded) {
    return;
  }
  p_.winutil.ForceForeground(st.searchWindow, true);
  p_.winutil.WaitMs(0, true);
  if (!st.formLoaded) {
    return;
  }
  p_.keys.SelectAllText(kTerms, true);
  p_.winutil.WaitMs(0, true);
  if (!st.formLoaded) {
    return;
  }
  p_.tracker.CheckPellar();
  ShowCaptionActive(st.searchWindow);
  p_.hook.RefreshKeyboardHook();
}

void Summoning::ShowCaptionActive(Hwnd hwnd) {
  if (p_.platform.WindowVisible(hwnd)) {
    p_.platform.DrawAsActive(hwnd);
  }
}

std::string Summoning::MessageLineText() {
  ProgramState& st = p_.state;
  st.settingsProblemOnLine = st.settingsProblem != FileProblem::None && !st.settingsProblemShown;
  if (!st.settingsProblemOnLine) {
    return kOptionsHint;
  }
  st.settingsProblemShown = true;
  return SettingsProblemMessage(st.settingsProblem, st.cfgFile);
}

void Summoning::ShowSettingsProblem() {
  // Not a message box: the user did not ask for anything, so nothing takes the focus.
  if (p_.OnScreen() && p_.platform.ViewVisible()) {
    p_.platform.SetText({Control::Message, 0}, MessageLineText());
  }
}

int Summoning::ShowMessage(const std::string& prompt, int style, const std::string& title) {
  Platform& pf = p_.platform;
  ProgramState& st = p_.state;
  // Messages only appear over a window the user can see; parked, they are dropped.
  if (!st.formLoaded || !pf.ViewVisible() || pf.ViewTop() <= 0) {
    return 0;
  }
  st.inMsgBox = true;
  const int code = pf.ShowMessageBox(prompt, style, title.empty() ? std::string("Varnel") : title);
  pf.RunPendingEvents();
  st.inMsgBox = false;
  return code;
}

}  // namespace varnel
