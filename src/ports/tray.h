// The tray icon with its menu, and starting when the user signs in.
#pragma once

#include <cstdint>

namespace varnel {

// The tray icon's menu, in menu order.
enum class TrayEntry : std::uint8_t { Search, VoiceCommands, StartAtLogin, About, Quit };

// The check marks of the tray menu's checkable entries.
struct TrayChecks {
  bool voiceCommands = false;
  bool startAtLogin = false;
  friend bool operator==(const TrayChecks&, const TrayChecks&) = default;
};

class Tray {
 public:
  // Shows the icon with its menu; false when no tray host can show it.
  virtual bool ShowTrayIcon(const TrayChecks& checks) = 0;
  virtual void RemoveTrayIcon() = 0;
  virtual void SetTrayChecks(const TrayChecks& checks) = 0;
  // Whether this program starts when the user signs in; setting returns false on failure.
  virtual bool StartAtLogin() = 0;
  virtual bool SetStartAtLogin(bool on) = 0;

 protected:
  ~Tray() = default;
};

}  // namespace varnel
