// Opening an address, and the default browser.
#pragma once

#include <string>

namespace varnel {

class Launcher {
 public:
  // Opens an address or starts a program, like ShellExecute "open" with a normal window.
  // True once a program to open it has started (without waiting for it to end); false when
  // none could be started.
  virtual bool OpenAddress(const std::string& target) = 0;

  // The default browser's executable path, "" when the desktop names none.
  virtual std::string DefaultBrowser() = 0;

 protected:
  ~Launcher() = default;
};

}  // namespace varnel
