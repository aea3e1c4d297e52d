#include "core/tray_menu.h"

#include "core/messages.h"
#include "core/search_window.h"
#include "core/voice_activation.h"
#include "core/window_utils.h"

#include <string>

#include "core/cli.h"
#include "domain/codes.h"

namespace varnel {

void TrayMenu::Show() {
  if (present_) {
    return;
  }
  present_ = trayIcon_.ShowTrayIcon(State());
}

void TrayMenu::Remove() {
  if (!present_) {
    return;
  }
  present_ = false;
  trayIcon_.RemoveTrayIcon();
}

TrayState TrayMenu::State() {
  return TrayState{.voiceCommands = voice_.active,
                   .voiceAsleep = voice_.active && messages_.VoiceAsleep(),
                   .startAtLogin = trayIcon_.StartAtLogin()};
}

void TrayMenu::Sync() {
  if (present_) {
    trayIcon_.SetTrayState(State());
  }
}

bool TrayMenu::CloseEndsProgram() {
  if (!present_ || !window_.loaded) {
    return true;
  }
  winutil_.HideSearchWindow();
  return false;
}

void TrayMenu::Tell(const std::string& text, MessageStyle style, const std::string& title) {
  // Asked for from the menu, so shown even while the window is parked.
  window_.inMessageBox = true;
  notices_.ShowMessageBox(text, style, title);
  loop_.RunPendingEvents();
  window_.inMessageBox = false;
}

void TrayMenu::Choose(TrayEntry entry) {
  switch (entry) {
    case TrayEntry::Search:
      // After the menu has gone, as a hot key's summons does.
      loop_.Post(kSummonMessage);
      break;
    case TrayEntry::VoiceCommands:
      voice_.SetVoiceCommands(!voice_.active);
      break;
    case TrayEntry::StartAtLogin: {
      if (!trayIcon_.SetStartAtLogin(!trayIcon_.StartAtLogin())) {
        Tell(kStartAtLoginFailed, kPlainMessage, "Varnel");
      }
      break;
    }
    case TrayEntry::About:
      Tell(std::string("Varnel ") + kVersion +
               "\nA web search window: Ctrl+Alt+/, a voice command or a "
               "second start brings it up.",
           kInformation, kAboutTitle);
      break;
    case TrayEntry::Quit:
      window_.Close();
      return;
  }
  Sync();
}

}  // namespace varnel
