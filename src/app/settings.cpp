#include "app/settings.h"
// PLACEHOLDER until implemented.
namespace varnel {
void ReplaceAll(std::string&, std::string_view, std::string_view) {}
std::int32_t Settings::WriteIniString(const std::string&, const std::string&, const std::string&) { return 0; }
std::string Settings::ReadIniString(const std::string&, const std::string&, const std::string& d, int) { return d; }
std::int32_t Settings::ReadIniLong(const std::string&, const std::string&, std::int32_t d) { return d; }
std::string Settings::LoadHistory() { return {}; }
void Settings::SaveHistory(const std::string&) {}
}  // namespace varnel
