#include "listen/recogniser.h"

#include "listen/decoder_graph.h"
#include "listen/decoder_setup.h"
#include "listen/heard_log.h"
#include "listen/hiss.h"
#include "listen/loop_names.h"
#include "listen/neighbours.h"

#include <malloc.h>
#include <pocketsphinx.h>
#include <sphinxbase/cmn.h>
#include <sphinxbase/fe.h>
#include <sphinxbase/feat.h>
#include <sphinxbase/fsg_model.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <sstream>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace varnel::listen {
namespace {

static_assert(std::is_same_v<mfcc_t, float>, "the detector's cepstra are kept as floats");
constexpr long kFrameShift = kSampleRate / 100;  // 10 ms frames
constexpr long kLead = 256 + kSampleRate / 10;   // window overhang, and a margin for soft onsets
// Silence after which an utterance is decoded, in 10 ms frames: the detector's own wait for
// the end of speech then hides the decoding time.
constexpr int kEarlyFrames = 8;
constexpr const char* kSearchName = "commands";
// The commands alone, and all of them but the one heard, for weighing it against its rivals.
constexpr const char* kRivalSearch = "rivals";
constexpr const char* kOthersSearch = "others";

}  // namespace

std::string FindExtraDictionary() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    // Beside it in a build folder; in <prefix>/share/varnel wherever it was installed.
    for (const auto& candidate : {exe.parent_path() / "varnel.dic",
                                  exe.parent_path().parent_path() / "share/varnel/varnel.dic"}) {
      if (std::filesystem::exists(candidate, ec)) {
        return candidate.string();
      }
    }
  }
  if (std::filesystem::exists("/usr/share/varnel/varnel.dic", ec)) {
    return "/usr/share/varnel/varnel.dic";
  }
  return "";
}

Recogniser::~Recogniser() {
  Stop();
  if (worker_.joinable()) {
    worker_.detach();  // blocked on a read that never ends
  }
  if (!finished_) {
    // The worker may still wake and use them.
    static_cast<void>(denoiser_.release());
    static_cast<void>(lmCheck_.release());
    static_cast<void>(fitCheck_.release());
    static_cast<void>(voiceFit_.release());
    return;
  }
  voiceFit_.reset();  // before the decoder whose configuration its front end holds
  if (ps_ != nullptr) {
    ps_free(ps_);
  }
  if (vad_ != nullptr) {
    fe_free(vad_);
  }
  if (trigger_ != nullptr) {
    fe_free(trigger_);
  }
}

bool Recogniser::Open(std::string& error) {
  if (!OpenDecoder(error) || !OpenDetectors(error) || !LoadWords(error)) {
    return false;
  }
  if (settings_.garbage.wordsEnabled && settings_.neighbours) {
    StartNeighbourScan();
  }
  if (settings_.verifyLm) {
    lmCheck_ = std::make_unique<LanguageModelCheck>(settings_);
    if (!lmCheck_->Open(error)) {
      return false;
    }
  }
  if (settings_.phoneLoopCheck) {
    fitCheck_ = std::make_unique<PhoneLoopCheck>(settings_);
    if (!fitCheck_->Open(error)) {
      return false;
    }
  }
  if (settings_.adapt) {
    voiceFit_ =
        std::make_unique<VoiceFit>(ps_, settings_.adaptPriorFrames, settings_.adaptMeanPriorFrames,
                                   settings_.adaptAfterFrames, settings_.verbose);
    std::string why;
    if (!voiceFit_->Open(settings_.model, why)) {
      // Commands are still heard, only not with the model fitted to the voice.
      std::fprintf(stderr, "varnel-listen: not fitting the model to the voice: %s\n", why.c_str());
      voiceFit_.reset();
    }
  }
  return true;
}

bool Recogniser::OpenDecoder(std::string& error) {
  char wip[32], beam[32], wordBeam[32];
  std::snprintf(wip, sizeof wip, "%g", settings_.wordPenalty);
  std::snprintf(beam, sizeof beam, "%g", settings_.beam);
  std::snprintf(wordBeam, sizeof wordBeam, "%g", settings_.wordBeam);
  const std::string topN = std::to_string(settings_.topN);
  // The decoder only ever sees the detector's voiced audio, whole: no detector of its own.
  // The dictionaries stay in the lexicon; the decoder only gets the words in use.
  std::vector<const char*> argv = {"varnel-listen", "-hmm", settings_.model.c_str(), "-dict",
                                   "/dev/null", "-remove_silence", "no", "-remove_noise", "no",
                                   "-dither", "no", "-wip", wip, "-beam", beam, "-pbeam", beam,
                                   "-wbeam", wordBeam, "-topn", topN.c_str(),
                                   // Every senone scored: each frame's scores are then relative to
                                   // the best sound of the whole model.
                                   "-compallsen", settings_.marginCheck ? "yes" : "no"};
  ps_ = MakeDecoder(std::move(argv), settings_.verbose, settings_.model, error);
  if (ps_ == nullptr) {
    return false;
  }
  languageWeight_ = cmd_ln_float32_r(ps_get_config(ps_), "-lw");
  // The model's own way of normalising a whole utterance (its mean, for the en-us model).
  wholeCmn_ = ps_get_feat(ps_)->cmn;

  if (settings_.removeNoise != Settings::NoiseRemoval::kNever) {
    denoiser_ = std::make_unique<NoiseRemover>();
    if (!denoiser_->Open(ps_get_config(ps_))) {
      error = "cannot set up the noise removal";
      return false;
    }
  }
  return true;
}

