// Plain text edits shared by the query, the scope table, the settings file and process names.
#pragma once

#include <string>
#include <string_view>

namespace varnel {

// Replaces every non-overlapping occurrence of `find`, left to right, in one pass.
void ReplaceAll(std::string& text, std::string_view find, std::string_view replacement);

// The text up to its first NUL, trailing spaces removed.
std::string BeforeNulTrimmed(const std::string& text);

}  // namespace varnel
