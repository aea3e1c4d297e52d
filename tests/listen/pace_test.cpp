// The pace check's arithmetic: which words are judged and how fast they were.
#include "listen/pace.h"

#include <gtest/gtest.h>

namespace varnel::listen {
namespace {

TEST(ListenPace, FastestJudgedWord) {
  struct Case {
    const char* name;
    std::vector<WordSpan> words;
    double want;
  };
  const std::vector<Case> cases = {
      {"nothing decoded", {}, 0},
      {"a six-phone number squeezed into 150 ms", {{"tab", 20, 3}, {"eleven(2)", 15, 6}}, 25},
      {"the slowest word does not hide a fast one", {{"select", 60, 6}, {"back", 11, 3}}, 36.67},
      {"short words are not judged", {{"in", 3, 2}, {"zoom", 30, 3}}, 100},
      {"only short words", {{"do", 2, 2}, {"it", 2, 2}}, 0},
      {"fillers and loop words are not judged",
       {{"<sil>", 3, 3}, {"[NOISE]", 3, 3}, {"ow_town", 3, 0}, {"page", 40, 3}},
       133.33},
      {"a word of no frames takes one", {{"back", 0, 3}, {"tab", 30, 3}}, 3.33},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(FastestMsPerPhone(c.words), c.want, 0.01) << c.name;
  }
}

}  // namespace
}  // namespace varnel::listen
