#include "listen/grammar.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <sstream>

#include "common/listen_protocol.h"

namespace varnel::listen {
namespace {

constexpr std::size_t kMaxWordLength = 40;

bool IsDigits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Letters and inner apostrophes only: anything else could break out of a grammar token.
bool IsPlainWord(const std::string& s) {
  if (s.empty() || s.size() > kMaxWordLength || s.front() == '\'') {
    return false;
  }
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return (c >= 'a' && c <= 'z') || c == '\''; });
}

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return s;
}

std::vector<std::string> SplitWords(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string w;
  while (in >> w) {
    out.push_back(w);
  }
  return out;
}

}  // namespace

std::string NumberWords(int n) {
  static const char* const kOnes[] = {"zero",    "one",     "two",       "three",    "four",
                                      "five",    "six",     "seven",     "eight",    "nine",
                                      "ten",     "eleven",  "twelve",    "thirteen", "fourteen",
                                      "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"};
  static const char* const kTens[] = {"",      "",      "twenty",  "thirty", "forty",
                                      "fifty", "sixty", "seventy", "eighty", "ninety"};
  if (n < 0 || n > 9999) {
    return "";
  }
  if (n < 20) {
    return kOnes[n];
  }
  if (n < 100) {
    return std::string(kTens[n / 10]) + (n % 10 ? std::string(" ") + kOnes[n % 10] : "");
  }
  if (n < 1000) {
    return std::string(kOnes[n / 100]) + " hundred" + (n % 100 ? " " + NumberWords(n % 100) : "");
  }
  return NumberWords(n / 1000) + " thousand" + (n % 1000 ? " " + NumberWords(n % 1000) : "");
}

std::optional<std::vector<std::string>> SpokenWords(const std::string& text) {
  std::vector<std::string> out;
  for (const auto& raw : SplitWords(text)) {
    const std::string w = Lower(raw);
    if (IsDigits(w)) {
      if (w.size() > 4) {
        return std::nullopt;
      }
      for (auto& nw : SplitWords(NumberWords(std::stoi(w)))) {
        out.push_back(nw);
      }
    } else if (IsPlainWord(w)) {
      out.push_back(w);
    } else {
      return std::nullopt;
    }
  }
  if (out.empty()) {
    return std::nullopt;
  }
  return out;
}

ParsedSpoken ParseSpoken(const std::string& spoken) {
  ParsedSpoken r;
  std::string literal;
  auto flush = [&]() -> bool {
    if (SplitWords(literal).empty()) {
      literal.clear();
      return true;
    }
    auto words = SpokenWords(literal);
    literal.clear();
    if (!words) {
      return false;
    }
    r.parts.push_back({*words, ""});
    return true;
  };
  auto fail = [&](std::int32_t n, std::string text) {
    r.parts.clear();
    r.errorNumber = n;
    r.error = std::move(text);
    return r;
  };
  for (std::size_t i = 0; i < spoken.size(); ++i) {
    if (spoken[i] == '<') {
      const auto close = spoken.find('>', i);
      if (close == std::string::npos) {
        return fail(kErrBadText, "unclosed list placeholder");
      }
      if (!flush()) {
        return fail(kErrBadText, "spoken form has characters that cannot be spoken");
      }
      const std::string name = spoken.substr(i + 1, close - i - 1);
      if (name.empty() || name.find('<') != std::string::npos) {
        return fail(kErrBadText, "malformed list placeholder");
      }
      r.parts.push_back({{}, name});
      i = close;
    } else if (spoken[i] == '>') {
      return fail(kErrBadText, "unexpected '>' in spoken form");
    } else {
      literal.push_back(spoken[i]);
    }
  }
  if (!flush()) {
    return fail(kErrBadText, "spoken form has characters that cannot be spoken");
  }
  if (r.parts.empty()) {
    return fail(kErrBadText, "empty spoken form");
  }
  return r;
}

