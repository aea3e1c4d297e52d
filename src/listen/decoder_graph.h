// The graph the decoder searches: the commands' grammar with the loops beside it that take
// speech that is no command.
#pragma once

#include <sphinxbase/fsg_model.h>
#include <sphinxbase/logmath.h>

#include <set>
#include <string>
#include <vector>

#include "listen/grammar.h"

namespace varnel::listen {

// The commands of `jsgf`, a loop of single phones from the start to the end and, when
// `otherWords` (dictionary names) is not empty, a loop of those words, entered from the start,
// part-way through a command and after a whole one. Weights from `garbage`, scaled by the
// language weight `lw`; the commands' words in `destructiveWords` weigh
// `garbage.destructiveWeight` more. The caller frees the graph; nullptr when the grammar does
// not parse.
fsg_model_t* BuildDecoderGraph(const char* name, const std::string& jsgf,
                               const std::set<std::string>& listEnds, const GarbageOptions& garbage,
                               const std::vector<std::string>& otherWords,
                               const std::set<std::string>& nearWords,
                               const std::set<std::string>& menuWords,
                               const std::vector<std::string>& destructiveWords, logmath_t* lmath,
                               float lw);

}  // namespace varnel::listen
