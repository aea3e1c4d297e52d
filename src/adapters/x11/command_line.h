// Command lines of desktop entries and of $BROWSER, split into words without a shell.
#pragma once

#include <string>
#include <vector>

namespace varnel {

// Splits an Exec line into words: double and single quotes group, a backslash escapes the
// next character inside double quotes and outside quotes. Field codes (%u, %F, ...) are
// dropped, "%%" becomes "%".
std::vector<std::string> SplitExecLine(const std::string& line);

// The entries of a $BROWSER value (separated by ':'), empty ones left out.
std::vector<std::string> BrowserEntries(const std::string& browserVar);

// The program and arguments of each $BROWSER entry that opens `url`, in order: "%s" replaced
// by the address, else the address appended. Entries that name no program are left out.
std::vector<std::vector<std::string>> BrowserCommands(const std::string& browserVar,
                                                      const std::string& url);

// The first word of a command line resolved on `pathVar` (a PATH value) unless it holds a
// "/"; "" when that file is not an executable regular file.
std::string ResolveExecutable(const std::string& commandLine, const std::string& pathVar);

}  // namespace varnel