std::optional<std::pair<std::int32_t, std::string>> CheckCommand(
    const std::string& spoken, const std::map<std::string, std::vector<std::string>>& lists,
    const PhoneLookup& lookup) {
  const ParsedSpoken parsed = ParseSpoken(spoken);
  if (!parsed.error.empty()) {
    return std::make_pair(parsed.errorNumber, parsed.error);
  }
  auto checkWords = [&](const std::vector<std::string>& words)
      -> std::optional<std::pair<std::int32_t, std::string>> {
    for (const auto& w : words) {
      if (lookup(w) <= 0) {
        return std::make_pair(std::int32_t{kErrUnknownWord},
                              "no pronunciation for the word \"" + w + "\"");
      }
    }
    return std::nullopt;
  };
  for (const auto& part : parsed.parts) {
    if (part.list.empty()) {
      if (auto e = checkWords(part.words)) {
        return e;
      }
      continue;
    }
    const auto it = lists.find(part.list);
    if (it == lists.end() || it->second.empty()) {
      return std::make_pair(std::int32_t{kErrUnknownList}, "no list named \"" + part.list + "\"");
    }
    for (const auto& item : it->second) {
      auto words = SpokenWords(item);
      if (!words) {
        return std::make_pair(std::int32_t{kErrBadText},
                              "list \"" + part.list + "\" has an item that cannot be spoken");
      }
      if (auto e = checkWords(*words)) {
        return e;
      }
    }
  }
  return std::nullopt;
}

const std::vector<std::string>& GarbagePhones() {
  static const std::vector<std::string> kPhones = {
      "AA", "AE", "AH", "AO", "AW", "AY", "B",  "CH", "D", "DH", "EH", "ER", "EY",
      "F",  "G",  "HH", "IH", "IY", "JH", "K",  "L",  "M", "N",  "NG", "OW", "OY",
      "P",  "R",  "S",  "SH", "T",  "TH", "UH", "UW", "V", "W",  "Y",  "Z",  "ZH"};
  return kPhones;
}

std::string GarbageWord(const std::string& phone) {
  return "ph_" + Lower(phone);
}

namespace {

// The items of a list as a tree of words: items that share leading words share its branches.
struct WordTree {
  bool ends = false;
  std::vector<std::pair<std::string, std::size_t>> children;  // word, node, in first-seen order
};

// `weight` prefixes the alternatives of this node, not those below it; "" for none.
std::string TreeAlternatives(const std::vector<WordTree>& nodes, std::size_t at,
                             const std::string& weight = "") {
  const WordTree& node = nodes[at];
  std::vector<std::string> alts;
  if (node.ends && !node.children.empty()) {
    alts.emplace_back("<NULL>");
  }
  for (const auto& [word, child] : node.children) {
    std::string alt = weight + word;
    if (!nodes[child].children.empty()) {
      const std::string rest = TreeAlternatives(nodes, child);
      const bool single = nodes[child].children.size() == 1 && !nodes[child].ends;
      alt += single ? " " + rest : " ( " + rest + " )";
    }
    alts.push_back(std::move(alt));
  }
  std::string out;
  for (const auto& alt : alts) {
    out += (out.empty() ? "" : " | ") + alt;
  }
  return out;
}

}  // namespace

std::string FactoredAlternatives(const std::vector<std::string>& alternatives,
                                 double firstWordWeight) {
  std::vector<WordTree> nodes(1);
  for (const auto& alternative : alternatives) {
    std::size_t at = 0;
    for (const auto& word : SplitWords(alternative)) {
      auto& children = nodes[at].children;
      const auto it = std::find_if(children.begin(), children.end(),
                                   [&](const auto& c) { return c.first == word; });
      if (it != children.end()) {
        at = it->second;
        continue;
      }
      const std::size_t next = nodes.size();
      nodes[at].children.emplace_back(word, next);
      nodes.emplace_back();
      at = next;
    }
    if (at != 0) {
      nodes[at].ends = true;
    }
  }
  std::string weight;
  if (firstWordWeight < 1) {
    char text[32];
    std::snprintf(text, sizeof text, "/%g/ ", firstWordWeight);
    weight = text;
  }
  return TreeAlternatives(nodes, 0, weight);
}

