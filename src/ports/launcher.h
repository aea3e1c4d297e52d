// Opening an address in the default browser, and the places that name that browser.
#pragma once

#include <string>

namespace varnel {

class Launcher {
 public:
  // Opens an address or starts a program, like ShellExecute "open" with a normal window.
  // True once a program to open it has started (without waiting for it to end); false when
  // none could be started.
  virtual bool OpenAddress(const std::string& target) = 0;

  // The default browser's sources, asked in this order; "" when missing.
  virtual std::string BrowserUserCommand() = 0;    // per-user http command line
  virtual std::string BrowserChosenHandler() = 0;  // the user's chosen handler id
  virtual std::string BrowserHandlerCommand(const std::string& handler) = 0;
  virtual std::string ExecutableForDocument(const std::string& path) = 0;  // FindExecutable
  // True when command lines are Windows style (".exe" rules); otherwise the platform turns
  // a command line into an executable path itself with ExecutableFromCommand.
  virtual bool WindowsCommandLines() = 0;
  virtual std::string ExecutableFromCommand(const std::string& commandLine) = 0;

 protected:
  ~Launcher() = default;
};

}  // namespace varnel
