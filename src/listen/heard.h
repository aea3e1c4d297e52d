// What varnel-listen made of one utterance: the command it heard, if any, and why it judged
// as it did, for the clients and for --verbose.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "listen/grammar.h"
#include "listen/phone_fit.h"
#include "listen/rivals.h"

namespace varnel::listen {

struct Heard {
  std::string hypothesis;
  std::optional<Match> match;  // nullopt: not a command
  int speechMs = 0;
  int limitMs = 0;  // the longest speech the result may take
  bool tooLong = false;
  double fastestMsPerPhone = 0;  // of the command's words; 0 when none was judged
  bool tooFast = false;
  double margin = 0;         // per-frame score of the command against the best-fitting sounds
  RivalGaps rivals;          // how near the other readings of the lattice came to the command
  std::string nearestRival;  // the command that came nearest, when known
  std::string refusedFor;    // why a command the decoder heard was refused as a guess
  // The quiet between other speech and this utterance, when it followed some, and whether a
  // command heard in it was taken as more of that speech for it.
  std::optional<int> quietAfterSpeechMs;
  bool runsOn = false;
  // The language model's reading of a command the grammar heard, when it was decoded again.
  bool verified = false;
  std::string lmHypothesis;
  int verifyMs = 0;
  std::string disagreement;  // why the two readings do not agree; "" when they do
  double snrDb = 0;          // how far the speech stood above the room's noise
  double riseDb = 0;         // how far its loudest moments stood above the pause after it
  bool steady = false;       // too even for speech: a steady noise, not decoded
  bool denoised = false;     // decoded, with the noise spectrum subtracted
  long endMs = 0;            // end of the utterance in the input stream
  // Not decoded (too long, or the decoder failed), decoded once it had ended, or as it came.
  enum class Decoding { kNone, kWhole, kStreamed };
  Decoding decoding = Decoding::kNone;
  int decodeMs = 0;  // wall time of the decoding, or of its end when decoded as it came
  // Thread CPU time, whatever the machine's load: decoding the audio while it came, decoding
  // at its end (all of it when decoded whole), and the checks after it.
  double streamCpuMs = 0;
  double endCpuMs = 0;
  double checkCpuMs = 0;
  int frames = 0;
  std::vector<std::string> decodedWords;  // as the decoder named them, "select(2)", "<sil>"
  std::vector<float> cepstralMean;        // the decoder's cepstral mean once it was decoded
  // The command's words against a loop of free phones over the same frames, when checked.
  bool fitChecked = false;
  std::vector<WordFit> fits;
  std::string misfit;  // why the command was refused for it; "" when it fits
  int fitMs = 0;
};

}  // namespace varnel::listen
