#include "core/browser.h"

#include "core/messages.h"
#include "core/window_utils.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <random>
#include <string_view>

#include "domain/text_compare.h"

namespace varnel {

namespace {

constexpr std::string_view kExe = ".exe";

bool ContainsExe(std::string_view text) {
  return FindIgnoringCase(text, kExe) != std::string_view::npos;
}

std::string WithoutQuotes(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
  return text;
}

std::string TrimSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return {};
  }
  const std::size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

bool IsSpace(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

std::string TrimNull(const std::string& text) {
  std::string s = text.substr(0, text.find('\0'));
  const std::size_t last = s.find_last_not_of(' ');
  s.erase(last == std::string::npos ? 0 : last + 1);
  return s;
}

std::string CutAtLastDot(const std::string& text) {
  // The executable ends at the first ".exe" that closes a word; cutting at the last dot
  // would also eat into arguments that hold dots (a file name, an address).
  std::size_t cut = std::string::npos;
  for (std::size_t at = FindIgnoringCase(text, kExe); at != std::string::npos;
       at = FindIgnoringCase(text, kExe, at + 1)) {
    const std::size_t after = at + kExe.size();
    if (after == text.size() || IsSpace(text[after])) {
      cut = at;
      break;
    }
  }
  if (cut == std::string::npos) {
    cut = text.rfind('.');
  }
  return TrimSpaces(std::string_view(text).substr(0, cut));
}

void Browser::LaunchBrowser() {
  const std::string path = GetDefaultBrowser();
  if (path.empty()) {
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

std::string Browser::GetDefaultBrowser() {
  const bool windowsRules = launcher_.WindowsCommandLines();
  // Turns one source's command line into the executable path, "" when it names none.
  auto executable = [&](const std::string& command) -> std::string {
    if (windowsRules) {
      std::string c = WithoutQuotes(command);
      return ContainsExe(c) ? c : std::string();
    }
    return command.empty() ? std::string() : launcher_.ExecutableFromCommand(command);
  };

  std::string c = executable(launcher_.BrowserUserCommand());
  if (c.empty()) {
    const std::string handler = launcher_.BrowserChosenHandler();
    if (!handler.empty()) {
      c = executable(launcher_.BrowserHandlerCommand(handler));
    }
  }
  if (c.empty()) {
    const std::string temp = MakeTempFile(".htm", true);
    if (!temp.empty()) {
      const std::string found = TrimNull(launcher_.ExecutableForDocument(temp));
      // The association already names an executable; only other systems need it parsed.
      c = windowsRules ? found : executable(found);
      paths_.RemoveFile(temp);
    }
  }
  if (windowsRules && !c.empty()) {
    // Quotes are gone; drop the arguments and normalise the extension.
    c = CutAtLastDot(c);
    if (!c.empty()) {
      c += kExe;
    }
  }
  if (c.empty()) {
    notices_.Beep();
  }
  return c;
}

std::string Browser::MakeTempFile(const std::string& extension, bool create) {
  const std::string folder = paths_.TempFolder();
  std::random_device rd;
  std::mt19937_64 rng((static_cast<std::uint64_t>(rd()) << 32) ^ rd());
  constexpr int kAttempts = 64;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
    char unique[64];
    std::snprintf(unique, sizeof unique, "vnl%lld-%016llx", static_cast<long long>(micros),
                  static_cast<unsigned long long>(rng()));
    std::string name = folder;
    name += unique;
    name += extension;
    if (!create) {
      return name;
    }
    // Exclusive creation: never open a file somebody else placed under that name.
    switch (paths_.CreateNewFile(name)) {
      case NewFile::Created:
        return name;
      case NewFile::Exists:
        break;
      case NewFile::Failed:
        return {};
    }
  }
  return {};
}

}  // namespace varnel
