// A pause splits a sentence into utterances ("hmm, I am not sure. ask me tomorrow"), and a
// part of it may sound like a command. People leave a pause of their own before they speak to
// a machine, so a command that follows other speech too closely is taken as more of it.
#pragma once

#include <optional>

namespace varnel::listen {

// How an utterance ended, in samples of the input.
struct UtteranceEnd {
  long voiceEnd = 0;
  bool otherSpeech = false;  // neither a command nor a steady noise
};

// The quiet, in ms, between other speech and an utterance whose voice began at `voiceStart`;
// nullopt when it followed nothing, a command or a noise.
std::optional<int> QuietAfterSpeechMs(const std::optional<UtteranceEnd>& before, long voiceStart,
                                      int sampleRate);

// Whether an utterance that came `quietMs` after other speech is more of it; `minPauseMs` 0:
// never.
bool RunsOn(const std::optional<int>& quietMs, int minPauseMs);

}  // namespace varnel::listen
