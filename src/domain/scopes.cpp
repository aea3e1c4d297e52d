#include "domain/scopes.h"

#include <array>
#include <cctype>

#include "domain/query.h"
#include "domain/text.h"

namespace varnel {

namespace {

// Endpoints. The type filters, time filters and as_qdr belong to this search engine.
constexpr const char* kSearchHost = "www.google.com";
constexpr const char* kScholarHost = "scholar.google.com";
constexpr const char* kMicroblogHost = "x.com";
constexpr const char* kSocialHost = "bsky.app";
constexpr const char* kAnswerHost = "www.wolframalpha.com";
// Every host serves https; the terms never travel in the clear.
constexpr const char* kScheme = "https://";

using enum AddressForm;

constexpr std::array<Scope, kScopeCount> kScopes = {{
    {0, "&Everything", Web, kSearchHost, true},
    {1, "&Images", WebFiltered, "&tbm=isch", true},
    {2, "&Videos", WebFiltered, "&tbm=vid", true},
    {3, "e&How", Site, "ehow.com", true},
    {4, "&News", WebFiltered, "&tbm=nws", true},
    {5, "&Twitter", Microblog, kMicroblogHost, false},
    {6, "Google &Plus", Social, kSocialHost, false},
    {7, "Stack&Overflow", Site, "stackoverflow.com", true},
    {8, "HowSt&uffWorks", Site, "howstuffworks.com", true},
    {9, "&Wikipedia", Site, "wikipedia.org", true},
    {10, "&LifeHacker", Site, "lifehacker.com", true},
    {11, "S&cholar", Scholar, kScholarHost, true},
    {12, "Wolfram|&Alpha", Answer, kAnswerHost, false},
    {13, "&Reddit", Site, "reddit.com", true},
    {14, "&Finance", Site, "finance.yahoo.com", true},
}};

constexpr std::array<DateRange, kDateCount> kDates = {{
    {0, "Anytime", ""},
    {1, "Past Hour", "&tbs=qdr:h"},
    {2, "Past Day", "&tbs=qdr:d"},
    {3, "Past Week", "&tbs=qdr:w"},
    {4, "Past Month", "&tbs=qdr:m"},
    {5, "Past Year", "&tbs=qdr:y"},
}};

constexpr int kHashtagDate = 1;

std::string Lower(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

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
  return Lower(s);
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

const Scope& ScopeAt(int index) {
  return kScopes[index >= 0 && index < kScopeCount ? static_cast<std::size_t>(index) : 0];
}

const DateRange& DateRangeAt(int index) {
  return kDates[index >= 0 && index < kDateCount ? static_cast<std::size_t>(index) : 0];
}

std::optional<int> ParseScope(std::string_view text) {
  text = TrimSpaces(text);
  if (auto n = ParseIndex(text, kScopeCount)) {
    return n;
  }
  const std::string want = Lower(text);
  for (const Scope& s : kScopes) {
    if (PlainCaption(s.caption) == want) {
      return s.index;
    }
  }
  return std::nullopt;
}

std::optional<int> ParseDateRange(std::string_view text) {
  text = TrimSpaces(text);
  if (auto n = ParseIndex(text, kDateCount)) {
    return n;
  }
  const std::string want = Lower(text);
  for (const DateRange& d : kDates) {
    const std::string caption = PlainCaption(d.caption);
    if (caption == want) {
      return d.index;
    }
    if (caption.starts_with("past ") && caption.substr(5) == want) {
      return d.index;
    }
  }
  return std::nullopt;
}

ComposedSearch ComposeSearch(const std::string& typedTerms, int scopeIndex, int dateIndex) {
  ComposedSearch result;
  std::string terms(TrimSpaces(typedTerms));
  NormalizeQuery(terms);
  if (terms.empty()) {
    terms = "?";
  } else {
    result.history = terms;
  }

  const Scope& scope = ScopeAt(scopeIndex);
  const DateRange& date = DateRangeAt(dateIndex);
  const bool hashtag =
      (scope.form == Microblog || scope.form == Social) && date.index == kHashtagDate;
  if (hashtag) {
    ReplaceAll(terms, "#", "");
  }
  std::string encoded = UrlEncode(terms);

  std::string suffix = "&as_qdr=all";
  if (date.index != 0) {
    suffix += date.tbs;
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
