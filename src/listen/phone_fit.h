// How well each word of a heard command fits its stretch of speech, against a loop of
// unconstrained phones over the same frames: a word forced onto sounds that held another
// ("town" heard as "down") fits clearly worse than the phones actually said, while a word
// that was said fits about as well as they do.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace varnel::listen {

// A word or phone of a decoding, its frames (both inclusive) and its acoustic score.
struct Span {
  std::string label;
  int first = 0;
  int last = 0;
  long score = 0;
};

struct WordFit {
  std::string word;
  int frames = 0;
  double perFrame = 0;  // the word's score minus the phone loop's over its frames, per frame
};

// The fit of every word of `words` (fillers such as "<sil>" and "[NOISE]" left out) against
// `phones`, the phone loop's decoding of the same frames; a phone only partly inside a word
// counts for the share of its frames inside.
std::vector<WordFit> FitWords(const std::vector<Span>& words, const std::vector<Span>& phones);

struct FitRule {
  // Per frame: the weakest word must fit at least this well; none: any fit will do.
  std::optional<double> minWordFit;
  std::optional<double> destructiveMinWordFit;  // the same for commands that lose work
};

// Whether the rule could refuse such a command at all: it is only decoded again then.
bool FitJudged(bool destructive, const FitRule& rule);

// Why the command is refused, or "" when it fires. No words at all is a command whose words
// could not be laid on the speech: refused.
std::string RefuseForFit(const std::vector<WordFit>& fits, bool destructive, const FitRule& rule);

}  // namespace varnel::listen
