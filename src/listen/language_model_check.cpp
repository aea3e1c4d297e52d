#include "listen/language_model_check.h"

#include "listen/decoder_setup.h"
#include "listen/grammar.h"

#include <pocketsphinx.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <utility>

namespace varnel::listen {
namespace {

// A word the language model reads is everyday speech when it is among this many of the most
// frequent.
constexpr std::size_t kEverydayWords = 3000;

}  // namespace

LanguageModelCheck::~LanguageModelCheck() {
  if (decoder_ != nullptr) {
    ps_free(decoder_);
  }
}

bool LanguageModelCheck::Open(std::string& error) {
  std::vector<const char*> argv = {"varnel-listen",
                                   "-hmm",
                                   settings_.model.c_str(),
                                   "-lm",
                                   settings_.languageModel.c_str(),
                                   "-dict",
                                   settings_.dict.c_str(),
                                   "-remove_silence",
                                   "no",
                                   "-remove_noise",
                                   "no",
                                   "-dither",
                                   "no"};
  decoder_ = MakeDecoder(std::move(argv), settings_.verbose, settings_.languageModel, error);
  if (decoder_ == nullptr) {
    return false;
  }
  const auto& common = CommonWords();
  everyday_.insert(common.begin(), common.begin() + static_cast<std::ptrdiff_t>(
                                                        std::min(kEverydayWords, common.size())));
  return true;
}

std::vector<SaidWord> LanguageModelCheck::Said(const std::string& hypothesis,
                                               const Lexicon& lexicon, bool vocabulary) const {
  std::vector<SaidWord> words;
  for (auto& word : HypothesisWords(hypothesis)) {
    const auto prons = lexicon.Pronunciations(word);
    SaidWord said{std::move(word), prons.empty() ? "" : prons.front(), true};
    if (vocabulary) {
      char* known = ps_lookup_word(decoder_, said.word.c_str());
      said.inVocabulary = known != nullptr;
      std::free(known);
    }
    words.push_back(std::move(said));
  }
  return words;
}

void LanguageModelCheck::Check(Heard& heard, const std::vector<std::int16_t>& audio,
                               const Lexicon& lexicon) {
  const auto start = std::chrono::steady_clock::now();
  heard.verified = true;
  if (ps_start_utt(decoder_) < 0 ||
      ps_process_raw(decoder_, audio.data(), audio.size(), FALSE, TRUE) < 0 ||
      ps_end_utt(decoder_) < 0) {
    heard.disagreement = "the language model failed to decode it";
  } else {
    const char* h = ps_get_hyp(decoder_, nullptr);
    heard.lmHypothesis = h != nullptr ? h : "";
    const Agreement agreement =
        Agree(Said(heard.hypothesis, lexicon, true), Said(heard.lmHypothesis, lexicon, false),
              settings_.verifyMaxDistance,
              [this](const std::string& w) { return everyday_.count(w) > 0; });
    heard.disagreement = agreement.why;
  }
  heard.verifyMs = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - start)
                                        .count());
}

}  // namespace varnel::listen
