// The search scopes and date ranges as data: one row a scope. The captions, the dates rule,
// the query, the command line's names and help, and the window's options all follow a row.
#pragma once

#include <array>

namespace varnel {

enum class AddressForm { Web, WebFiltered, Site, Scholar, Microblog, Social, Answer };

// Endpoints. The type filters, time filters and as_qdr belong to this search engine.
inline constexpr const char* kSearchHost = "www.google.com";
inline constexpr const char* kScholarHost = "scholar.google.com";
inline constexpr const char* kMicroblogHost = "x.com";
inline constexpr const char* kSocialHost = "bsky.app";
inline constexpr const char* kAnswerHost = "www.wolframalpha.com";

struct Scope {
  const char* caption;  // with its "&"
  AddressForm form;
  const char* hostOrSite;  // site domain for Site, type filter for WebFiltered, else host
  bool dateApplies;
  int optionWidth;  // twips: the option button fits its caption
};

struct DateRange {
  const char* caption;
  const char* tbs;  // "" for Anytime
};

// A scope's number is its place in the table.
inline constexpr std::array kScopes{
    Scope{"&Everything", AddressForm::Web, kSearchHost, true, 1590},
    Scope{"&Images", AddressForm::WebFiltered, "&tbm=isch", true, 990},
    Scope{"&Videos", AddressForm::WebFiltered, "&tbm=vid", true, 990},
    Scope{"e&How", AddressForm::Site, "ehow.com", true, 870},
    Scope{"&News", AddressForm::WebFiltered, "&tbm=nws", true, 870},
    Scope{"&Twitter", AddressForm::Microblog, kMicroblogHost, false, 1005},
    Scope{"Google &Plus", AddressForm::Social, kSocialHost, false, 1380},
    Scope{"Stack&Overflow", AddressForm::Site, "stackoverflow.com", true, 1695},
    Scope{"HowSt&uffWorks", AddressForm::Site, "howstuffworks.com", true, 1695},
    Scope{"&Wikipedia", AddressForm::Site, "wikipedia.org", true, 1215},
    Scope{"&LifeHacker", AddressForm::Site, "lifehacker.com", true, 1455},
    Scope{"S&cholar", AddressForm::Scholar, kScholarHost, true, 1605},
    Scope{"Wolfram|&Alpha", AddressForm::Answer, kAnswerHost, false, 1680},
    Scope{"&Reddit", AddressForm::Site, "reddit.com", true, 1260},
    Scope{"&Finance", AddressForm::Site, "finance.yahoo.com", true, 1035},
};

inline constexpr std::array kDates{
    DateRange{"Anytime", ""},
    DateRange{"Past Hour", "&tbs=qdr:h"},
    DateRange{"Past Day", "&tbs=qdr:d"},
    DateRange{"Past Week", "&tbs=qdr:w"},
    DateRange{"Past Month", "&tbs=qdr:m"},
    DateRange{"Past Year", "&tbs=qdr:y"},
};

inline constexpr int kScopeCount = static_cast<int>(kScopes.size());
inline constexpr int kDateCount = static_cast<int>(kDates.size());

}  // namespace varnel
