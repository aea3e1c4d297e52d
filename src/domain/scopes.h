// The fifteen search scopes and six date ranges, and the composition of a search address.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "domain/window_design.h"  // kScopeCount, kDateCount

namespace varnel {

inline constexpr int kDateRangeCount = kDateCount;

enum class AddressForm { Web, WebFiltered, Site, Scholar, Microblog, Social, Answer };

struct Scope {
  int index;
  const char* caption;  // with its "&"
  AddressForm form;
  const char* hostOrSite;  // site domain for Site, type filter for WebFiltered, else host
  bool dateApplies;
};

struct DateRange {
  int index;
  const char* caption;
  const char* tbs;  // "" for Anytime
};

// An index outside the range gives index 0, as when no option is selected.
const Scope& ScopeAt(int index);
const DateRange& DateRangeAt(int index);

// Finds a scope or date by number or caption (without "&", any case); nullopt when unknown.
std::optional<int> ParseScope(std::string_view text);
std::optional<int> ParseDateRange(std::string_view text);

struct ComposedSearch {
  std::string address;                 // with "https://" in front; never empty
  std::optional<std::string> history;  // normalised terms to save, when not empty
};

// The search steps after the window is parked: trim, normalise, history, encode, compose.
ComposedSearch ComposeSearch(const std::string& typedTerms, int scopeIndex, int dateIndex);

}  // namespace varnel