bool Recogniser::OpenDetectors(std::string& error) {
  earlyFrames_ = std::min(kEarlyFrames, settings_.vadPostspeech);
  vad_ = MakeDetector(settings_.vadThreshold, settings_.vadPrespeech, settings_.vadPostspeech,
                      settings_.vadStartspeech);
  // Quick both ways: it only tells when a pause begins, and when voice is back.
  trigger_ = MakeDetector(settings_.vadThreshold, 1, earlyFrames_, 3);
  if (vad_ == nullptr || trigger_ == nullptr) {
    error = "cannot set up the voice detector";
    return false;
  }
  constexpr std::size_t kRows = 256;
  const auto width = static_cast<std::size_t>(fe_get_output_size(vad_));
  cep_.resize(kRows * width);
  cepRows_.clear();
  for (std::size_t i = 0; i < kRows; ++i) {
    cepRows_.push_back(cep_.data() + i * width);
  }
  return true;
}

bool Recogniser::LoadWords(std::string& error) {
  const std::string extra =
      settings_.extraDict.empty() ? FindExtraDictionary() : settings_.extraDict;
  if (extra.empty()) {
    error = "cannot find varnel.dic";
    return false;
  }
  std::vector<std::string> ours;
  if (!lexicon_.Load(settings_.dict, error) || !lexicon_.Load(extra, error, &ours)) {
    return false;
  }
  for (const auto& word : ours) {
    if (PhoneCountLocked(word) == 0 && AddWord(word, word) == 0) {
      error = extra;
      error.append(": bad entry for \"").append(word).append("\"");
      return false;
    }
  }
  for (const auto& phone : GarbagePhones()) {
    if (ps_add_word(ps_, GarbageWord(phone).c_str(), phone.c_str(), FALSE) < 0) {
      error = "the model has no phone " + phone;
      return false;
    }
  }
  otherWords_.clear();
  if (settings_.garbage.wordsEnabled) {
    for (const auto& word : OtherWords(settings_.garbage.commonWords)) {
      // Under names of their own, so that no command is ever read from the loop's words; one
      // pronunciation each, since every alternate is a chain of its own to search.
      if (AddWord(word, OtherWord(word), 1) > 0) {
        otherWords_.push_back(OtherWord(word));
        loopNames_.insert(OtherWord(word));
      }
    }
  }
  return true;
}

void Recogniser::StartNeighbourScan() {
  // The words of the scan before and what it found, on the scan's thread.
  scan_ = std::make_unique<NeighbourScan>(
      [this, before = std::vector<std::string>(), found = std::vector<std::string>(),
       closest = std::vector<std::string>()](const std::vector<std::string>& words) mutable {
        const double cpuStart = ThreadCpuMs();
        // The words wanted only grow, the new ones after the others: going to sleep adds
        // the wake phrase's, which change nothing.
        const bool grown = !before.empty() && words.size() >= before.size() &&
                           std::equal(before.begin(), before.end(), words.begin());
        const std::vector<std::string> added(
            words.begin() + static_cast<std::ptrdiff_t>(grown ? before.size() : 0), words.end());
        if (!grown || !AddedLeaveNeighbours(added, found, lexicon_, settings_.neighbourRule)) {
          found =
              PhoneticNeighbours(words, lexicon_, settings_.neighbourRule, CommonWords(), &closest);
        }
        before = words;
        return NeighbourScan::Scanned{found, closest, ThreadCpuMs() - cpuStart};
      });
}

std::vector<std::int16_t> Recogniser::DecodedAudio(const Heard& heard) const {
  // The audio the grammar's decoding had: the utterance with its hiss (its cepstra with the
  // noise taken out are in the noise remover). One decoded as it came is decoded whole again, by
  // its own cepstral mean.
  if (heard.decoding == Heard::Decoding::kWhole) {
    return decoded_;
  }
  std::vector<std::int16_t> audio = utterance_;
  std::uint32_t seed = kHissSeed;
  AddHiss(audio.data(), audio.size(), seed, streamHiss_);
  return audio;
}

bool Recogniser::DecodeAlone(const char* name, const Heard& heard,
                             const std::vector<std::int16_t>& audio, std::optional<Match>* match,
                             long* score) {
  const bool cepstra = heard.decoding == Heard::Decoding::kWhole && heard.denoised;
  bool ok = ps_set_search(ps_, name) >= 0 && ps_start_utt(ps_) >= 0;
  if (ok) {
    ps_get_feat(ps_)->cmn = static_cast<cmn_type_t>(wholeCmn_);
    ok = (cepstra ? ps_process_cep(ps_, denoiser_->Rows(), denoiser_->WholeFrames(), FALSE, TRUE)
                  : ps_process_raw(ps_, audio.data(), audio.size(), FALSE, TRUE)) >= 0;
    ps_end_utt(ps_);
  }
  std::int32_t best = 0;
  const char* hyp = ok ? ps_get_hyp(ps_, &best) : nullptr;
  *match = hyp != nullptr ? active_->Map(hyp) : std::nullopt;
  *score = best;
  return match->has_value();
}

