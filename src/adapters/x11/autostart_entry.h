// Start at login on the freedesktop desktops: an XDG autostart entry.
#pragma once

#include <string>

namespace varnel {

// $XDG_CONFIG_HOME/autostart/varnel.desktop (default ~/.config); "" when neither is known.
std::string AutostartEntryPath();
// Present and not hidden.
bool AutostartEnabled(const std::string& path);
// Writes an entry starting `executable`, or removes it. False when that failed.
bool SetAutostart(const std::string& path, const std::string& executable, bool on);
// The desktop entry's text.
std::string AutostartEntryText(const std::string& executable);

}  // namespace varnel
