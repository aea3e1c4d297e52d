#include "support/fake_launcher.h"

namespace varnel {

bool FakeLauncher::OpenAddress(const std::string& target) {
  log_.Record("OpenAddress", {}, target);
  return launchesStart;
}

std::string FakeLauncher::DefaultBrowser() {
  log_.Record("DefaultBrowser", {}, defaultBrowser);
  return defaultBrowser;
}

}  // namespace varnel
