#include "listen/grammar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace varnel::listen {
namespace {

// A dictionary of known words, each one phone per letter.
PhoneLookup Dict(std::set<std::string> words) {
  return [words = std::move(words)](const std::string& w) {
    return words.contains(w) ? static_cast<int>(w.size()) : 0;
  };
}

const PhoneLookup kDict = Dict({"tab", "back", "page", "down", "next", "one", "two", "three",
                                "twenty", "five", "zoom", "in", "find", "it", "varnel"});

TEST(SpokenWords, NormalisesAndRefuses) {
  struct Case {
    std::string text;
    std::optional<std::vector<std::string>> words;
  } cases[] = {
      {"Page Down", std::vector<std::string>{"page", "down"}},
      {"25", std::vector<std::string>{"twenty", "five"}},
      {" Tab  3 ", std::vector<std::string>{"tab", "three"}},
      {"don't", std::vector<std::string>{"don't"}},
      {"", std::nullopt},
      {"a|b", std::nullopt},  // grammar syntax must not pass through
      {"x;public <y> = z", std::nullopt},
      {"12345", std::nullopt},
      {"caf\xc3\xa9", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SpokenWords(c.text), c.words) << c.text;
  }
  EXPECT_EQ(NumberWords(0), "zero");
  EXPECT_EQ(NumberWords(40), "forty");
  EXPECT_EQ(NumberWords(105), "one hundred five");
}

TEST(CheckCommand, RefusesWhatCannotBeSpoken) {
  const std::map<std::string, std::vector<std::string>> lists = {
      {"Number", {"1", "2", "25"}}, {"Bad", {"1", "omni"}}, {"Empty", {}}};
  struct Case {
    std::string spoken;
    std::int32_t error;  // 0 = accepted
  } cases[] = {
      {"Tab <Number>", 0},    {"Varnel", 0},      {"Zoom Out", 3 /*unknown word*/},
      {"Tab <Missing>", 4},   {"Tab <Empty>", 4}, {"Tab <Bad>", 3},
      {"Tab <Number", 5},     {"Tab > 2", 5},     {"", 5},
      {"Zoom <<Number>>", 5},
  };
  for (const auto& c : cases) {
    const auto e = CheckCommand(c.spoken, lists, kDict);
    EXPECT_EQ(e ? e->first : 0, c.error) << c.spoken;
    if (e) {
      EXPECT_FALSE(e->second.empty());
    }
  }
  const auto e = CheckCommand("Zoom Out", lists, kDict);
  ASSERT_TRUE(e);
  EXPECT_NE(e->second.find("\"out\""), std::string::npos);
}

TEST(Grammar, MapsHypothesesBackToCommandsAndItems) {
  MenuSpec menu;
  menu.owner = 7;
  menu.lists = {{"Number", {"1", "2", "3", "25"}},
                {"Page Down", {"Page Down", "Next Page"}},
                {"Find", {"Find", "Find It"}}};
  menu.commands = {{16, "Tab <Number>"}, {17, "Back Tab <Number>"},
                   {10, "<Page Down>"},  {26, "Zoom In"},
                   {24, "Varnel"},       {2, "<Find>"},
                   {99, "Zoom Out"}};  // unknown word: left out of the grammar
  const Grammar g = BuildGrammar({menu}, kDict);
  struct Case {
    std::string hyp;
    std::optional<std::int32_t> id;
    std::vector<std::string> items;
  } cases[] = {
      {"tab three", 16, {"3"}},
      {"back tab twenty five", 17, {"25"}},
      {"next page", 10, {"Next Page"}},
      {"page down", 10, {"Page Down"}},
      {"zoom in", 26, {}},
      {"varnel(2)", 24, {}},
      {"find it", 2, {"Find It"}},
      {"find", 2, {"Find"}},
      {"tab", std::nullopt, {}},
      {"tab three three", std::nullopt, {}},
      {"zoom out", std::nullopt, {}},
      {"ph_t zoom in", std::nullopt, {}},
      {"ow_zoom ow_in", std::nullopt, {}},  // the word loop spells a command
      {"zoom in ow_now", std::nullopt, {}},
      {"ow_tab(2) three", std::nullopt, {}},
      {"", std::nullopt, {}},
  };
  for (const auto& c : cases) {
    const auto m = g.Map(c.hyp);
    ASSERT_EQ(m.has_value(), c.id.has_value()) << c.hyp;
    if (!m) {
      continue;
    }
    EXPECT_EQ(m->id, *c.id) << c.hyp;
    EXPECT_EQ(m->owner, 7u);
    EXPECT_EQ(m->listResults, c.items) << c.hyp;
  }
  EXPECT_EQ(g.Map("tab two")->command, "Tab <Number>");
  // The longest command: back(4) tab(3) twenty(6) five(4).
  EXPECT_EQ(g.MaxPhones(), 17);
  EXPECT_EQ(g.Jsgf().find("out"), std::string::npos);
  EXPECT_NE(g.Jsgf().find("twenty five"), std::string::npos);
  EXPECT_NE(g.Jsgf().find("find ( <NULL> | it )"), std::string::npos);
}

TEST(Grammar, ListItemsShareTheirLeadingWords) {
  const struct {
    std::vector<std::string> items;
    std::string want;
  } cases[] = {
      {{"one", "two"}, "one | two"},
      {{"twenty", "twenty one", "twenty two"}, "twenty ( <NULL> | one | two )"},
      {{"twenty one", "twenty"}, "twenty ( <NULL> | one )"},
      {{"go back now", "go back home"}, "go back ( now | home )"},
      {{"a b c", "a b", "d"}, "a b ( <NULL> | c ) | d"},
      {{"one", "one"}, "one"},
      {{"", "one"}, "one"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FactoredAlternatives(c.items), c.want);
  }
  // A weight goes on the first words only.
  EXPECT_EQ(FactoredAlternatives({"one", "twenty", "twenty one"}, 0.1),
            "/0.1/ one | /0.1/ twenty ( <NULL> | one )");
  EXPECT_EQ(FactoredAlternatives({"one", "two"}, 1), "one | two");
}

// The rule names the public rule offers, and the rule whose body starts with `words`.
std::vector<std::string> Offered(const std::string& jsgf) {
  const auto from = jsgf.find("public <command> =");
  std::vector<std::string> names;
  if (from == std::string::npos) {
    return names;
  }
  const std::string line = jsgf.substr(from, jsgf.find(';', from) - from);
  for (auto at = line.find('<', 1); at != std::string::npos; at = line.find('<', at + 1)) {
    names.push_back(line.substr(at + 1, line.find('>', at) - at - 1));
  }
  names.erase(names.begin());  // <command> itself
  return names;
}

std::string RuleOf(const std::string& jsgf, const std::string& words) {
  const auto at = jsgf.find("> = " + words);
  const auto open = jsgf.rfind('<', at);
  return at == std::string::npos ? "" : jsgf.substr(open + 1, at - open - 1);
}

// A command's rivals are decoded with every command but that one.
TEST(Grammar, JsgfWithoutOneCommand) {
  MenuSpec menu;
  menu.owner = 7;
  menu.lists = {{"Number", {"1", "2", "3"}}};
  menu.commands = {{16, "Tab <Number>"}, {26, "Zoom In"}, {24, "Varnel"}};
  const Grammar g = BuildGrammar({menu}, kDict);
  const std::vector<std::string> all = Offered(g.Jsgf());
  ASSERT_EQ(all.size(), 3u);
  struct Case {
    const char* name;
    std::uint64_t owner;
    std::int32_t id;
    std::string leftOut;  // the body of the rule no longer offered; "" none
  } cases[] = {
      {"a plain command", 7, 26, "zoom in"},
      {"a command with a list", 7, 16, "tab <"},
      {"another client's command of that id", 8, 26, ""},
      {"an id no command has", 7, 99, ""},
  };
  for (const auto& c : cases) {
    const std::string jsgf = g.JsgfWithout(c.owner, c.id);
    const std::vector<std::string> offered = Offered(jsgf);
    if (c.leftOut.empty()) {
      EXPECT_EQ(offered, all) << c.name;
      continue;
    }
    const std::string rule = RuleOf(jsgf, c.leftOut);
    ASSERT_FALSE(rule.empty()) << c.name << "\n" << jsgf;  // the rules stay, unused
    EXPECT_EQ(offered.size(), all.size() - 1) << c.name;
    EXPECT_EQ(std::count(offered.begin(), offered.end(), rule), 0) << c.name;
  }
  // Nothing left to rival it.
  EXPECT_EQ(BuildGrammar({MenuSpec{3, {}, {{1, "Zoom In"}}}}, kDict).JsgfWithout(3, 1), "");
}

TEST(Grammar, NewestMenuWinsAndEmptyMenusGiveNoGrammar) {
  MenuSpec a{1, {}, {{5, "Zoom In"}}};
  MenuSpec b{2, {}, {{8, "Zoom In"}}};
  const Grammar g = BuildGrammar({a, b}, kDict);
  ASSERT_TRUE(g.Map("zoom in"));
  EXPECT_EQ(g.Map("zoom in")->owner, 2u);
  EXPECT_TRUE(BuildGrammar({}, kDict).Empty());
  EXPECT_TRUE(BuildGrammar({MenuSpec{3, {}, {{1, "Zoom Out"}}}}, kDict).Empty());
}

// Items that are runs of one word give a hypothesis of many such words countless ways to
// split among a command's lists; mapping it must not try them all.
TEST(Grammar, MappingManyWaysToSplitIsQuick) {
  std::vector<std::string> runs;
  for (int n = 1; n <= 12; ++n) {
    std::string run = "one";
    for (int i = 1; i < n; ++i) {
      run += " one";
    }
    runs.push_back(run);
  }
  std::string lists;
  for (int i = 0; i < 16; ++i) {
    lists += "<Run> ";
  }
  const MenuSpec menu{1, {{"Run", runs}}, {{1, lists + "tab"}, {2, lists + "page"}}};
  const Grammar g = BuildGrammar({menu}, kDict);
  std::string hypothesis;
  for (int i = 0; i < 40; ++i) {
    hypothesis += "one ";
  }
  // The first command is tried first and fails only at its last word.
  const auto match = g.Map(hypothesis + "page");
  ASSERT_TRUE(match);
  EXPECT_EQ(match->id, 2);
  EXPECT_EQ(match->listResults.size(), 16u);
  EXPECT_FALSE(g.Map(hypothesis + "down"));
}

// Leaving a command for the word loop: after a word, and only where the command cannot end yet.
TEST(ListenGrammar, PrefixExitsOnlyWhereTheCommandGoesOn) {
  // 0 start, 9 end. "page down"; "tab <number>" with "three" and "twenty [five]"; "find
  // [it]" whose "find" ends through two null transitions.
  const std::vector<GraphArc> arcs = {
      {0, 1, "page"},   {1, 9, "down"}, {0, 2, "tab"}, {2, 3, ""},     {3, 9, "three"},
      {3, 4, "twenty"}, {4, 9, "five"}, {4, 9, ""},    {0, 5, "find"}, {5, 6, "it"},
      {5, 7, ""},       {7, 9, ""},     {6, 9, ""},    {1, 40, ""},    {0, 41, "ph_aa"},
  };
  const auto exits = PrefixExits(10, 0, 9, arcs);
  ASSERT_EQ(exits.size(), 10u);
  const std::vector<bool> want = {false, true,  true,  false, false,
                                  false, false, false, false, false};
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(exits[i], want[i]) << "state " << i;
  }
  EXPECT_TRUE(PrefixExits(0, 0, 0, arcs).empty());
  EXPECT_EQ(PrefixExits(3, 0, -1, {{0, 1, "a"}, {1, 2, "b"}}),
            (std::vector<bool>{false, true, true}));
}

