#include "listen/neighbours.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <tuple>

namespace varnel::listen {
namespace {

// A pronunciation with one character a phone, so that comparing two is comparing strings.
using Phones = std::string;

constexpr std::size_t kLongestWord = 32;  // phones; longer entries are no one's neighbours

bool IsVowel(char phone) {
  return phone >= 'a' && phone <= 'z';
}

// Vowels become lower-case letters, every other phone something else: the rhyme starts at
// the first lower-case letter.
Phones Encode(const std::string& phones, std::map<std::string, char, std::less<>>& codes) {
  static const std::set<std::string, std::less<>> kVowels = {
      "AA", "AE", "AH", "AO", "AW", "AY", "EH", "ER", "EY", "IH", "IY", "OW", "OY", "UH", "UW"};
  Phones out;
  std::size_t i = 0;
  while (i < phones.size()) {
    const std::size_t end = std::min(phones.find(' ', i), phones.size());
    const std::string_view phone(phones.data() + i, end - i);
    auto it = codes.find(phone);
    if (it == codes.end()) {
      const bool vowel = kVowels.count(phone) > 0;
      const auto vowels = static_cast<char>(std::count_if(
          codes.begin(), codes.end(), [](const auto& c) { return IsVowel(c.second); }));
      const auto others = static_cast<char>(codes.size() - static_cast<std::size_t>(vowels));
      it = codes
               .emplace(std::string(phone),
                        vowel ? static_cast<char>('a' + vowels) : static_cast<char>('A' + others))
               .first;
    }
    out.push_back(it->second);
    i = end + 1;
  }
  return out;
}

// Letters and inner apostrophes: the dictionary also holds "c2", "a." and "close-up".
bool IsPlain(std::string_view word) {
  return !word.empty() && word.front() != '\'' && std::all_of(word.begin(), word.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || c == '\'';
  });
}

// Whether `a` and `b` differ by one substitution, insertion or deletion at most: the rule's
// usual case, checked without a table, since every word of the dictionary is checked.
bool WithinOneEdit(std::string_view a, std::string_view b) {
  if (a.size() < b.size()) {
    std::swap(a, b);
  }
  if (a.size() - b.size() > 1) {
    return false;
  }
  const auto differ = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  if (differ.first == a.end()) {
    return true;
  }
  const auto at = static_cast<std::size_t>(differ.first - a.begin());
  // The rest must match once the longer one's phone is dropped, or both are.
  return a.substr(at + 1) == b.substr(at + (a.size() == b.size() ? 1 : 0));
}

// Whether `a` and `b` are as long and differ in vowels alone.
bool VowelsAloneDiffer(std::string_view a, std::string_view b) {
  if (a.size() != b.size() || a == b) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && !(IsVowel(a[i]) && IsVowel(b[i]))) {
      return false;
    }
  }
  return true;
}

// Whether `a` and `b` are at most `most` substitutions, insertions and deletions apart.
bool WithinEdits(const Phones& a, const Phones& b, int most) {
  const auto limit = static_cast<std::size_t>(most);
  if (std::max(a.size(), b.size()) - std::min(a.size(), b.size()) > limit ||
      b.size() >= kLongestWord) {
    return false;
  }
  if (limit <= 1) {
    return WithinOneEdit(a, b);
  }
  std::array<std::size_t, kLongestWord> prev;  // every cell read is written first
  std::array<std::size_t, kLongestWord> cur;
  for (std::size_t j = 0; j <= b.size(); ++j) {
    prev[j] = j;
  }
  // Only a band along the diagonal can stay within the limit; the cells beyond it count as
  // over.
  const std::size_t over = limit + 1;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    const std::size_t first = i > limit ? i - limit : 1;
    const std::size_t last = std::min(b.size(), i + limit);
    cur[first - 1] = first == 1 ? i : over;
    std::size_t best = cur[first - 1];
    for (std::size_t j = first; j <= last; ++j) {
      const std::size_t substitute = prev[j - 1] + static_cast<std::size_t>(a[i - 1] != b[j - 1]);
      cur[j] = std::min({prev[j] + 1, cur[j - 1] + 1, substitute});
      best = std::min(best, cur[j]);
    }
    if (last < b.size()) {
      cur[last + 1] = over;  // above the next row's last cell
    }
    if (best > limit) {
      return false;  // every path is already too dear
    }
    std::swap(prev, cur);
  }
  return prev[b.size()] <= limit;
}

// The phones from the first vowel on; empty for a word with fewer than two vowels.
std::string_view RhymeOf(const Phones& phones) {
  const auto first = std::find_if(phones.begin(), phones.end(), IsVowel);
  if (std::count_if(first, phones.end(), IsVowel) < 2) {
    return {};
  }
  return std::string_view(phones).substr(static_cast<std::size_t>(first - phones.begin()));
}

