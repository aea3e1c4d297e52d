#include "listen/phone_fit.h"

#include <algorithm>
#include <cstdio>

namespace varnel::listen {
namespace {

bool IsFiller(const std::string& label) {
  return label.empty() || label[0] == '<' || label[0] == '[' || label[0] == '+';
}

// The phone loop's score over frames first..last.
double LoopScore(const std::vector<Span>& phones, int first, int last) {
  double total = 0;
  for (const auto& p : phones) {
    const int from = std::max(first, p.first);
    const int to = std::min(last, p.last);
    if (from > to) {
      continue;
    }
    total += static_cast<double>(p.score) * (to - from + 1) / (p.last - p.first + 1);
  }
  return total;
}

}  // namespace

std::vector<WordFit> FitWords(const std::vector<Span>& words, const std::vector<Span>& phones) {
  std::vector<WordFit> fits;
  for (const auto& w : words) {
    if (IsFiller(w.label) || w.last < w.first) {
      continue;
    }
    const int frames = w.last - w.first + 1;
    const double gap = static_cast<double>(w.score) - LoopScore(phones, w.first, w.last);
    fits.push_back({w.label, frames, gap / frames});
  }
  return fits;
}

namespace {

// The stricter of the bounds that apply; none when neither does.
std::optional<double> Bound(bool destructive, const FitRule& rule) {
  if (!destructive || !rule.destructiveMinWordFit) {
    return rule.minWordFit;
  }
  return rule.minWordFit ? std::max(*rule.minWordFit, *rule.destructiveMinWordFit)
                         : rule.destructiveMinWordFit;
}

}  // namespace

bool FitJudged(bool destructive, const FitRule& rule) {
  return Bound(destructive, rule).has_value();
}

std::string RefuseForFit(const std::vector<WordFit>& fits, bool destructive, const FitRule& rule) {
  const auto need = Bound(destructive, rule);
  if (!need) {
    return "";
  }
  if (fits.empty()) {
    return "its words could not be laid on the speech";
  }
  const auto weakest = std::min_element(fits.begin(), fits.end(), [](const auto& a, const auto& b) {
    return a.perFrame < b.perFrame;
  });
  if (weakest->perFrame >= *need) {
    return "";
  }
  char text[160];
  std::snprintf(text, sizeof text,
                "\"%s\" fits %.1f a frame worse than the phone loop (at most %.1f)",
                weakest->word.c_str(), -weakest->perFrame, -*need);
  return text;
}

}  // namespace varnel::listen
