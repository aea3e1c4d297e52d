// varnel-listen's command line: every threshold is a setting, and bad values are refused.
#include "listen/settings.h"

#include <gtest/gtest.h>

namespace varnel::listen {
namespace {

TEST(ListenSettings, OptionsSetTheirFields) {
  Settings s;
  std::string error;
  bool help = true;
  ASSERT_TRUE(ParseSettings({"--input", "-", "--socket", "/run/x.sock", "--vad-postspeech", "15",
                             "--garbage-weight", "0.01", "--phone-weight", "0.2", "--no-garbage",
                             "--noise-floor", "0", "--keep-serving", "--whole-utterances"},
                            s, error, help))
      << error;
  EXPECT_FALSE(help);
  EXPECT_EQ(s.input, "-");
  EXPECT_EQ(s.socketPath, "/run/x.sock");
  EXPECT_EQ(s.vadPostspeech, 15);
  EXPECT_DOUBLE_EQ(s.garbage.entryWeight, 0.01);
  EXPECT_DOUBLE_EQ(s.garbage.phoneWeight, 0.2);
  EXPECT_FALSE(s.garbage.enabled);
  EXPECT_EQ(s.noiseFloor, 0);
  EXPECT_TRUE(s.keepServing);
  EXPECT_FALSE(s.streamDecode);
  EXPECT_TRUE(Settings{}.streamDecode);
}

TEST(ListenSettings, SleepOptionsParse) {
  Settings s;
  EXPECT_FALSE(s.startAsleep);
  EXPECT_EQ(s.sleepPhrase, "go to sleep");
  EXPECT_EQ(s.wakePhrase, "wake up");
  std::string error;
  bool help = false;
  ASSERT_TRUE(ParseSettings(
      {"--sleep", "--sleep-phrase", "stop listening", "--wake-phrase", "start listening"}, s, error,
      help))
      << error;
  EXPECT_TRUE(s.startAsleep);
  EXPECT_EQ(s.sleepPhrase, "stop listening");
  EXPECT_EQ(s.wakePhrase, "start listening");
  // The phrase chosen is the one guarded, not the default.
  EXPECT_EQ(s.rivals.guardedCommands, std::vector<std::string>{"stop listening"});
  EXPECT_FALSE(ParseSettings({"--wake-phrase"}, s, error, help));
}

TEST(ListenSettings, RivalOptionsParse) {
  Settings s;
  std::string error;
  bool help = false;
  ASSERT_TRUE(
      ParseSettings({"--min-rival-gap", "3.5", "--min-other-gap", "2", "--destructive-rival-gap",
                     "4", "--destructive-other-gap", "1", "--rival-readings", "10"},
                    s, error, help))
      << error;
  EXPECT_DOUBLE_EQ(s.rivals.minCommandGap, 3.5);
  EXPECT_DOUBLE_EQ(s.rivals.minOtherGap, 2);
  EXPECT_DOUBLE_EQ(s.rivals.destructiveCommandGap, 4);
  EXPECT_DOUBLE_EQ(s.rivals.destructiveOtherGap, 1);
  EXPECT_DOUBLE_EQ(Settings{}.rivals.destructiveCommandGap, 10);
  EXPECT_DOUBLE_EQ(Settings{}.rivals.minCommandGap, 0);
  EXPECT_EQ(s.rivalReadings, 10);
  ASSERT_TRUE(ParseSettings({"--destructive-weight", "1"}, s, error, help)) << error;
  EXPECT_DOUBLE_EQ(s.garbage.destructiveWeight, 1);
  EXPECT_DOUBLE_EQ(Settings{}.garbage.destructiveWeight, 1e-6);
  ASSERT_TRUE(ParseSettings({"--parameter-weight", "1"}, s, error, help)) << error;
  EXPECT_DOUBLE_EQ(s.garbage.parameterWeight, 1);
  EXPECT_DOUBLE_EQ(Settings{}.garbage.parameterWeight, 0.1);
  for (const auto& bad : std::vector<std::vector<std::string>>{{"--min-rival-gap", "-1"},
                                                               {"--destructive-rival-gap", "-2"},
                                                               {"--rival-readings", "0"}}) {
    EXPECT_FALSE(ParseSettings(bad, s, error, help)) << bad[0];
  }
}

TEST(ListenSettings, VerifyOptionsParse) {
  Settings s;
  std::string error;
  bool help = false;
  EXPECT_FALSE(s.verifyLm);
  ASSERT_TRUE(ParseSettings({"--verify-lm", "--verify-max-distance", "0.25"}, s, error, help))
      << error;
  EXPECT_TRUE(s.verifyLm);
  EXPECT_DOUBLE_EQ(s.verifyMaxDistance, 0.25);
  ASSERT_TRUE(ParseSettings({"--no-verify-lm"}, s, error, help)) << error;
  EXPECT_FALSE(s.verifyLm);
  for (const auto& bad : std::vector<std::vector<std::string>>{{"--verify-max-distance", "-0.1"},
                                                               {"--verify-max-distance", "nan"},
                                                               {"--verify-max-distance"}}) {
    EXPECT_FALSE(ParseSettings(bad, s, error, help)) << bad[0];
  }
}

TEST(ListenSettings, PhoneLoopOptionsParse) {
  Settings s;
  std::string error;
  bool help = false;
  EXPECT_FALSE(s.phoneLoopCheck);
  EXPECT_FALSE(s.phoneFit.minWordFit);
  ASSERT_TRUE(s.phoneFit.destructiveMinWordFit);
  ASSERT_TRUE(ParseSettings({"--phone-loop-check"}, s, error, help)) << error;
  EXPECT_TRUE(s.phoneLoopCheck);
  ASSERT_TRUE(ParseSettings({"--no-phone-loop-check"}, s, error, help)) << error;
  EXPECT_FALSE(s.phoneLoopCheck);
  // A bound asks for the check.
  ASSERT_TRUE(ParseSettings({"--min-word-fit", "-25", "--destructive-min-word-fit", "-12.5"}, s,
                            error, help))
      << error;
  EXPECT_TRUE(s.phoneLoopCheck);
  ASSERT_TRUE(s.phoneFit.minWordFit);
  EXPECT_DOUBLE_EQ(*s.phoneFit.minWordFit, -25);
  EXPECT_DOUBLE_EQ(*s.phoneFit.destructiveMinWordFit, -12.5);
  for (const auto& bad : std::vector<std::vector<std::string>>{{"--min-word-fit", "nan"},
                                                               {"--min-word-fit", "-2000"},
                                                               {"--destructive-min-word-fit"}}) {
    EXPECT_FALSE(ParseSettings(bad, s, error, help)) << bad[0];
  }
}

TEST(ListenSettings, RejectionOptionsParse) {
  struct Case {
    std::vector<std::string> args;
    double Settings::*field;
    double want;
  };
  const std::vector<Case> cases = {
      {{"--beam", "1e-60"}, &Settings::beam, 1e-60},
      {{"--word-beam", "1e-40"}, &Settings::wordBeam, 1e-40},
      {{"--word-penalty", "0.5"}, &Settings::wordPenalty, 0.5},
  };
  for (const auto& c : cases) {
    Settings s;
    std::string error;
    bool help = false;
    ASSERT_TRUE(ParseSettings(c.args, s, error, help)) << c.args[0] << ": " << error;
    EXPECT_DOUBLE_EQ(s.*c.field, c.want) << c.args[0];
  }
  Settings s;
  std::string error;
  bool help = false;
  ASSERT_TRUE(
      ParseSettings({"--word-garbage-weight", "0.01", "--word-weight", "2e-6"}, s, error, help))
      << error;
  EXPECT_DOUBLE_EQ(s.garbage.wordEntryWeight, 0.01);
  EXPECT_DOUBLE_EQ(s.garbage.wordWeight, 2e-6);
  EXPECT_TRUE(s.garbage.wordsEnabled);
  ASSERT_TRUE(ParseSettings({"--top-n", "4", "--remove-noise"}, s, error, help)) << error;
  EXPECT_EQ(s.topN, 4);
  EXPECT_EQ(s.removeNoise, Settings::NoiseRemoval::kAlways);
  EXPECT_FALSE(s.marginCheck);
  ASSERT_TRUE(ParseSettings({"--min-margin", "-12.5"}, s, error, help)) << error;
  EXPECT_TRUE(s.marginCheck);  // tuning the check asks for it
  EXPECT_DOUBLE_EQ(s.minMargin, -12.5);
  ASSERT_TRUE(ParseSettings({"--prefix-weight", "0"}, s, error, help)) << error;
  EXPECT_DOUBLE_EQ(s.garbage.prefixWeight, 0);  // never leave a command half-way
  ASSERT_TRUE(ParseSettings({"--suffix-weight", "0"}, s, error, help)) << error;
  EXPECT_DOUBLE_EQ(s.garbage.suffixWeight, 0);
  EXPECT_TRUE(s.adapt);
  ASSERT_TRUE(ParseSettings({"--no-adapt", "--adapt-after-frames", "500", "--adapt-prior-frames",
                             "0", "--adapt-mean-prior-frames", "20"},
                            s, error, help))
      << error;
  EXPECT_FALSE(s.adapt);
  EXPECT_EQ(s.adaptAfterFrames, 500);
  EXPECT_DOUBLE_EQ(s.adaptPriorFrames, 0);
  EXPECT_DOUBLE_EQ(s.adaptMeanPriorFrames, 20);
  ASSERT_TRUE(ParseSettings({"--later-word-weight", "0"}, s, error, help)) << error;
  EXPECT_DOUBLE_EQ(s.garbage.laterWordWeight, 0);  // everyday words in a row as the first
  ASSERT_TRUE(ParseSettings({"--later-menu-word-weight", "0"}, s, error, help)) << error;
  EXPECT_DOUBLE_EQ(s.garbage.laterMenuWordWeight, 0);  // menu words as everyday ones
  ASSERT_TRUE(ParseSettings({"--everyday-words", "1000"}, s, error, help)) << error;
  EXPECT_EQ(s.garbage.commonWords, 1000u);
  ASSERT_TRUE(ParseSettings({"--no-neighbours", "--neighbour-edits", "0", "--no-neighbour-rhymes",
                             "--neighbour-compound-phones", "0", "--neighbours-per-word", "0"},
                            s, error, help))
      << error;
  EXPECT_FALSE(s.neighbours);
  EXPECT_EQ(s.neighbourRule.edits, 0);
  EXPECT_FALSE(s.neighbourRule.rhymes);
  EXPECT_EQ(s.neighbourRule.compoundPhones, 0);
  EXPECT_EQ(s.neighbourRule.perWord, 0u);  // every neighbour
  EXPECT_FALSE(s.neighbourRule.vowelChanges);
  ASSERT_TRUE(ParseSettings({"--neighbour-vowel-changes"}, s, error, help)) << error;
  EXPECT_TRUE(s.neighbourRule.vowelChanges);
  ASSERT_TRUE(ParseSettings({"--closest-neighbour-weight", "1e-3"}, s, error, help)) << error;
  EXPECT_DOUBLE_EQ(s.garbage.closestNeighbourWeight, 1e-3);  // as the other neighbours
  ASSERT_TRUE(ParseSettings({"--later-closest-neighbour-weight", "1e-4"}, s, error, help)) << error;
  EXPECT_DOUBLE_EQ(s.garbage.laterClosestNeighbourWeight, 1e-4);
  ASSERT_TRUE(ParseSettings({"--fastest-ms-per-phone", "0"}, s, error, help)) << error;
  EXPECT_EQ(s.fastestMsPerPhone, 0);  // the pace check off
  ASSERT_TRUE(ParseSettings({"--min-pause-after-speech", "0"}, s, error, help)) << error;
  EXPECT_EQ(s.minPauseAfterSpeechMs, 0);  // a command may follow other speech at once
  ASSERT_TRUE(ParseSettings({"--no-remove-noise"}, s, error, help)) << error;
  EXPECT_EQ(s.removeNoise, Settings::NoiseRemoval::kNever);
  ASSERT_TRUE(ParseSettings({"--remove-noise-below", "12.5"}, s, error, help)) << error;
  EXPECT_EQ(s.removeNoise, Settings::NoiseRemoval::kAuto);  // tuning the switch asks for it
  EXPECT_DOUBLE_EQ(s.removeNoiseBelowSnrDb, 12.5);
  ASSERT_TRUE(ParseSettings({"--whole-utterances", "--stream-after", "0"}, s, error, help));
  EXPECT_TRUE(s.streamDecode);  // tuning when to stream asks for streaming
  EXPECT_EQ(s.streamAfterMs, 0);
  ASSERT_TRUE(ParseSettings({"--fixed-noise-floor"}, s, error, help)) << error;
  EXPECT_TRUE(s.fixedNoiseFloor);
  ASSERT_TRUE(ParseSettings({"--min-speech-rise", "0"}, s, error, help)) << error;
  EXPECT_DOUBLE_EQ(s.minSpeechRiseDb, 0);  // the steady-noise check off
  ASSERT_TRUE(ParseSettings({"--no-word-garbage"}, s, error, help));
  EXPECT_FALSE(s.garbage.wordsEnabled);
  EXPECT_TRUE(s.garbage.enabled);  // the phone loop stays
}

TEST(ListenSettings, BadValuesAreRefused) {
  const std::vector<std::vector<std::string>> bad = {
      {"--adapt-after-frames", "-1"},       // a negative count
      {"--adapt-after-frames", "2.5"},      // not a whole number of frames
      {"--adapt-prior-frames", "-100"},     // a prior pushing away from the model
      {"--adapt-mean-prior-frames", "-1"},  // ... and for each mean
      {"--vad-postspeech"},                 // no value
      {"--vad-postspeech", "0"},            // below the range
      {"--vad-postspeech", "12x"},          // trailing junk
      {"--garbage-weight", "2"},            // a probability above 1
      {"--phone-weight", "0"},              // a probability of nothing
      {"--word-weight", "1.5"},             // a probability above 1
      {"--word-garbage-weight"},            // no value
      {"--beam", "0"},                      // a beam that keeps nothing
      {"--word-beam", "wide"},              // not a number
      {"--min-margin", "-5000"},            // beyond any score
      {"--top-n", "0"},                     // no Gaussian at all
      {"--beam", "nan"},                    // compares false with every bound
      {"--prefix-weight", "-1"},            // a negative probability
      {"--suffix-weight", "2"},             // above one
      {"--top-n", "4.5"},                   // not a whole number
      {"--everyday-words", "-3"},           // a negative count
      {"--noise-floor", "-1"},              // negative
      {"--fastest-ms-per-phone", "2000"},   // slower than any speech
      {"--remove-noise-below", "-3"},       // speech below the noise is no threshold
      {"--min-pause-after-speech", "-5"},   // a negative pause
      {"--stream-after", "-10"},            // a negative length
      {"--min-speech-rise", "-1"},          // speech below its own pause
      {"--neighbour-edits", "1.5"},         // not a whole number
      {"--neighbour-min-phones", "0"},      // every word, even an empty one
      {"--neighbour-weight", "0"},          // a probability of nothing
      {"--closest-neighbour-weight", "2"},  // above one
      {"--destructive-weight", "0"},        // destructive commands never heard
      {"--destructive-weight", "1.5"},      // dearer loops instead, by another name
      {"--parameter-weight", "0"},          // number commands never heard
      {"--parameter-weight", "2"},          // above one
      {"--frobnicate"},                     // unknown
  };
  for (const auto& args : bad) {
    Settings s;
    std::string error;
    bool help = false;
    EXPECT_FALSE(ParseSettings(args, s, error, help)) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
}

TEST(ListenSettings, SocketDefaultsToTheRuntimeFolder) {
  Settings s;
  std::string error;
  bool help = false;
  setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
  ASSERT_TRUE(ParseSettings({}, s, error, help));
  EXPECT_EQ(s.socketPath, "/run/user/4242/varnel-listen.sock");
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(DefaultSocketPath(), "/tmp/varnel-" + std::to_string(getuid()) + "/varnel-listen.sock");
}

}  // namespace
}  // namespace varnel::listen
