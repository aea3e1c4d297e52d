#include "adapters/x11/autostart_entry.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace varnel {

namespace {

constexpr const char* kEntryName = "varnel.desktop";
constexpr const char* kHiddenLine = "Hidden=true";

// The Exec key's quoting (a literal % doubled, as field codes start with one), then the
// desktop entry's own backslash escape on top.
std::string QuotedExec(const std::string& path) {
  std::string quoted = "\"";
  for (const char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') {
      quoted += '\\';
    } else if (c == '%') {
      quoted += '%';
    }
    quoted += c;
  }
  quoted += '"';
  std::string escaped;
  for (const char c : quoted) {
    if (c == '\\') {
      escaped += '\\';
    }
    escaped += c;
  }
  return escaped;
}

}  // namespace

std::string AutostartEntryPath() {
  namespace fs = std::filesystem;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  fs::path base;
  // XDG base directories ignore a relative value.
  if (xdg != nullptr && *xdg != '\0' && fs::path(xdg).is_absolute()) {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    base = fs::path(home) / ".config";
  } else {
    return {};
  }
  return (base / "autostart" / kEntryName).string();
}

std::string AutostartEntryText(const std::string& executable) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Varnel\n"
         "Comment=Web search window on Ctrl+Alt+/\n"
         "Exec=" +
         QuotedExec(executable) +
         "\n"
         "Icon=varnel\n"
         "Terminal=false\n"
         "X-GNOME-Autostart-enabled=true\n";
}

bool AutostartEnabled(const std::string& path) {
  if (path.empty()) {
    return false;
  }
  std::ifstream in(path);
  if (!in) {
    return false;
  }
  std::string line;
  while (std::getline(in, line)) {
    if (line == kHiddenLine) {
      return false;
    }
  }
  return true;
}

bool SetAutostart(const std::string& path, const std::string& executable, bool on) {
  namespace fs = std::filesystem;
  if (path.empty()) {
    return false;
  }
  std::error_code ec;
  if (!on) {
    fs::remove(path, ec);
    return !ec && !fs::exists(path, ec);
  }
  fs::create_directories(fs::path(path).parent_path(), ec);
  // Written beside it and renamed into place, so a session starting now never reads half.
  const std::string temp = path + ".new";
  {
    std::ofstream out(temp, std::ios::trunc);
    out << AutostartEntryText(executable);
    out.flush();
    if (!out) {
      fs::remove(temp, ec);
      return false;
    }
  }
  fs::rename(temp, path, ec);
  if (ec) {
    fs::remove(temp, ec);
    return false;
  }
  return true;
}

}  // namespace varnel
