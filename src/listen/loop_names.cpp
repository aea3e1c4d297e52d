#include "listen/loop_names.h"

#include "listen/grammar.h"

#include <algorithm>

namespace varnel::listen {

std::vector<std::string> LoopNames(const std::vector<std::string>& menuWords,
                                   const LoopCandidates& candidates, const Lexicon& lexicon) {
  std::vector<std::string> loop = candidates.everyday;
  std::set<std::string> have(loop.begin(), loop.end());
  if (candidates.menuWords) {
    for (const auto& word : menuWords) {
      const std::string name = OtherWord(word);
      if (candidates.named.count(name) > 0 && have.insert(name).second) {
        loop.push_back(name);
      }
    }
  }
  if (candidates.neighbours.empty()) {
    return loop;
  }
  std::set<std::string> sounds;
  for (const auto& word : menuWords) {
    for (auto& pron : lexicon.Pronunciations(word)) {
      sounds.insert(std::move(pron));
    }
  }
  const auto soundsLikeCommand = [&](const std::string& word) {
    if (std::find(menuWords.begin(), menuWords.end(), word) != menuWords.end()) {
      return true;
    }
    const auto prons = lexicon.Pronunciations(word);
    return std::any_of(prons.begin(), prons.end(),
                       [&](const std::string& pron) { return sounds.count(pron) > 0; });
  };
  for (const auto& word : candidates.neighbours) {
    const std::string name = OtherWord(word);
    if (have.count(name) == 0 && !soundsLikeCommand(word)) {
      have.insert(name);
      loop.push_back(name);
    }
  }
  return loop;
}

}  // namespace varnel::listen
