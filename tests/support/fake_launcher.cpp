#include "support/fake_launcher.h"

namespace varnel {

bool FakeLauncher::OpenAddress(const std::string& target) {
  log_.Record("OpenAddress", {}, target);
  return launchesStart;
}

std::string FakeLauncher::BrowserHandlerCommand(const std::string& handler) {
  auto it = browserHandlerCommands.find(handler);
  return it == browserHandlerCommands.end() ? std::string() : it->second;
}

std::string FakeLauncher::ExecutableForDocument(const std::string& path) {
  log_.Record("ExecutableForDocument", {}, path);
  return executableForDocument;
}

std::string FakeLauncher::ExecutableFromCommand(const std::string& commandLine) {
  if (executableFromCommand) {
    return executableFromCommand(commandLine);
  }
  if (!commandLine.empty() && commandLine[0] == '"') {
    auto end = commandLine.find('"', 1);
    return commandLine.substr(1, end == std::string::npos ? std::string::npos : end - 1);
  }
  return commandLine.substr(0, commandLine.find(' '));
}

}  // namespace varnel
