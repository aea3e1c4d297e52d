// Finding the default browser's executable from the places a desktop names it, for the
// adapters' Launcher::DefaultBrowser.
#pragma once

#include <cstdint>
#include <string>

#include "ports/system_paths.h"

namespace varnel {

// Where a desktop names its default browser, asked in this order; "" when missing.
class BrowserSources {
 public:
  virtual std::string BrowserUserCommand() = 0;    // per-user http command line
  virtual std::string BrowserChosenHandler() = 0;  // the user's chosen handler id
  virtual std::string BrowserHandlerCommand(const std::string& handler) = 0;
  // The program associated with a document (Windows: FindExecutable).
  virtual std::string ExecutableForDocument(const std::string& path) = 0;
  // How this desktop's command lines name their program (where the rules are Posix).
  virtual std::string ExecutableFromCommand(const std::string& commandLine) = 0;

 protected:
  ~BrowserSources() = default;
};

// Windows: quotes dropped, the executable is what ends in ".exe"; Posix: the sources parse
// their own command lines.
enum class CommandLineRules : std::uint8_t { Windows, Posix };

// The default browser's executable path; "" when no source names one.
std::string FindDefaultBrowser(BrowserSources& sources, SystemPaths& paths, CommandLineRules rules);

// A unique name in the temporary folder; with `create`, the file is created empty and
// exclusively (never an existing file). "" on failure.
std::string MakeTempFile(SystemPaths& paths, const std::string& extension, bool create);

// A quote-free command line cut before the ".exe" that ends its executable (any letter case),
// or before its last dot when it names no ".exe"; spaces trimmed both ends.
std::string CutAtLastDot(const std::string& text);

}  // namespace varnel
