// Opening addresses (logged; whether a program starts is the test's choice) and the places
// that name the default browser, as the test fills them.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "ports/launcher.h"
#include "support/fake_log.h"

namespace varnel {

class FakeLauncher final : public Launcher {
 public:
  explicit FakeLauncher(FakeLog& log) : log_(log) {}

  std::string browserUserCommand, browserChosenHandler;
  std::map<std::string, std::string> browserHandlerCommands;
  std::string executableForDocument;
  bool launchesStart = true;  // false: OpenAddress finds no program that starts
  bool windowsCommandLines = true;
  // How a command line names its program; by default its first word or quoted part.
  std::function<std::string(const std::string&)> executableFromCommand;

  bool OpenAddress(const std::string& target) override;
  std::string BrowserUserCommand() override { return browserUserCommand; }
  std::string BrowserChosenHandler() override { return browserChosenHandler; }
  std::string BrowserHandlerCommand(const std::string& handler) override;
  std::string ExecutableForDocument(const std::string& path) override;
  bool WindowsCommandLines() override { return windowsCommandLines; }
  std::string ExecutableFromCommand(const std::string& commandLine) override;

 private:
  FakeLog& log_;
};

}  // namespace varnel
