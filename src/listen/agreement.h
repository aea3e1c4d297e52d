// Whether a second, large-vocabulary reading of an utterance agrees with the command the
// grammar heard in it: speech that merely sounds like a command ("close the door") is read by
// a language model as the everyday words it holds.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace varnel::listen {

struct SaidWord {
  std::string word;
  std::string phones;        // "T AE B"
  bool inVocabulary = true;  // the language model knows the word (a command word only)
};

struct Agreement {
  bool agrees = false;
  double distance = 1;  // phone edits per phone of the command
  std::string why;      // why it does not agree; "" when it does
};

// Edits (insert, delete, substitute) turning one phone string into the other.
int PhoneEdits(const std::string& from, const std::string& to);

// `command`: the command's words as the grammar heard them; `heard`: the language model's
// words, fillers left out. They agree when the numbers are the same, no everyday word was
// heard in place of a command word, and the phones are at most `maxDistance` edits a phone
// apart.
Agreement Agree(const std::vector<SaidWord>& command, const std::vector<SaidWord>& heard,
                double maxDistance, const std::function<bool(const std::string&)>& everyday);

}  // namespace varnel::listen
