// The pocketsphinx decoder behind varnel-listen. Audio is read on one worker thread; a front
// end of its own cuts it into utterances with its voice detector. The first utterance is
// decoded whole once it ends (its cepstral mean its own); later ones as they come, by a
// running mean that starts from the one before, so that little is left to do at the pause.
// Each is judged and reported through a callback on that thread. The neighbours of a new menu's
// words are looked for on a thread of their own, and join the word loop between utterances.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "listen/audio_source.h"
#include "listen/grammar.h"
#include "listen/heard.h"
#include "listen/language_model_check.h"
#include "listen/lexicon.h"
#include "listen/neighbour_scan.h"
#include "listen/noise_remover.h"
#include "listen/pace.h"
#include "listen/phone_loop_check.h"
#include "listen/rivals.h"
#include "listen/run_on.h"
#include "listen/settings.h"
#include "listen/snr.h"
#include "listen/voice_fit.h"

struct ps_decoder_s;
struct fe_s;

namespace varnel::listen {

class Recogniser {
 public:
  explicit Recogniser(const Settings& settings) : settings_(settings) {}
  ~Recogniser();
  Recogniser(const Recogniser&) = delete;
  Recogniser& operator=(const Recogniser&) = delete;

  // Loads the model and the dictionaries.
  bool Open(std::string& error);
  // Phones in the word's pronunciation, 0 when unknown. Any thread.
  int PhoneCount(const std::string& word);
  // What the decoder scales the graph's log probabilities by; 1 before Open. Any thread.
  double LanguageWeight() const { return languageWeight_; }
  // Takes effect at the next pause between utterances. Any thread.
  void SetGrammar(std::shared_ptr<const Grammar> grammar);

  // Starts the worker. With `waitForGrammar` audio is only read while a grammar is set, so
  // that nothing of a file is lost; a microphone's audio is dropped while there is none.
  // `reopen`, when given, opens the source again after a read fails (a sound server that
  // restarted, a headset plugged out and in); without it a failed read ends the worker.
  void Start(std::unique_ptr<AudioSource> source, bool waitForGrammar,
             std::function<void(Heard)> onHeard, std::function<void(bool failed)> onEnd,
             std::function<std::unique_ptr<AudioSource>(std::string& error)> reopen = {});
  // Stops the worker; true when it ended (a read may still be blocked on stdin).
  bool Stop();

 private:
  // The parts of Open: the decoder (and the noise remover beside it), the voice detectors,
  // the dictionaries with the words the decoder always has, and the thread that looks for
  // the neighbours of each new menu's words.
  bool OpenDecoder(std::string& error);
  bool OpenDetectors(std::string& error);
  bool LoadWords(std::string& error);
  void StartNeighbourScan();
  void Run();
  // Drops the utterance under way and opens the source again, trying until it opens or the
  // worker is stopped; false when stopped.
  bool Reopen();
  void DropUtterance();  // with mutex_ held
  bool ApplyPending();   // with mutex_ held
  bool SetCommandSearch(const char* name, const Grammar& grammar);
  // The word loop's dictionary names for a menu of `words`: the everyday words, the menu's
  // words and the neighbours found so far; with mutex_ held.
  std::vector<std::string> LoopWordsFor(const std::vector<std::string>& words) const;
  // Gives the decoder the neighbours found since, and the commands' search with them in its
  // word loop; with mutex_ held, between utterances only.
  void JoinNeighbours();
  // Applies the grammar and waits until the neighbours of its words have joined, so that a
  // file is decoded the same however busy the machine is; `lock` holds mutex_.
  void WaitForNeighbours(std::unique_lock<std::mutex>& lock);
  void PrimeDetector();
  void Detect(const std::int16_t* samples, std::size_t n);
  // Runs a detector over the samples; the number of frames it passed as speech.
  long Feed(fe_s* fe, const std::int16_t* samples, std::size_t n);
  // Decodes the utterance and checks the result; with mutex_ held.
  // `pauseFrames` of silence end the audio.
  Heard Evaluate(int pauseFrames);
  // Decodes it as it came or whole, unless `heard` says it is too long or a steady noise;
  // fills the hypothesis, the command it maps to, and how it was decoded.
  void DecodeUtterance(Heard& heard, int pauseFrames, long* commandScore,
                       std::vector<WordSpan>* words);
  // Keeps the command only if it passes every check: its length and pace, its rivals, and
  // the second readings that are on.
  void JudgeCommand(Heard& heard, const std::vector<WordSpan>& words, long commandScore);
  void Report(Heard heard);  // with mutex_ held
  // The sample where the voice ended, once the detector has ended speech.
  long VoiceEnd() const;
  int PhoneCountLocked(const std::string& word) const;
  // The lattice's best readings of the utterance just decoded, best first.
  std::vector<Reading> Readings();
  // The commands alone, for weighing a command against its rivals.
  bool SetRivalSearch(const Grammar& grammar);
  // The utterance just heard decoded again by that search, and by one of every command but
  // the heard one.
  CommandsAlone CommandRivals(const Heard& heard);
  // One such decoding with the search `name`: the command read and its path's score; false
  // when it read none.
  bool DecodeAlone(const char* name, const Heard& heard, const std::vector<std::int16_t>& audio,
                   std::optional<Match>* match, long* score);
  // The audio the utterance was decoded from, with its hiss.
  std::vector<std::int16_t> DecodedAudio(const Heard& heard) const;
  // Gives the decoder the word's pronunciations from the lexicon under `name`, `name(2)`...,
  // at most `most` of them; the phones of the first, or 0 when it has none.
  int AddWord(const std::string& word, const std::string& name,
              std::size_t most = std::numeric_limits<std::size_t>::max());
  // Longest speech, in ms, that a command of `phones` phones may take.
  int LengthLimitMs(int phones) const;
  // Samples of an utterance worth keeping: a second past the longest command's limit.
  long KeptSamples() const;
  // The hiss's peak for speech whose loud frames have this RMS.
  int HissFor(double loudRms) const;
  // Whether speech standing `snrDb` above the room is decoded with the noise taken out.
  bool WantsDenoising(double snrDb) const;
  // Decodes the whole utterance against the commands; false when the decoder failed.
  // `denoisedUsed` tells whether the noise was taken out: asked for, and the cepstra made.
  bool Decode(bool denoise, std::string* hyp, long* acoustic, std::vector<WordSpan>* words,
              bool* denoisedUsed);
  // The decoder's result for the utterance just ended: its words and the acoustic score of
  // the best path.
  void ReadResult(std::string* hyp, long* acoustic, std::vector<WordSpan>* words);
  // Decoding as the audio arrives, so that little is left to do when the speech ends.
  // StartStream begins it with the utterance so far where it can; StreamFeed passes on
  // audio; FinishStream ends the decoder's utterance (`keep`: read its result).
  void StartStream();
  void StreamFeed(const std::int16_t* samples, std::size_t n);
  bool FinishStream(bool keep, std::string* hyp, long* acoustic, std::vector<WordSpan>* words);

