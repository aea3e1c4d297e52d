// Clean-up and percent-encoding of search terms.
#pragma once

#include <string>

namespace varnel {

void NormalizeQuery(std::string& text);
void CollapseSpaces(std::string& text);
void TrimControlChars(std::string& text);
std::string UrlEncode(const std::string& text);

}  // namespace varnel
