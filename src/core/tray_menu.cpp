#include "core/tray_menu.h"

#include <string>

#include "core/cli.h"
#include "core/program.h"
#include "domain/codes.h"

namespace varnel {

void TrayMenu::Show() {
  if (present_) {
    return;
  }
  present_ = p_.platform.ShowTrayIcon(Checks());
}

void TrayMenu::Remove() {
  if (!present_) {
    return;
  }
  present_ = false;
  p_.platform.RemoveTrayIcon();
}

TrayChecks TrayMenu::Checks() {
  return TrayChecks{.voiceCommands = p_.state.voxActive,
                    .startAtLogin = p_.platform.StartAtLogin()};
}

void TrayMenu::Sync() {
  if (present_) {
    p_.platform.SetTrayChecks(Checks());
  }
}

bool TrayMenu::CloseEndsProgram() {
  if (!present_ || !p_.state.formLoaded) {
    return true;
  }
  p_.winutil.HideSearchWindow();
  return false;
}

void TrayMenu::Tell(const std::string& text, int style, const std::string& title) {
  // Asked for from the menu, so shown even while the window is parked.
  ProgramState& st = p_.state;
  st.inMsgBox = true;
  p_.platform.ShowMessageBox(text, style, title);
  p_.platform.RunPendingEvents();
  st.inMsgBox = false;
}

void TrayMenu::Choose(TrayEntry entry) {
  switch (entry) {
    case TrayEntry::Search:
      // After the menu has gone, as a hot key's summons does.
      p_.summoning.Post(kSummonMessage);
      break;
    case TrayEntry::VoiceCommands:
      p_.voice.SetVoiceCommands(!p_.state.voxActive);
      break;
    case TrayEntry::StartAtLogin: {
      Platform& pf = p_.platform;
      if (!pf.SetStartAtLogin(!pf.StartAtLogin())) {
        Tell(kStartAtLoginFailed, kMbOk, "Varnel");
      }
      break;
    }
    case TrayEntry::About:
      Tell(std::string("Varnel ") + kVersion +
               "\nA web search window: Ctrl+Alt+/, a voice command or a "
               "second start brings it up.",
           kMbOk | kMbIconInformation, kAboutTitle);
      break;
    case TrayEntry::Quit:
      p_.window.Close();
      return;
  }
  Sync();
}

}  // namespace varnel
