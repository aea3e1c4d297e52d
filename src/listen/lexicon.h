// Pronunciation dictionaries kept as their text and a sorted index, so that the decoder is
// given only the words in use: the whole en-us dictionary inside the decoder takes about
// 20 MB, its text and index here under 4 MB.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace varnel::listen {

class Lexicon {
 public:
  // Adds a file of "word PHONE..." lines: alternates as "word(2)", '#' starts a comment.
  // False with `error` set when it cannot be read or a line has a word without phones.
  // `words`, when given, receives the words the file holds.
  bool Load(const std::string& path, std::string& error, std::vector<std::string>* words = nullptr);
  // The word's distinct pronunciations ("T AE B"), those of earlier files first and each
  // file's in its own order; empty when no file has the word.
  std::vector<std::string> Pronunciations(std::string_view word) const;
  // Every entry in the words' order (a word's alternates together): the word without its
  // alternate mark and its phones, single-spaced.
  void ForEach(
      const std::function<void(std::string_view word, const std::string& phones)>& visit) const;

 private:
  std::string_view WordAt(std::uint32_t offset) const;

  std::string text_;                    // every file, one after another
  std::vector<std::uint32_t> entries_;  // line starts, sorted by word, stable within a word
};

// Phones of a pronunciation: "T AE B" has three.
int CountPhones(std::string_view phones);

// The words of a decoder's hypothesis as they were said: alternates ("tab(2)") as the word,
// fillers ("<sil>", "[NOISE]", "++UH++") left out.
std::vector<std::string> HypothesisWords(std::string_view hypothesis);

}  // namespace varnel::listen
