// varnel-listen's command-line settings.
#pragma once

#include <string>
#include <vector>

#include "listen/grammar.h"
#include "listen/neighbours.h"
#include "listen/phone_fit.h"
#include "listen/rivals.h"

namespace varnel::listen {

struct Settings {
  std::string input;       // "" microphone, "-" raw stdin, otherwise a WAV or raw file
  std::string socketPath;  // "" = the per-user default
  std::string model = "/usr/share/pocketsphinx/model/en-us/en-us";
  std::string dict = "/usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict";
  std::string extraDict;  // "" = varnel.dic beside the executable or where it was installed
  int bufferMs = 30;      // microphone read size
  // Voice detector (frames of 10 ms).
  double vadThreshold = 2.0;
  int vadPrespeech = 20;
  int vadPostspeech = 20;
  int vadStartspeech = 10;
  // Rejection.
  GarbageOptions garbage;
  // Dictionary words that sound like the commands' words join the loop of everyday words.
  bool neighbours = true;
  NeighbourRule neighbourRule;
  // Wider than the decoder's own beams and more Gaussians per frame: utterances are short and
  // decoded once, and both fix commands that the narrow search lost.
  double beam = 1e-60;      // decoder state and phone beams
  double wordBeam = 1e-48;  // decoder word-exit beam
  int topN = 8;
  // The model is fitted to the voice it hears: every command heard teaches it, and after
  // `adaptAfterFrames` 10 ms frames of commands each new fit replaces the last, held near the
  // model as it was by `adaptPriorFrames` frames that fit it unchanged (a second of speech:
  // the first command moves it a third of the way).
  bool adapt = true;
  long adaptAfterFrames = 0;
  double adaptPriorFrames = 100;
  // Each Gaussian's mean then moves toward what it heard, held by this many frames that fit
  // the transformed mean; 0 keeps the one transform.
  double adaptMeanPriorFrames = 10;
  // Spectral subtraction smears clean close-talk speech but recovers commands in a noisy
  // room, so by default it is used for an utterance only when its speech stands less than
  // `removeNoiseBelowSnrDb` above the room's noise.
  enum class NoiseRemoval { kAuto, kAlways, kNever };
  NoiseRemoval removeNoise = NoiseRemoval::kAuto;
  double removeNoiseBelowSnrDb = 30;
  double wordPenalty = 0.65;  // decoder word insertion penalty; each garbage phone is a word
  // An utterance longer than the command it decodes to, spoken at this slow pace, is refused.
  int msPerPhone = 140;
  int lengthSlackMs = 200;
  // A command with a word of three phones or more spoken faster than this, in ms a phone,
  // is refused: the decoder squeezed a word of its own into speech that held another ("let"
  // of "tablet" taken as "eleven"). The model's shortest phone is 30 ms. 0: never.
  int fastestMsPerPhone = 45;
  // A command that follows other speech (no command, no steady noise) after less quiet than
  // this, in ms, is refused as part of that speech: the pauses at commas and between
  // sentences split dictation into utterances, and one part may sound like a command. Above
  // the longest such pause of the tuning voices (410 ms). 0: never.
  int minPauseAfterSpeechMs = 500;
  // A command whose per-frame score falls this far below the best-fitting sounds of the
  // model is refused. Off by default: it needs every senone scored, which makes decoding
  // slower.
  bool marginCheck = false;
  double minMargin = -60;
  // A command whose nearest rival reading in the decoder's lattice (another command, or
  // speech that is no command) scored within these gaps, per frame, is refused as a guess.
  // Off for most commands: on the tuning set correct commands often had a rival within a
  // frame's score (the lattice's best path is not always the decoder's). Destructive ones
  // must beat every other command by 3 a frame.
  RivalRule rivals{0, 0, {"delete", "kill", "close"}, 10, 0, {}};
  int rivalReadings = 20;  // readings of the lattice looked at, best first
  // Decode as the audio arrives (after the first utterance) rather than once it has ended:
  // the answer no longer waits for a long command's decoding.
  bool streamDecode = true;
  // ...but only once the speech has lasted this long, or in a noisy room. A shorter
  // utterance is decoded whole, within the pause that ends it, and normalised by its own
  // cepstral mean rather than the running one; with the neighbours in the word loop a whole
  // decoding takes up to 300 ms of CPU, more than the pause hides, so every utterance but the
  // first is decoded as it comes.
  int streamAfterMs = 0;
  // Sound whose loud moments stand less than this, in dB, above the pause that ends it is a
  // steady noise the voice detector had not yet learnt (a fan coming on, a microphone unmuted
  // onto its hiss), not speech: it is not decoded, and no event is sent. 0: never.
  double minSpeechRiseDb = 3;
  // Peak of the hiss added before decoding, in sample units, under a voice whose loud frames
  // come in at a usual microphone level (-14 dBFS); it follows the voice's level, so that a
  // microphone turned down decodes as one at the usual level, unless `fixedNoiseFloor`.
  int noiseFloor = 64;
  bool fixedNoiseFloor = false;
  // varnel-listen's own phrases, beside the clients' commands: the first stops it firing
  // commands (it then listens for the second only), the second resumes.
  std::string sleepPhrase = "go to sleep";
  std::string wakePhrase = "wake up";
  bool startAsleep = false;
  // A command the grammar heard is decoded again with the large-vocabulary language model,
  // and fires only when the words read there agree with it: no everyday word in place of a
  // command word, the same number, and phones at most `verifyMaxDistance` edits a phone
  // apart. Off by default: on the tuning set the language model misread most commands
  // (synthetic voices are far from its training speech), refusing more of them than of the
  // phrases that only sound like one.
  bool verifyLm = false;
  double verifyMaxDistance = 0.5;
  std::string languageModel = "/usr/share/pocketsphinx/model/en-us/en-us.lm.bin";
  // A command the grammar heard is decoded again, forced onto its own words and as a loop of
  // unconstrained phones, by a second decoder that scores every sound of the model: each
  // word must fit its frames within `phoneFit.minWordFit` a frame of the phones' fit (a
  // command that loses work within `destructiveMinWordFit`). No bound for most commands:
  // on the tuning set correct commands' words often fit 30 a frame worse than the phones
  // (synthetic voices are far from the model), as near misses do. Destructive ones must fit
  // within 20, a little looser than the weakest destructive command of the tuning set.
  bool phoneLoopCheck = false;
  FitRule phoneFit{std::nullopt, -20};
  bool keepServing = false;  // with --input: go on serving clients after the input ends
  bool verbose = false;
};

// Fills `s` from the arguments; false with `error` set on a bad option. `help` is set for
// --help.
bool ParseSettings(const std::vector<std::string>& args, Settings& s, std::string& error,
                   bool& help);
std::string Usage();

// $XDG_RUNTIME_DIR/varnel-listen.sock, or /tmp/varnel-$UID/varnel-listen.sock without it.
std::string DefaultSocketPath();

}  // namespace varnel::listen
