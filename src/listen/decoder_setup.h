// Making pocketsphinx's decoders and voice detectors from command-line style arguments, the
// only way its configuration is given.
#pragma once

#include <string>
#include <vector>

struct ps_decoder_s;
struct fe_s;

namespace varnel::listen {

// A decoder made from `argv` (argv[0] a program name, as the parser skips it); its log goes
// away unless `verbose`. Null with `error` set when the arguments or the model at `model`
// cannot be used.
ps_decoder_s* MakeDecoder(std::vector<const char*> argv, bool verbose, const std::string& model,
                          std::string& error);

// A front end that tells speech from silence in 16 kHz audio and drops the silence; null when
// the settings are refused.
fe_s* MakeDetector(double threshold, int prespeech, int postspeech, int startspeech);

// CPU time of the calling thread, in ms: what a step costs, whatever else the machine runs.
double ThreadCpuMs();

}  // namespace varnel::listen
