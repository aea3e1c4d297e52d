// Starting programs without waiting for them, and opening web addresses with them.
#pragma once

#include <string>
#include <vector>

namespace varnel {

// Starts argv[0] (looked up on PATH unless it holds a "/") with the given arguments, in a
// session of its own and without waiting for it to end. True once the program has started;
// false when it could not (missing, not executable).
bool StartDetached(const std::vector<std::string>& argv);

// Opens a web address with the first program that starts: the entries of a $BROWSER value in
// order, then xdg-open, then the desktop's handler for the address. False when none did.
bool OpenWebAddress(const std::string& url, const std::string& browserVar);

}  // namespace varnel