CommandsAlone Recogniser::CommandRivals(const Heard& heard) {
  // The word loop's lattice takes pocketsphinx up to seconds to build (every word of the loop
  // linked to every word after it), and keeps only the best word into each state of the
  // graph, so the commands that lost to the heard one are seldom in it. The commands alone,
  // decoded twice, take a fraction of a decoding each.
  CommandsAlone readings;
  const std::vector<std::int16_t> audio = DecodedAudio(heard);
  const std::string others = active_->JsgfWithout(heard.match->owner, heard.match->id);
  if (DecodeAlone(kRivalSearch, heard, audio, &readings.best, &readings.bestScore)) {
    readings.frames = ps_get_n_frames(ps_);
    fsg_model_t* fsg = nullptr;
    if (!others.empty()) {
      GarbageOptions none;
      none.enabled = false;
      none.wordsEnabled = false;
      const auto lw = static_cast<float>(cmd_ln_float32_r(ps_get_config(ps_), "-lw"));
      fsg = BuildDecoderGraph(kOthersSearch, others, active_->ListEnds(), none, {}, {},
                              ps_get_logmath(ps_), lw);
    }
    if (fsg != nullptr && ps_set_fsg(ps_, kOthersSearch, fsg) >= 0) {
      DecodeAlone(kOthersSearch, heard, audio, &readings.rival, &readings.rivalScore);
      ps_unset_search(ps_, kOthersSearch);
    }
    if (fsg != nullptr) {
      fsg_model_free(fsg);
    }
  }
  ps_set_search(ps_, kSearchName);
  return readings;
}

int Recogniser::PhoneCount(const std::string& word) {
  std::lock_guard lock(mutex_);
  const int n = PhoneCountLocked(word);
  return n > 0 ? n : AddWord(word, word);
}

int Recogniser::AddWord(const std::string& word, const std::string& name, std::size_t most) {
  const auto prons = lexicon_.Pronunciations(word);
  int phones = 0;
  for (std::size_t i = 0; i < prons.size() && i < most; ++i) {
    const std::string alt = i == 0 ? name : name + "(" + std::to_string(i + 1) + ")";
    // Refused when a phone is not the model's: without its first pronunciation the word
    // stays unknown, a bad alternate is only left out.
    if (ps_add_word(ps_, alt.c_str(), prons[i].c_str(), FALSE) < 0) {
      break;
    }
    if (i == 0) {
      phones = CountPhones(prons[i]);
    }
  }
  return phones;
}

int Recogniser::PhoneCountLocked(const std::string& word) const {
  if (word.rfind("ph_", 0) == 0 || word.rfind("ow_", 0) == 0) {
    return 0;  // the garbage loops' own words
  }
  char* pron = ps_lookup_word(ps_, word.c_str());
  if (pron == nullptr) {
    return 0;
  }
  const int n = CountPhones(pron);
  std::free(pron);
  return n;
}

void Recogniser::SetGrammar(std::shared_ptr<const Grammar> grammar) {
  std::lock_guard lock(mutex_);
  pending_ = std::move(grammar);
  hasPending_ = true;
  grammarSet_.notify_all();
}

void Recogniser::Start(std::unique_ptr<AudioSource> source, bool waitForGrammar,
                       std::function<void(Heard)> onHeard, std::function<void(bool)> onEnd,
                       std::function<std::unique_ptr<AudioSource>(std::string&)> reopen) {
  source_ = std::move(source);
  reopen_ = std::move(reopen);
  waitForGrammar_ = waitForGrammar;
  onHeard_ = std::move(onHeard);
  onEnd_ = std::move(onEnd);
  finished_ = false;
  worker_ = std::thread([this] { Run(); });
}

bool Recogniser::Stop() {
  stop_ = true;
  {
    std::lock_guard lock(mutex_);
    grammarSet_.notify_all();
  }
  if (scan_) {
    scan_->Stop();  // also ends the worker's wait for it
  }
  // Reads return within a buffer's time except on a silent stdin.
  for (int i = 0; i < 50 && !finished_; ++i) {
    usleep(10000);
  }
  if (finished_ && worker_.joinable()) {
    worker_.join();
  }
  return finished_;
}

bool Recogniser::ApplyPending() {
  if (!hasPending_ || inSpeech_) {
    return active_ && !active_->Empty();
  }
  hasPending_ = false;
  active_ = std::move(pending_);
  // The graph in use goes before the next is built: between utterances nothing needs it,
  // and the two together would double the decoder's memory at every change of menu.
  if (hasSearch_) {
    ps_unset_search(ps_, kSearchName);
    if (WeighsAny(settings_.rivals)) {
      ps_unset_search(ps_, kRivalSearch);
    }
    hasSearch_ = false;
    malloc_trim(0);
  }
  if (!active_ || active_->Empty()) {
    return false;
  }
  if (scan_) {
    scan_->Want(active_->Words(settings_.neighbourRule.parameters));
  }
  const double cpuStart = ThreadCpuMs();
  if (!SetCommandSearch(kSearchName, *active_) ||
      (WeighsAny(settings_.rivals) && !SetRivalSearch(*active_)) ||
      ps_set_search(ps_, kSearchName) < 0) {
    std::fprintf(stderr, "varnel-listen: the decoder refused the grammar\n");
    active_.reset();
    return false;
  }
  hasSearch_ = true;
  if (settings_.verbose) {
    std::fprintf(stderr, "varnel-listen: CPU time for the new menu's search: %.1f ms\n",
                 ThreadCpuMs() - cpuStart);
  }
  return true;
}

std::vector<std::string> Recogniser::LoopWordsFor(const std::vector<std::string>& words) const {
  const LoopCandidates candidates{otherWords_, settings_.garbage.laterMenuWordWeight > 0,
                                  loopNames_, neighbourWords_};
  return LoopNames(words, candidates, lexicon_);
}