Grammar BuildGrammar(const std::vector<MenuSpec>& menus, const PhoneLookup& lookup,
                     double parameterWeight) {
  Grammar g;
  std::ostringstream rules;
  std::vector<std::string> commandRules;
  int listRule = 0;
  // Later menus first, so that the newest client wins a tie when mapping back.
  for (auto menu = menus.rbegin(); menu != menus.rend(); ++menu) {
    for (const auto& [id, spoken] : menu->commands) {
      if (CheckCommand(spoken, menu->lists, lookup)) {
        continue;
      }
      Grammar::Command cmd{menu->owner, id, spoken, {}};
      std::string body;
      int phones = 0;
      const auto parts = ParseSpoken(spoken).parts;
      // A list beside words of the command's own is what the command is said about.
      const bool saidAbout = std::any_of(parts.begin(), parts.end(),
                                         [](const PatternPart& p) { return p.list.empty(); });
      for (const auto& part : parts) {
        Grammar::Slot slot;
        if (part.list.empty()) {
          slot.words = part.words;
          for (const auto& w : part.words) {
            body += " " + w;
            phones += lookup(w);
          }
        } else {
          const std::string name = "l" + std::to_string(listRule++);
          std::vector<std::string> alternatives;
          int longest = 0;
          for (const auto& item : menu->lists.at(part.list)) {
            ListItem li{item, *SpokenWords(item)};
            if (!li.words.empty()) {
              g.listEnds_.insert(li.words.back());
            }
            std::string alt;
            int itemPhones = 0;
            for (const auto& w : li.words) {
              alt += (alt.empty() ? "" : " ") + w;
              itemPhones += lookup(w);
            }
            longest = std::max(longest, itemPhones);
            if (std::find(alternatives.begin(), alternatives.end(), alt) == alternatives.end()) {
              alternatives.push_back(alt);
            }
            slot.items.push_back(std::move(li));
          }
          phones += longest;
          rules << "<" << name
                << "> = " << FactoredAlternatives(alternatives, saidAbout ? parameterWeight : 1)
                << ";\n";
          body += " <" + name + ">";
        }
        cmd.slots.push_back(std::move(slot));
      }
      g.maxPhones_ = std::max(g.maxPhones_, phones);
      const std::string name = "c" + std::to_string(commandRules.size());
      rules << "<" << name << "> =" << body << ";\n";
      commandRules.push_back(name);
      g.commands_.push_back(std::move(cmd));
    }
  }
  if (g.commands_.empty()) {
    return g;
  }

  g.rules_ = rules.str();
  std::vector<std::size_t> all(g.commands_.size());
  std::iota(all.begin(), all.end(), 0);
  g.jsgf_ = g.JsgfOf(all);
  return g;
}

std::string Grammar::JsgfOf(const std::vector<std::size_t>& commands) const {
  if (commands.empty()) {
    return "";
  }
  std::ostringstream out;
  out << "#JSGF V1.0;\ngrammar varnel;\n";
  out << "public <command> = ";
  for (std::size_t i = 0; i < commands.size(); ++i) {
    out << (i ? " | " : "") << "<c" << commands[i] << ">";
  }
  out << ";\n" << rules_;
  return out.str();
}

std::string Grammar::JsgfWithout(std::uint64_t owner, std::int32_t id) const {
  std::vector<std::size_t> others;
  for (std::size_t i = 0; i < commands_.size(); ++i) {
    if (commands_[i].owner != owner || commands_[i].id != id) {
      others.push_back(i);
    }
  }
  return JsgfOf(others);
}

bool Grammar::MatchFrom(const std::vector<Slot>& slots, std::size_t slot,
                        const std::vector<std::string>& words, std::size_t at,
                        std::vector<std::string>& results, std::vector<bool>& failed) {
  if (slot == slots.size()) {
    return at == words.size();
  }
  // Whether the rest of the slots fit the rest of the words does not depend on how the
  // words before were split: each such failure is tried once, not once per split.
  const std::size_t key = slot * (words.size() + 1) + at;
  if (failed[key]) {
    return false;
  }
  auto fits = [&](const std::vector<std::string>& seq) {
    return seq.size() <= words.size() - at &&
           std::equal(seq.begin(), seq.end(), words.begin() + at);
  };
  const Slot& s = slots[slot];
  if (s.items.empty()) {
    if (fits(s.words) && MatchFrom(slots, slot + 1, words, at + s.words.size(), results, failed)) {
      return true;
    }
    failed[key] = true;
    return false;
  }
  for (const auto& item : s.items) {
    if (!fits(item.words)) {
      continue;
    }
    results.push_back(item.text);
    if (MatchFrom(slots, slot + 1, words, at + item.words.size(), results, failed)) {
      return true;
    }
    results.pop_back();
  }
  failed[key] = true;
  return false;
}