// Going on into the word loop after a whole command: only after a word of the command's own.
TEST(ListenGrammar, SuffixExitsAfterACommandsOwnLastWord) {
  // 0 start, 9 end. "page down"; "tab <number>" with "two" and "twenty [five]"; "find [it]"
  // whose "find" ends through two null transitions; "go home" where "home" is also an item.
  const std::vector<GraphArc> arcs = {
      {0, 1, "page"}, {1, 9, "down"},   {0, 2, "tab"},  {2, 3, ""},
      {3, 9, "two"},  {3, 4, "twenty"}, {4, 9, "five"}, {4, 9, ""},
      {0, 5, "find"}, {5, 6, "it"},     {5, 7, ""},     {7, 9, ""},
      {6, 9, ""},     {0, 8, "go"},     {8, 9, "home"}, {0, 40, "far"},
  };
  const std::set<std::string> listEnds = {"two", "twenty", "five", "home"};
  const auto exits = SuffixExits(10, 9, arcs, listEnds);
  std::vector<std::string> words;
  words.reserve(exits.size());
  for (const auto k : exits) {
    words.push_back(arcs[k].word);
  }
  EXPECT_EQ(words, (std::vector<std::string>{"down", "find", "it"}));
  EXPECT_TRUE(SuffixExits(10, -1, arcs, listEnds).empty());
  EXPECT_TRUE(SuffixExits(0, 0, arcs, {}).empty());
}