void Recogniser::JoinNeighbours() {
  if (!scan_ || inSpeech_) {
    return;
  }
  auto found = scan_->Take();
  if (!found) {
    return;
  }
  std::set<std::string> closest;
  for (const auto& word : found->scanned.closest) {
    closest.insert(OtherWord(word));
  }
  if (found->scanned.neighbours == neighbourWords_ && closest == closest_) {
    // The search in use has them all.
    if (settings_.verbose) {
      std::fprintf(stderr,
                   "varnel-listen: no new neighbours for %zu command words (%.1f ms of CPU)\n",
                   found->words.size(), found->scanned.cpuMs);
    }
    return;
  }
  const double addStart = ThreadCpuMs();
  neighbourWords_.clear();
  neighbours_.clear();
  for (const auto& word : found->scanned.neighbours) {
    const std::string name = OtherWord(word);
    if (loopNames_.count(name) > 0 || AddWord(word, name, 1) > 0) {
      loopNames_.insert(name);
      neighbourWords_.push_back(word);
      neighbours_.push_back(name);
    }
  }
  closest_ = std::move(closest);
  const double searchStart = ThreadCpuMs();
  if (hasSearch_) {
    // As at a change of menu: the graph in use goes before the next is built.
    ps_unset_search(ps_, kSearchName);
    malloc_trim(0);
    if (!SetCommandSearch(kSearchName, *active_) || ps_set_search(ps_, kSearchName) < 0) {
      std::fprintf(stderr, "varnel-listen: the decoder refused the grammar\n");
      active_.reset();
      hasSearch_ = false;
    }
  }
  if (settings_.verbose) {
    const double end = ThreadCpuMs();
    std::fprintf(
        stderr,
        "varnel-listen: %zu neighbours of %zu command words in %lld ms: found in %.1f ms "
        "of CPU, added to the decoder in %.1f ms, the search with them built in %.1f ms\n",
        neighbours_.size(), found->words.size(),
        static_cast<long long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(found->sinceWanted).count()),
        found->scanned.cpuMs, searchStart - addStart, end - searchStart);
  }
}

void Recogniser::WaitForNeighbours(std::unique_lock<std::mutex>& lock) {
  while (scan_ && !stop_ && !inSpeech_) {
    ApplyPending();
    JoinNeighbours();
    if (!scan_->Busy()) {
      return;
    }
    lock.unlock();
    scan_->Wait();
    lock.lock();
  }
}

bool Recogniser::SetCommandSearch(const char* name, const Grammar& grammar) {
  const auto lw = static_cast<float>(cmd_ln_float32_r(ps_get_config(ps_), "-lw"));
  const std::vector<std::string> words = grammar.Words();
  if (settings_.garbage.wordsEnabled && settings_.garbage.laterMenuWordWeight > 0) {
    for (const auto& word : words) {
      const std::string other = OtherWord(word);
      if (loopNames_.count(other) == 0 && AddWord(word, other, 1) > 0) {
        loopNames_.insert(other);
      }
    }
  }
  LoopWords loop;
  loop.words = LoopWordsFor(words);
  loop.neighbours.insert(neighbours_.begin(), neighbours_.end());
  loop.closest = closest_;
  for (const auto& word : words) {
    loop.menu.insert(OtherWord(word));
  }
  for (const auto& word : StandaloneWords()) {
    loop.standalone.insert(OtherWord(word));
  }
  fsg_model_t* fsg =
      BuildDecoderGraph(name, grammar.Jsgf(), grammar.ListEnds(), settings_.garbage, loop,
                        settings_.rivals.destructiveWords, ps_get_logmath(ps_), lw);
  if (fsg == nullptr) {
    return false;
  }
  const bool ok = ps_set_fsg(ps_, name, fsg) >= 0;
  fsg_model_free(fsg);
  return ok;
}

bool Recogniser::SetRivalSearch(const Grammar& grammar) {
  GarbageOptions commandsAlone;
  commandsAlone.enabled = false;
  commandsAlone.wordsEnabled = false;
  const auto lw = static_cast<float>(cmd_ln_float32_r(ps_get_config(ps_), "-lw"));
  fsg_model_t* fsg = BuildDecoderGraph(kRivalSearch, grammar.Jsgf(), grammar.ListEnds(),
                                       commandsAlone, {}, {}, ps_get_logmath(ps_), lw);
  if (fsg == nullptr) {
    return false;
  }
  const bool ok = ps_set_fsg(ps_, kRivalSearch, fsg) >= 0;
  fsg_model_free(fsg);
  return ok;
}

int Recogniser::HissFor(double loudRms) const {
  return HissAmplitude(loudRms, settings_.noiseFloor, settings_.fixedNoiseFloor);
}

bool Recogniser::WantsDenoising(double snrDb) const {
  return settings_.removeNoise == Settings::NoiseRemoval::kAlways ||
         (settings_.removeNoise == Settings::NoiseRemoval::kAuto &&
          snrDb < settings_.removeNoiseBelowSnrDb);
}

void Recogniser::ReadResult(std::string* hyp, long* acoustic, std::vector<WordSpan>* words) {
  const char* h = ps_get_hyp(ps_, nullptr);
  *hyp = h != nullptr ? h : "";
  *acoustic = 0;
  words->clear();
  for (ps_seg_t* seg = ps_seg_iter(ps_); seg != nullptr; seg = ps_seg_next(seg)) {
    std::int32_t ascr = 0, lscr = 0, lback = 0;
    ps_seg_prob(seg, &ascr, &lscr, &lback);
    *acoustic += ascr;
    int first = 0, last = 0;
    ps_seg_frames(seg, &first, &last);
    const char* word = ps_seg_word(seg);
    words->push_back({word, last - first + 1, PhoneCountLocked(word)});
  }
}

