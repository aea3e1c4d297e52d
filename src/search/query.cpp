#include "search/query.h"
// PLACEHOLDER until implemented.
namespace varnel {
void NormalizeQuery(std::string&) {}
void CollapseSpaces(std::string&) {}
void TrimControlChars(std::string&) {}
std::string UrlEncode(const std::string&) { return {}; }
}  // namespace varnel
