#include "listen/decoder_setup.h"

#include <pocketsphinx.h>
#include <sphinxbase/fe.h>
#include <time.h>

#include <string>
#include <vector>

namespace varnel::listen {

fe_s* MakeDetector(double threshold, int prespeech, int postspeech, int startspeech) {
  const std::string t = std::to_string(threshold);
  const std::string pre = std::to_string(prespeech);
  const std::string post = std::to_string(postspeech);
  const std::string start = std::to_string(startspeech);
  const std::vector<const char*> argv = {"varnel-listen",
                                         "-samprate",
                                         "16000",
                                         "-remove_silence",
                                         "yes",
                                         "-dither",
                                         "yes",
                                         "-seed",
                                         "1",
                                         "-vad_threshold",
                                         t.c_str(),
                                         "-vad_prespeech",
                                         pre.c_str(),
                                         "-vad_postspeech",
                                         post.c_str(),
                                         "-vad_startspeech",
                                         start.c_str()};
  cmd_ln_t* config = cmd_ln_parse_r(nullptr, fe_get_args(), static_cast<int32>(argv.size()),
                                    const_cast<char**>(argv.data()), FALSE);
  fe_s* fe = config != nullptr ? fe_init_auto_r(config) : nullptr;
  cmd_ln_free_r(config);
  return fe;
}

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  constexpr double kMsPerSecond = 1e3;
  constexpr double kNsPerMs = 1e6;
  return static_cast<double>(t.tv_sec) * kMsPerSecond + static_cast<double>(t.tv_nsec) / kNsPerMs;
}

ps_decoder_s* MakeDecoder(std::vector<const char*> argv, bool verbose, const std::string& model,
                          std::string& error) {
  if (!verbose) {
    argv.push_back("-logfn");
    argv.push_back("/dev/null");
  }
  // The parser skips argv[0] like a program's own arguments.
  cmd_ln_t* config = cmd_ln_parse_r(nullptr, ps_args(), static_cast<int32>(argv.size()),
                                    const_cast<char**>(argv.data()), TRUE);
  if (config == nullptr) {
    error = "bad decoder configuration for " + model;
    return nullptr;
  }
  ps_decoder_t* decoder = ps_init(config);
  cmd_ln_free_r(config);
  if (decoder == nullptr) {
    error = "cannot load the speech model from " + model;
  }
  return decoder;
}

}  // namespace varnel::listen
