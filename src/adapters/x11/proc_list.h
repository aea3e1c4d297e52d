// Running processes, read from a /proc-style folder.
#pragma once

#include <sys/types.h>
#include <optional>
#include <string>
#include <vector>

#include "ports/platform.h"

namespace varnel {

// Every process in ascending pid order with the file name of its executable (the target of
// PID/exe, falling back to PID/comm when that link cannot be read). With `owner`, only the
// processes of that user: another user's recogniser or browser is not ours to use.
std::vector<ProcessEntry> ListProcesses(const std::string& procRoot = "/proc",
                                        std::optional<uid_t> owner = std::nullopt);

}  // namespace varnel
