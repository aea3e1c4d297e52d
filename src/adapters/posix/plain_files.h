// Plain files made and removed on a POSIX system, as SystemPaths asks for them: shared by the
// X11 adapter and the test fake, which makes real files for the tests to look at.
#pragma once

#include <string>

#include "ports/system_paths.h"

namespace varnel::posix {

// An empty file readable and writable by its owner alone; a file already there is never
// opened.
NewFile CreateNewFile(const std::string& path);
// Removing what is not there is no fault.
void RemoveFile(const std::string& path);

}  // namespace varnel::posix
