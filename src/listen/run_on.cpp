#include "listen/run_on.h"

#include <algorithm>

namespace varnel::listen {

std::optional<int> QuietAfterSpeechMs(const std::optional<UtteranceEnd>& before, long voiceStart,
                                      int sampleRate) {
  if (!before || !before->otherSpeech || sampleRate <= 0) {
    return std::nullopt;
  }
  // The detector's estimates of both ends overlap a little when the pause is short.
  const long quiet = std::max(voiceStart - before->voiceEnd, 0L);
  return static_cast<int>(quiet * 1000 / sampleRate);
}

bool RunsOn(const std::optional<int>& quietMs, int minPauseMs) {
  return minPauseMs > 0 && quietMs && *quietMs < minPauseMs;
}

}  // namespace varnel::listen