  const Settings& settings_;
  ps_decoder_s* ps_ = nullptr;
  std::atomic<double> languageWeight_{1};
  std::unique_ptr<LanguageModelCheck> lmCheck_;  // nullptr when commands are not checked
  std::unique_ptr<PhoneLoopCheck> fitCheck_;     // ... not laid against free phones
  std::unique_ptr<VoiceFit> voiceFit_;           // ... the model not fitted to the voice
  fe_s* vad_ = nullptr;
  std::mutex mutex_;  // guards the decoder and the grammar fields
  std::condition_variable grammarSet_;
  std::shared_ptr<const Grammar> pending_;
  bool hasPending_ = false;
  std::shared_ptr<const Grammar> active_;
  bool hasSearch_ = false;  // the decoder holds the commands' graph
  bool inSpeech_ = false;
  // A second detector, quick to call a pause, starts decoding while the first one waits to
  // see whether the pause ends the utterance.
  fe_s* trigger_ = nullptr;
  std::unique_ptr<NoiseRemover> denoiser_;  // nullptr when noise is never removed
  bool wasVoiced_ = false;
  std::optional<Heard> early_;  // the utterance decoded at the pause under way
  long pauseStart_ = -1;        // where that pause was noticed, or -1
  long pausedSamples_ = 0;      // pauses inside the utterance, not counted in its length
  int earlyFrames_ = 0;
  bool settling_ = false;
  std::vector<std::int16_t> utterance_;  // voiced audio of the utterance under way
  std::vector<std::int16_t> decoded_;    // the copy of it that is decoded, with hiss
  // The cepstral mean of the last utterance heard: decoding as the audio arrives normalises
  // by a running mean that starts from it, so the first utterance is decoded whole.
  std::vector<float> runningMean_;
  int wholeCmn_ = 0;             // the model's cepstral normalisation for a whole utterance
  bool streaming_ = false;       // the decoder is taking the utterance under way
  bool streamDenoised_ = false;  // ... as cepstra with the noise taken out
  bool streamFailed_ = false;
  long streamFed_ = 0;      // samples of it passed on
  double streamCpuMs_ = 0;  // thread CPU time spent decoding it so far
  std::uint32_t hissSeed_ = 0;
  double lastSnrDb_ = 100;  // of the latest utterance: the room, for the next one
  double lastLoudRms_ = 0;  // ... and how loud its voice was (0: none heard yet)
  int streamHiss_ = 0;      // peak of the hiss under the utterance decoded as it comes
  long speechFrames_ = 0;
  // How the last utterance ended, and the quiet between it and the one under way when that
  // was other speech.
  std::optional<UtteranceEnd> lastEnd_;
  std::optional<int> quietAfterSpeechMs_;
  long streamSamples_ = 0;
  std::vector<float> cep_;  // the detector's cepstra, unused
  std::vector<float*> cepRows_;
  Lexicon lexicon_;
  std::vector<std::string> otherWords_;  // dictionary names of the word loop
  // The neighbours of every command word the grammars have had, as words and as the names
  // they were added under: a change of menu seldom brings new words.
  std::vector<std::string> neighbourWords_;
  std::vector<std::string> neighbours_;
  std::set<std::string> closest_;        // names of those one phone edit from a command word
  std::set<std::string> loopNames_;      // every name of the word loop in the decoder's dictionary
  std::vector<std::int16_t> history_;    // the latest audio, from which an utterance starts
  std::unique_ptr<NeighbourScan> scan_;  // nullptr without neighbours; reads lexicon_

  std::unique_ptr<AudioSource> source_;
  bool waitForGrammar_ = false;
  std::function<void(Heard)> onHeard_;
  std::function<void(bool)> onEnd_;
  std::function<std::unique_ptr<AudioSource>(std::string&)> reopen_;
  static constexpr int kFirstReopenWaitMs = 250;
  static constexpr int kLongestReopenWaitMs = 2000;
  int reopenWaitMs_ = kFirstReopenWaitMs;  // before the next try to open the source again
  std::atomic<bool> stop_{false};
  std::atomic<bool> finished_{true};  // no worker running
  std::thread worker_;
};

// varnel.dic next to the executable, else in ../share/varnel from it, else in /usr/share/varnel;
// "" when none exists.
std::string FindExtraDictionary();

}  // namespace varnel::listen