bool Recogniser::Decode(bool denoise, std::string* hyp, long* acoustic,
                        std::vector<WordSpan>* words, bool* denoisedUsed) {
  // Every utterance goes through the noise remover, used or not, so that its noise estimate
  // follows the room.
  const int denoised = denoiser_ ? denoiser_->Whole(decoded_.data(), decoded_.size()) : -1;
  *denoisedUsed = denoise && denoised > 0;
  if (ps_set_search(ps_, kSearchName) < 0 || ps_start_utt(ps_) < 0) {
    return false;
  }
  // Decoding as the audio came switched the front end to the running mean for good.
  ps_get_feat(ps_)->cmn = static_cast<cmn_type_t>(wholeCmn_);
  // Whole, so the cepstral mean is this utterance's own: the first one after start needs no
  // history.
  const int r = *denoisedUsed ? ps_process_cep(ps_, denoiser_->Rows(), denoised, FALSE, TRUE)
                              : ps_process_raw(ps_, decoded_.data(), decoded_.size(), FALSE, TRUE);
  ps_end_utt(ps_);
  if (r < 0) {
    return false;
  }
  ReadResult(hyp, acoustic, words);
  return true;
}

void Recogniser::StartStream() {
  streaming_ = false;
  cmn_t* cmn = ps_get_feat(ps_)->cmn_struct;
  if (!settings_.streamDecode || cmn == nullptr || runningMean_.empty() || !active_ ||
      ps_set_search(ps_, kSearchName) < 0) {
    return;  // decoded whole at its end instead
  }
  // The running mean starts from the last utterance heard, not from a decoding that was
  // too early, with the weight of a few seconds of speech.
  cmn_live_set(cmn, runningMean_.data());
  if (ps_start_utt(ps_) < 0) {
    return;
  }
  streaming_ = true;
  streamFailed_ = false;
  streamFed_ = 0;
  streamCpuMs_ = 0;
  hissSeed_ = kHissSeed;
  // How loud the room and the voice are: from this utterance if a second of it is in already
  // (its own lead-in silence and speech), otherwise from the one before.
  const bool own = utterance_.size() >= static_cast<std::size_t>(kSampleRate);
  const double snrDb = own ? EstimateSnrDb(utterance_.data(), utterance_.size()) : lastSnrDb_;
  streamHiss_ = HissFor(own ? LoudRms(utterance_.data(), utterance_.size()) : lastLoudRms_);
  streamDenoised_ = denoiser_ && WantsDenoising(snrDb);
  if (denoiser_) {
    denoiser_->Start();
  }
  StreamFeed(utterance_.data(), utterance_.size());
}

void Recogniser::StreamFeed(const std::int16_t* samples, std::size_t n) {
  if (!streaming_ || streamFailed_ || n == 0) {
    return;
  }
  // Past the longest command the rest is refused unheard.
  if (streamFed_ >= KeptSamples()) {
    return;
  }
  const double cpuStart = ThreadCpuMs();
  decoded_.assign(samples, samples + n);
  AddHiss(decoded_.data(), n, hissSeed_, streamHiss_);
  streamFed_ += static_cast<long>(n);
  int r = 0;
  if (denoiser_) {
    const int frames = denoiser_->Chunk(decoded_.data(), n);
    if (streamDenoised_) {
      r = frames < 0 ? -1 : ps_process_cep(ps_, denoiser_->Rows(), frames, FALSE, FALSE);
    }
  }
  if (!streamDenoised_) {
    r = ps_process_raw(ps_, decoded_.data(), n, FALSE, FALSE);
  }
  streamFailed_ = r < 0;
  streamCpuMs_ += ThreadCpuMs() - cpuStart;
}

bool Recogniser::FinishStream(bool keep, std::string* hyp, long* acoustic,
                              std::vector<WordSpan>* words) {
  if (!streaming_) {
    return false;
  }
  streaming_ = false;
  if (denoiser_) {
    std::vector<float> last;
    const int tail = denoiser_->Finish(last);
    float* row = last.data();
    if (streamDenoised_ && tail > 0 && !streamFailed_) {
      streamFailed_ = ps_process_cep(ps_, &row, tail, FALSE, FALSE) < 0;
    }
  }
  ps_end_utt(ps_);
  if (!keep || streamFailed_) {
    return false;
  }
  ReadResult(hyp, acoustic, words);
  return true;
}

int Recogniser::LengthLimitMs(int phones) const {
  return phones * settings_.msPerPhone + settings_.lengthSlackMs;
}

long Recogniser::KeptSamples() const {
  return (static_cast<long>(LengthLimitMs(active_->MaxPhones())) + 1000) * kSampleRate / 1000;
}

Heard Recogniser::Evaluate(int pauseFrames) {
  Heard heard;
  heard.speechMs =
      static_cast<int>((speechFrames_ - pauseFrames) * 10 - pausedSamples_ * 1000 / kSampleRate);
  const int limit = LengthLimitMs(active_->MaxPhones());
  heard.snrDb = EstimateSnrDb(utterance_.data(), utterance_.size());
  // Judged only on the whole of it: past the length limit its end is no longer kept.
  if (static_cast<long>(utterance_.size()) < KeptSamples()) {
    heard.riseDb =
        RiseAboveTailDb(utterance_.data(), utterance_.size(),
                        static_cast<std::size_t>(std::max(pauseFrames, 0) * kFrameShift));
    heard.steady = heard.riseDb < settings_.minSpeechRiseDb;
  }
  heard.tooLong = heard.speechMs > limit;
  if (!heard.steady) {
    // A steady noise's level against the quiet before it is no guide.
    lastSnrDb_ = heard.snrDb;
    lastLoudRms_ = LoudRms(utterance_.data(), utterance_.size());
  }
  heard.limitMs = limit;
  long commandScore = 0;
  std::vector<WordSpan> words;
  const double cpuStart = ThreadCpuMs();
  heard.streamCpuMs = streaming_ ? streamCpuMs_ : 0;
  DecodeUtterance(heard, pauseFrames, &commandScore, &words);
  const double checksStart = ThreadCpuMs();
  heard.endCpuMs = checksStart - cpuStart;
  JudgeCommand(heard, words, commandScore);
  for (const auto& w : words) {
    heard.decodedWords.push_back(w.word);
  }
  heard.checkCpuMs = ThreadCpuMs() - checksStart;
  return heard;
}

