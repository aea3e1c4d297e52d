// Looking up scopes and date ranges, and the composition of a search address. Each function
// reads the built-in table unless given another.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "domain/scope_table.h"

namespace varnel {

// An index outside the range gives index 0, as when no option is selected.
const Scope& ScopeAt(int index, std::span<const Scope> scopes = kScopes);
const DateRange& DateRangeAt(int index);

// Whether the date options mean anything for this scope.
bool DatesApply(int scopeIndex, std::span<const Scope> scopes = kScopes);

// The name a user types for a scope: its caption without "&", lower-cased.
std::string ScopeName(const Scope& scope);

// Finds a scope or date by number or caption (without "&", any case); nullopt when unknown.
std::optional<int> ParseScope(std::string_view text, std::span<const Scope> scopes = kScopes);
std::optional<int> ParseDateRange(std::string_view text);

struct ComposedSearch {
  std::string address;                 // with "https://" in front; never empty
  std::optional<std::string> history;  // normalised terms to save, when not empty
};

// The search steps after the window is parked: trim, normalise, history, encode, compose.
ComposedSearch ComposeSearch(const std::string& typedTerms, int scopeIndex, int dateIndex,
                             std::span<const Scope> scopes = kScopes);

}  // namespace varnel
