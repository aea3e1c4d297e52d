// What --verbose prints of each utterance, why it was or was not a command. Other tools read
// the first line ("varnel-listen: heard \"tab three\" at 5120 ms, ..."): its start and its
// "at N ms" stay as they are.
#pragma once

#include <string>
#include <vector>

#include "listen/heard.h"

namespace varnel::listen {

// The lines for `heard`, without their newlines: always the "heard" line, then one for each
// thing that was measured (its CPU time once decoded, its rivals, its fit against free phones,
// the language model's reading).
std::vector<std::string> VerboseLines(const Heard& heard);

}  // namespace varnel::listen