std::vector<std::string> Grammar::Words(bool withParameters) const {
  std::vector<std::string> words;
  std::set<std::string> have;
  const auto add = [&](const std::vector<std::string>& some) {
    for (const auto& w : some) {
      if (have.insert(w).second) {
        words.push_back(w);
      }
    }
  };
  for (const auto& cmd : commands_) {
    // A list beside words of the command's own is what the command is said about ("12" of
    // "Tab 12"); a list alone is the command's own ways of being said ("Find It").
    const bool parameters = std::any_of(cmd.slots.begin(), cmd.slots.end(),
                                        [](const Slot& slot) { return slot.items.empty(); });
    for (const auto& slot : cmd.slots) {
      add(slot.words);
      if (withParameters || !parameters) {
        for (const auto& item : slot.items) {
          add(item.words);
        }
      }
    }
  }
  return words;
}

std::optional<Match> Grammar::Map(const std::string& hypothesis) const {
  std::vector<std::string> words;
  for (auto& w : SplitWords(hypothesis)) {
    // Alternative pronunciations come back as "word(2)".
    if (const auto paren = w.find('('); paren != std::string::npos && paren > 0) {
      w.resize(paren);
    }
    if (w.rfind("ph_", 0) == 0 || w.rfind("ow_", 0) == 0) {
      return std::nullopt;
    }
    words.push_back(std::move(w));
  }
  if (words.empty()) {
    return std::nullopt;
  }
  for (const auto& cmd : commands_) {
    std::vector<std::string> results;
    std::vector<bool> failed(cmd.slots.size() * (words.size() + 1), false);
    if (MatchFrom(cmd.slots, 0, words, 0, results, failed)) {
      return Match{cmd.owner, cmd.id, cmd.spoken, std::move(results)};
    }
  }
  return std::nullopt;
}

namespace {

// The states from which the command can end, through null transitions only.
std::vector<bool> CanEnd(std::size_t n, int final, const std::vector<GraphArc>& arcs) {
  const auto inside = [&](int state) { return state >= 0 && static_cast<std::size_t>(state) < n; };
  std::vector<bool> canEnd(n, false);
  if (inside(final)) {
    canEnd[static_cast<std::size_t>(final)] = true;
  }
  // Null transitions may chain; at most `n` rounds.
  for (bool changed = true; changed;) {
    changed = false;
    for (const auto& arc : arcs) {
      if (arc.word.empty() && inside(arc.from) && inside(arc.to) &&
          canEnd[static_cast<std::size_t>(arc.to)] && !canEnd[static_cast<std::size_t>(arc.from)]) {
        canEnd[static_cast<std::size_t>(arc.from)] = true;
        changed = true;
      }
    }
  }
  return canEnd;
}

}  // namespace

std::vector<bool> PrefixExits(int states, int start, int final, const std::vector<GraphArc>& arcs) {
  const auto n = static_cast<std::size_t>(std::max(states, 0));
  std::vector<bool> afterWord(n, false);
  for (const auto& arc : arcs) {
    if (!arc.word.empty() && arc.to >= 0 && static_cast<std::size_t>(arc.to) < n) {
      afterWord[static_cast<std::size_t>(arc.to)] = true;
    }
  }
  const auto canEnd = CanEnd(n, final, arcs);
  std::vector<bool> exits(n, false);
  for (std::size_t i = 0; i < n; ++i) {
    exits[i] = afterWord[i] && !canEnd[i] && static_cast<int>(i) != start;
  }
  return exits;
}

std::vector<std::size_t> SuffixExits(int states, int final, const std::vector<GraphArc>& arcs,
                                     const std::set<std::string>& listEnds) {
  const auto n = static_cast<std::size_t>(std::max(states, 0));
  const auto canEnd = CanEnd(n, final, arcs);
  std::vector<std::size_t> exits;
  for (std::size_t k = 0; k < arcs.size(); ++k) {
    const auto& arc = arcs[k];
    if (!arc.word.empty() && arc.to >= 0 && static_cast<std::size_t>(arc.to) < n &&
        canEnd[static_cast<std::size_t>(arc.to)] && listEnds.count(arc.word) == 0) {
      exits.push_back(k);
    }
  }
  return exits;
}

}  // namespace varnel::listen
