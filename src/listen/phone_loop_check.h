// A command the grammar heard laid again on the same frames, once forced onto its words and
// once as a loop of free phones: speech that only sounds like a command fits the free phones
// clearly better than the command's words, and a command said fits about as well.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "listen/heard.h"
#include "listen/lexicon.h"
#include "listen/phone_fit.h"
#include "listen/settings.h"

struct ps_decoder_s;

namespace varnel::listen {

class PhoneLoopCheck {
 public:
  explicit PhoneLoopCheck(const Settings& settings) : settings_(settings) {}
  ~PhoneLoopCheck();
  PhoneLoopCheck(const PhoneLoopCheck&) = delete;
  PhoneLoopCheck& operator=(const PhoneLoopCheck&) = delete;

  // Loads the decoder that scores every senone; false with `error` set when it cannot.
  bool Open(std::string& error);
  // The utterance is `audio`, or, when `frames` > 0, those rows of cepstra (with the noise
  // taken out): the frames the grammar's decoding had. Judges each of the command's words in
  // `heard` against the phones and fills `heard`'s fit fields.
  void Check(Heard& heard, const std::vector<std::int16_t>& audio, float** cepstra, int frames,
             const Lexicon& lexicon);

 private:
  // One decoding with the search `name`: its words or phones; false when it failed.
  bool Decode(const char* name, const std::vector<std::int16_t>& audio, float** cepstra, int frames,
              std::vector<Span>& spans);

  const Settings& settings_;
  ps_decoder_s* decoder_ = nullptr;
};

}  // namespace varnel::listen
