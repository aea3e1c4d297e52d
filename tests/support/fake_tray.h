// The tray icon, shown only where the test puts a tray host, and starting at login.
#pragma once

#include "ports/tray.h"
#include "support/fake_event_loop.h"
#include "support/fake_log.h"

namespace varnel {

class FakeTray final : public Tray {
 public:
  FakeTray(FakeLog& log, FakeEventLoop& loop) : log_(log), loop_(loop) {}

  bool trayHost = false;  // a tray host is there to show the icon
  bool TrayShown() const { return shown_; }
  TrayState trayState;  // as last shown
  bool startAtLogin = false;
  bool startAtLoginFails = false;  // SetStartAtLogin fails and changes nothing
  // The user picks an entry of the icon's menu (queued; nothing happens without an icon).
  void UserChoose(TrayEntry entry);

  bool ShowTrayIcon(const TrayState& state) override;
  void RemoveTrayIcon() override;
  void SetTrayState(const TrayState& state) override;
  bool StartAtLogin() override { return startAtLogin; }
  bool SetStartAtLogin(bool on) override;

 private:
  FakeLog& log_;
  FakeEventLoop& loop_;
  bool shown_ = false;
};

}  // namespace varnel
