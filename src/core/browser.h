// Finding the default browser and bringing it forward or starting it.
#pragma once

#include <string>

#include "ports/launcher.h"
#include "ports/search_view.h"

namespace varnel {

class Messages;
class WindowUtils;

// Said when no program could be started to open a search or the browser.
inline constexpr const char* kBrowserNotStarted = "Unable to start a web browser.";

class Browser {
 public:
  Browser(SearchView& view, Launcher& launcher, Messages& messages, WindowUtils& winutil)
      : view_(view), launcher_(launcher), messages_(messages), winutil_(winutil) {}

  // Brings the running default browser forward, or starts it; says so when it cannot.
  void LaunchBrowser();

 private:
  SearchView& view_;
  Launcher& launcher_;
  Messages& messages_;
  WindowUtils& winutil_;
};

}  // namespace varnel
