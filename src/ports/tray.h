// The tray icon with its menu, and starting when the user signs in.
#pragma once

#include <cstdint>

namespace varnel {

// The tray icon's menu, in menu order.
enum class TrayEntry : std::uint8_t { Search, VoiceCommands, StartAtLogin, About, Quit };

// What the tray shows: the check marks of the menu's checkable entries, and whether the
// recogniser sleeps (it fires no voice command until it is woken).
struct TrayState {
  bool voiceCommands = false;
  bool voiceAsleep = false;
  bool startAtLogin = false;
  friend bool operator==(const TrayState&, const TrayState&) = default;
};

class Tray {
 public:
  // Shows the icon with its menu; false when no tray host can show it.
  virtual bool ShowTrayIcon(const TrayState& state) = 0;
  virtual void RemoveTrayIcon() = 0;
  virtual void SetTrayState(const TrayState& state) = 0;
  // Whether this program starts when the user signs in; setting returns false on failure.
  virtual bool StartAtLogin() = 0;
  virtual bool SetStartAtLogin(bool on) = 0;

 protected:
  ~Tray() = default;
};

}  // namespace varnel
