#include "domain/scopes.h"

#include <gtest/gtest.h>

#include <string>

namespace varnel {
namespace {

// The address up to the terms, by scope, and whether the date suffix follows the terms.
struct Shape {
  const char* before;
  const char* after;  // type filter after the date suffix
  bool dated;
};

const Shape kShapes[kScopeCount] = {
    {"https://www.google.com/search?q=", "", true},
    {"https://www.google.com/search?q=", "&tbm=isch", true},
    {"https://www.google.com/search?q=", "&tbm=vid", true},
    {"https://www.google.com/search?q=site:ehow.com+", "", true},
    {"https://www.google.com/search?q=", "&tbm=nws", true},
    {"https://x.com/#!/search/", "", false},
    {"https://bsky.app/search?q=", "", false},
    {"https://www.google.com/search?q=site:stackoverflow.com+", "", true},
    {"https://www.google.com/search?q=site:howstuffworks.com+", "", true},
    {"https://www.google.com/search?q=site:wikipedia.org+", "", true},
    {"https://www.google.com/search?q=site:lifehacker.com+", "", true},
    {"https://scholar.google.com/scholar?q=", "", true},
    {"https://www.wolframalpha.com/input/?i=", "", false},
    {"https://www.google.com/search?q=site:reddit.com+", "", true},
    {"https://www.google.com/search?q=site:finance.yahoo.com+", "", true},
};

const char* const kDateSuffix[kDateCount] = {
    "&as_qdr=all",
    "&as_qdr=all&tbs=qdr:h,sbd:1",
    "&as_qdr=all&tbs=qdr:d,sbd:1",
    "&as_qdr=all&tbs=qdr:w,sbd:1",
    "&as_qdr=all&tbs=qdr:m,sbd:1",
    "&as_qdr=all&tbs=qdr:y,sbd:1",
};

TEST(ComposeSearch, EveryScopeWithEveryDate) {
  for (int w = 0; w < kScopeCount; ++w) {
    for (int d = 0; d < kDateCount; ++d) {
      const Shape& s = kShapes[w];
      std::string terms = "red%20car";
      if (!s.dated && d == 1 && w != 12) {
        terms.insert(0, w == 6 ? "%23" : "#");
      }
      std::string expected = s.before;
      expected += terms;
      expected += s.dated ? kDateSuffix[d] : "";
      expected += s.after;
      const ComposedSearch got = ComposeSearch("  red   car ", w, d);
      EXPECT_EQ(got.address, expected) << "scope " << w << " date " << d;
      EXPECT_EQ(got.history, "red car");
    }
  }
}

TEST(ComposeSearch, DocumentedAddresses) {
  const struct {
    const char* terms;
    int scope, date;
    const char* address;
    std::optional<std::string> history;
  } cases[] = {
      {"cheap flights", 4, 2,
       "https://www.google.com/search?q=cheap%20flights&as_qdr=all&tbs=qdr:d,sbd:1&tbm=nws",
       "cheap flights"},
      {"", 0, 0, "https://www.google.com/search?q=%3F&as_qdr=all", std::nullopt},
      {" \t\r\n ", 0, 0, "https://www.google.com/search?q=%3F&as_qdr=all", std::nullopt},
      {"a+b", 0, 0, "https://www.google.com/search?q=a%20AND%20b&as_qdr=all", "a AND b"},
      {"#tag", 5, 1, "https://x.com/#!/search/#tag", "#tag"},
      {"tag", 5, 1, "https://x.com/#!/search/#tag", "tag"},
      {"#tag", 5, 0, "https://x.com/#!/search/%23tag", "#tag"},
      {"#a #b", 6, 1, "https://bsky.app/search?q=%23a%20b", "#a #b"},
      {"", 5, 1, "https://x.com/#!/search/#%3F", std::nullopt},
      {"2+2", 12, 5, "https://www.wolframalpha.com/input/?i=2%20AND%202", "2 AND 2"},
      // Every "+" is the word AND, also where it was part of a word.
      {"c++", 0, 0, "https://www.google.com/search?q=c%20AND%20AND&as_qdr=all", "c AND AND"},
      {"caf\xC3\xA9", 9, 0,
       "https://www.google.com/search?q=site:wikipedia.org+caf%C3%A9&as_qdr=all", "caf\xC3\xA9"},
      {"x", -1, 99, "https://www.google.com/search?q=x&as_qdr=all", "x"},
  };
  for (const auto& c : cases) {
    const ComposedSearch got = ComposeSearch(c.terms, c.scope, c.date);
    EXPECT_EQ(got.address, c.address) << c.terms;
    EXPECT_EQ(got.history, c.history) << c.terms;
  }
}

TEST(Scopes, DateAppliesExceptToTheThreeServices) {
  for (int w = 0; w < kScopeCount; ++w) {
    EXPECT_EQ(&ScopeAt(w), &kScopes[static_cast<std::size_t>(w)]);
    EXPECT_EQ(DatesApply(w), w != 5 && w != 6 && w != 12) << w;
  }
  EXPECT_EQ(&ScopeAt(-1), kScopes.data());
  EXPECT_EQ(&ScopeAt(kScopeCount), kScopes.data());
  EXPECT_EQ(&DateRangeAt(kDateCount), kDates.data());
}

TEST(ParseScope, NumbersAndCaptions) {
  const struct {
    const char* text;
    std::optional<int> index;
  } cases[] = {
      {"0", 0},
      {"14", 14},
      {"15", std::nullopt},
      {"-1", std::nullopt},
      {"news", 4},
      {"NEWS", 4},
      {" images ", 1},
      {"ehow", 3},
      {"google plus", 6},
      {"Wolfram|Alpha", 12},
      {"stackoverflow", 7},
      {"howstuffworks", 8},
      {"scholar", 11},
      {"finance", 14},
      {"e&how", std::nullopt},
      {"", std::nullopt},
      {"googleplus", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseScope(c.text), c.index) << c.text;
  }
}

TEST(ParseDateRange, NumbersAndCaptions) {
  const struct {
    const char* text;
    std::optional<int> index;
  } cases[] = {
      {"0", 0},
      {"5", 5},
      {"6", std::nullopt},
      {"anytime", 0},
      {"Anytime", 0},
      {"hour", 1},
      {"past day", 2},
      {"Past Week", 3},
      {"MONTH", 4},
      {"year", 5},
      {"past anytime", std::nullopt},
      {"past", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseDateRange(c.text), c.index) << c.text;
  }
}

}  // namespace
}  // namespace varnel