TEST(ListenGrammar, ListEndsAreTheItemsLastWords) {
  MenuSpec menu;
  menu.lists = {{"Number", {"2", "25"}}, {"Find", {"Find", "Find It"}}};
  menu.commands = {{16, "Tab <Number>"}, {2, "<Find>"}, {24, "Varnel"}};
  const Grammar g = BuildGrammar({menu}, kDict);
  EXPECT_EQ(g.ListEnds(), (std::set<std::string>{"two", "five", "find", "it"}));
}

// A number said after "Tab" is what the command is about; "Find It" is the command itself.
TEST(ListenGrammar, WordsWithAndWithoutParameters) {
  MenuSpec menu;
  menu.lists = {{"Number", {"2", "25"}}, {"Find", {"Find", "Find It"}}};
  menu.commands = {{16, "Tab <Number>"}, {2, "<Find>"}, {24, "Varnel"}};
  const Grammar g = BuildGrammar({menu}, kDict);
  EXPECT_EQ(g.Words(),
            (std::vector<std::string>{"find", "it", "tab", "two", "twenty", "five", "varnel"}));
  EXPECT_EQ(g.Words(false), (std::vector<std::string>{"find", "it", "tab", "varnel"}));
}

// Every word-loop entry becomes a dictionary name of its own: duplicates or characters outside
// plain words would clash with commands' words or break the decoder's graph.
TEST(ListenGrammar, OtherWordsAreDistinctPlainWords) {
  std::set<std::string> seen;
  for (const auto& w : OtherWords(CommonWords().size())) {
    EXPECT_TRUE(seen.insert(w).second) << "duplicate " << w;
    const auto spoken = SpokenWords(w);
    ASSERT_TRUE(spoken.has_value()) << w;
    EXPECT_EQ(*spoken, std::vector<std::string>{w});
    EXPECT_EQ(OtherWord(w).rfind("ow_", 0), 0u);
  }
  EXPECT_GT(seen.size(), 3000u);
}

// The common words extend the hand-picked ones in frequency order, each word once.
TEST(ListenGrammar, OtherWordsTakeTheMostFrequentFirst) {
  const auto hand = OtherWords(0);
  ASSERT_GT(hand.size(), 300u);
  const std::set<std::string> handSet(hand.begin(), hand.end());
  const auto& ranked = CommonWords();
  ASSERT_GT(ranked.size(), 100u);
  EXPECT_EQ(ranked.front(), "the");
  const auto some = OtherWords(100);
  ASSERT_GE(some.size(), hand.size());
  EXPECT_TRUE(std::equal(hand.begin(), hand.end(), some.begin()));
  std::vector<std::string> added;
  for (std::size_t i = 0; i < 100; ++i) {
    if (handSet.count(ranked[i]) == 0) {
      added.push_back(ranked[i]);
    }
  }
  EXPECT_EQ(
      std::vector<std::string>(some.begin() + static_cast<std::ptrdiff_t>(hand.size()), some.end()),
      added);
  EXPECT_EQ(OtherWords(ranked.size() + 50).size(), OtherWords(ranked.size()).size());
}

}  // namespace
}  // namespace varnel::listen
