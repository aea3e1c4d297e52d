#include "domain/scopes.h"

#include <array>

#include "domain/query.h"
#include "domain/text.h"
#include "domain/text_compare.h"

namespace varnel {

namespace {

// Every host serves https; the terms never travel in the clear.
constexpr const char* kScheme = "https://";

using enum AddressForm;

constexpr std::size_t kHashtagDate = 1;

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') {
    s.remove_prefix(1);
  }
  while (!s.empty() && s.back() == ' ') {
    s.remove_suffix(1);
  }
  return s;
}

// The caption as a user would type it: without the accelerator mark, any case.
std::string PlainCaption(const char* caption) {
  std::string s = caption;
  ReplaceAll(s, "&", "");
  return AsciiLower(s);
}

std::size_t IndexOrFirst(int index, std::size_t count) {
  return index >= 0 && static_cast<std::size_t>(index) < count ? static_cast<std::size_t>(index)
                                                               : 0;
}

std::optional<int> ParseIndex(std::string_view text, int count) {
  if (text.empty() || text.size() > 2) {
    return std::nullopt;
  }
  int n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    n = n * 10 + (c - '0');
  }
  if (n >= count) {
    return std::nullopt;
  }
  return n;
}

}  // namespace

const Scope& ScopeAt(int index, std::span<const Scope> scopes) {
  return scopes[IndexOrFirst(index, scopes.size())];
}

const DateRange& DateRangeAt(int index) {
  return kDates[IndexOrFirst(index, kDates.size())];
}

bool DatesApply(int scopeIndex, std::span<const Scope> scopes) {
  return ScopeAt(scopeIndex, scopes).dateApplies;
}

std::string ScopeName(const Scope& scope) {
  return PlainCaption(scope.caption);
}

std::optional<int> ParseScope(std::string_view text, std::span<const Scope> scopes) {
  text = TrimSpaces(text);
  if (auto n = ParseIndex(text, static_cast<int>(scopes.size()))) {
    return n;
  }
  const std::string want = AsciiLower(text);
  for (std::size_t i = 0; i < scopes.size(); ++i) {
    if (ScopeName(scopes[i]) == want) {
      return static_cast<int>(i);
    }
  }
  return std::nullopt;
}

std::optional<int> ParseDateRange(std::string_view text) {
  text = TrimSpaces(text);
  if (auto n = ParseIndex(text, kDateCount)) {
    return n;
  }
  const std::string want = AsciiLower(text);
  for (std::size_t i = 0; i < kDates.size(); ++i) {
    const std::string caption = PlainCaption(kDates[i].caption);
    if (caption == want || (caption.starts_with("past ") && caption.substr(5) == want)) {
      return static_cast<int>(i);
    }
  }
  return std::nullopt;
}

ComposedSearch ComposeSearch(const std::string& typedTerms, int scopeIndex, int dateIndex,
                             std::span<const Scope> scopes) {
  ComposedSearch result;
  std::string terms(TrimSpaces(typedTerms));
  NormalizeQuery(terms);
  if (terms.empty()) {
    terms = "?";
  } else {
    result.history = terms;
  }

  const Scope& scope = ScopeAt(scopeIndex, scopes);
  const std::size_t dateAt = IndexOrFirst(dateIndex, kDates.size());
  const bool hashtag = (scope.form == Microblog || scope.form == Social) && dateAt == kHashtagDate;
  if (hashtag) {
    ReplaceAll(terms, "#", "");
  }
  std::string encoded = UrlEncode(terms);

  std::string suffix = "&as_qdr=all";
  if (dateAt != 0) {
    suffix += kDates[dateAt].tbs;
    suffix += ",sbd:1";
  }

  std::string address;
  switch (scope.form) {
    case Web:
      address = std::string(kSearchHost) + "/search?q=" + encoded + suffix;
      break;
    case WebFiltered:
      address = std::string(kSearchHost) + "/search?q=" + encoded + suffix + scope.hostOrSite;
      break;
    case Site:
      address =
          std::string(kSearchHost) + "/search?q=site:" + scope.hostOrSite + "+" + encoded + suffix;
      break;
    case Scholar:
      address = std::string(kScholarHost) + "/scholar?q=" + encoded + suffix;
      break;
    case Microblog:
      // Inside the fragment, so a bare "#" is part of the route, not a new fragment.
      address = std::string(kMicroblogHost) + "/#!/search/" + (hashtag ? "#" : "") + encoded;
      break;
    case Social:
      // In a query string a bare "#" would start the fragment and drop the terms.
      address = std::string(kSocialHost) + "/search?q=" + (hashtag ? "%23" : "") + encoded;
      break;
    case Answer:
      address = std::string(kAnswerHost) + "/input/?i=" + encoded;
      break;
  }
  result.address = kScheme + address;
  return result;
}

}  // namespace varnel
