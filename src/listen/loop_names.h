// Which words the loop beside a menu's commands holds, under their dictionary names.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "listen/lexicon.h"

namespace varnel::listen {

// Held by reference: the recogniser's own lists, read while it builds a search.
struct LoopCandidates {
  const std::vector<std::string>& everyday;  // names of the everyday words, always in the loop
  bool menuWords;                      // the menu's own words join too, where they have a name
  const std::set<std::string>& named;  // every name the decoder's dictionary has for the loop
  const std::vector<std::string>& neighbours;  // words that sound close to command words
};

// The loop's names for a menu of `menuWords`: the everyday words, the menu's words, then the
// neighbours, each name once. No neighbour may be one of the menu's words or sound just like
// one: those found for earlier menus stand in while this one's are looked for, and a number
// said after a command's words has no neighbours of its own but is a word of it all the same.
std::vector<std::string> LoopNames(const std::vector<std::string>& menuWords,
                                   const LoopCandidates& candidates, const Lexicon& lexicon);

}  // namespace varnel::listen
