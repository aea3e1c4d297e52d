#include "listen/decoder_graph.h"

#include <sphinxbase/jsgf.h>

#include <algorithm>
#include <cstdint>
#include <optional>

namespace varnel::listen {
namespace {

// Lets speech leave the commands' first `commandStates` states for the word loop: part-way
// through a command at `prefix`, after a whole one at `suffix` (scaled log probabilities;
// nullopt for never).
void AddLoopExits(fsg_model_t* fsg, int commandStates, int wordLoop,
                  std::optional<std::int32_t> prefix, std::optional<std::int32_t> suffix,
                  const std::set<std::string>& listEnds) {
  std::vector<GraphArc> arcs;
  std::vector<std::pair<int, std::int32_t>> links;  // word id and log probability of each arc
  for (int i = 0; i < commandStates; ++i) {
    for (fsg_arciter_t* it = fsg_model_arcs(fsg, i); it != nullptr; it = fsg_arciter_next(it)) {
      const fsg_link_t* link = fsg_arciter_get(it);
      const int wid = fsg_link_wid(link);
      arcs.push_back({i, fsg_link_to_state(link), wid < 0 ? "" : fsg_model_word_str(fsg, wid)});
      links.emplace_back(wid, fsg_link_logs2prob(link));
    }
  }
  if (suffix) {
    // The command's last word again, on a transition of its own into the loop.
    for (const auto k : SuffixExits(commandStates, fsg->final_state, arcs, listEnds)) {
      fsg_model_trans_add(fsg, arcs[k].from, wordLoop, links[k].second + *suffix, links[k].first);
    }
  }
  if (prefix) {
    const auto exits = PrefixExits(commandStates, fsg->start_state, fsg->final_state, arcs);
    for (int i = 0; i < commandStates; ++i) {
      if (exits[static_cast<std::size_t>(i)]) {
        fsg_model_null_trans_add(fsg, i, wordLoop, *prefix);
      }
    }
  }
  // The decoder follows one null transition at a time.
  glist_free(fsg_model_null_trans_closure(fsg, nullptr));
}

}  // namespace

fsg_model_t* BuildDecoderGraph(const char* name, const std::string& jsgf,
                               const std::set<std::string>& listEnds, const GarbageOptions& garbage,
                               const LoopWords& loopWords,
                               const std::vector<std::string>& destructiveWords, logmath_t* lmath,
                               float lw) {
  jsgf_t* parsed = jsgf_parse_string(jsgf.c_str(), nullptr);
  if (parsed == nullptr) {
    return nullptr;
  }
  jsgf_rule_t* rule = jsgf_get_public_rule(parsed);
  fsg_model_t* commands = rule != nullptr ? jsgf_build_fsg(parsed, rule, lmath, lw) : nullptr;
  jsgf_grammar_free(parsed);
  if (commands == nullptr) {
    return nullptr;
  }
  // A probability as the graph's arcs hold it: a log, scaled by the language weight.
  const auto cost = [&](double p) { return static_cast<std::int32_t>(logmath_log(lmath, p) * lw); };
  // The commands' graph again, with a loop of single phones from the start to the end, each
  // phone paying a penalty, and a loop of everyday words. Speech that is no command leaves
  // through them; a command is heard only when its own path beats both.
  const int n = fsg_model_n_state(commands);
  const int loop = n;
  const int wordLoop = n + 1;  // before a word of the loop
  const int wordDone = n + 2;  // after one, where the utterance may end
  // After an everyday word (no neighbour, no menu word), and before one that follows it.
  const int everydayDone = n + 3;
  const int afterEveryday = n + 4;
  fsg_model_t* fsg = fsg_model_init(name, lmath, lw, n + 5);
  fsg->start_state = fsg_model_start_state(commands);
  fsg->final_state = fsg_model_final_state(commands);
  const auto dear = cost(garbage.destructiveWeight);
  for (int i = 0; i < n; ++i) {
    for (fsg_arciter_t* it = fsg_model_arcs(commands, i); it != nullptr;
         it = fsg_arciter_next(it)) {
      const fsg_link_t* link = fsg_arciter_get(it);
      if (fsg_link_wid(link) < 0) {
        fsg_model_null_trans_add(fsg, i, fsg_link_to_state(link), fsg_link_logs2prob(link));
      } else {
        const char* word = fsg_model_word_str(commands, fsg_link_wid(link));
        const int wid = fsg_model_word_add(fsg, word);
        const bool destructive = std::find(destructiveWords.begin(), destructiveWords.end(),
                                           word) != destructiveWords.end();
        fsg_model_trans_add(fsg, i, fsg_link_to_state(link),
                            fsg_link_logs2prob(link) + (destructive ? dear : 0), wid);
      }
    }
  }
  fsg_model_free(commands);
  const auto entry = cost(garbage.entryWeight);
  const auto each = cost(garbage.phoneWeight);
  if (garbage.enabled) {
    for (const auto& phone : GarbagePhones()) {
      const int wid = fsg_model_word_add(fsg, GarbageWord(phone).c_str());
      fsg_model_trans_add(fsg, fsg->start_state, loop, entry + each, wid);
      fsg_model_trans_add(fsg, loop, loop, each, wid);
    }
    fsg_model_null_trans_add(fsg, loop, fsg->final_state, 0);
  }
  if (!loopWords.words.empty()) {
    const auto wordEntry = cost(garbage.wordEntryWeight);
    const auto eachWord = cost(garbage.wordWeight);
    const auto firstNear = cost(garbage.neighbourWeight);
    const auto firstClosest = cost(garbage.closestNeighbourWeight);
    const auto laterNear = cost(garbage.laterNeighbourWeight);
    const auto laterClosest = cost(garbage.laterClosestNeighbourWeight);
    const auto laterMenu =
        garbage.laterMenuWordWeight > 0 ? cost(garbage.laterMenuWordWeight) : eachWord;
    const bool inARow = garbage.laterWordWeight > 0;
    const auto laterEveryday = inARow ? cost(garbage.laterWordWeight) : 0;
    const auto firstStandalone =
        garbage.standaloneWeight > 0 ? cost(garbage.standaloneWeight) : eachWord;
    for (const auto& word : loopWords.words) {
      const int wid = fsg_model_word_add(fsg, word.c_str());
      const bool near = loopWords.neighbours.count(word) > 0;
      const bool closest = near && loopWords.closest.count(word) > 0;
      const bool menu = loopWords.menu.count(word) > 0;
      const bool everyday = inARow && !near && !menu;
      const int done = everyday ? everydayDone : wordDone;
      const bool standalone = !near && !menu && loopWords.standalone.count(word) > 0;
      const auto first =
          closest ? firstClosest : (near ? firstNear : (standalone ? firstStandalone : eachWord));
      fsg_model_trans_add(fsg, fsg->start_state, done, wordEntry + first, wid);
      const auto later =
          closest ? laterClosest : (near ? laterNear : (menu ? laterMenu : eachWord));
      fsg_model_trans_add(fsg, wordLoop, done, later, wid);
      if (everyday) {
        fsg_model_trans_add(fsg, afterEveryday, everydayDone, laterEveryday, wid);
      }
    }
    fsg_model_null_trans_add(fsg, wordDone, wordLoop, 0);
    if (inARow) {
      fsg_model_null_trans_add(fsg, everydayDone, wordLoop, 0);
      fsg_model_null_trans_add(fsg, everydayDone, afterEveryday, 0);
      fsg_model_null_trans_add(fsg, everydayDone, fsg->final_state, 0);
    }
    // Only after a word: a prefix exit that ended at once would make every beginning of a
    // command ("back" of "Back Tab") a cheap way to say nothing at all.
    fsg_model_null_trans_add(fsg, wordDone, fsg->final_state, 0);
    const auto scaled = [&](double p) -> std::optional<std::int32_t> {
      if (p <= 0) {
        return std::nullopt;
      }
      return cost(p);
    };
    AddLoopExits(fsg, n, wordLoop, scaled(garbage.prefixWeight), scaled(garbage.suffixWeight),
                 listEnds);
  }
  return fsg;
}

}  // namespace varnel::listen
