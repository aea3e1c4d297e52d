// The decoder's graph: the commands' words that lose work when fired by mistake cost more.
#include "listen/decoder_graph.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace varnel::listen {
namespace {

constexpr float kLanguageWeight = 6.5F;
const char* const kJsgf =
    "#JSGF V1.0;\ngrammar varnel;\npublic <command> = <c0> | <c1> | <c2>;\n"
    "<c0> = delete;\n<c1> = history;\n<c2> = close it;\n";

// Calls `visit(from, link)` for every arc of the graph, null ones too.
template <typename Visit>
void ForEachArc(fsg_model_t* fsg, Visit visit) {
  for (int i = 0; fsg != nullptr && i < fsg_model_n_state(fsg); ++i) {
    for (fsg_arciter_t* it = fsg_model_arcs(fsg, i); it != nullptr; it = fsg_arciter_next(it)) {
      visit(i, fsg_arciter_get(it));
    }
  }
}

// The log probability of each word's arc, commands alone (no loops).
std::map<std::string, std::int32_t> WordArcs(double destructiveWeight,
                                             const std::vector<std::string>& destructive) {
  logmath_t* lmath = logmath_init(1.0001, 0, 0);
  GarbageOptions alone;
  alone.enabled = false;
  alone.wordsEnabled = false;
  alone.destructiveWeight = destructiveWeight;
  fsg_model_t* fsg =
      BuildDecoderGraph("test", kJsgf, {}, alone, {}, destructive, lmath, kLanguageWeight);
  std::map<std::string, std::int32_t> arcs;
  ForEachArc(fsg, [&](int, const fsg_link_t* link) {
    if (fsg_link_wid(link) >= 0) {
      arcs.emplace(fsg_model_word_str(fsg, fsg_link_wid(link)), fsg_link_logs2prob(link));
    }
  });
  fsg_model_free(fsg);
  logmath_free(lmath);
  return arcs;
}

TEST(ListenDecoderGraph, DestructiveWordsCostMore) {
  const auto plain = WordArcs(1, {});
  ASSERT_EQ(plain.size(), 4u);  // delete, history, close, it
  logmath_t* lmath = logmath_init(1.0001, 0, 0);
  const auto dear = static_cast<std::int32_t>(logmath_log(lmath, 1e-6) * kLanguageWeight);
  logmath_free(lmath);
  const std::vector<std::string> destructive = {"delete", "kill", "close"};
  struct Case {
    const char* name;
    double weight;
    std::vector<std::string> words;
    std::map<std::string, std::int32_t> extra;  // on top of the plain graph's arcs
  } cases[] = {
      {"the destructive words", 1e-6, destructive, {{"delete", dear}, {"close", dear}}},
      {"weight 1: no penalty", 1, destructive, {}},
      {"no destructive words", 1e-6, {}, {}},
      {"only the words named", 1e-6, {"close"}, {{"close", dear}}},
  };
  for (const auto& c : cases) {
    const auto arcs = WordArcs(c.weight, c.words);
    ASSERT_EQ(arcs.size(), plain.size()) << c.name;
    for (const auto& [word, logProb] : plain) {
      const auto extra = c.extra.find(word);
      EXPECT_EQ(arcs.at(word), logProb + (extra == c.extra.end() ? 0 : extra->second))
          << c.name << ": " << word;
    }
  }
}

// A neighbour of a command word is cheap as the first word of the loop, where it stands for
// the whole of what was said (one a phone from a command word cheaper still), and may be dearer
// after a command's word, where it would take the place of the command's own last word. A word of
// the menu costs what an everyday word does as the first, and may cost less after a word, where it
// stands for a command's own word beside one swapped ("take me up"). An everyday word may cost less
// again after another everyday word ("how are you").
TEST(ListenDecoderGraph, LoopWordsCostByKindAndPlace) {
  logmath_t* lmath = logmath_init(1.0001, 0, 0);
  const auto scaled = [&](double p) {
    return static_cast<std::int32_t>(logmath_log(lmath, p) * kLanguageWeight);
  };
  GarbageOptions loop;
  loop.enabled = false;  // no phone loop: only the word loop's arcs
  loop.prefixWeight = 0;
  loop.suffixWeight = 0;
  struct Case {
    const char* name;
    double first;
    double closest;  // first, one phone from a command word
    double later;
    double closestLater;
    double menuLater;      // 0: as an everyday word
    double everydayLater;  // 0: no cheaper arc
  } cases[] = {{"dearer later", 1e-3, 1e-2, 3e-5, 3e-4, 0, 0},
               {"the same", 1e-3, 1e-3, 1e-3, 1e-3, 0, 0},
               {"menu words cheaper later", 1e-3, 1e-2, 1e-4, 3e-4, 1e-4, 0},
               {"everyday words cheaper in a row", 1e-3, 3e-2, 1e-4, 1e-3, 1e-4, 3e-4}};
  const LoopWords words{
      {"parnell", "darnell", "town", "zoom"}, {"parnell", "darnell"}, {"parnell"}, {"zoom"}, {}};
  for (const auto& c : cases) {
    loop.neighbourWeight = c.first;
    loop.closestNeighbourWeight = c.closest;
    loop.laterNeighbourWeight = c.later;
    loop.laterClosestNeighbourWeight = c.closestLater;
    loop.laterMenuWordWeight = c.menuLater;
    loop.laterWordWeight = c.everydayLater;
    fsg_model_t* fsg =
        BuildDecoderGraph("test", kJsgf, {}, loop, words, {}, lmath, kLanguageWeight);
    ASSERT_NE(fsg, nullptr);
    std::map<std::string, std::multiset<std::int32_t>> arcs;  // each loop word's arcs
    ForEachArc(fsg, [&](int, const fsg_link_t* link) {
      if (fsg_link_wid(link) >= 0) {
        arcs[fsg_model_word_str(fsg, fsg_link_wid(link))].insert(fsg_link_logs2prob(link));
      }
    });
    fsg_model_free(fsg);
    const auto entry = scaled(loop.wordEntryWeight);
    EXPECT_EQ(arcs["parnell"],
              (std::multiset<std::int32_t>{entry + scaled(c.closest), scaled(c.closestLater)}))
        << c.name;
    EXPECT_EQ(arcs["darnell"],
              (std::multiset<std::int32_t>{entry + scaled(c.first), scaled(c.later)}))
        << c.name;
    std::multiset<std::int32_t> town = {entry + scaled(loop.wordWeight), scaled(loop.wordWeight)};
    if (c.everydayLater > 0) {
      town.insert(scaled(c.everydayLater));
    }
    EXPECT_EQ(arcs["town"], town) << c.name;
    EXPECT_EQ(arcs["zoom"], (std::multiset<std::int32_t>{
                                entry + scaled(loop.wordWeight),
                                scaled(c.menuLater > 0 ? c.menuLater : loop.wordWeight)}))
        << c.name;
  }
  logmath_free(lmath);
}

// A word people say on their own costs less as the first word of the loop, where it stands
// for the whole utterance ("thanks" rather than "Find Next"), and as much as any everyday word
// after another; a word of the menu or a neighbour keeps its own price, so that the command
// it belongs to or sounds like is not given away.
TEST(ListenDecoderGraph, WordsSaidOnTheirOwnCostLessFirst) {
  logmath_t* lmath = logmath_init(1.0001, 0, 0);
  const auto scaled = [&](double p) {
    return static_cast<std::int32_t>(logmath_log(lmath, p) * kLanguageWeight);
  };
  GarbageOptions loop;
  loop.enabled = false;
  loop.prefixWeight = 0;
  loop.suffixWeight = 0;
  loop.laterWordWeight = 0;
  LoopWords words;
  words.words = {"thanks", "town", "zoom", "parnell"};
  words.neighbours = {"parnell"};
  words.menu = {"zoom"};
  words.standalone = {"thanks", "zoom", "parnell"};
  const auto entry = scaled(loop.wordEntryWeight);
  const auto every = scaled(loop.wordWeight);
  const auto menuLater = scaled(loop.laterMenuWordWeight);
  const auto near = scaled(loop.neighbourWeight);
  const auto nearLater = scaled(loop.laterNeighbourWeight);
  const struct {
    double weight;
    std::map<std::string, std::multiset<std::int32_t>> arcs;
  } cases[] = {
      {1e-2,
       {{"thanks", {entry + scaled(1e-2), every}},
        {"town", {entry + every, every}},
        {"zoom", {entry + every, menuLater}},
        {"parnell", {entry + near, nearLater}}}},
      {0,  // as any everyday word
       {{"thanks", {entry + every, every}},
        {"town", {entry + every, every}},
        {"zoom", {entry + every, menuLater}},
        {"parnell", {entry + near, nearLater}}}},
  };
  for (const auto& c : cases) {
    loop.standaloneWeight = c.weight;
    fsg_model_t* fsg =
        BuildDecoderGraph("test", kJsgf, {}, loop, words, {}, lmath, kLanguageWeight);
    ASSERT_NE(fsg, nullptr);
    std::map<std::string, std::multiset<std::int32_t>> arcs;
    ForEachArc(fsg, [&](int, const fsg_link_t* link) {
      const int wid = fsg_link_wid(link);
      if (wid >= 0 && c.arcs.count(fsg_model_word_str(fsg, wid)) > 0) {
        arcs[fsg_model_word_str(fsg, wid)].insert(fsg_link_logs2prob(link));
      }
    });
    fsg_model_free(fsg);
    EXPECT_EQ(arcs, c.arcs) << c.weight;
  }
  logmath_free(lmath);
}

// The cheaper arc of an everyday word after another is reached only through an everyday word:
// after a neighbour ("tend" then "will" for "Tab twelve") or a command's own word ("Select
// Next" then "will") it would let the loop take a command's last words.
TEST(ListenDecoderGraph, EverydayWordsInARowFollowOnlyEverydayWords) {
  logmath_t* lmath = logmath_init(1.0001, 0, 0);
  GarbageOptions loop;
  loop.enabled = false;
  loop.laterWordWeight = 3e-4;
  const auto cheap = static_cast<std::int32_t>(logmath_log(lmath, 3e-4) * kLanguageWeight);
  const LoopWords words{{"parnell", "town", "zoom"}, {"parnell"}, {}, {"zoom"}, {}};
  fsg_model_t* fsg = BuildDecoderGraph("test", kJsgf, {}, loop, words, {}, lmath, kLanguageWeight);
  ASSERT_NE(fsg, nullptr);
  std::set<int> cheapFrom;                         // states the cheap arcs leave
  std::map<int, std::set<std::string>> wordsInto;  // the words whose arcs end in each state
  std::map<int, std::set<int>> nullInto;           // the states with a null arc into each state
  ForEachArc(fsg, [&](int from, const fsg_link_t* link) {
    const int to = fsg_link_to_state(link);
    if (fsg_link_wid(link) < 0) {
      nullInto[to].insert(from);
      return;
    }
    const std::string word = fsg_model_word_str(fsg, fsg_link_wid(link));
    wordsInto[to].insert(word);
    if (word == "town" && fsg_link_logs2prob(link) == cheap) {
      cheapFrom.insert(from);
    }
  });
  fsg_model_free(fsg);
  logmath_free(lmath);
  ASSERT_FALSE(cheapFrom.empty());
  for (const int state : cheapFrom) {
    EXPECT_TRUE(wordsInto[state].empty()) << "a word ends where the cheap arcs leave";
    for (const int before : nullInto[state]) {
      EXPECT_EQ(wordsInto[before], std::set<std::string>{"town"}) << "state " << before;
    }
  }
}

// A list a command is said about ("Tab <Number>") gives it a way to fit speech for every
// item: the items' first words cost the parameter weight, the command's own words and a list
// of its own wordings ("<Find>") nothing, and the words after an item's first nothing more.
TEST(ListenDecoderGraph, ParameterListsCostTheirWeight) {
  logmath_t* lmath = logmath_init(1.0001, 0, 0);
  const auto lookup = [](const std::string&) { return 3; };
  MenuSpec menu;
  menu.lists = {{"Number", {"1", "20", "25"}}, {"Find", {"Find", "Find It"}}};
  menu.commands = {{16, "Tab <Number>"}, {2, "<Find>"}};
  GarbageOptions alone;
  alone.enabled = false;
  alone.wordsEnabled = false;
  for (const double weight : {1.0, 3e-7}) {
    const Grammar grammar = BuildGrammar({menu}, lookup, weight);
    fsg_model_t* fsg = BuildDecoderGraph("test", grammar.Jsgf(), grammar.ListEnds(), alone, {}, {},
                                         lmath, kLanguageWeight);
    ASSERT_NE(fsg, nullptr) << grammar.Jsgf();
    std::map<std::string, std::int32_t> arcs;
    ForEachArc(fsg, [&](int, const fsg_link_t* link) {
      if (fsg_link_wid(link) >= 0) {
        arcs[fsg_model_word_str(fsg, fsg_link_wid(link))] = fsg_link_logs2prob(link);
      }
    });
    fsg_model_free(fsg);
    const auto dear = logmath_log(lmath, weight);  // unscaled
    const std::map<std::string, std::int32_t> want = {{"tab", 0},  {"one", dear}, {"twenty", dear},
                                                      {"five", 0}, {"find", 0},   {"it", 0}};
    EXPECT_EQ(arcs, want) << weight;
  }
  logmath_free(lmath);
}

}  // namespace
}  // namespace varnel::listen