// The phones a pronunciation holds, one bit each. Codes that share a bit only make the
// bound below weaker, never wrong.
using PhoneSet = std::uint64_t;
constexpr std::size_t kPhoneSetBits = 64;

PhoneSet PhoneSetOf(const Phones& phones) {
  PhoneSet set = 0;
  for (const char phone : phones) {
    set |= PhoneSet{1} << (static_cast<unsigned char>(phone) % kPhoneSetBits);
  }
  return set;
}

// A pronunciation with its rhyme and its set of phones, worked out once.
struct Sound {
  Phones phones;
  std::size_t rhymeAt = 0;  // where its rhyme starts; the size when it has none
  PhoneSet phoneSet = 0;
  std::string_view Rhyme() const { return std::string_view(phones).substr(rhymeAt); }
};

Sound MakeSound(const std::string& phones, std::map<std::string, char, std::less<>>& codes) {
  Sound s{Encode(phones, codes), 0, 0};
  s.rhymeAt = s.phones.size() - RhymeOf(s.phones).size();
  s.phoneSet = PhoneSetOf(s.phones);
  return s;
}

// Whether `set` holds more than `most` phones; a few steps for the small bounds in use.
bool MoreThan(PhoneSet set, int most) {
  for (int i = 0; i < most && set != 0; ++i) {
    set &= set - 1;  // drops one phone
  }
  return set != 0;
}

// Whether `a` and `b` are surely more than `most` edits apart: each phone one of them has and
// the other lacks takes an edit of its own. Cheap enough to spare most words the edit table.
bool SurelyBeyond(const Sound& a, const Sound& b, int most) {
  return MoreThan(a.phoneSet & ~b.phoneSet, most) || MoreThan(b.phoneSet & ~a.phoneSet, most);
}

// How near `candidate` sounds to `own`, nearest first: a word one edit away before one two
// edits away, both before a rhyme, a rhyme before a compound.
enum class Kind { kEdit, kRhyme, kCompound };
struct Nearness {
  Kind kind = Kind::kEdit;
  int edits = 0;  // for kEdit
  bool operator<(const Nearness& other) const {
    return std::tie(kind, edits) < std::tie(other.kind, other.edits);
  }
};

// Whether `other` is `own` with one phone dropped, and too short for its neighbour: as
// another command word's neighbour it would still take this command ("elite", two edits from
// "sleep", takes "delete").
bool TakesCommandWord(const Sound& own, const Sound& other, const NeighbourRule& rule) {
  return other.phones.size() + 1 == own.phones.size() && rule.fewerPhones < 1 &&
         WithinOneEdit(own.phones, other.phones);
}

// nullopt when `other` is no neighbour of `own`.
std::optional<Nearness> NearnessOf(const Sound& own, const Sound& other,
                                   const NeighbourRule& rule) {
  const Phones& word = own.phones;
  const Phones& candidate = other.phones;
  // The command word and one phone more ("deletes", "menus"): a breath or the room after the
  // command supplies that phone, and the loop would take the command itself.
  if (candidate.size() == word.size() + 1 && candidate.compare(0, word.size(), word) == 0) {
    return std::nullopt;
  }
  if (rule.edits > 0 &&
      candidate.size() + static_cast<std::size_t>(std::max(rule.fewerPhones, 0)) >= word.size() &&
      !SurelyBeyond(own, other, rule.edits) && WithinEdits(word, candidate, rule.edits) &&
      (rule.vowelChanges || !VowelsAloneDiffer(word, candidate))) {
    int edits = 1;
    while (edits < rule.edits && !WithinEdits(word, candidate, edits)) {
      ++edits;
    }
    return Nearness{Kind::kEdit, edits};
  }
  if (rule.rhymes && own.rhymeAt < own.phones.size() && own.Rhyme() == other.Rhyme()) {
    return Nearness{Kind::kRhyme};
  }
  const auto extra = static_cast<std::size_t>(std::max(rule.compoundPhones, 0));
  if (candidate.size() > word.size() && candidate.size() - word.size() <= extra &&
      (candidate.compare(0, word.size(), word) == 0 ||
       candidate.compare(candidate.size() - word.size(), word.size(), word) == 0)) {
    return Nearness{Kind::kCompound};
  }
  return std::nullopt;
}

}  // namespace