void Recogniser::DecodeUtterance(Heard& heard, int pauseFrames, long* commandScore,
                                 std::vector<WordSpan>* words) {
  const auto start = std::chrono::steady_clock::now();
  bool decoded = false;
  if (streaming_) {
    decoded = FinishStream(!heard.tooLong && !heard.steady, &heard.hypothesis, commandScore, words);
    heard.denoised = decoded && streamDenoised_;
    heard.decoding = decoded ? Heard::Decoding::kStreamed : Heard::Decoding::kNone;
  }
  if (!decoded && !heard.tooLong && !heard.steady) {
    // Decoded whole: the first utterance, or one the decoder failed to take as it came.
    decoded_ = utterance_;
    // Decoded at the start of a pause, the utterance is given the rest of the pause from the
    // silence it already has, so that it decodes as it would after the whole pause.
    const auto have = static_cast<std::size_t>(pauseFrames) * kFrameShift;
    const auto want = static_cast<std::size_t>(settings_.vadPostspeech) * kFrameShift;
    if (have > 0 && have < want && decoded_.size() >= have) {
      decoded_.reserve(decoded_.size() + want - have);
      const std::size_t from = decoded_.size() - have;
      for (std::size_t i = 0; i < want - have; ++i) {
        decoded_.push_back(decoded_[from + i % have]);
      }
    }
    std::uint32_t seed = kHissSeed;
    AddHiss(decoded_.data(), decoded_.size(), seed,
            HissFor(LoudRms(utterance_.data(), utterance_.size())));
    decoded = Decode(WantsDenoising(heard.snrDb), &heard.hypothesis, commandScore, words,
                     &heard.denoised);
    heard.decoding = decoded ? Heard::Decoding::kWhole : Heard::Decoding::kNone;
  }
  if (decoded) {
    // After a whole decoding the decoder holds that utterance's own mean; after one as it
    // came, the running mean it ended with.
    if (cmn_t* cmn = ps_get_feat(ps_)->cmn_struct; cmn != nullptr) {
      static_assert(std::is_same_v<mfcc_t, float>);
      heard.cepstralMean.resize(static_cast<std::size_t>(cmn->veclen));
      cmn_live_get(cmn, heard.cepstralMean.data());
    }
    heard.match = active_->Map(heard.hypothesis);
    heard.decodeMs = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now() - start)
                                          .count());
    heard.frames = ps_get_n_frames(ps_);
  }
}

void Recogniser::JudgeCommand(Heard& heard, const std::vector<WordSpan>& words, long commandScore) {
  heard.quietAfterSpeechMs = quietAfterSpeechMs_;
  if (heard.match && RunsOn(heard.quietAfterSpeechMs, settings_.minPauseAfterSpeechMs)) {
    // Part of a sentence split at a pause, however much it sounds like a command.
    heard.runsOn = true;
    heard.match.reset();
  }
  if (heard.match) {
    // Speech much longer than the command it decoded to is a sentence that merely holds the
    // command's words ("cancel my subscription"), not the command.
    std::istringstream words(heard.hypothesis);
    int phones = 0;
    std::string word;
    while (words >> word) {
      phones += PhoneCountLocked(word);
    }
    heard.limitMs = LengthLimitMs(phones);
    if (heard.speechMs > heard.limitMs) {
      heard.tooLong = true;
      heard.match.reset();
    }
  }
  if (heard.match) {
    heard.fastestMsPerPhone = FastestMsPerPhone(words);
    if (heard.fastestMsPerPhone > 0 && heard.fastestMsPerPhone < settings_.fastestMsPerPhone) {
      heard.tooFast = true;
      heard.match.reset();
    }
  }
  if (heard.match && Weighed(*heard.match, settings_.rivals)) {
    // A command that barely beat another reading of the same speech is a guess: better no
    // command than the wrong one ("History" heard as "Delete").
    if (WeighedAgainstNoCommand(*heard.match, settings_.rivals)) {
      heard.rivals = NearestRivals(Readings(), *heard.match, ps_get_n_frames(ps_));
    }
    const CommandsAlone alone = CommandRivals(heard);
    heard.rivals.command = CommandGap(alone, *heard.match);
    if (alone.rival) {
      heard.nearestRival = alone.rival->command;
    }
    heard.refusedFor = RefuseForRivals(heard.rivals, *heard.match, settings_.rivals);
    if (!heard.refusedFor.empty()) {
      heard.match.reset();
    }
  }
  if (heard.match && fitCheck_ &&
      FitJudged(IsDestructive(*heard.match, settings_.rivals), settings_.phoneFit)) {
    // The two decodings see the frames the grammar's decoding had.
    const bool cepstra = heard.decoding == Heard::Decoding::kWhole && heard.denoised;
    fitCheck_->Check(heard, DecodedAudio(heard), cepstra ? denoiser_->Rows() : nullptr,
                     cepstra ? denoiser_->WholeFrames() : 0, lexicon_);
    if (!heard.misfit.empty()) {
      heard.match.reset();
    }
  }
  if (heard.match && settings_.marginCheck) {
    // With every senone scored, each frame's scores are relative to the sound of the model
    // that fits it best: speech that only sounds like a command fits the command markedly
    // worse, per frame, than the command itself does.
    const int frames = std::max(ps_get_n_frames(ps_), 1);
    heard.margin = static_cast<double>(commandScore) / frames;
    if (heard.margin < settings_.minMargin) {
      heard.match.reset();
    }
  }
  if (heard.match && lmCheck_) {
    std::vector<std::int16_t> audio = utterance_;
    std::uint32_t seed = kHissSeed;
    AddHiss(audio.data(), audio.size(), seed,
            HissFor(LoudRms(utterance_.data(), utterance_.size())));
    lmCheck_->Check(heard, audio, lexicon_);
    if (!heard.disagreement.empty()) {
      heard.match.reset();
    }
  }
}

