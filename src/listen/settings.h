// varnel-listen's command-line settings.
#pragma once

#include <string>
#include <vector>

#include "listen/grammar.h"

namespace varnel::listen {

struct Settings {
  std::string input;       // "" microphone, "-" raw stdin, otherwise a WAV or raw file
  std::string socketPath;  // "" = the per-user default
  std::string model = "/usr/share/pocketsphinx/model/en-us/en-us";
  std::string dict = "/usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict";
  std::string extraDict;  // "" = varnel.dic next to the executable or in /usr/share/varnel
  int bufferMs = 30;      // microphone read size
  // Voice detector (frames of 10 ms).
  double vadThreshold = 2.0;
  int vadPrespeech = 20;
  int vadPostspeech = 20;
  int vadStartspeech = 10;
  // Rejection.
  GarbageOptions garbage;
  // Starting cepstral mean (the decoder's own default); a poor one costs the first utterance.
  std::string cmnInit = "8.0";
  double beam = 1e-48;        // decoder state and phone beams
  double wordBeam = 7e-29;    // decoder word-exit beam
  double wordPenalty = 0.65;  // decoder word insertion penalty; each garbage phone is a word
  int msPerPhone = 110;  // an utterance longer than the longest command at this pace is refused
  int lengthSlackMs = 200;
  int noiseFloor = 32;       // peak of the hiss added before decoding, in sample units
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
