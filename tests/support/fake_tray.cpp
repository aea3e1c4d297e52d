#include "support/fake_tray.h"

namespace varnel {

void FakeTray::UserChoose(TrayEntry entry) {
  loop_.QueueEvent("TrayEntry", [this, entry] {
    if (loop_.Sink() != nullptr && shown_) {
      loop_.Sink()->OnTrayEntry(entry);
    }
  });
}

bool FakeTray::ShowTrayIcon(const TrayState& state) {
  log_.Record("ShowTrayIcon", {state.voiceCommands, state.startAtLogin});
  shown_ = trayHost;
  trayState = state;
  return shown_;
}

void FakeTray::RemoveTrayIcon() {
  log_.Record("RemoveTrayIcon");
  shown_ = false;
}

void FakeTray::SetTrayState(const TrayState& state) {
  log_.Record("SetTrayState", {state.voiceCommands, state.startAtLogin});
  trayState = state;
}

bool FakeTray::SetStartAtLogin(bool on) {
  log_.Record("SetStartAtLogin", {on});
  if (startAtLoginFails) {
    return false;
  }
  startAtLogin = on;
  return true;
}

}  // namespace varnel
