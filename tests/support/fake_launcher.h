// Opening addresses (logged; whether a program starts is the test's choice) and the default
// browser the test names.
#pragma once

#include <string>

#include "ports/launcher.h"
#include "support/fake_log.h"

namespace varnel {

class FakeLauncher final : public Launcher {
 public:
  explicit FakeLauncher(FakeLog& log) : log_(log) {}

  std::string defaultBrowser;  // "" : the desktop names none
  bool launchesStart = true;   // false: OpenAddress finds no program that starts

  bool OpenAddress(const std::string& target) override;
  std::string DefaultBrowser() override;

 private:
  FakeLog& log_;
};

}  // namespace varnel
