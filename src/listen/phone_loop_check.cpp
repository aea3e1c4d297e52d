#include "listen/phone_loop_check.h"

#include "listen/decoder_setup.h"

#include <pocketsphinx.h>
#include <sphinxbase/fsg_model.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace varnel::listen {
namespace {

constexpr const char* kPhoneSearch = "phones";
constexpr const char* kForcedSearch = "forced";

}  // namespace

PhoneLoopCheck::~PhoneLoopCheck() {
  if (decoder_ != nullptr) {
    ps_free(decoder_);
  }
}

bool PhoneLoopCheck::Open(std::string& error) {
  char beam[32];
  std::snprintf(beam, sizeof beam, "%g", settings_.beam);
  const std::string topN = std::to_string(settings_.topN);
  // Every senone scored: each frame's scores are then relative to the model's best sound in
  // both decodings alike, so a word's score and the phones' compare. Context-independent
  // phones: the loop of every triphone takes some 60 MB and seconds an utterance.
  std::vector<const char*> argv = {"varnel-listen",
                                   "-hmm",
                                   settings_.model.c_str(),
                                   "-dict",
                                   "/dev/null",
                                   "-remove_silence",
                                   "no",
                                   "-remove_noise",
                                   "no",
                                   "-dither",
                                   "no",
                                   "-beam",
                                   beam,
                                   "-pbeam",
                                   beam,
                                   "-topn",
                                   topN.c_str(),
                                   "-compallsen",
                                   "yes",
                                   "-allphone_ci",
                                   "yes"};
  decoder_ = MakeDecoder(std::move(argv), settings_.verbose, settings_.model, error);
  if (decoder_ == nullptr) {
    return false;
  }
  if (ps_set_allphone(decoder_, kPhoneSearch, nullptr) < 0) {
    error = "cannot set up the phone loop";
    return false;
  }
  return true;
}

bool PhoneLoopCheck::Decode(const char* name, const std::vector<std::int16_t>& audio,
                            float** cepstra, int frames, std::vector<Span>& spans) {
  if (ps_set_search(decoder_, name) < 0 || ps_start_utt(decoder_) < 0) {
    return false;
  }
  const int r = frames > 0 ? ps_process_cep(decoder_, cepstra, frames, FALSE, TRUE)
                           : ps_process_raw(decoder_, audio.data(), audio.size(), FALSE, TRUE);
  ps_end_utt(decoder_);
  if (r < 0) {
    return false;
  }
  spans.clear();
  for (ps_seg_t* seg = ps_seg_iter(decoder_); seg != nullptr; seg = ps_seg_next(seg)) {
    std::int32_t ascr = 0, lscr = 0, lback = 0;
    ps_seg_prob(seg, &ascr, &lscr, &lback);
    int first = 0, last = 0;
    ps_seg_frames(seg, &first, &last);
    spans.push_back({ps_seg_word(seg), first, last, ascr});
  }
  return true;
}

void PhoneLoopCheck::Check(Heard& heard, const std::vector<std::int16_t>& audio, float** cepstra,
                           int frames, const Lexicon& lexicon) {
  const auto start = std::chrono::steady_clock::now();
  heard.fitChecked = true;
  // The command's words in a row, each with every pronunciation the lexicon has.
  const std::vector<std::string> words = HypothesisWords(heard.hypothesis);
  for (const auto& word : words) {
    char* known = ps_lookup_word(decoder_, word.c_str());
    const bool have = known != nullptr;
    std::free(known);
    const auto prons = lexicon.Pronunciations(word);
    for (std::size_t i = 0; !have && i < prons.size(); ++i) {
      const std::string name = i == 0 ? word : word + "(" + std::to_string(i + 1) + ")";
      ps_add_word(decoder_, name.c_str(), prons[i].c_str(), FALSE);
    }
  }
  std::vector<Span> phoneSpans, wordSpans;
  bool ok = !words.empty() && Decode(kPhoneSearch, audio, cepstra, frames, phoneSpans);
  if (ok) {
    const auto lw = static_cast<float>(cmd_ln_float32_r(ps_get_config(decoder_), "-lw"));
    fsg_model_t* fsg = fsg_model_init(kForcedSearch, ps_get_logmath(decoder_), lw,
                                      static_cast<std::int32_t>(words.size() + 1));
    fsg->start_state = 0;
    fsg->final_state = static_cast<std::int32_t>(words.size());
    for (std::size_t i = 0; i < words.size(); ++i) {
      const int wid = fsg_model_word_add(fsg, words[i].c_str());
      fsg_model_trans_add(fsg, static_cast<std::int32_t>(i), static_cast<std::int32_t>(i + 1), 0,
                          wid);
    }
    ok = ps_set_fsg(decoder_, kForcedSearch, fsg) >= 0;
    fsg_model_free(fsg);
    ok = ok && Decode(kForcedSearch, audio, cepstra, frames, wordSpans);
  }
  if (!ok) {
    heard.misfit = "the phone loop failed to decode it";
  } else {
    heard.fits = FitWords(wordSpans, phoneSpans);
    if (heard.fits.size() != words.size()) {
      // The forced decoding ran out of speech before the command's last word: the best
      // partial path holds only some of them.
      heard.fits.clear();
    }
    heard.misfit =
        RefuseForFit(heard.fits, IsDestructive(*heard.match, settings_.rivals), settings_.phoneFit);
  }
  heard.fitMs = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now() - start)
                                     .count());
}

}  // namespace varnel::listen
