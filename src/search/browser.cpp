#include "search/browser.h"
#include "app/program.h"
// PLACEHOLDER until implemented.
namespace varnel {
std::string TrimNull(const std::string& t) { return t; }
std::string CutAtLastDot(const std::string& t) { return t; }
void Browser::LaunchBrowser() {}
std::string Browser::GetDefaultBrowser() { return {}; }
std::string Browser::MakeTempFile(const std::string&, bool) { return {}; }
}  // namespace varnel
