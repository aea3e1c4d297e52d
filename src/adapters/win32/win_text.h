// UTF-8 inside the program, UTF-16 at every system call.
#pragma once

#include <string>
#include <string_view>

namespace varnel::win {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The file-name part of a path (after the last "\" or "/").
std::wstring FileNamePart(const std::wstring& path);

}  // namespace varnel::win
