// `varnel --command PHRASE`: hands a spoken-command phrase to the running instance.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "ports/desktop.h"
#include "ports/instances.h"
#include "ports/processes.h"
#include "ports/speech.h"

namespace varnel {

// Matches a phrase against the command table (any spoken form, list words included, any
// case); nullopt when it names no command.
std::optional<SpeechRecognition> MatchCommandPhrase(const std::string& phrase);

// Sends the phrase to the running instance: the window it published, else the one recorded
// in the settings file `cfgFile`. Returns the exit status: 0 delivered, 2 unknown phrase
// (reported on err), 1 no running instance or one that refuses this process (reported).
int HandOffCommandPhrase(Instances& instances, Processes& processes, Desktop& desktop,
                         const std::string& cfgFile, const std::string& phrase, std::ostream& err);

}  // namespace varnel
