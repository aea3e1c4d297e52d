// Running processes, read from a /proc-style folder.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace varnel {

// Every process in ascending pid order with the file name of its executable (the target of
// PID/exe, falling back to PID/comm when that link cannot be read).
std::vector<ProcessEntry> ListProcesses(const std::string& procRoot = "/proc");

}  // namespace varnel
