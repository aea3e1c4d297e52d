// Plain text edits shared by the query, the scope table and the settings file.
#pragma once

#include <string>
#include <string_view>

namespace varnel {

// Replaces every non-overlapping occurrence of `find`, left to right, in one pass.
void ReplaceAll(std::string& text, std::string_view find, std::string_view replacement);

}  // namespace varnel
