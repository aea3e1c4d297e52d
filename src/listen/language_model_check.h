// A second reading of a command the grammar heard, by the en-us language model and its full
// dictionary: speech that only sounds like a command is read as the everyday words it holds.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "listen/agreement.h"
#include "listen/heard.h"
#include "listen/lexicon.h"
#include "listen/settings.h"

struct ps_decoder_s;

namespace varnel::listen {

class LanguageModelCheck {
 public:
  explicit LanguageModelCheck(const Settings& settings) : settings_(settings) {}
  ~LanguageModelCheck();
  LanguageModelCheck(const LanguageModelCheck&) = delete;
  LanguageModelCheck& operator=(const LanguageModelCheck&) = delete;

  // Loads the language model; false with `error` set when it cannot.
  bool Open(std::string& error);
  // Reads `audio` (the utterance as the grammar's decoding had it) and compares its words with
  // those of the command in `heard`; fills `heard`'s verification fields.
  void Check(Heard& heard, const std::vector<std::int16_t>& audio, const Lexicon& lexicon);

 private:
  // The hypothesis's words with their first pronunciation; `vocabulary`: tell which of them
  // the language model knows.
  std::vector<SaidWord> Said(const std::string& hypothesis, const Lexicon& lexicon,
                             bool vocabulary) const;

  const Settings& settings_;
  ps_decoder_s* decoder_ = nullptr;
  std::set<std::string> everyday_;
};

}  // namespace varnel::listen
