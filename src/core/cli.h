// The command line: `varnel --url|--search|--history|--command|--help|--version`.
#pragma once

#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "domain/scope_table.h"
#include "ports/ports.h"

namespace varnel {

inline constexpr const char* kVersion = "0.1.0";

// The --help lines for --scope: the numbers and names of the table's scopes.
std::string ScopeOptionHelp(std::span<const Scope> scopes = kScopes);

// Runs the command named by `args` (the arguments after the program name). Returns nullopt
// when there are none, so that the resident program starts; otherwise the exit status:
// 0 done, 2 bad usage (one line on err), or the status of a command hand-off.
std::optional<int> RunCommandLine(const std::vector<std::string>& args, const Ports& ports,
                                  std::ostream& out, std::ostream& err);

}  // namespace varnel
