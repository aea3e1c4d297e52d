#include "listen/pace.h"

#include <algorithm>

namespace varnel::listen {

double FastestMsPerPhone(const std::vector<WordSpan>& words) {
  double fastest = 0;
  bool judged = false;
  for (const auto& w : words) {
    // Fillers ("<sil>", "[NOISE]") pass at any speed.
    if (w.phones < kMinPhonesJudged || w.word.empty() || w.word[0] == '<' || w.word[0] == '[') {
      continue;
    }
    // A decoded word takes a frame at least.
    const double pace = 10.0 * std::max(w.frames, 1) / w.phones;
    if (!judged || pace < fastest) {
      fastest = pace;
      judged = true;
    }
  }
  return fastest;
}

}  // namespace varnel::listen
