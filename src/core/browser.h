// Finding the default browser and bringing it forward or starting it.
#pragma once

#include <string>

#include "ports/launcher.h"
#include "ports/user_notices.h"

namespace varnel {

class Messages;
class WindowUtils;

// Said when no program could be started to open a search or the browser.
inline constexpr const char* kBrowserNotStarted = "Unable to start a web browser.";

class Browser {
 public:
  Browser(UserNotices& notices, Launcher& launcher, Messages& messages, WindowUtils& winutil)
      : notices_(notices), launcher_(launcher), messages_(messages), winutil_(winutil) {}

  // Brings the running default browser forward, or starts it; says so when it cannot.
  void LaunchBrowser();

 private:
  UserNotices& notices_;
  Launcher& launcher_;
  Messages& messages_;
  WindowUtils& winutil_;
};

}  // namespace varnel
