#include "search/scopes.h"
// PLACEHOLDER until implemented.
namespace varnel {
namespace { const Scope kS{0, "&Everything", AddressForm::Web, "", true}; const DateRange kD{0, "Anytime", ""}; }
const Scope& ScopeAt(int) { return kS; }
const DateRange& DateRangeAt(int) { return kD; }
std::optional<int> ParseScope(std::string_view) { return std::nullopt; }
std::optional<int> ParseDateRange(std::string_view) { return std::nullopt; }
ComposedSearch ComposeSearch(const std::string&, int, int) { return {}; }
}  // namespace varnel
