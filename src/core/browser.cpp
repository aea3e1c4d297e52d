#include "core/browser.h"

#include "core/messages.h"
#include "core/window_utils.h"

namespace varnel {

void Browser::LaunchBrowser() {
  const std::string path = launcher_.DefaultBrowser();
  if (path.empty()) {
    notices_.Beep();
    messages_.Show("Unable to locate default browser.", kInformation, "");
    return;
  }
  if (winutil_.BringProgramToFront(path) != 0) {
    return;  // already running: its window has come to the front
  }
  if (!launcher_.OpenAddress(path)) {
    // The beep is heard even when the window is parked and the message cannot show.
    notices_.Beep();
    messages_.Show(kBrowserNotStarted, kInformation, "");
  }
}

}  // namespace varnel
