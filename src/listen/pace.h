// How fast the words of a decoded command were spoken, from the decoder's word timings.
#pragma once

#include <string>
#include <vector>

namespace varnel::listen {

struct WordSpan {
  std::string word;  // as the decoder names it: "eleven(2)", "<sil>", "ow_town"
  int frames = 0;    // 10 ms frames
  int phones = 0;    // of the pronunciation decoded; 0 for the garbage loops' words
};

// Words of fewer phones are left out: a short word may be clipped to almost nothing in fast
// speech, while a longer one squeezed that far is a word the decoder put where there was none.
inline constexpr int kMinPhonesJudged = 3;

// The fastest pace, in ms a phone, of the words long enough to judge; 0 when none is.
double FastestMsPerPhone(const std::vector<WordSpan>& words);

}  // namespace varnel::listen
