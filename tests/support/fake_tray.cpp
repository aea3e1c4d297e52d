#include "support/fake_tray.h"

namespace varnel {

void FakeTray::UserChoose(TrayEntry entry) {
  loop_.QueueEvent("TrayEntry", [this, entry] {
    if (loop_.Sink() != nullptr && shown_) {
      loop_.Sink()->OnTrayEntry(entry);
    }
  });
}

bool FakeTray::ShowTrayIcon(const TrayChecks& checks) {
  log_.Record("ShowTrayIcon", {checks.voiceCommands, checks.startAtLogin});
  shown_ = trayHost;
  trayChecks = checks;
  return shown_;
}

void FakeTray::RemoveTrayIcon() {
  log_.Record("RemoveTrayIcon");
  shown_ = false;
}

void FakeTray::SetTrayChecks(const TrayChecks& checks) {
  log_.Record("SetTrayChecks", {checks.voiceCommands, checks.startAtLogin});
  trayChecks = checks;
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
