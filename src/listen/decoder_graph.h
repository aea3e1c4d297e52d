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

// The words of the loop beside the commands, by the decoder's names, and what each is.
struct LoopWords {
  std::vector<std::string> words;
  std::set<std::string> neighbours;  // sound like a command's word
  std::set<std::string> closest;     // ... and are one phone from it (of `neighbours`)
  std::set<std::string> menu;        // the menu's own words
  std::set<std::string> standalone;  // said on their own
};

// The commands of `jsgf`, a loop of single phones from the start to the end and, when `loop`
// has words, a loop of those words, entered from the start, part-way through a command and
// after a whole one. Weights from `garbage`, scaled by the language weight `lw`; the
// commands' words in `destructiveWords` weigh `garbage.destructiveWeight` more. The caller
// frees the graph; nullptr when the grammar does not parse.
fsg_model_t* BuildDecoderGraph(const char* name, const std::string& jsgf,
                               const std::set<std::string>& listEnds, const GarbageOptions& garbage,
                               const LoopWords& loop,
                               const std::vector<std::string>& destructiveWords, logmath_t* lmath,
                               float lw);

}  // namespace varnel::listen
