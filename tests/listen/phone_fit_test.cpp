// A command whose words fit their speech much worse than free phones do is refused.
#include "listen/phone_fit.h"

#include <gtest/gtest.h>

namespace varnel::listen {
namespace {

TEST(ListenPhoneFit, WordsAgainstThePhonesOverTheirFrames) {
  struct Case {
    const char* name;
    std::vector<Span> words, phones;
    std::vector<WordFit> want;
  } cases[] = {
      {"phones inside the word",
       {{"down", 0, 9, -300}},
       {{"D", 0, 3, -80}, {"AW", 4, 9, -120}},
       {{"down", 10, -10.0}}},
      {"a word fitting better than the phones",
       {{"tab", 0, 4, -50}},
       {{"T", 0, 1, -40}, {"AE", 2, 4, -60}},
       {{"tab", 5, 10.0}}},
      // Phones straddling the word's edges count for the frames they share with it.
      {"a phone partly inside counts by its share",
       {{"it", 10, 19, -200}},
       {{"IH", 5, 14, -100}, {"T", 15, 24, -300}},
       {{"it", 10, 0.0}}},
      {"fillers are no words",
       {{"<sil>", 0, 9, -10}, {"kill", 10, 19, -100}, {"[NOISE]", 20, 24, -5}},
       {{"SIL", 0, 9, -5}, {"K", 10, 19, -100}, {"SIL", 20, 24, -5}},
       {{"kill", 10, 0.0}}},
      {"each word on its own",
       {{"page", 0, 9, -100}, {"down", 10, 19, -400}},
       {{"P", 0, 19, -400}},
       {{"page", 10, 10.0}, {"down", 10, -20.0}}},
      {"no phones where the word is: the word's own score",
       {{"go", 0, 3, -20}},
       {},
       {{"go", 4, -5.0}}},
  };
  for (const auto& c : cases) {
    const auto got = FitWords(c.words, c.phones);
    ASSERT_EQ(got.size(), c.want.size()) << c.name;
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].word, c.want[i].word) << c.name;
      EXPECT_EQ(got[i].frames, c.want[i].frames) << c.name;
      EXPECT_NEAR(got[i].perFrame, c.want[i].perFrame, 1e-9) << c.name;
    }
  }
}

TEST(ListenPhoneFit, RefusedWhenTheWeakestWordFallsBelowItsBound) {
  const FitRule destructiveOnly{std::nullopt, -20};
  const FitRule both{-30, -20};
  const FitRule looserDestructive{-10, -20};
  const std::vector<WordFit> closeIt = {{"close", 30, -7.1}, {"it", 20, -40.0}};
  const std::vector<WordFit> fits = {{"close", 30, 0.3}, {"it", 20, -14.8}};
  struct Case {
    const char* name;
    std::vector<WordFit> fits;
    bool destructive;
    FitRule rule;
    std::string want;  // "" fires
  } cases[] = {
      {"no bound for the command", closeIt, false, destructiveOnly, ""},
      {"the weakest word names the reason", closeIt, true, destructiveOnly,
       "\"it\" fits 40.0 a frame worse than the phone loop (at most 20.0)"},
      {"within the bound", fits, true, destructiveOnly, ""},
      {"the general bound for other commands", closeIt, false, both,
       "\"it\" fits 40.0 a frame worse than the phone loop (at most 30.0)"},
      {"fitting exactly at the bound fires", {{"delete", 40, -20.0}}, true, destructiveOnly, ""},
      // The destructive bound only ever adds to the general one.
      {"the stricter bound holds", fits, true, looserDestructive,
       "\"it\" fits 14.8 a frame worse than the phone loop (at most 10.0)"},
      {"words that could not be laid on the speech",
       {},
       true,
       destructiveOnly,
       "its words could not be laid on the speech"},
      {"no words and no bound", {}, false, destructiveOnly, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RefuseForFit(c.fits, c.destructive, c.rule), c.want) << c.name;
  }
}

TEST(ListenPhoneFit, JudgedOnlyWhereABoundApplies) {
  EXPECT_FALSE(FitJudged(false, FitRule{std::nullopt, -20}));
  EXPECT_TRUE(FitJudged(true, FitRule{std::nullopt, -20}));
  EXPECT_TRUE(FitJudged(false, FitRule{-30, std::nullopt}));
  EXPECT_TRUE(FitJudged(true, FitRule{-30, std::nullopt}));
  EXPECT_FALSE(FitJudged(true, FitRule{}));
}

}  // namespace
}  // namespace varnel::listen