std::vector<std::string> PhoneticNeighbours(const std::vector<std::string>& commandWords,
                                            const Lexicon& lexicon, const NeighbourRule& rule,
                                            const std::vector<std::string>& frequent,
                                            std::vector<std::string>* closest) {
  std::map<std::string, char, std::less<>> codes;
  std::vector<std::string> words;  // each command word once
  std::vector<std::vector<Sound>> prons;
  std::set<Phones> commandSounds;
  for (const auto& word : commandWords) {
    if (std::find(words.begin(), words.end(), word) != words.end()) {
      continue;
    }
    words.push_back(word);
    auto& own = prons.emplace_back();
    for (const auto& pron : lexicon.Pronunciations(word)) {
      own.push_back(MakeSound(pron, codes));
      commandSounds.insert(own.back().phones);
    }
  }
  const std::set<std::string> isCommand(words.begin(), words.end());
  std::map<std::string, std::size_t, std::less<>> rank;
  for (std::size_t i = 0; i < frequent.size(); ++i) {
    rank.emplace(frequent[i], i);
  }

  // A candidate for one command word: rank, nearness, dictionary order and the word.
  using Candidate = std::tuple<std::size_t, Nearness, std::size_t, std::string>;
  std::vector<std::vector<Candidate>> found(words.size());
  std::string current;  // the word whose entries are being read
  std::vector<Sound> currentProns;
  std::size_t order = 0;
  std::vector<std::optional<Nearness>> nearest(words.size());  // the word being weighed's
  const auto weigh = [&] {
    if (current.empty() || isCommand.count(current) > 0 ||
        std::any_of(currentProns.begin(), currentProns.end(),
                    [&](const Sound& s) { return commandSounds.count(s.phones) > 0; })) {
      return;  // a command word, or one that sounds just like one
    }
    std::fill(nearest.begin(), nearest.end(), std::nullopt);
    for (std::size_t w = 0; w < words.size(); ++w) {
      for (const auto& own : prons[w]) {
        const bool mayHaveNeighbours =
            own.phones.size() >= static_cast<std::size_t>(std::max(rule.minPhones, 0));
        for (const auto& candidate : currentProns) {
          if (TakesCommandWord(own, candidate, rule)) {
            return;  // too near this command word for its neighbour, so no other's either
          }
          const auto near = mayHaveNeighbours ? NearnessOf(own, candidate, rule) : std::nullopt;
          if (near && (!nearest[w] || *near < *nearest[w])) {
            nearest[w] = near;
          }
        }
      }
    }
    const auto at = rank.find(current);
    const std::size_t place =
        at == rank.end() ? std::numeric_limits<std::size_t>::max() : at->second;
    for (std::size_t w = 0; w < words.size(); ++w) {
      if (nearest[w]) {
        found[w].emplace_back(place, *nearest[w], order, current);
      }
    }
  };
  lexicon.ForEach([&](std::string_view word, const std::string& phones) {
    if (word != current) {
      weigh();
      current = IsPlain(word) ? std::string(word) : std::string();
      currentProns.clear();
      ++order;
    }
    if (!current.empty()) {
      currentProns.push_back(MakeSound(phones, codes));
    }
  });
  weigh();

  std::vector<std::string> out;
  std::set<std::string> have;
  std::set<std::string> oneEdit;
  for (auto& candidates : found) {
    std::sort(candidates.begin(), candidates.end());
    if (rule.perWord > 0 && candidates.size() > rule.perWord) {
      candidates.resize(rule.perWord);
    }
    for (auto& candidate : candidates) {
      const Nearness& near = std::get<1>(candidate);
      if (near.kind == Kind::kEdit && near.edits == 1) {
        oneEdit.insert(std::get<3>(candidate));
      }
      if (have.insert(std::get<3>(candidate)).second) {
        out.push_back(std::move(std::get<3>(candidate)));
      }
    }
  }
  if (closest != nullptr) {
    closest->clear();
    std::copy_if(out.begin(), out.end(), std::back_inserter(*closest),
                 [&](const std::string& word) { return oneEdit.count(word) > 0; });
  }
  return out;
}

bool AddedLeaveNeighbours(const std::vector<std::string>& added,
                          const std::vector<std::string>& found, const Lexicon& lexicon,
                          const NeighbourRule& rule) {
  std::set<std::string> sounds;
  for (const auto& word : added) {
    for (auto& pron : lexicon.Pronunciations(word)) {
      // Single-spaced phones: one more than the spaces.
      const auto phones = std::count(pron.begin(), pron.end(), ' ') + 1;
      if (phones >= rule.minPhones) {
        return false;  // it may have neighbours of its own
      }
      sounds.insert(std::move(pron));
    }
  }
  // Only a word that was kept can be taken away: one beyond a command word's cap is no
  // neighbour either way, and the others keep their places.
  return std::none_of(found.begin(), found.end(), [&](const std::string& word) {
    const auto prons = lexicon.Pronunciations(word);
    return std::find(added.begin(), added.end(), word) != added.end() ||
           std::any_of(prons.begin(), prons.end(),
                       [&](const std::string& pron) { return sounds.count(pron) > 0; });
  });
}

}  // namespace varnel::listen
