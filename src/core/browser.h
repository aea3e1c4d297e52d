// Finding the default browser and bringing it forward or starting it.
#pragma once

#include <string>

#include "ports/launcher.h"
#include "ports/system_paths.h"
#include "ports/user_notices.h"

namespace varnel {

class Messages;
class WindowUtils;

// Said when no program could be started to open a search or the browser.
inline constexpr const char* kBrowserNotStarted = "Unable to start a web browser.";

// The text up to its first NUL, trailing spaces removed.
std::string TrimNull(const std::string& text);
// A quote-free command line cut before the ".exe" that ends its executable (any letter case),
// or before its last dot when it names no ".exe"; spaces trimmed both ends.
std::string CutAtLastDot(const std::string& text);

class Browser {
 public:
  Browser(UserNotices& notices, Launcher& launcher, SystemPaths& paths, Messages& messages,
          WindowUtils& winutil)
      : notices_(notices),
        launcher_(launcher),
        paths_(paths),
        messages_(messages),
        winutil_(winutil) {}

  // Brings the running default browser forward, or starts it; says so when it cannot.
  void LaunchBrowser();
  // The default browser's executable path, "" (after a beep) when no source names one.
  std::string GetDefaultBrowser();
  // A unique name in the temporary folder; with `create`, the file is created empty and
  // exclusively (never an existing file). "" on failure.
  std::string MakeTempFile(const std::string& extension, bool create);

 private:
  UserNotices& notices_;
  Launcher& launcher_;
  SystemPaths& paths_;
  Messages& messages_;
  WindowUtils& winutil_;
};

}  // namespace varnel
