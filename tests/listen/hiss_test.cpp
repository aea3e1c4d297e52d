// The hiss under every decoded utterance: its level follows the voice, and adding it never
// wraps a loud sample round or depends on how the audio was cut into pieces.
#include "listen/hiss.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace varnel::listen {
namespace {

TEST(ListenHiss, AmplitudeFollowsTheVoiceWithinBounds) {
  struct Case {
    const char* name;
    double loudRms;
    int floor;
    bool fixed;
    int want;
  };
  const Case cases[] = {
      {"a usual voice gets the floor", 6600, 64, false, 64},
      {"a voice half as loud, half the hiss", 3300, 64, false, 32},
      {"a whisper still gets two units", 10, 64, false, 2},
      {"a floor below two is kept", 10, 1, false, 1},
      {"a shout gets at most eight floors", 200000, 64, false, 512},
      {"no voice heard yet", 0, 64, false, 64},
      {"a fixed floor ignores the voice", 3300, 64, true, 64},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HissAmplitude(c.loudRms, c.floor, c.fixed), c.want) << c.name;
  }
}

TEST(ListenHiss, StaysNearTheSamplesAndClipsAtFullScale) {
  struct Case {
    const char* name;
    std::int16_t sample;
    int amp;
  };
  const Case cases[] = {
      {"silence", 0, 64},           {"full scale up", 32767, 64}, {"full scale down", -32768, 64},
      {"near the top", 32700, 512}, {"no hiss", 1234, 0},
  };
  for (const auto& c : cases) {
    std::vector<std::int16_t> audio(4000, c.sample);
    std::uint32_t seed = kHissSeed;
    AddHiss(audio.data(), audio.size(), seed, c.amp);
    bool moved = false;
    for (const std::int16_t s : audio) {
      ASSERT_LE(std::abs(s - c.sample), c.amp) << c.name;
      moved = moved || s != c.sample;
    }
    EXPECT_EQ(moved, c.amp > 0) << c.name;
  }
}

TEST(ListenHiss, PiecesGetTheHissOfTheWhole) {
  // An utterance decoded as it comes gets its hiss piece by piece, going on from the seed.
  std::vector<std::int16_t> whole(1000, 100), pieces(1000, 100);
  std::uint32_t seed = kHissSeed;
  AddHiss(whole.data(), whole.size(), seed, 64);
  std::uint32_t pieceSeed = kHissSeed;
  for (std::size_t at = 0; at < pieces.size(); at += 300) {
    AddHiss(pieces.data() + at, std::min<std::size_t>(300, pieces.size() - at), pieceSeed, 64);
  }
  EXPECT_EQ(pieces, whole);
  EXPECT_EQ(pieceSeed, seed);
}

}  // namespace
}  // namespace varnel::listen