std::vector<Reading> Recogniser::Readings() {
  std::vector<Reading> readings;
  int n = 0;
  for (ps_nbest_t* it = ps_nbest(ps_); it != nullptr && n < settings_.rivalReadings;
       it = ps_nbest_next(it), ++n) {
    std::int32_t score = 0;
    const char* hyp = ps_nbest_hyp(it, &score);
    if (hyp == nullptr) {
      continue;
    }
    readings.push_back({active_->Map(hyp), score});
    if (n + 1 == settings_.rivalReadings) {
      ps_nbest_free(it);
      break;
    }
  }
  return readings;
}

long Recogniser::VoiceEnd() const {
  // The detector ends speech once it has heard this many frames of silence after it.
  return streamSamples_ - static_cast<long>(settings_.vadPostspeech) * kFrameShift;
}

void Recogniser::Report(Heard heard) {
  // A command teaches the fit to the voice once it has been told: learning takes a few tens of
  // milliseconds that the answer need not wait for.
  std::vector<std::int16_t> learnFrom;
  std::vector<std::string> words;
  if (voiceFit_ && heard.match && heard.decoding != Heard::Decoding::kNone) {
    learnFrom = DecodedAudio(heard);
    words = heard.decodedWords;
  }
  utterance_.clear();
  lastEnd_ = UtteranceEnd{VoiceEnd(), !heard.match && !heard.steady};
  if (!heard.cepstralMean.empty()) {
    runningMean_ = heard.cepstralMean;
  }
  heard.endMs = streamSamples_ * 1000 / kSampleRate;
  if (settings_.verbose) {
    for (const auto& line : VerboseLines(heard)) {
      std::fprintf(stderr, "%s\n", line.c_str());
    }
  }
  onHeard_(std::move(heard));
  if (!learnFrom.empty()) {
    voiceFit_->Learn(learnFrom, words);
  }
}

long Recogniser::Feed(fe_s* fe, const std::int16_t* samples, std::size_t n) {
  long frames = 0;
  while (n > 0) {
    auto rows = static_cast<std::int32_t>(cepRows_.size());
    std::int32_t firstFrame = 0;
    const std::size_t before = n;
    if (fe_process_frames(fe, &samples, &n, cepRows_.data(), &rows, &firstFrame) < 0) {
      break;
    }
    frames += rows;
    if (before == n) {
      break;  // the rest waits for more samples
    }
  }
  return frames;
}

void Recogniser::Detect(const std::int16_t* samples, std::size_t n) {
  history_.insert(history_.end(), samples, samples + n);
  const long chunkStart = streamSamples_;
  streamSamples_ += static_cast<long>(n);
  long frames = Feed(vad_, samples, n);
  Feed(trigger_, samples, n);
  const bool speech = fe_get_vad_state(vad_) != 0;
  const bool voiced = fe_get_vad_state(trigger_) != 0;
  if (settling_) {
    // The priming noise's own "speech" ends before anything real is listened to.
    settling_ = speech;
    frames = 0;
  }
  const long historyStart = streamSamples_ - static_cast<long>(history_.size());
  // Past the longest command nothing more is kept; the utterance is refused at its end.
  const long keep = KeptSamples();
  if (!inSpeech_ && frames > 0) {
    // The first voiced frames are the ones kept before speech, ending with this chunk.
    const long from =
        std::clamp(streamSamples_ - frames * kFrameShift - kLead, historyStart, streamSamples_);
    utterance_.assign(history_.begin() + (from - historyStart), history_.end());
    // The detector hands over the frames it kept before the voice with the first ones.
    const long voiceStart =
        std::min(streamSamples_ - (frames - settings_.vadPrespeech) * kFrameShift, streamSamples_);
    quietAfterSpeechMs_ = QuietAfterSpeechMs(lastEnd_, voiceStart, kSampleRate);
    inSpeech_ = true;
    speechFrames_ = 0;
    pausedSamples_ = 0;
    pauseStart_ = -1;
    early_.reset();
  } else if (inSpeech_) {
    if (static_cast<long>(utterance_.size()) < keep) {
      utterance_.insert(utterance_.end(), history_.begin() + (chunkStart - historyStart),
                        history_.end());
    }
    StreamFeed(samples, n);
  }
  speechFrames_ += frames;
  // Long enough that decoding it whole would keep the answer waiting, or said in a noisy
  // room, where a short utterance's own cepstral mean is a poorer guide than the running
  // one: from here on it is decoded as it comes, starting with what has been said so far.
  if (inSpeech_ && !streaming_ && pauseStart_ < 0 &&
      (speechFrames_ * 10 >= settings_.streamAfterMs ||
       lastSnrDb_ < settings_.removeNoiseBelowSnrDb)) {
    StartStream();
  }
  if (inSpeech_ && wasVoiced_ && !voiced && speech) {
    // A pause has begun: decode now, while the detector waits to see whether it lasts,
    // unless the decoder is taking the audio as it comes.
    if (!streaming_) {
      early_ = Evaluate(earlyFrames_);
    }
    pauseStart_ = streamSamples_;
  } else if (inSpeech_ && voiced && pauseStart_ >= 0) {
    // Voice again: that decoding was too early, and a hesitation is no part of the length.
    early_.reset();
    pausedSamples_ += chunkStart - pauseStart_ + static_cast<long>(earlyFrames_) * kFrameShift;
    pauseStart_ = -1;
  }
  wasVoiced_ = voiced;
  if (inSpeech_ && !speech) {
    inSpeech_ = false;
    // The early result holds unless speech came back after it was decoded: the voice ended
    // where it ended then, to within the reads that told the two detectors.
    const long lastVoice = VoiceEnd();
    const long earlyVoice = pauseStart_ - static_cast<long>(earlyFrames_) * kFrameShift;
    const long tolerance = 2 * static_cast<long>(streamSamples_ - chunkStart) + kFrameShift;
    if (early_ && lastVoice - earlyVoice <= tolerance) {
      Report(std::move(*early_));
    } else {
      Report(Evaluate(settings_.vadPostspeech));
    }
    early_.reset();
  }
  // Enough for the frames the detector keeps before speech starts.
  const auto window = static_cast<std::size_t>(
      (settings_.vadPrespeech + settings_.vadStartspeech + 30) * kFrameShift);
  if (history_.size() > window) {
    history_.erase(history_.begin(), history_.end() - window);
  }
}

