// Dictionary words that sound like a command's words: one phone edit away, rhymes and longer
// words that hold a command word whole. Looped beside the commands, such a word has a path of
// its own, so "Parnell" or "tap three" need not end on the nearest command.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "listen/lexicon.h"

namespace varnel::listen {

struct NeighbourRule {
  // Phone substitutions, insertions and deletions a neighbour may differ by; 0: none.
  int edits = 2;
  // Words with the same phones from the first vowel on as a command word of two syllables or
  // more ("Darnell" for "Varnel").
  bool rhymes = true;
  // Words that are a command word with at most this many phones more before or after it
  // ("homework" for "home"); 0: none.
  int compoundPhones = 3;
  // Command words shorter than this have no neighbours: a phone or two away from "it", "tab"
  // or "ten" lies half the language.
  int minPhones = 4;
  // Most neighbours kept for each command word, frequent words first; 0: all.
  std::size_t perWord = 30;
  // Neighbours by edits have at most this many phones fewer than the command word: a
  // shorter one, with another word of the loop beside it, covers the command's own sounds
  // ("will" within "twelve") and takes the command itself.
  int fewerPhones = 0;
  // Whether the items of a list a command holds beside words of its own ("twelve" of "Tab
  // 12") have neighbours too.
  bool parameters = false;
  // Whether a word that differs from a command word in its vowels alone may be a neighbour by
  // edits ("console" for "cancel"); by default not, since another accent says the command so.
  bool vowelChanges = false;
};

// The neighbours of `commandWords` in `lexicon`, each once, in the order of the command words.
// A command word's neighbours are ranked by their place in `frequent` (most frequent first;
// words not there after it), then by nearness (fewer edits, then rhymes, then compounds), then
// in the dictionary's order. Command words themselves, words that sound like one of them
// exactly, like one of them and one phone more ("deletes") or, unless the rule allows shorter
// neighbours, with one phone fewer ("elite"), and words that are not plain lower-case words
// are never neighbours. `closest`, when given, receives those of them kept as a neighbour one
// phone edit from a command word ("parnell" for "varnel"), in the same order: only that phone
// tells such a word from the command, so it needs less of a handicap in the loop.
std::vector<std::string> PhoneticNeighbours(const std::vector<std::string>& commandWords,
                                            const Lexicon& lexicon, const NeighbourRule& rule,
                                            const std::vector<std::string>& frequent,
                                            std::vector<std::string>* closest = nullptr);

// Whether PhoneticNeighbours of some command words and `added` after them is `found`, their
// result without `added`, as it is: the added words are too short to have neighbours of their
// own, and none of `found` is one of them or sounds just like one. Going to sleep adds the
// wake phrase's words, and needs no new scan then.
bool AddedLeaveNeighbours(const std::vector<std::string>& added,
                          const std::vector<std::string>& found, const Lexicon& lexicon,
                          const NeighbourRule& rule);

}  // namespace varnel::listen
