// Command lines of desktop entries and of $BROWSER, split into words without a shell.
#pragma once

#include <string>
#include <vector>

namespace varnel {

// Splits an Exec line into words: double and single quotes group, a backslash escapes the
// next character inside double quotes and outside quotes. Field codes (%u, %F, ...) are
// dropped, "%%" becomes "%".
std::vector<std::string> SplitExecLine(const std::string& line);

// The program and arguments that open `url` with a $BROWSER value: its first entry of the
// colon-separated list, "%s" replaced by the address, else the address appended. Empty
// when the value names no program.
std::vector<std::string> BrowserArgv(const std::string& browserVar, const std::string& url);

// The first word of a command line resolved on `pathVar` (a PATH value) unless it holds a
// "/"; "" when that file is not an executable regular file.
std::string ResolveExecutable(const std::string& commandLine, const std::string& pathVar);

}  // namespace varnel