void Recogniser::DropUtterance() {
  FinishStream(false, nullptr, nullptr, nullptr);
  utterance_.clear();
  history_.clear();
  inSpeech_ = false;
  early_.reset();
  speechFrames_ = 0;
}

bool Recogniser::Reopen() {
  source_.reset();
  {
    std::lock_guard lock(mutex_);
    // Half an utterance is no command; the next one starts afresh.
    DropUtterance();
  }
  std::fprintf(stderr, "varnel-listen: the microphone was lost; trying to open it again\n");
  // Soon at first (a sound server restarting is back within a second), then every 2 s; a
  // source that opens but fails again at once keeps the longer wait.
  std::string error, lastError;
  while (!stop_) {
    const int waitMs = reopenWaitMs_;
    reopenWaitMs_ = std::min(reopenWaitMs_ * 2, kLongestReopenWaitMs);
    for (int waited = 0; waited < waitMs && !stop_; waited += 50) {
      usleep(50 * 1000);
    }
    if (stop_) {
      break;
    }
    source_ = reopen_(error);
    if (source_) {
      std::fprintf(stderr, "varnel-listen: the microphone is back\n");
      PrimeDetector();
      return true;
    }
    if (error != lastError) {
      std::fprintf(stderr, "varnel-listen: %s\n", error.c_str());
      lastError = error;
    }
  }
  return false;
}

void Recogniser::PrimeDetector() {
  // The detector starts with its noise floor far below the first frame and lets it rise only
  // slowly, so for about a second anything counts as speech. Its floor falls fast, though:
  // a start on noise louder than any quiet room leaves it settled on the real room at once.
  std::vector<std::int16_t> noise(kSampleRate * 3 / 2);
  std::uint32_t seed = 12345;
  for (auto& s : noise) {
    seed = seed * 1664525U + 1013904223U;
    s = static_cast<std::int16_t>(static_cast<int>(seed >> 23) - 256);  // about -45 dBFS
  }
  for (fe_s* fe : {vad_, trigger_}) {
    fe_start_utt(fe);
    Feed(fe, noise.data(), noise.size());
  }
  settling_ = true;
}

void Recogniser::Run() {
  std::vector<std::int16_t> buf(static_cast<std::size_t>(kSampleRate * settings_.bufferMs / 1000));
  bool failed = false;
  PrimeDetector();
  while (!stop_) {
    if (waitForGrammar_) {
      std::unique_lock lock(mutex_);
      grammarSet_.wait(lock, [&] {
        const auto& g = hasPending_ ? pending_ : active_;
        return stop_ || (g && !g->Empty());
      });
      WaitForNeighbours(lock);
    }
    if (stop_) {
      break;
    }
    const long n = source_->Read(buf.data(), buf.size());
    if (n < 0 && reopen_) {
      if (Reopen()) {
        continue;
      }
      break;
    }
    if (n <= 0) {
      failed = n < 0;
      break;
    }
    reopenWaitMs_ = kFirstReopenWaitMs;
    std::lock_guard lock(mutex_);
    const bool listening = ApplyPending();
    JoinNeighbours();
    if (!listening || !active_) {
      // No commands to listen for: the audio is dropped.
      DropUtterance();
      streamSamples_ += n;
      continue;
    }
    Detect(buf.data(), static_cast<std::size_t>(n));
  }
  {
    std::lock_guard lock(mutex_);
    // Speech running into the end of the input still counts as an utterance.
    if (inSpeech_ && active_) {
      inSpeech_ = false;
      speechFrames_ += settings_.vadPostspeech;
      // Ended in a pause that was already decoded: that result stands.
      Report(early_ ? std::move(*early_) : Evaluate(settings_.vadPostspeech));
      early_.reset();
    }
  }
  onEnd_(failed);
  finished_ = true;
}

}  // namespace varnel::listen
