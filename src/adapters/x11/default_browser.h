// The desktop's default web browser, from GIO's handler associations.
#pragma once

#include <string>

namespace varnel {

// Exec line of the user's handler for http addresses; "" when none.
std::string HttpHandlerCommand();
// Desktop-entry id of the default handler for https addresses; "" when none.
std::string HttpsHandlerId();
// Exec line of a desktop entry by id; "" when it does not exist.
std::string DesktopEntryCommand(const std::string& id);
// Exec line of the default application for a file, by its content type; "" when none.
std::string DocumentHandlerCommand(const std::string& path);

// Opens an address with the desktop's default handler for it; false when none started.
bool LaunchDefaultHandler(const std::string& uri);

}  // namespace varnel
