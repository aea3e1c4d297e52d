// The tray icon: what each menu entry does, whether closing the window hides or ends the
// program, and the start-at-login switch. The platform only shows the icon and reports choices.
#pragma once

#include <string>

#include "ports/event_loop.h"
#include "ports/tray.h"
#include "ports/user_notices.h"

namespace varnel {

class VoiceActivation;
class SearchWindow;
class WindowUtils;
class Messages;

inline constexpr const char* kAboutTitle = "About Varnel";
inline constexpr const char* kStartAtLoginFailed =
    "Varnel could not change whether it starts at login.";

class TrayMenu {
 public:
  TrayMenu(EventLoop& loop, UserNotices& notices, Tray& trayIcon, VoiceActivation& voice,
           SearchWindow& window, WindowUtils& winutil, Messages& messages)
      : loop_(loop),
        notices_(notices),
        trayIcon_(trayIcon),
        voice_(voice),
        window_(window),
        winutil_(winutil),
        messages_(messages) {}

  // Puts the icon up; without a tray host the program goes on without one.
  void Show();
  // Takes the icon down (the program is ending).
  void Remove();
  bool Present() const { return present_; }

  void Choose(TrayEntry entry);
  // True when a close of the search window ends the program; otherwise it hides the window.
  bool CloseEndsProgram();
  // Brings the tray in line with the voice commands (on, asleep) and start at login.
  void Sync();

 private:
  TrayState State();
  void Tell(const std::string& text, MessageStyle style, const std::string& title);

  EventLoop& loop_;
  UserNotices& notices_;
  Tray& trayIcon_;
  VoiceActivation& voice_;
  SearchWindow& window_;
  WindowUtils& winutil_;
  Messages& messages_;
  bool present_ = false;
};

}  // namespace varnel
